#pragma once
// The figures of a run: how long, how far, how fast, how much energy, the best lap.
//
// Computed from the main rows as the file shows them (empty fields are skipped), with the
// recording interval I in seconds. Every figure that needs I is unknown when I is; a figure over
// values that are all missing is unknown too.

#include <QByteArray>
#include <QString>
#include <optional>

#include "datafile/RunData.h"

namespace yb {

struct RunSummary {
    int records = 0;                      // main rows
    std::optional<double> interval_s;     // I
    std::optional<double> duration_s;     // records x I
    std::optional<double> distance_km;    // sum of Speed x I / 3600
    std::optional<double> avg_speed_kmh;  // distance / duration in hours; unknown without rows
    std::optional<double> max_speed_kmh;  // max Speed
    std::optional<double> solar_wh;       // sum of Solar_Watt x I / 3600
    std::optional<double> battery_wh;     // sum of Battery_Watt x I / 3600
    std::optional<double> min_main_v;     // min Main_Volt
    std::optional<double> max_temp_c;     // max temperature; unknown without temperature rows
    int laps = 0;                         // lap rows
    std::optional<double> best_lap_s;     // smallest lap time above 0, the first on a tie
    std::optional<int> best_lap_no;       // its lap number
    std::optional<double> motor_wh;       // sum of the non-negative motor Wh; unknown w/o laps
};

RunSummary SummarizeRun(const RunData& run);

// One item of the summary as a person reads it: a Japanese label and the value with its unit,
// rounded for reading ("不明" when unknown).
struct SummaryLine {
    QString label;
    QString value;
};
std::vector<SummaryLine> SummaryLines(const RunSummary& summary);

// The summary as labelled lines ("label: value"), each ended by a line feed.
QString SummaryText(const RunSummary& summary);

// One JSON object with the keys records, interval_s, duration_s, distance_km, avg_speed_kmh,
// max_speed_kmh, solar_wh, battery_wh, min_main_v, max_temp_c, laps, best_lap_s, best_lap_no and
// motor_wh, in that order: numbers unrounded (the shortest text that reads back as the same
// double), null when unknown. No line end.
QByteArray SummaryJson(const RunSummary& summary);

// A time in seconds as m:ss ("3:05"); h:mm:ss from an hour on.
QString ClockText(double seconds);

}  // namespace yb
