#pragma once
// The charts of a run: currents, power, voltages, speed and temperatures, one above the other on
// one time axis in minutes (the record number when the recording interval is unknown). The
// viewer shows them in views; the report draws the same charts on paper.

#include <QColor>
#include <QList>
#include <QPointF>
#include <QString>
#include <optional>
#include <vector>

#include "datafile/RunData.h"

QT_BEGIN_NAMESPACE
class QChart;
class QLineSeries;
class QValueAxis;
QT_END_NAMESPACE

namespace yb {

// One line of a chart.
struct ChannelSpec {
    QString name;
    QString unit;
    int decimals = 0;
    QColor color;
    bool rightAxis = false;             // the chart's second value axis (sub voltage)
    std::optional<MainChannel> column;  // nullopt: the temperatures
};

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
    std::optional<int> mainRowAt(double x) const;
    std::optional<int> temperatureRowAt(double x) const;
    // The cursor's time as text: "1:23:45" in minutes mode, "記録 123" otherwise.
    QString instantText(double x) const;
    static QString ClockOfMinutes(double minutes);

private:
    std::optional<int> intervalS_;
    int temperatureIntervalS_;
    int mainRows_;
    int temperatureRows_;
};

struct RunChart {
    QChart* chart = nullptr;  // no parent: the caller takes it (a view or a scene)
    QValueAxis* timeAxis = nullptr;
    bool sharesTime = true;  // its time axis moves with the others
    bool temperature = false;
    std::vector<ChannelSpec> channels;
    std::vector<QLineSeries*> series;    // one per channel
    std::vector<QList<QPointF>> points;  // every point of each series, in time order
};

// The charts of the run, in order from top to bottom. The temperature chart is there only when
// the run has temperature rows. Only the bottom chart labels its time axis.
std::vector<RunChart> BuildRunCharts(const RunData& run);

// Gives each series of the chart the points of the time range [min, max] that `pixels` columns
// can show: all of them while there are no more than two per column, otherwise the lowest and
// the highest point of each column in time order, so every peak stays on screen. One point on
// either side of the range lets the lines run to the edges.
void ShowTimeRange(RunChart& chart, double min, double max, int pixels);

// The value of a channel at time x on the chart's axis, as its text with unit ("—" when the row
// holds none or lies outside the run).
QString ChannelValueText(const RunData& run, const RunTimeline& timeline, const ChannelSpec& shown,
                         double x, bool onTemperatureAxis);

// Lines the plot areas of stacked charts up under each other: the widest left and right axis
// decide for all. Call again after a resize.
void AlignPlotAreas(const std::vector<QChart*>& charts);

}  // namespace yb
