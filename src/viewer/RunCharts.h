#pragma once
// The charts of a run: currents, power, voltages, speed, energy and temperatures, one above the
// other on one time axis in minutes, labelled h:mm (the record number when the recording
// interval is unknown). The viewer shows them in views; the report draws the same charts on
// paper: both from a RunModel, so with the same range, channels hidden, lap markers and
// overlays.

#include <QColor>
#include <QGraphicsItem>
#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/RunEnergy.h"
#include "datafile/RunData.h"
#include "datafile/RunSummary.h"
#include "viewer/RunModel.h"
#include "viewer/Timeline.h"

QT_BEGIN_NAMESPACE
class QChart;
class QLineSeries;
class QValueAxis;
QT_END_NAMESPACE

namespace yb {

// One line of a chart: a main column, a derived energy channel, or (neither) the temperatures.
struct ChannelSpec {
    QString key;  // stable name, for the settings: "solar_a", "speed_kmh", ...
    QString name;
    QString unit;
    int decimals = 0;
    QColor color;
    bool rightAxis = false;  // the chart's second value axis (sub voltage, remaining charge)
    std::optional<MainChannel> column;
    std::optional<EnergyChannel> energy;
};

// A marker of the run on the time axis: where, and what its label says.
struct MarkerMark {
    double x = 0.0;
    QString label;
};

// Lap markers: a thin line and the lap number at each lap start inside the plot area, thinned so
// that lines and numbers do not crowd; and the run's markers, a dashed line each with its kind
// and text at the foot of the plot area. Painted from the axis's range at paint time.
class LapMarkers : public QGraphicsItem {
public:
    LapMarkers(QChart* chart, QValueAxis* axis);
    // Lap starts on the time axis and their lap numbers.
    void setLaps(std::vector<std::pair<double, int>> laps);
    const std::vector<std::pair<double, int>>& laps() const { return laps_; }
    void setMarks(std::vector<MarkerMark> marks);
    const std::vector<MarkerMark>& marks() const { return marks_; }
    // Repaints after a change of the range or of the chart's size.
    void refresh();
    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override;

private:
    QChart* chart_;
    QValueAxis* axis_;
    std::vector<std::pair<double, int>> laps_;
    std::vector<MarkerMark> marks_;
};

// The model's markers on its time axis (none when the recording interval is unknown).
std::vector<MarkerMark> MarkerMarks(const RunModel& model);

// A line of a chart: its series and every point it may show, in time order.
struct ChartLine {
    QLineSeries* series = nullptr;
    QList<QPointF> points;
};

// A channel of a chart: what it is, the run's line and a lighter one for each run laid over.
struct ChartChannel {
    ChannelSpec traits;
    ChartLine own;
    std::vector<ChartLine> overlays;  // in the model's order; no legend entries
};

struct RunChart {
    QChart* chart = nullptr;  // no parent: the caller takes it (a view or a scene)
    QValueAxis* timeAxis = nullptr;
    bool sharesTime = true;  // its time axis moves with the others
    bool temperature = false;
    bool clockLabels = true;  // its time axis is labelled h:mm, else with record numbers
    std::vector<ChartChannel> channels;
    LapMarkers* markers = nullptr;  // a child of the chart
    QValueAxis* valueAxes[2] = {nullptr, nullptr};
};

// The charts of the run, in order from top to bottom. The temperature chart is there only when
// the run has temperature rows, the energy chart only when the interval is known. Only the
// bottom chart labels its time axis.
std::vector<RunChart> BuildRunCharts(const RunData& run, const RunEnergy& energy);

// Shows on the charts what the model holds besides the run's own lines: the runs laid over it,
// the channels hidden, the lap markers and the range of the time axis.
void ShowModel(std::vector<RunChart>& charts, const RunModel& model);

// The points of a channel on the run's time line; `offset` is added to every time.
QList<QPointF> ChannelPoints(const RunData& run, const RunEnergy& energy,
                             const ChannelSpec& channel, double offset = 0.0);

// Gives the channel's own line new points and fits the chart's value axes to what it shows.
void SetChannelPoints(RunChart& chart, std::size_t channel, QList<QPointF> points);

// Gives every channel a lighter line for each run the model lays over its run, or new points for
// those it has; drops them when there are none. The overlays' lines have no legend entry and
// follow their channel's visibility. When lines are added, the run's own ones are added again
// after them (drawn over them), with new legend entries.
void ShowOverlays(std::vector<RunChart>& charts, const RunModel& model);

// Shows every channel but those `hidden` names on every chart, their overlays with them (a
// hidden channel's legend entry stays, greyed, so that a click brings it back); each value axis
// fits the channels shown.
void ShowChannels(std::vector<RunChart>& charts, const QStringList& hidden);

// Gives each line of the chart the points of the time range [min, max] that `pixels` columns
// can show (Thinned). Labels the time axis for the range; each value axis fits the values its
// channels shown hold in the range, with 5 % of air above and below.
void ShowTimeRange(RunChart& chart, double min, double max, int pixels);

// The value of a channel at time x on the chart's axis, as its text with unit ("—" when the row
// holds none or lies outside the run).
QString ChannelValueText(const RunData& run, const RunEnergy& energy, const RunTimeline& timeline,
                         const ChannelSpec& shown, double x, bool onTemperatureAxis);

// A chart as the viewer draws them: square, small margins, a tinted plot area, the legend beside
// it; no parent.
QChart* NewChart();
// A value axis with its title in `titleColor`, labels in the axis colour, a light grid.
QValueAxis* MakeValueAxis(const QString& title, const QColor& titleColor);
// The values from `low` to `high` with 5 % of air on either side (a quantity that never goes
// below zero keeps zero as its floor), at most four ticks on round values (a chart is about 90
// pixels high on a 1366 x 768 screen: Qt Charts elides a label taller than its share of the
// axis); a flat or empty channel still gets a range of its own.
void FitValueAxis(QValueAxis* axis, double low, double high);

// Lines the plot areas of stacked charts up under each other: each chart's margins make up for
// the width of its axes, so every plot area has the same left and right edge. Call again after a
// resize.
void AlignPlotAreas(const std::vector<QChart*>& charts);

}  // namespace yb
