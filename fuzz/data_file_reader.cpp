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

using yb::RecordStore, yb::RunData, yb::Stage;
using C = yb::MainChannel;

// Puts a value into a store's field; false when a download could not have stored it. Every value
// a download decodes (16-bit fields in tenths or hundredths) lies well below the empty marker.
bool Put(std::optional<double> value, float& field) {
    field = value ? static_cast<float>(*value) : RecordStore::kMainEmpty;
    return !value || std::fabs(field) < RecordStore::kMainEmpty;
}

std::int16_t Count(std::size_t rows) {
    return static_cast<std::int16_t>(std::min<std::size_t>(rows, 32767));
}

// The run in a store, or false when the store cannot hold it.
bool ToStore(const RunData& run, RecordStore& store) {
    store.clear();
    store.setInterval(static_cast<std::int16_t>(run.intervalS.value_or(0)));
    store.setCount(Stage::Main, Count(static_cast<std::size_t>(run.mainRows())));
    store.setCount(Stage::Temperature, Count(run.temperatures.size()));
    store.setCount(Stage::Laps, Count(run.laps.size()));
    if (store.mainCount() > RecordStore::kMainLimit || store.tempCount() > RecordStore::kTempLimit ||
        store.lapCount() > RecordStore::kLapLimit) {
        return false;
    }
    for (int i = 0; i < store.mainCount(); ++i) {
        const auto at = [&](C c) { return run.channel(c)[std::size_t(i)]; };
        yb::MainRecord r{};
        if (!Put(at(C::SolarA), r.solarAmps) || !Put(at(C::BatteryA), r.batteryAmps) ||
            !Put(at(C::MainV), r.mainVolts) || !Put(at(C::SubV), r.subVolts) ||
            !Put(at(C::SpeedKmh), r.speedKmh)) {
            return false;
        }
        store.storeMain(i, r);
    }
    for (int i = 0; i < store.tempCount(); ++i) {
        const std::optional<int> t = run.temperatures[std::size_t(i)];
        const auto degrees = static_cast<std::int16_t>(t.value_or(RecordStore::kTempEmpty));
        if (t && (*t != degrees || *t == RecordStore::kTempEmpty)) return false;
        store.storeTemperature(i, degrees);
    }
    for (int i = 0; i < store.lapCount(); ++i) {  // lap rows have no empty marker
        const yb::LapRow& row = run.laps[std::size_t(i)];
        yb::LapRecord lap{static_cast<std::int16_t>(row.timeS), 0.0f};
        if (lap.seconds != row.timeS || !Put(row.motorWh, lap.motorWh)) return false;
        store.storeLap(i, lap);
    }
    return true;
}

// The main columns read from the file's values and the decimals the file writes them with.
struct Column {
    C channel;
    int decimals;
};
constexpr Column kColumns[] = {
    {C::SolarA, 2}, {C::BatteryA, 2}, {C::MainV, 1}, {C::SubV, 1}, {C::SpeedKmh, 0}};

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
    RecordStore store;
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
