#pragma once
// The viewer's time axis, without widgets: where the rows of a run lie on it (minutes since the
// first record, or record numbers when the recording interval is unknown), which rows a range of
// it holds, how a range is written, where a pan stops, where the laps start on it, and which
// points a line needs to show a range at a given width.

#include <QList>
#include <QPointF>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

#include "datafile/RunData.h"
#include "datafile/RunSummary.h"

namespace yb {

// A range of the time axis: [min, max] in minutes, or in record numbers.
using TimeRange = std::pair<double, double>;

// Where the rows of a run lie on the time axis.
class RunTimeline {
public:
    explicit RunTimeline(const RunData& run);

    bool minutes() const { return intervalS_.has_value(); }
    QString axisTitle() const;
    double mainX(int row) const;         // row 0-based
    double temperatureX(int row) const;  // always minutes
    // Whether temperatures share the main time axis (not when the main axis counts records).
    bool temperaturesShareTime() const { return minutes(); }
    double start() const;
    double end() const;  // of the main axis, temperatures included when they share it
    // The temperatures' own axis when they do not share it: from 0 to their last row.
    TimeRange temperatureRange() const;
    std::optional<int> mainRowAt(double x) const;
    std::optional<int> temperatureRowAt(double x) const;
    // An instant as text: "1:23:45" in minutes mode, "記録 123" otherwise.
    QString instantText(double x) const;

private:
    std::optional<int> intervalS_;
    int temperatureIntervalS_;
    int mainRows_;
    int temperatureRows_;
};

// The rows shown between `min` and `max` on the run's time axis: those whose time lies in
// [min, max), the last row included when `max` is the run's end. Temperatures only when they
// share the axis.
RowWindow RowsShown(const RunData& run, double min, double max);
// Whether [min, max] is the whole run; and the range as text ("0:10:00 – 0:40:00",
// "記録 100 – 記録 200").
bool WholeRun(const RunTimeline& timeline, double min, double max);
QString RangeText(const RunTimeline& timeline, double min, double max);
// [min, max] moved into the run, as wide as it was but no wider than the run: where a pan or a
// zoom out past an end stops.
TimeRange FitRange(const RunTimeline& timeline, double min, double max);

// Lap starts on the time axis (minutes) and their numbers, from a lap table; none when the
// recording interval is unknown (`minutes` false).
std::vector<std::pair<double, int>> LapMarks(const std::vector<LapFigures>& laps, bool minutes);

// The points of `all` (in time order) that `pixels` columns over [min, max] can show: all of
// them while there are no more than two per column, otherwise the lowest and the highest point
// of each column in time order, so every peak stays on screen. One point on either side of the
// range lets the lines run to the edges.
QList<QPointF> Thinned(const QList<QPointF>& all, double min, double max, int pixels);

}  // namespace yb
