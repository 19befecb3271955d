#pragma once
// Where a lap gains or loses time against another: each lap as time and distance since its first
// record (a lap is its records, as the lap table's distance is: the distance summed from the
// speed), and the difference in time at each distance.
//
//   distance at record k   d_k = sum over the lap's earlier records j < k of Speed_j x I / 3600  km
//   time at record k       t_k = k x I                                                        s
//   difference at d        Δt(d) = t_lap(d) - t_reference(d)                                 s
//
// t(d) reads a lap's time at a distance between two of its points on the line between them (the
// first time it got there when it stood still). Δt is positive where the lap is behind the
// reference.

#include <vector>

#include "datafile/RunSummary.h"

namespace yb {

struct TracePoint {
    int row = -1;  // the main row; -1 for the end of the lap's last record
    double timeS = 0.0;
    double distanceKm = 0.0;
};

// One point per main row of the lap and one at the end of its last record; empty while the lap's
// rows are unknown (LapRows). An empty speed adds no distance.
std::vector<TracePoint> LapTrace(const RunData& run, const LapFigures& lap);

struct TimeGap {
    double distanceKm = 0.0;
    double timeS = 0.0;  // the lap's time at that distance
    double gapS = 0.0;   // Δt
};

// Δt at each point of `lap` up to the distance the reference covered.
std::vector<TimeGap> TimeDifference(const std::vector<TracePoint>& lap,
                                    const std::vector<TracePoint>& reference);

}  // namespace yb
