#include "analysis/LapTrace.h"

#include <algorithm>

namespace yb {

std::vector<TracePoint> LapTrace(const RunData& run, const LapFigures& lap) {
    std::vector<TracePoint> trace;
    const auto rows = LapRows(run, lap);
    if (!rows || rows->first >= rows->second) return trace;
    const double interval = *run.intervalS;
    const std::vector<MainValue>& speed = run.channel(MainChannel::SpeedKmh);
    trace.reserve(static_cast<std::size_t>(rows->second - rows->first + 1));
    double distance = 0.0;
    for (int i = rows->first; i < rows->second; ++i) {
        trace.push_back({i, (i - rows->first) * interval, distance});
        distance += speed[static_cast<std::size_t>(i)].value_or(0.0) * interval / 3600.0;
    }
    trace.push_back({-1, (rows->second - rows->first) * interval, distance});
    return trace;
}

std::vector<TimeGap> TimeDifference(const std::vector<TracePoint>& lap,
                                    const std::vector<TracePoint>& reference) {
    std::vector<TimeGap> gaps;
    if (lap.empty() || reference.empty()) return gaps;
    // Sums of the same distance in other steps differ in their last bits.
    const double reach = reference.back().distanceKm * (1 + 1e-12);
    gaps.reserve(lap.size());
    auto after = reference.begin();  // the first reference point at or past the distance
    for (const TracePoint& p : lap) {
        if (p.distanceKm > reach) break;
        after = std::lower_bound(after, reference.end(), p.distanceKm,
                                 [](const TracePoint& r, double d) { return r.distanceKm < d; });
        if (after == reference.end()) --after;
        double at = after->timeS;
        if (after != reference.begin() && after->distanceKm > p.distanceKm) {
            const TracePoint& before = *(after - 1);
            at = before.timeS + (p.distanceKm - before.distanceKm) /
                                    (after->distanceKm - before.distanceKm) *
                                    (after->timeS - before.timeS);
        }
        gaps.push_back({p.distanceKm, p.timeS, p.timeS - at});
    }
    return gaps;
}

}  // namespace yb
