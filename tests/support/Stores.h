#pragma once
// Stores built the way a download fills them, for the tests of what reads a store.

#include <gtest/gtest.h>

#include <array>

#include "download/RecordStore.h"

namespace yb::test {

// Empties the store and gives it an interval and counts.
inline void Shape(RecordStore& store, std::int16_t interval, std::int16_t main, std::int16_t temp,
                  std::int16_t laps) {
    store.clear();
    store.setInterval(interval);
    store.setCount(Stage::Main, main);
    store.setCount(Stage::Temperature, temp);
    store.setCount(Stage::Laps, laps);
}

// The data file's example: three main records (the third never filled), two temperatures, two
// laps, at 1 s.
inline void FillExample(RecordStore& store) {
    Shape(store, 1, 3, 2, 2);
    store.storeMain(0, {3.25f, -1.20f, 98.5f, 12.3f, 45.0f});
    store.storeMain(1, {3.30f, -1.10f, 98.6f, 12.3f, 46.0f});
    store.storeTemperature(0, 25);
    store.storeTemperature(1, -3);
    store.storeLap(0, {183, 12.5f});
    store.storeLap(1, {179, 12.1f});
}

// How many leading records of each kind in the store are the logger's own (`logger`: a
// simulated logger's memory, ybsim::Logger or ybsim::LoggerSim). Every slot after them, up to and
// including the one past the logger's count, must hold its empty marker, and a stored count is
// either the logger's or 0 (not reached): nothing else may be in the store.
template <typename Logger>
std::array<long, 3> OwnRecords(const RecordStore& store, const Logger& logger) {
    const auto same = [&](Stage stage, long i) {
        const int slot = static_cast<int>(i);
        switch (stage) {
            case Stage::Main: {
                const auto v = logger.mainValues(i);
                return store.main(slot) == MainRecord{v.solarCentiA / 100.0f,
                                                      v.batteryCentiA / 100.0f, v.mainDeciV / 10.0f,
                                                      v.subDeciV / 10.0f, 1.0f * v.speedKmh};
            }
            case Stage::Temperature:
                return store.temperature(slot) == logger.temperature(i);
            case Stage::Laps:
                break;
        }
        const auto lap = logger.lapValues(i + 1);
        return store.lap(slot) == LapRecord{static_cast<std::int16_t>(lap.seconds),
                                            static_cast<float>(lap.energyDWh) / 10.0f};
    };
    const auto empty = [&](Stage stage, int slot) {
        switch (stage) {
            case Stage::Main:
                return store.main(slot) == RecordStore::kEmptyMainRecord;
            case Stage::Temperature:
                return store.temperature(slot) == RecordStore::kTempEmpty;
            case Stage::Laps:
                break;
        }
        return store.lap(slot).seconds == RecordStore::kLapTimeEmpty;
    };
    const long counts[] = {logger.mainCount(), logger.tempCount(), logger.lapCount()};
    std::array<long, 3> kept{};
    for (const Stage stage : {Stage::Main, Stage::Temperature, Stage::Laps}) {
        const int s = static_cast<int>(stage);
        const long stored = store.count(stage);
        EXPECT_TRUE(stored == 0 || stored == counts[s]) << s << ": count " << stored;
        while (kept[s] < stored && same(stage, kept[s])) ++kept[s];
        for (long i = kept[s]; i <= counts[s]; ++i) {
            EXPECT_TRUE(empty(stage, static_cast<int>(i))) << s << ": slot " << i;
        }
    }
    return kept;
}

}  // namespace yb::test
