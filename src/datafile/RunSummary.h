#pragma once
// The figures of a run: how long, how far, how fast, how much energy, the best lap; the same
// figures over a window of the run; and the figures of each lap.
//
// Computed from the rows as the file shows them (empty fields are skipped), with the recording
// interval I in seconds. Every figure that needs I is unknown when I is; a figure over values
// that are all missing is unknown too.
//
// A download that ended early leaves empty rows behind the records it fetched (the logger's
// counts are kept): such a run is partial, and only the rows that hold values count as records.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "datafile/RunData.h"

namespace yb {

// The figures of one lap row. The data holds no lap start: the laps are placed one after the
// other from a lap start offset (by default the first record).
struct LapFigures {
    int lap = 0;
    std::optional<double> time_s;         // unknown when the logger had none
    std::optional<double> motor_wh;       // unknown when the logger had none
    std::optional<double> start_s;        // offset + the earlier lap times; unknown after an
                                          // unknown lap time
    std::optional<double> distance_km;    // sum of Speed x I / 3600 over the lap's main rows
    std::optional<double> avg_speed_kmh;  // distance / lap time (unknown for a time of 0)
    std::optional<double> solar_wh;       // sum of Solar_Watt x I / 3600 over the lap's rows
    std::optional<double> wh_per_km;      // motor_wh / distance; unknown for a distance of 0
};

struct RunSummary {
    int records = 0;                      // main rows that hold values
    bool partial = false;                 // a row of some section is empty
    std::optional<double> interval_s;     // I
    std::optional<double> duration_s;     // records x I
    std::optional<double> distance_km;    // sum of Speed x I / 3600
    std::optional<double> avg_speed_kmh;  // distance / duration in hours; unknown without records
    std::optional<double> max_speed_kmh;  // max Speed
    std::optional<double> solar_wh;       // sum of Solar_Watt x I / 3600
    std::optional<double> battery_wh;     // sum of Battery_Watt x I / 3600
    std::optional<double> min_main_v;     // min Main_Volt
    std::optional<double> max_temp_c;     // max temperature; unknown without temperature rows
    std::optional<int> laps;              // lap rows; unknown in a window
    std::optional<double> best_lap_s;     // smallest lap time above 0, the first on a tie
    std::optional<int> best_lap_no;       // its lap number
    std::optional<double> motor_wh;       // sum of the known motor Wh; unknown w/o laps
    // Figures of a window of the run: no lap figures, and `partial` speaks of the window's rows.
    bool window = false;
    std::vector<LapFigures> lapTable;  // one per lap row that holds a value (whole runs)
};

// A part of a run as rows: main rows [mainFirst, mainEnd), temperature rows
// [temperatureFirst, temperatureEnd).
struct RowWindow {
    int mainFirst = 0;
    int mainEnd = 0;
    int temperatureFirst = 0;
    int temperatureEnd = 0;
};

// The rows of the time window [fromS, toS), in seconds from the first record: main rows i with
// fromS <= i x I < toS and temperature rows j with fromS <= j x T < toS (T: the temperature
// interval). nullopt when I is unknown: then no row has a time.
std::optional<RowWindow> RowsBetween(const RunData& run, double fromS, double toS);

// A time in minutes as seconds, to the microsecond: 0.1 minutes is 6 s, not a hair above.
double MinutesToSeconds(double minutes);
// The longest time after the first record that a window or a lap start may name: its whole
// seconds stay exact in a double, and so in the clock text (2^53 s).
inline constexpr double kLongestSeconds = 9007199254740992.0;

RunSummary SummarizeRun(const RunData& run, double lapStartS = 0.0);
RunSummary SummarizeWindow(const RunData& run, const RowWindow& rows);

// The lap rows that hold a value, placed from `lapStartS` seconds after the first record.
std::vector<LapFigures> LapTable(const RunData& run, double lapStartS);

// The main rows of a lap: [first, end); nullopt while its start, its time or I is unknown.
std::optional<std::pair<int, int>> LapRows(const RunData& run, const LapFigures& lap);

// Whether a main row holds any value, whether a lap row does.
bool HoldsValues(const RunData& run, int mainRow);
bool HoldsValues(const LapRow& lap);

// One item of the summary as a person reads it: its JSON key, a Japanese label and the value
// with its unit, rounded for reading ("不明" when unknown). `applies` is false for the lap items
// of a window, whose value is then "—".
struct SummaryLine {
    QString key;
    QString label;
    QString value;
    bool applies = true;
};
std::vector<SummaryLine> SummaryLines(const RunSummary& summary);

// The summary as labelled lines ("label: value"), each ended by a line feed; the items that do
// not apply are left out.
QString SummaryText(const RunSummary& summary);

// The lap table's columns, one definition for the viewer's table, the report's pages and the
// command line's text: the same heads, the same values rounded alike. A table shows each head
// on two lines ("距離\nkm") and an unknown value as "—"; the text shows a head on one line
// ("距離[km]"), an unknown value as "不明", and the lap's start besides.
enum class LapMedium { Table, Text };
QStringList LapHeads(LapMedium medium);
QStringList LapCells(const LapFigures& lap, LapMedium medium);
// The values of those cells, unrounded (a sort goes by them).
std::vector<std::optional<double>> LapValues(const LapFigures& lap, LapMedium medium);
// The lap table's title: "周回", and the best lap's number and time when there is one.
QString LapTableTitle(const RunSummary& summary);

// The lap table as aligned text lines with a heading line, each ended by a line feed; empty
// without laps.
QString LapTableText(const std::vector<LapFigures>& laps);
// Rows of cells as text lines, each ended by a line feed: every column right-aligned to its
// widest cell as a terminal shows it (a Japanese character takes two cells), two blanks apart.
QString AlignedText(const std::vector<QStringList>& rows);

// One JSON object with the keys records, interval_s, duration_s, distance_km, avg_speed_kmh,
// max_speed_kmh, solar_wh, battery_wh, min_main_v, max_temp_c, laps, best_lap_s, best_lap_no,
// motor_wh, partial and lap_table, in that order: numbers unrounded (the shortest text that reads
// back as the same double), null when unknown; lap_table an array of objects with the keys lap,
// time_s, motor_wh, start_s, distance_km, avg_speed_kmh, solar_wh and wh_per_km, null in a
// window. No line end.
QByteArray SummaryJson(const RunSummary& summary);
// A number as SummaryJson writes it: the shortest text that reads back as the same double; null
// when unknown or not finite.
QByteArray JsonValue(std::optional<double> value);

// A value rounded for reading with its unit after a blank ("12.30 Ah"), "不明" when unknown; a
// value that rounds to zero shows no minus sign.
QString FixedText(std::optional<double> value, int decimals, const QString& unit = {});

// A summary figure by its JSON key, in SummaryJson's order (the lap table aside); `partial` is a
// yes or no, its value 1 or 0.
struct SummaryFigure {
    const char* key;
    std::optional<double> value;
    bool yesNo = false;
};
std::vector<SummaryFigure> SummaryFigures(const RunSummary& summary);

// A column of the lap table as lap_table and the exports name it: its key, its unit, the decimals
// the data file writes it with (-1 for a figure computed here, which is kept unrounded) and its
// value in a lap. In lap_table's order.
struct LapField {
    const char* key;
    const char* unit;  // empty for the lap's number
    int decimals;
    std::optional<double> (*value)(const LapFigures&);
};
const std::vector<LapField>& LapFields();

// A number as JSON writes it: the shortest text that reads back as the same double; "null" for
// a NaN or an infinity.
QByteArray JsonNumber(double value);

// How a time is written: every time the program shows is written by ClockText in one of these
// forms, a minus sign before a negative one.
enum class ClockForm {
    Short,         // m:ss ("3:05"), h:mm:ss from an hour on: durations, lap times
    Long,          // h:mm:ss ("0:03:05"): instants of a run
    HoursMinutes,  // h:mm ("0:03"): the time axis's ticks a minute or more apart
    FileName,      // 0h03m, 0h03m05s: no character a file system refuses
};
QString ClockText(double seconds, ClockForm form = ClockForm::Short);
// A time not before 0 as typed: h:mm:ss, m:ss or seconds ("0:03:05", "3:05", "185"), the
// minutes and seconds after a colon below 60; nothing for anything else.
std::optional<double> ClockSeconds(const QString& text);

}  // namespace yb
