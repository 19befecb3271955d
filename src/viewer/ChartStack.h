#pragma once
// The charts of one run stacked on one time axis, as a widget: drag across a chart to zoom the
// time axis of all of them, Shift+drag or the arrow keys to pan, wheel to zoom around the
// pointer, double-click (or resetZoom) for the whole run; a vertical cursor follows the pointer
// through every chart and shows each channel's value at that instant. Lap markers on every
// chart; a click on a legend entry hides or shows that channel; a second run can be laid over
// the first, lighter, moved along the time axis.

#include <QWidget>
#include <memory>
#include <vector>

#include "viewer/RunCharts.h"

QT_BEGIN_NAMESPACE
class QChartView;
class QGraphicsLineItem;
class QGraphicsRectItem;
class QGraphicsSimpleTextItem;
QT_END_NAMESPACE

namespace yb {

class ChartStack : public QWidget {
    Q_OBJECT
public:
    explicit ChartStack(std::shared_ptr<const RunData> run, QWidget* parent = nullptr);
    ~ChartStack() override;

    const std::vector<RunChart>& charts() const { return charts_; }
    QChartView* view(int index) const { return views_.at(static_cast<std::size_t>(index)); }
    int count() const { return static_cast<int>(views_.size()); }
    const RunTimeline& timeline() const { return timeline_; }

    // The whole run on every time axis.
    void resetZoom();
    // The time range of the shared axis, and setting it (kept within the run).
    std::pair<double, double> timeRange() const;
    void setTimeRange(double min, double max);
    // Moves the shared time range by `fraction` of its width (negative: back in time).
    void pan(double fraction);

    // Puts the cursor at a point of chart `index` (chart coordinates); hides it outside the
    // plot area.
    void moveCursor(int index, QPointF point);
    void hideCursor();

    // Channels (ChannelSpec::key) not shown.
    QStringList hiddenChannels() const { return hidden_; }
    void setHiddenChannels(const QStringList& keys);
    void setChannelShown(const QString& key, bool shown);

    // Lap markers placed from this lap start.
    void setLapStart(double seconds);
    // The battery's initial capacity for the remaining charge; nullopt: not known.
    void setBatteryCapacity(std::optional<double> ampHours);
    // A second run laid over this one, `offset` minutes along the time axis; null removes it.
    void setComparison(std::shared_ptr<const RunData> other, double offset);
    void setComparisonOffset(double offset);

    // What the charts show, for the report.
    ChartState state() const;

signals:
    // The cursor's instant as text, empty when the cursor is hidden.
    void cursorMoved(const QString& instant);
    // The shared time range after a zoom or a pan.
    void rangeChanged(double min, double max);
    // A channel was hidden or shown by a click on its legend entry.
    void hiddenChannelsChanged(const QStringList& keys);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Cursor {
        QGraphicsLineItem* line = nullptr;
        QGraphicsRectItem* box = nullptr;
        std::vector<QGraphicsSimpleTextItem*> texts;
    };
    class View;

    void followRange(int index, double min, double max);
    void zoomBetween(int index, qreal fromX, qreal toX);
    void zoomAround(int index, qreal atX, double factor);
    void panPixels(int index, qreal pixels);
    void showBand(int index, qreal fromX, qreal toX);
    void hideBand();
    void placeCursor(int index, double x, bool temperatureAxis);
    void scheduleAlign();
    // Thins the chart's series to what its width can show of its time range.
    void refine(int index);
    // Legend entries: a click hides or shows the channel; hidden ones greyed.
    void connectLegend();
    void updateComparison();

    std::shared_ptr<const RunData> run_;
    RunEnergy energy_;
    RunTimeline timeline_;
    std::vector<RunChart> charts_;
    std::vector<QChartView*> views_;
    std::vector<Cursor> cursors_;
    QStringList hidden_;
    double lapStartS_ = 0.0;
    std::optional<double> batteryAh_;
    std::shared_ptr<const RunData> comparison_;
    double comparisonOffset_ = 0.0;
    bool following_ = false;
    bool alignPending_ = false;
};

}  // namespace yb
