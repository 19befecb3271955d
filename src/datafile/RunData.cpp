#include "datafile/RunData.h"

#include <algorithm>
#include <cmath>

#include "datafile/Format.h"
#include "settings/RecordingIntervals.h"

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
    for (int i = 0; i < rows; ++i) {
        const MainRecord r = store.main(i);
        for (std::size_t c = 0; c < kMainColumns.size(); ++c) {
            const std::optional<float> value = ColumnValue(kMainColumns[c], r);
            run.main[c].push_back(value ? AsWritten(*value, kMainColumns[c].decimals)
                                        : std::nullopt);
        }
    }

    const int temperatures = std::clamp<int>(store.tempCount(), 0, RecordStore::kTempSlots);
    run.temperatures.reserve(static_cast<std::size_t>(temperatures));
    for (int i = 0; i < temperatures; ++i) {
        run.temperatures.push_back(TemperatureValue(store.temperature(i)));
    }

    const int laps = std::clamp<int>(store.lapCount(), 0, RecordStore::kLapSlots);
    for (int i = 0; i < laps; ++i) {
        const LapRecord lap = store.lap(i);
        run.laps.push_back({i + 1, lap.seconds,
                            std::isfinite(lap.motorWh)
                                ? FormatFixed(lap.motorWh, kLapEnergyColumn.decimals).toDouble()
                                : -1.0});
    }
    return run;
}

}  // namespace yb
