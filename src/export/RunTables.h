#pragma once
// A run as the exports write it, whatever the format: three tables of named columns (the main
// records, the temperatures, the laps), the summary figures and the run's metadata. Every format
// (export/Exports.h) writes these and nothing else, so a channel has the same name, unit and
// values in each.
//
// Main table, one row per main record that holds a value:
//   time_s        seconds from the first record (row × interval); `record`, the data file's row
//                 number, instead when the interval is unknown
//   clock         the local date and time of the record, when the run's start is known
//   lap           the lap the record falls in, as the lap table places the laps (when there are)
//   solar_a ...   the seven main columns, as the data file rounds them
//   solar_wh, battery_wh, motor_wh   energy since the first record (when the interval is known)
//   remaining_ah, remaining_pct      the charge left (when the battery's capacity is known too)
// Temperature table: time_s (or record) and temp_c, one row per temperature that holds a value.
// Lap table: the lap table's columns (LapFields), one row per lap that holds a value.
// Derived values are kept unrounded.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

#include "datafile/RunData.h"
#include "analysis/RunEnergy.h"
#include "datafile/RunSummary.h"

namespace yb {

struct ExportColumn {
    QString name;       // stable, English, its unit last: "solar_a"
    QString unit;       // "A"; empty for a count or a text
    int decimals = -1;  // the data file's decimals for a value it holds; -1: unrounded
    bool text = false;  // texts (the clock) instead of numbers
    std::vector<MainValue> values;
    QStringList texts;

    // "solar_a [A]", or the name alone without a unit.
    QString head() const {
        return unit.isEmpty() ? name : name + QStringLiteral(" [") + unit + u']';
    }
};

struct ExportTable {
    std::vector<ExportColumn> columns;
    int rows() const;
};

struct RunTables {
    std::vector<std::pair<QString, QString>> metadata;  // key, text
    std::vector<SummaryFigure> summary;
    QByteArray summaryJson;  // the summary as `summary --json` prints it
    ExportTable main;
    ExportTable temperatures;
    ExportTable laps;
};

// The temperature chart's key among the hidden channels (the viewer's legend).
inline const QString kTemperatureKey = QStringLiteral("temperature");

// What an export is made from: a run, the figures computed from it and what was chosen.
struct ExportSource {
    const RunData& run;
    const RunSummary& summary;            // of the whole run, or of the window exported
    const std::vector<LapFigures>& laps;  // the whole run's lap table, placed from the lap start
    const RunEnergy& energy;              // with `batteryAh`
    RowWindow rows;                       // the rows exported (all of them for the whole run)
    double lapStartS = 0.0;
    std::optional<double> batteryAh;
    std::optional<QDateTime> start;  // the first record's local date and time, when known
    QString window;                  // the window exported, as a person reads it; empty: all
    QStringList hidden;              // names of the channels left out (kTemperatureKey too)
};

// The rows of the whole run.
RowWindow AllRows(const RunData& run);

RunTables MakeRunTables(const ExportSource& source);

}  // namespace yb
