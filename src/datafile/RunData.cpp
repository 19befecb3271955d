#include "datafile/RunData.h"

#include <algorithm>
#include <cmath>

#include "datafile/DataFile.h"
#include "datafile/Format.h"
#include "settings/Settings.h"

namespace yb {

namespace {

// A value as the file shows it: rounded to the column's pattern by the writer's own routine.
std::optional<double> AsWritten(float value, int decimals) {
    if (value == RecordStore::kMainEmpty || !std::isfinite(value)) return std::nullopt;
    return FormatFixed(value, decimals).toDouble();
}

}  // namespace

RunData RunDataFromStore(const RecordStore& store, const QString& title) {
    RunData run;
    run.title = title;
    if (IsRecordingInterval(store.interval())) run.intervalS = store.interval();
    run.temperatureIntervalS = TemperatureIntervalSeconds(store.interval());

    const int rows = std::clamp<int>(store.mainCount(), 0, RecordStore::kMainSlots);
    for (auto& column : run.main) column.reserve(static_cast<std::size_t>(rows));
    const auto put = [&run](MainChannel c, std::optional<double> value) {
        run.main[static_cast<std::size_t>(c)].push_back(value);
    };
    const auto watts = [](float current, float volts) -> std::optional<double> {
        if (current == RecordStore::kMainEmpty || volts == RecordStore::kMainEmpty) return {};
        return AsWritten(current * volts, 1);  // a single-precision product, as in the file
    };
    for (int i = 0; i < rows; ++i) {
        const MainRecord r = store.main(i);
        put(MainChannel::SolarA, AsWritten(r.solarAmps, 2));
        put(MainChannel::BatteryA, AsWritten(r.batteryAmps, 2));
        put(MainChannel::MainV, AsWritten(r.mainVolts, 1));
        put(MainChannel::SolarW, watts(r.solarAmps, r.mainVolts));
        put(MainChannel::BatteryW, watts(r.batteryAmps, r.mainVolts));
        put(MainChannel::SubV, AsWritten(r.subVolts, 1));
        put(MainChannel::SpeedKmh, AsWritten(r.speedKmh, 0));
    }

    const int temperatures = std::clamp<int>(store.tempCount(), 0, RecordStore::kTempSlots);
    run.temperatures.reserve(static_cast<std::size_t>(temperatures));
    for (int i = 0; i < temperatures; ++i) {
        const std::int16_t t = store.temperature(i);
        run.temperatures.push_back(t == RecordStore::kTempEmpty ? std::nullopt
                                                               : std::optional<int>(t));
    }

    const int laps = std::clamp<int>(store.lapCount(), 0, RecordStore::kLapSlots);
    for (int i = 0; i < laps; ++i) {
        const LapRecord lap = store.lap(i);
        run.laps.push_back({i + 1, lap.seconds,
                            std::isfinite(lap.motorWh) ? FormatFixed(lap.motorWh, 1).toDouble() : -1.0});
    }
    return run;
}

}  // namespace yb
