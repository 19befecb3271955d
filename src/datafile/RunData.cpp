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
    if (value == LoggedData::kMainEmpty || !std::isfinite(value)) return std::nullopt;
    return FormatFixed(value, decimals).toDouble();
}

}  // namespace

RunData RunDataFromStore(const LoggedData& data, const QString& title) {
    RunData run;
    run.title = title;
    if (IsRecordingInterval(data.LogInterval)) run.intervalS = data.LogInterval;
    run.temperatureIntervalS = TemperatureIntervalSeconds(data.LogInterval);

    const int rows = std::clamp<int>(data.DataCount1, 0, LoggedData::kMainSlots);
    for (auto& column : run.main) column.reserve(static_cast<std::size_t>(rows));
    const auto put = [&run](MainChannel c, std::optional<double> value) {
        run.main[static_cast<std::size_t>(c)].push_back(value);
    };
    const auto watts = [](float current, float volts) -> std::optional<double> {
        if (current == LoggedData::kMainEmpty || volts == LoggedData::kMainEmpty) return {};
        return AsWritten(current * volts, 1);  // a single-precision product, as in the file
    };
    for (int i = 0; i < rows; ++i) {
        const float solar = data.Data1Solar.at(i);
        const float battery = data.Data1Battery.at(i);
        const float mainVolt = data.Data1MainVolt.at(i);
        put(MainChannel::SolarA, AsWritten(solar, 2));
        put(MainChannel::BatteryA, AsWritten(battery, 2));
        put(MainChannel::MainV, AsWritten(mainVolt, 1));
        put(MainChannel::SolarW, watts(solar, mainVolt));
        put(MainChannel::BatteryW, watts(battery, mainVolt));
        put(MainChannel::SubV, AsWritten(data.Data1SubVolt.at(i), 1));
        put(MainChannel::SpeedKmh, AsWritten(data.Data1Speed.at(i), 0));
    }

    const int temperatures = std::clamp<int>(data.DataCount2, 0, LoggedData::kTempSlots);
    run.temperatures.reserve(static_cast<std::size_t>(temperatures));
    for (int i = 0; i < temperatures; ++i) {
        const std::int16_t t = data.Data2Temp.at(i);
        run.temperatures.push_back(t == LoggedData::kTempEmpty ? std::nullopt
                                                               : std::optional<int>(t));
    }

    const int laps = std::clamp<int>(data.LapCount, 0, LoggedData::kLapSlots);
    for (int i = 0; i < laps; ++i) {
        const float wh = data.LapMotorWh.at(i);
        run.laps.push_back(
            {i + 1, data.LapTime.at(i), std::isfinite(wh) ? FormatFixed(wh, 1).toDouble() : -1.0});
    }
    return run;
}

}  // namespace yb
