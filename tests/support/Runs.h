#pragma once
// Data files of hand-made runs, for the tests of what reads files.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QString>

#include "datafile/DataFile.h"
#include "support/Stores.h"

namespace yb::test {

// A run of `records` main records every 2 s at `speed` km/h, with `laps` laps of 100 s and more,
// written at `at` (the file's second line).
inline void WriteRun(const QString& path, int records, float speed, int laps, const QDateTime& at) {
    RecordStore store;
    Shape(store, 2, static_cast<std::int16_t>(records), 0, static_cast<std::int16_t>(laps));
    for (int i = 0; i < records; ++i) store.storeMain(i, {2.0f, -1.0f, 98.0f, 12.0f, speed});
    for (int i = 0; i < laps; ++i) store.storeLap(i, {static_cast<std::int16_t>(100 + i), 9.5f});
    ASSERT_TRUE(WriteDataFile(store, true, path, [at] { return at; }).ok);
}

}  // namespace yb::test
