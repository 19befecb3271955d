// The data file reader fed mutated files. A refused file names a line that exists, counted as an
// editor shows them (a final line end opens one more, empty line). An accepted file, put into a
// store, is written by the program's own writer and read back: that must give the store's run,
// and its values must be those first read, within the rounding of their columns.
#include <QByteArray>
#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include "Check.h"
#include "datafile/DataFile.h"
#include "datafile/DataFileReader.h"
#include "datafile/ShiftJis.h"

namespace {

using yb::LoggedData, yb::RunData;
using C = yb::MainChannel;

// The main columns a store holds (the watt columns are made from them) and their decimals.
struct Column {
    C channel;
    decltype(LoggedData::Data1Solar) LoggedData::*array;
    int decimals;
};
const Column kColumns[] = {{C::SolarA, &LoggedData::Data1Solar, 2},
                           {C::BatteryA, &LoggedData::Data1Battery, 2},
                           {C::MainV, &LoggedData::Data1MainVolt, 1},
                           {C::SubV, &LoggedData::Data1SubVolt, 1},
                           {C::SpeedKmh, &LoggedData::Data1Speed, 0}};

// Puts a value into a store slot; false when a download could not have stored it. Every value
// a download decodes (16-bit fields in tenths or hundredths) lies well below the empty marker.
bool Put(std::optional<double> value, float& slot) {
    slot = value ? static_cast<float>(*value) : LoggedData::kMainEmpty;
    return !value || std::fabs(slot) < LoggedData::kMainEmpty;
}

// The run in a store, or false when the store cannot hold it.
bool ToStore(const RunData& run, LoggedData& data) {
    data.InitData();
    data.LogInterval = static_cast<std::int16_t>(run.intervalS.value_or(0));
    data.DataCount1 = static_cast<std::int16_t>(std::min(run.mainRows(), 32767));
    data.DataCount2 =
        static_cast<std::int16_t>(std::min<std::size_t>(run.temperatures.size(), 32767));
    data.LapCount = static_cast<std::int16_t>(std::min<std::size_t>(run.laps.size(), 32767));
    if (data.DataCount1 > LoggedData::kMainLimit || data.DataCount2 > LoggedData::kTempLimit ||
        data.LapCount > LoggedData::kLapLimit) {
        return false;
    }
    for (int i = 0; i < data.DataCount1; ++i) {
        for (const Column& c : kColumns) {
            if (!Put(run.channel(c.channel)[std::size_t(i)], (data.*c.array).at(i))) return false;
        }
    }
    for (int i = 0; i < data.DataCount2; ++i) {
        const std::optional<int> t = run.temperatures[std::size_t(i)];
        data.Data2Temp.at(i) = static_cast<std::int16_t>(t.value_or(LoggedData::kTempEmpty));
        if (t && (*t != data.Data2Temp.at(i) || *t == LoggedData::kTempEmpty)) return false;
    }
    for (int i = 0; i < data.LapCount; ++i) {  // lap rows have no empty marker
        const yb::LapRow& lap = run.laps[std::size_t(i)];
        data.LapTime.at(i) = static_cast<std::int16_t>(lap.timeS);
        if (data.LapTime.at(i) != lap.timeS || !Put(lap.motorWh, data.LapMotorWh.at(i)))
            return false;
    }
    return true;
}

// Read and re-read values agree within half the column's last digit (and float precision).
bool Near(std::optional<double> a, std::optional<double> b, int decimals) {
    if (!a || !b) return !a && !b;
    return std::fabs(*a - *b) <= 0.5 * std::pow(10.0, -decimals) + 1e-6 * std::fabs(*a);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const yb::DataFileReadResult read = yb::ReadDataFile(bytes, QStringLiteral("run.csv"));
    CHECK(read.run.has_value() != read.error.has_value());
    if (read.error) {
        CHECK(read.error->line >= 1 && read.error->line <= bytes.count('\n') + 1);
        CHECK(!read.error->message.isEmpty());
        CHECK(read.errorText().startsWith(QStringLiteral("run.csv:%1: ").arg(read.error->line)));
        return 0;
    }
    const RunData& run = *read.run;
    LoggedData store;
    if (!ToStore(run, store)) return 0;
    const auto text = yb::RenderDataFile(store, run.delimiter, QStringLiteral("run.csv"),
                                         QDateTime(QDate(2006, 5, 21), QTime(9, 3, 27)));
    CHECK(text);
    const yb::DataFileReadResult again =
        yb::ReadDataFile(*yb::EncodeShiftJis(*text), QStringLiteral("run.csv"));
    CHECK(again.run);
    const RunData expected = yb::RunDataFromStore(store, QStringLiteral("run.csv"));
    CHECK(again.run->intervalS == run.intervalS && again.run->main == expected.main &&
          again.run->temperatures == run.temperatures && again.run->laps.size() == run.laps.size());
    for (std::size_t i = 0; i < run.laps.size(); ++i) {
        const yb::LapRow &a = run.laps[i], &b = again.run->laps[i];
        CHECK(b.number == a.number && b.timeS == a.timeS && Near(a.motorWh, b.motorWh, 1));
        CHECK(b.motorWh == expected.laps[i].motorWh);
    }
    for (const Column& c : kColumns) {
        for (int i = 0; i < run.mainRows(); ++i) {
            const std::size_t row = std::size_t(i);
            CHECK(
                Near(run.channel(c.channel)[row], again.run->channel(c.channel)[row], c.decimals));
        }
    }
    return 0;
}
