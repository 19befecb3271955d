#pragma once
// The charts of one run stacked on one time axis, as a widget: drag across a chart to zoom the
// time axis of all of them, Shift+drag or the arrow keys to pan, wheel to zoom around the
// pointer, double-click (or resetZoom) for the whole run; a vertical cursor follows the pointer
// through every chart and shows each channel's value at that instant. Lap markers on every
// chart; a click on a legend entry hides or shows that channel; other runs can be laid over
// the first, lighter, moved along the time axis. The run's markers are drawn on every chart;
// markAtCursor asks for one at the cursor, and the context menu (a right click) for one of any
// kind there, besides zooming out. The range, the hidden channels, the lap start, the battery's
// capacity, the overlays and the markers are the RunModel's.

#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "viewer/RunCharts.h"
#include "viewer/RunModel.h"

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
    // Shows what `model` holds and follows its changes; a zoom, a pan or a legend click changes
    // the model. The model outlives the stack.
    explicit ChartStack(RunModel& model, QWidget* parent = nullptr);
    ~ChartStack() override;

    const std::vector<RunChart>& charts() const { return charts_; }
    QChartView* view(int index) const { return views_.at(static_cast<std::size_t>(index)); }
    int count() const { return static_cast<int>(views_.size()); }

    // The whole run on every time axis.
    void resetZoom();
    // Moves the shared time range by `fraction` of its width (negative: back in time).
    void pan(double fraction);

    // Puts the cursor at a point of chart `index` (chart coordinates); hides it outside the
    // plot area.
    void moveCursor(int index, QPointF point);
    void hideCursor();
    // Asks for a marker of `kind` where the cursor is (nothing while it is hidden or off the
    // run's time).
    void markAtCursor(const QString& kind);

signals:
    // The cursor's instant as text, empty when the cursor is hidden.
    void cursorMoved(const QString& instant);
    // A marker of `kind` is wanted at `x` on the time axis: at the cursor, or where the chart's
    // context menu was opened.
    void markerWanted(double x, const QString& kind);

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
    // The chart's context menu at a point of chart `index`: zoom out around it, or a marker there.
    void showContextMenu(int index, QPointF point, const QPoint& global);
    void hideBand();
    void placeCursor(int index, double x, bool temperatureAxis);
    void scheduleAlign();
    // Thins the chart's series to what its width can show of its time range.
    void refine(int index);
    void refineAll();
    // Legend entries: a click hides or shows the channel.
    void connectLegend();
    // What the model changed.
    void showRange();
    void showEnergy();
    void showOverlays();

    RunModel& model_;
    std::vector<RunChart> charts_;
    std::vector<QChartView*> views_;
    std::vector<Cursor> cursors_;
    std::optional<double> cursorX_;  // where the cursor is on the shared time axis
    bool following_ = false;
    bool alignPending_ = false;
};

}  // namespace yb
