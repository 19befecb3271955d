#include "datafile/PartialRun.h"

#include <QCoreApplication>

#include <cmath>

namespace yb {

namespace {

enum class Row { Filled, Empty, Mixed };

Row MainRow(const RunData& run, std::size_t i) {
    int present = 0;
    for (const auto& column : run.main) present += column[i].has_value() ? 1 : 0;
    if (present == 0) return Row::Empty;
    return present == kMainChannels ? Row::Filled : Row::Mixed;
}

Row TemperatureRow(const RunData& run, std::size_t i) {
    return run.temperatures[i] ? Row::Filled : Row::Empty;
}

// A lap the download did not fetch keeps the store's markers, which the file writes as numbers.
Row LapRowOf(const RunData& run, std::size_t i) {
    const LapRow& lap = run.laps[i];
    return lap.timeS == RecordStore::kLapTimeEmpty && lap.motorWh == RecordStore::kLapWhEmpty
               ? Row::Empty
               : Row::Filled;
}

// A value as the store holds it, or nullopt when no download could have stored it.
std::optional<float> AsStored(const std::optional<double>& value) {
    if (!value || !std::isfinite(*value) || std::fabs(*value) >= RecordStore::kMainEmpty) {
        return std::nullopt;
    }
    return static_cast<float>(*value);
}

const char* const kSectionNames[] = {QT_TRANSLATE_NOOP("PartialRun", "the main data"),
                                     QT_TRANSLATE_NOOP("PartialRun", "the temperature data"),
                                     QT_TRANSLATE_NOOP("PartialRun", "the lap data")};

}  // namespace

std::optional<PartialRun> ReadPartialRun(const RunData& run, QString* why) {
    const auto refuse = [why](const QString& reason) -> std::optional<PartialRun> {
        if (why)
            *why = QCoreApplication::translate("PartialRun", "not a partial data file: %1")
                       .arg(reason);
        return std::nullopt;
    };
    const std::size_t rows[] = {static_cast<std::size_t>(run.mainRows()), run.temperatures.size(),
                                run.laps.size()};
    Row (*const rowOf[])(const RunData&, std::size_t) = {MainRow, TemperatureRow, LapRowOf};
    const std::size_t limits[] = {RecordStore::kMainLimit, RecordStore::kTempLimit,
                                  RecordStore::kLapLimit};

    PartialRun partial;
    RecordStore& store = partial.store;
    store.setInterval(static_cast<std::int16_t>(run.intervalS.value_or(0)));
    std::optional<Stage> stopped;
    for (const Stage stage : {Stage::Main, Stage::Temperature, Stage::Laps}) {
        const auto s = static_cast<std::size_t>(stage);
        const QString section = QCoreApplication::translate("PartialRun", kSectionNames[s]);
        if (stopped) {
            if (rows[s] > 0)
                return refuse(
                    QCoreApplication::translate("PartialRun", "%1 follows the stopped section")
                        .arg(section));
            continue;
        }
        if (rows[s] > limits[s])
            return refuse(
                QCoreApplication::translate("PartialRun", "%1 has too many rows").arg(section));
        store.setCount(stage, static_cast<std::int16_t>(rows[s]));
        for (std::size_t i = 0; i < rows[s]; ++i) {
            const Row row = rowOf[s](run, i);
            if (row == Row::Mixed) {
                return refuse(
                    QCoreApplication::translate("PartialRun", "row %1 of %2 is half empty")
                        .arg(i + 1)
                        .arg(section));
            }
            if (row == Row::Empty) {
                if (!stopped) partial.stop = DownloadStop{stage, true, std::nullopt};
                stopped = stage;
                continue;
            }
            if (stopped) {
                return refuse(QCoreApplication::translate(
                                  "PartialRun", "row %1 of %2 holds values after an empty row")
                                  .arg(i + 1)
                                  .arg(section));
            }
            const int slot = static_cast<int>(i);
            switch (stage) {
                case Stage::Main: {
                    const auto at = [&](MainChannel c) { return AsStored(run.channel(c)[i]); };
                    const auto solar = at(MainChannel::SolarA), battery = at(MainChannel::BatteryA),
                               main = at(MainChannel::MainV), sub = at(MainChannel::SubV),
                               speed = at(MainChannel::SpeedKmh);
                    if (!solar || !battery || !main || !sub || !speed) {
                        return refuse(
                            QCoreApplication::translate(
                                "PartialRun", "row %1 of %2 holds a value no download has")
                                .arg(i + 1)
                                .arg(section));
                    }
                    store.storeMain(slot, {*solar, *battery, *main, *sub, *speed});
                    break;
                }
                case Stage::Temperature:
                    // Two hexadecimal digits of an 8-bit two's-complement value.
                    if (*run.temperatures[i] < -128 || *run.temperatures[i] > 127) {
                        return refuse(
                            QCoreApplication::translate(
                                "PartialRun", "row %1 of %2 holds a value no download has")
                                .arg(i + 1)
                                .arg(section));
                    }
                    store.storeTemperature(slot, static_cast<std::int16_t>(*run.temperatures[i]));
                    break;
                case Stage::Laps:
                    if (run.laps[i].timeS < -32768 || run.laps[i].timeS > 32767) {
                        return refuse(
                            QCoreApplication::translate(
                                "PartialRun", "row %1 of %2 holds a value no download has")
                                .arg(i + 1)
                                .arg(section));
                    }
                    store.storeLap(slot, {static_cast<std::int16_t>(run.laps[i].timeS),
                                          static_cast<float>(run.laps[i].motorWh)});
                    break;
            }
        }
    }
    if (!stopped) {
        // Every row holds values: the download ended between stages, or not at all. It goes on
        // after the last section the file has; a file with laps goes on with none.
        const bool temperatures = rows[1] > 0, laps = rows[2] > 0;
        partial.stop = DownloadStop{temperatures || laps ? Stage::Laps : Stage::Temperature, laps,
                                    temperatures ? std::optional(true) : std::nullopt};
    }
    return partial;
}

}  // namespace yb
