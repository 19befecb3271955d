#pragma once
// The charts of a run: currents, power, voltages, speed, energy and temperatures, one above the
// other on one time axis in minutes, labelled h:mm (the record number when the recording
// interval is unknown). The viewer shows them in views; the report draws the same charts on
// paper, with the same range, the same channels hidden and the same lap markers.

#include <QColor>
#include <QGraphicsItem>
#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "datafile/RunData.h"
#include "datafile/RunEnergy.h"
#include "datafile/RunSummary.h"

QT_BEGIN_NAMESPACE
class QChart;
class QLineSeries;
class QValueAxis;
QT_END_NAMESPACE

namespace yb {

// The faint tint of every plot area, on screen and on paper.
inline const QColor kPlotAreaColor(0xFA, 0xFB, 0xFC);

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

// What the charts show of a run besides its rows. The viewer keeps one; the report draws it.
struct ChartState {
    std::optional<std::pair<double, double>> range;  // of the shared time axis; whole run if unset
    QStringList hidden;                              // keys of the channels not shown
    double lapStartS = 0.0;                          // where the laps start (lap markers)
    std::optional<double> batteryAh;                 // initial capacity (remaining charge)
    std::shared_ptr<const RunData> comparison;       // a second run, drawn lighter
    double comparisonOffsetMin = 0.0;                // moved this far along the time axis
};

// Lap markers: a thin line and the lap number at each lap start inside the plot area, thinned so
// that lines and numbers do not crowd. Painted from the axis's range at paint time.
class LapMarkers : public QGraphicsItem {
public:
    LapMarkers(QChart* chart, QValueAxis* axis);
    // Lap starts on the time axis and their lap numbers.
    void setLaps(std::vector<std::pair<double, int>> laps);
    const std::vector<std::pair<double, int>>& laps() const { return laps_; }
    // Repaints after a change of the range or of the chart's size.
    void refresh();
    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override;

private:
    QChart* chart_;
    QValueAxis* axis_;
    std::vector<std::pair<double, int>> laps_;
};

struct RunChart {
    QChart* chart = nullptr;  // no parent: the caller takes it (a view or a scene)
    QValueAxis* timeAxis = nullptr;
    bool sharesTime = true;  // its time axis moves with the others
    bool temperature = false;
    std::vector<ChannelSpec> channels;
    std::vector<QLineSeries*> series;    // one per channel
    std::vector<QList<QPointF>> points;  // every point of each series, in time order
    // The compared run's series (empty without one), one per channel, and their points.
    std::vector<QLineSeries*> comparison;
    std::vector<QList<QPointF>> comparisonPoints;
    LapMarkers* markers = nullptr;  // a child of the chart
    QValueAxis* valueAxes[2] = {nullptr, nullptr};
};

// The charts of the run, in order from top to bottom. The temperature chart is there only when
// the run has temperature rows, the energy chart only when the interval is known. Only the
// bottom chart labels its time axis.
std::vector<RunChart> BuildRunCharts(const RunData& run, const RunEnergy& energy);

// The points of a channel on the run's time line; `offset` is added to every time.
QList<QPointF> ChannelPoints(const RunData& run, const RunEnergy& energy,
                             const ChannelSpec& channel, double offset = 0.0);

// Gives the channel's series new points and fits the chart's value axes to what it holds.
void SetChannelPoints(RunChart& chart, std::size_t channel, QList<QPointF> points);

// Adds the compared run's series to every chart (or replaces their points): the same channels in
// a lighter tone, `offset` minutes along the time axis; none when `other` is null. The compared
// series have no legend entry and follow their channel's visibility.
void SetComparison(std::vector<RunChart>& charts, const RunData* other, const RunEnergy& energy,
                   double offset);

// Shows or hides the channel `key` on every chart, its compared series and legend entry with it
// (a hidden channel's entry stays, greyed, so that a click brings it back).
void ShowChannel(std::vector<RunChart>& charts, const QString& key, bool shown);

// Lap starts on the run's time axis (minutes) and their numbers, from the lap table placed at
// `lapStartS`; none when the interval is unknown.
std::vector<std::pair<double, int>> LapMarks(const RunData& run, double lapStartS);

// Gives each series of the chart the points of the time range [min, max] that `pixels` columns
// can show: all of them while there are no more than two per column, otherwise the lowest and
// the highest point of each column in time order, so every peak stays on screen. One point on
// either side of the range lets the lines run to the edges. Labels the time axis for the range.
void ShowTimeRange(RunChart& chart, double min, double max, int pixels);

// The value of a channel at time x on the chart's axis, as its text with unit ("—" when the row
// holds none or lies outside the run).
QString ChannelValueText(const RunData& run, const RunEnergy& energy, const RunTimeline& timeline,
                         const ChannelSpec& shown, double x, bool onTemperatureAxis);

// The rows shown between `min` and `max` on the run's time axis: those whose time lies in
// [min, max), the last row included when `max` is the run's end. Temperatures only when they
// share the axis.
RowWindow RowsShown(const RunData& run, double min, double max);
// Whether [min, max] is the whole run; and the range as text ("0:10:00 – 0:40:00",
// "記録 100 – 200").
bool WholeRun(const RunTimeline& timeline, double min, double max);
QString RangeText(const RunTimeline& timeline, double min, double max);

// Lines the plot areas of stacked charts up under each other: each chart's margins make up for
// the width of its axes, so every plot area has the same left and right edge. Call again after a
// resize.
void AlignPlotAreas(const std::vector<QChart*>& charts);

}  // namespace yb
