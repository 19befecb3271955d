#include "datafile/PartialRun.h"

#include <QCoreApplication>

#include <cmath>

namespace yb {

namespace {

// ---- Rows told apart: values, none, or some of them -------------------------------------------

enum class Row { Filled, Empty, HalfFilled };

Row MainRow(const RunData& run, std::size_t i) {
    int present = 0;
    for (const auto& column : run.main) present += column[i].has_value() ? 1 : 0;
    if (present == 0) return Row::Empty;
    return present == kMainChannels ? Row::Filled : Row::HalfFilled;
}

Row TemperatureRow(const RunData& run, std::size_t i) {
    return run.temperatures[i] ? Row::Filled : Row::Empty;
}

Row LapRowOf(const RunData& run, std::size_t i) {
    const LapRow& lap = run.laps[i];
    return IsLapNotFetched(lap.timeS, lap.motorWh) ? Row::Empty : Row::Filled;
}

// ---- A row stored as the download stored it; false for a value no download can have -----------

// A main value as the store holds it, or nullopt when no download could have stored it.
std::optional<float> AsStored(const std::optional<double>& value) {
    if (!value || !std::isfinite(*value) || std::fabs(*value) >= RecordStore::kMainEmpty) {
        return std::nullopt;
    }
    return static_cast<float>(*value);
}

// The fields of the record, from the columns that hold them as stored (a power is formed from
// them again when the file is written).
bool StoreMain(const RunData& run, std::size_t i, RecordStore& store) {
    MainRecord record = RecordStore::kEmptyMainRecord;
    for (std::size_t c = 0; c < kMainColumns.size(); ++c) {
        if (kMainColumns[c].times) continue;
        const std::optional<float> value = AsStored(run.main[c][i]);
        if (!value) return false;
        record.*kMainColumns[c].field = *value;
    }
    store.storeMain(static_cast<int>(i), record);
    return true;
}

bool StoreTemperature(const RunData& run, std::size_t i, RecordStore& store) {
    // Two hexadecimal digits of an 8-bit two's-complement value.
    const int degrees = *run.temperatures[i];
    if (degrees < -128 || degrees > 127) return false;
    store.storeTemperature(static_cast<int>(i), static_cast<std::int16_t>(degrees));
    return true;
}

bool StoreLap(const RunData& run, std::size_t i, RecordStore& store) {
    const LapRow& lap = run.laps[i];
    if (lap.timeS < -32768 || lap.timeS > 32767) return false;
    store.storeLap(static_cast<int>(i),
                   {static_cast<std::int16_t>(lap.timeS), static_cast<float>(lap.motorWh)});
    return true;
}

// A section of the file: its rows, how many a download stores, each row told apart and stored.
struct Section {
    std::size_t (*rows)(const RunData&);
    std::size_t limit;
    Row (*rowOf)(const RunData&, std::size_t);
    bool (*store)(const RunData&, std::size_t, RecordStore&);
};

// By stage.
const Section kSections[] = {
    {[](const RunData& run) { return static_cast<std::size_t>(run.mainRows()); },
     RecordStore::kMainLimit, MainRow, StoreMain},
    {[](const RunData& run) { return run.temperatures.size(); }, RecordStore::kTempLimit,
     TemperatureRow, StoreTemperature},
    {[](const RunData& run) { return run.laps.size(); }, RecordStore::kLapLimit, LapRowOf,
     StoreLap},
};

// ---- Refusals ---------------------------------------------------------------------------------

// What shows that no download left the file; the texts of a row's fault name the row.
enum class Fault { FollowsStop, TooManyRows, HalfFilled, ValuesAfterEmpty, NoSuchValue };
const char* const kFaultTexts[] = {
    QT_TRANSLATE_NOOP("PartialRun", "%1 follows the stopped section"),
    QT_TRANSLATE_NOOP("PartialRun", "%1 has too many rows"),
    QT_TRANSLATE_NOOP("PartialRun", "row %1 of %2 is half empty"),
    QT_TRANSLATE_NOOP("PartialRun", "row %1 of %2 holds values after an empty row"),
    QT_TRANSLATE_NOOP("PartialRun", "row %1 of %2 holds a value no download has")};

struct Refusal {
    Fault fault;
    Stage section;
    std::size_t row = 0;  // 1-based; 0 for a fault of the whole section
};

PartialRunRead Refused(const Refusal& refusal) {
    QString what =
        QCoreApplication::translate("PartialRun", kFaultTexts[static_cast<int>(refusal.fault)]);
    if (refusal.row > 0) what = what.arg(refusal.row);
    PartialRunRead read;
    read.ok = false;
    read.reason = QCoreApplication::translate("PartialRun", "not a partial data file: %1")
                      .arg(what.arg(SectionName(refusal.section)));
    return read;
}

// ---- Reading ----------------------------------------------------------------------------------

// The sections in the download's order, each row stored until the first empty one.
class Reading {
public:
    Reading(const RunData& run, RecordStore& store) : run_(run), store_(store) {}

    std::optional<Refusal> section(Stage stage) {
        const Section& section = kSections[static_cast<std::size_t>(stage)];
        const std::size_t rows = section.rows(run_);
        if (stopped_) {
            if (rows > 0) return Refusal{Fault::FollowsStop, stage};
            return std::nullopt;
        }
        if (rows > section.limit) return Refusal{Fault::TooManyRows, stage};
        store_.setCount(stage, static_cast<std::int16_t>(rows));
        for (std::size_t i = 0; i < rows; ++i) {
            if (const std::optional<Fault> fault = row(stage, section, i))
                return Refusal{*fault, stage, i + 1};
        }
        return std::nullopt;
    }

    // The section of the first empty row, once there was one.
    std::optional<Stage> stopped() const { return stopped_; }

private:
    std::optional<Fault> row(Stage stage, const Section& section, std::size_t i) {
        switch (section.rowOf(run_, i)) {
            case Row::HalfFilled:
                return Fault::HalfFilled;
            case Row::Empty:
                if (!stopped_) stopped_ = stage;
                return std::nullopt;
            case Row::Filled:
                break;
        }
        if (stopped_) return Fault::ValuesAfterEmpty;
        if (!section.store(run_, i, store_)) return Fault::NoSuchValue;
        return std::nullopt;
    }

    const RunData& run_;
    RecordStore& store_;
    std::optional<Stage> stopped_;
};

// Where the download stopped: at the first empty row, its section's count known. A file whose
// every row holds values ended between stages, or not at all: it goes on after the last section
// the file has; a file with laps goes on with none.
DownloadStop StopOf(const RunData& run, std::optional<Stage> stopped) {
    if (stopped) return {*stopped, true, std::nullopt};
    const bool temperatures = !run.temperatures.empty(), laps = !run.laps.empty();
    return {temperatures || laps ? Stage::Laps : Stage::Temperature, laps,
            temperatures ? std::optional(true) : std::nullopt};
}

}  // namespace

PartialRunRead ReadPartialRun(const RunData& run) {
    PartialRunRead read;
    PartialRun& partial = read.partial.emplace();
    partial.store.setInterval(static_cast<std::int16_t>(run.intervalS.value_or(0)));
    Reading reading(run, partial.store);
    for (const Stage stage : {Stage::Main, Stage::Temperature, Stage::Laps}) {
        if (const std::optional<Refusal> refusal = reading.section(stage)) return Refused(*refusal);
    }
    partial.stop = StopOf(run, reading.stopped());
    return read;
}

}  // namespace yb
