#pragma once
// A race as the logger records it, for benchmarks, screenshots and demonstrations: the simulated
// logger's race (tools/sim/Race.h) of this size, stored as a download stores it.

#include <QByteArray>
#include <QString>

#include "download/RecordStore.h"

namespace yb::bench {

struct RunSize {
    int intervalS = 2;     // 1, 2, 5 or 10
    int mainRows = 16100;  // up to 16100
    int temperatureRows = 537;
    int laps = 200;
    unsigned seed = 20240804;  // the race: another seed, another race
};

void FillSimulatedRun(RecordStore& data, const RunSize& size);

// The data file of a full logger's run (16100 main, 1350 temperature, 200 lap rows at 5 s), as a
// save writes it, at `path`; its bytes, after a line that says what it holds. Empty when it could
// not be written.
QByteArray WriteFullDataFile(const QString& path);

}  // namespace yb::bench
