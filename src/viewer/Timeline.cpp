#include "viewer/Timeline.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

namespace yb {

RunTimeline::RunTimeline(const RunData& run)
    : intervalS_(run.intervalS),
      temperatureIntervalS_(run.temperatureIntervalS),
      mainRows_(run.mainRows()),
      temperatureRows_(static_cast<int>(run.temperatures.size())) {}

QString RunTimeline::axisTitle() const {
    return minutes() ? QCoreApplication::translate("RunCharts", "経過時間 [時:分]")
                     : QCoreApplication::translate("RunCharts", "記録番号 (記録間隔不明)");
}

double RunTimeline::mainX(int row) const {
    return intervalS_ ? row * *intervalS_ / 60.0 : row + 1.0;
}

double RunTimeline::temperatureX(int row) const {
    return row * temperatureIntervalS_ / 60.0;
}

double RunTimeline::start() const {
    return minutes() ? 0.0 : 1.0;
}

double RunTimeline::end() const {
    double end = mainRows_ > 0 ? mainX(mainRows_ - 1) : start();
    if (temperaturesShareTime() && temperatureRows_ > 0) {
        end = std::max(end, temperatureX(temperatureRows_ - 1));
    }
    return end > start() ? end : start() + 1.0;
}

TimeRange RunTimeline::temperatureRange() const {
    return {0.0, std::max(1.0, temperatureX(temperatureRows_ - 1))};
}

namespace {

std::optional<int> NearestRow(double row, int rows) {
    if (!std::isfinite(row)) return std::nullopt;
    const auto nearest = static_cast<long long>(std::llround(row));
    if (nearest < 0 || nearest >= rows) return std::nullopt;
    return static_cast<int>(nearest);
}

}  // namespace

std::optional<int> RunTimeline::mainRowAt(double x) const {
    return NearestRow(intervalS_ ? x * 60.0 / *intervalS_ : x - 1.0, mainRows_);
}

std::optional<int> RunTimeline::temperatureRowAt(double x) const {
    return NearestRow(x * 60.0 / temperatureIntervalS_, temperatureRows_);
}

QString RunTimeline::instantText(double x) const {
    return minutes() ? ClockText(x * 60.0, ClockForm::Long)
                     : QCoreApplication::translate("RunCharts", "記録 %1").arg(std::llround(x));
}

RowWindow RowsShown(const RunData& run, double min, double max) {
    const RunTimeline timeline(run);
    const double to = max >= timeline.end() ? INFINITY : max;
    if (const auto rows = RowsBetween(run, MinutesToSeconds(min),
                                      std::isfinite(to) ? MinutesToSeconds(to) : to)) {
        return *rows;
    }
    // Record numbers: row i is record i + 1.
    const auto row = [&run](double x) {
        return static_cast<int>(std::clamp(std::ceil(x - 1.0), 0.0, 1.0 * run.mainRows()));
    };
    return {row(min), std::isfinite(to) ? row(to) : run.mainRows(), 0, 0};
}

bool WholeRun(const RunTimeline& timeline, double min, double max) {
    return min <= timeline.start() && max >= timeline.end();
}

QString RangeText(const RunTimeline& timeline, double min, double max) {
    return timeline.instantText(min) + QStringLiteral(" – ") + timeline.instantText(max);
}

TimeRange FitRange(const RunTimeline& timeline, double min, double max) {
    const double start = timeline.start();
    const double end = timeline.end();
    const double width = std::min(max - min, end - start);
    min = std::clamp(min, start, end - width);
    return {min, min + width};
}

std::vector<std::pair<double, int>> LapMarks(const std::vector<LapFigures>& laps, bool minutes) {
    std::vector<std::pair<double, int>> marks;
    if (!minutes) return marks;
    for (const LapFigures& lap : laps) {
        if (lap.start_s) marks.emplace_back(*lap.start_s / 60.0, lap.lap);
    }
    return marks;
}

QList<QPointF> Thinned(const QList<QPointF>& all, double min, double max, int pixels) {
    const auto byX = [](const QPointF& p, double x) { return p.x() < x; };
    qsizetype first = std::lower_bound(all.begin(), all.end(), min, byX) - all.begin();
    qsizetype last = std::lower_bound(all.begin(), all.end(), max, byX) - all.begin();
    first = std::max<qsizetype>(first - 1, 0);
    last = std::min<qsizetype>(last + 1, all.size());  // one past the end
    if (last - first <= 2 * pixels) return all.mid(first, last - first);
    QList<QPointF> shown;
    shown.reserve(2 * pixels + 4);
    const double column = (max - min) / pixels;
    qsizetype low = first;
    qsizetype high = first;
    std::optional<long long> current;  // the column of low and high; none before the first point
    const auto flush = [&] {
        if (!current) return;
        shown.append(all[std::min(low, high)]);
        if (low != high) shown.append(all[std::max(low, high)]);
    };
    for (qsizetype i = first; i < last; ++i) {
        const auto c = static_cast<long long>(std::floor((all[i].x() - min) / column));
        if (c != current) {
            flush();
            current = c;
            low = high = i;
        } else if (all[i].y() < all[low].y()) {
            low = i;
        } else if (all[i].y() > all[high].y()) {
            high = i;
        }
    }
    flush();
    return shown;
}

}  // namespace yb
