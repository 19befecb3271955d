#include "viewer/ChartStack.h"

#include <QChart>
#include <QChartView>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QKeyEvent>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "viewer/Palette.h"

namespace yb {

namespace {

constexpr int kMinimumDragPixels = 5;
constexpr qreal kCursorZ = 20;
constexpr double kPanStep = 0.1;  // of the range, per arrow key

// The axis value under a horizontal position of the chart, and back.
double ValueAtX(const QChart* chart, const QValueAxis* axis, qreal px) {
    const QRectF area = chart->plotArea();
    return axis->min() + (px - area.left()) / area.width() * (axis->max() - axis->min());
}
qreal XAtValue(const QChart* chart, const QValueAxis* axis, double value) {
    const QRectF area = chart->plotArea();
    return area.left() + (value - axis->min()) / (axis->max() - axis->min()) * area.width();
}

}  // namespace

// One chart of the stack: hands the pointer to the stack, which moves every chart together.
// The drag band is the stack's own rather than the view's, so it shows on every chart and a
// click without a drag zooms nothing.
class ChartStack::View : public QChartView {
public:
    View(QChart* chart, ChartStack* stack, int index)
        : QChartView(chart), stack_(stack), index_(index) {
        setRenderHint(QPainter::Antialiasing);
        viewport()->setMouseTracking(true);  // the cursor follows the pointer without a button
        setFrameShape(QFrame::NoFrame);
        setMinimumHeight(70);
        setFocusPolicy(Qt::ClickFocus);
        band_ = new QGraphicsRectItem(chart);
        band_->setBrush(palette::Translucent(palette::kBattery, 40));
        band_->setPen(QPen(palette::Translucent(palette::kBattery, 120), 0));
        band_->setZValue(kCursorZ - 1);
        band_->hide();
    }

    QGraphicsRectItem* band() const { return band_; }

protected:
    QPointF ChartPoint(const QPointF& viewPoint) const {
        return chart()->mapFromScene(mapToScene(viewPoint.toPoint()));
    }

    void mousePressEvent(QMouseEvent* event) override {
        const QPointF p = ChartPoint(event->position());
        if (event->button() == Qt::LeftButton && chart()->plotArea().contains(p)) {
            // Shift+drag pans, a drag zooms.
            if (event->modifiers() & Qt::ShiftModifier) {
                panAt_ = p.x();
            } else {
                dragFrom_ = p.x();
            }
            event->accept();
            return;
        }
        QChartView::mousePressEvent(event);  // the legend's clicks
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        const QPointF p = ChartPoint(event->position());
        if (dragFrom_) stack_->showBand(index_, *dragFrom_, p.x());
        if (panAt_) {
            stack_->panPixels(index_, *panAt_ - p.x());
            panAt_ = p.x();
        }
        stack_->moveCursor(index_, p);
        event->accept();
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        const QPointF p = ChartPoint(event->position());
        if (event->button() == Qt::LeftButton && panAt_) {
            panAt_.reset();
        } else if (event->button() == Qt::LeftButton && dragFrom_) {
            const qreal from = std::exchange(dragFrom_, std::nullopt).value();
            stack_->hideBand();
            if (std::abs(p.x() - from) >= kMinimumDragPixels)
                stack_->zoomBetween(index_, from, p.x());
        } else {
            QChartView::mouseReleaseEvent(event);  // a legend entry is clicked on release
            return;
        }
        event->accept();
    }
    void contextMenuEvent(QContextMenuEvent* event) override {
        stack_->showContextMenu(index_, ChartPoint(event->pos()), event->globalPos());
        event->accept();
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        stack_->resetZoom();
        event->accept();
    }
    void wheelEvent(QWheelEvent* event) override {
        const int steps = event->angleDelta().y() / 120;
        if (steps != 0) {
            stack_->zoomAround(index_, ChartPoint(event->position()).x(), std::pow(0.8, steps));
        }
        event->accept();
    }
    void keyPressEvent(QKeyEvent* event) override {
        stack_->keyPressEvent(event);  // not the view's scrolling
    }
    void leaveEvent(QEvent* event) override {
        QChartView::leaveEvent(event);
        stack_->hideCursor();
    }
    void resizeEvent(QResizeEvent* event) override {
        QChartView::resizeEvent(event);
        stack_->scheduleAlign();
    }

private:
    ChartStack* stack_;
    int index_;
    std::optional<qreal> dragFrom_;
    std::optional<qreal> panAt_;
    QGraphicsRectItem* band_;
};

ChartStack::ChartStack(RunModel& model, QWidget* parent)
    : QWidget(parent), model_(model), charts_(BuildRunCharts(model.run(), model.energy())) {
    setFocusPolicy(Qt::StrongFocus);
    ShowModel(charts_, model_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (std::size_t i = 0; i < charts_.size(); ++i) {
        const int index = static_cast<int>(i);
        auto* view = new View(charts_[i].chart, this, index);
        views_.push_back(view);
        // The chart with the time labels needs their room on top of its share.
        const bool labelled = charts_[i].timeAxis->labelsVisible();
        layout->addWidget(view, labelled ? 13 : 10);

        Cursor cursor;
        cursor.line = new QGraphicsLineItem(charts_[i].chart);
        cursor.line->setPen(QPen(palette::kCursor, 0));
        cursor.box = new QGraphicsRectItem(charts_[i].chart);
        cursor.box->setBrush(palette::kCursorBox);
        cursor.box->setPen(QPen(palette::kLine, 0));
        for (const ChartChannel& channel : charts_[i].channels) {
            auto* text = new QGraphicsSimpleTextItem(cursor.box);
            QFont font;
            font.setPointSize(8);
            font.setBold(true);
            text->setFont(font);
            text->setBrush(channel.traits.color.darker(125));
            cursor.texts.push_back(text);
        }
        for (QGraphicsItem* item :
             {static_cast<QGraphicsItem*>(cursor.line), static_cast<QGraphicsItem*>(cursor.box)}) {
            item->setZValue(kCursorZ);
            item->hide();
        }
        cursors_.push_back(cursor);

        connect(charts_[i].timeAxis, &QValueAxis::rangeChanged, this,
                [this, index](qreal min, qreal max) { followRange(index, min, max); });
    }
    connect(&model_, &RunModel::rangeChanged, this, &ChartStack::showRange);
    connect(&model_, &RunModel::hiddenChanged, this,
            [this] { ShowChannels(charts_, model_.hidden()); });
    connect(&model_, &RunModel::lapStartChanged, this, [this] {
        const auto marks = model_.lapMarks();
        for (RunChart& chart : charts_) {
            if (chart.sharesTime) chart.markers->setLaps(marks);
        }
    });
    connect(&model_, &RunModel::batteryChanged, this, &ChartStack::showEnergy);
    connect(&model_, &RunModel::overlaysChanged, this, &ChartStack::showOverlays);
    connect(&model_, &RunModel::markersChanged, this, [this] {
        const auto marks = MarkerMarks(model_);
        for (RunChart& chart : charts_) {
            if (chart.sharesTime) chart.markers->setMarks(marks);
        }
    });
    connectLegend();
    scheduleAlign();
}

ChartStack::~ChartStack() = default;

void ChartStack::resetZoom() {
    for (RunChart& chart : charts_) {
        if (!chart.sharesTime) {
            const auto [min, max] = model_.timeline().temperatureRange();
            chart.timeAxis->setRange(min, max);
        }
    }
    model_.setRange(model_.timeline().start(), model_.timeline().end());
}

// Any change of one shared time axis (a drag, the wheel, a call from outside) goes to the model,
// kept within the run; every shared axis shows the model's range.
void ChartStack::followRange(int index, double min, double max) {
    if (following_) return;
    if (!charts_.at(static_cast<std::size_t>(index)).sharesTime) {
        refine(index);
        return;
    }
    const auto [from, to] = FitRange(model_.timeline(), min, max);
    const TimeRange before = model_.range();
    model_.setRange(from, to);
    if (model_.range() == before) showRange();  // unchanged: the axis goes back to it
}

void ChartStack::showRange() {
    const auto [min, max] = model_.range();
    following_ = true;
    for (RunChart& chart : charts_) {
        if (chart.sharesTime) chart.timeAxis->setRange(min, max);
    }
    following_ = false;
    for (std::size_t i = 0; i < charts_.size(); ++i) {
        if (charts_[i].sharesTime) refine(static_cast<int>(i));
    }
    hideCursor();
}

void ChartStack::pan(double fraction) {
    const auto [min, max] = model_.range();
    const double shift = fraction * (max - min);
    const auto [from, to] = FitRange(model_.timeline(), min + shift, max + shift);
    model_.setRange(from, to);
}

void ChartStack::panPixels(int index, qreal pixels) {
    const RunChart& chart = charts_.at(static_cast<std::size_t>(index));
    const qreal width = chart.chart->plotArea().width();
    if (width <= 0) return;
    if (chart.sharesTime) {
        pan(pixels / width);
    } else {
        const double span = chart.timeAxis->max() - chart.timeAxis->min();
        const double shift = pixels / width * span;
        chart.timeAxis->setRange(chart.timeAxis->min() + shift, chart.timeAxis->max() + shift);
    }
}

void ChartStack::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Left:
            pan(-kPanStep);
            break;
        case Qt::Key_Right:
            pan(kPanStep);
            break;

        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

void ChartStack::connectLegend() {
    for (RunChart& chart : charts_) {
        for (const ChartChannel& channel : chart.channels) {
            const QString key = channel.traits.key;
            for (QLegendMarker* marker : chart.chart->legend()->markers(channel.own.series)) {
                disconnect(marker, &QLegendMarker::clicked, this, nullptr);  // once each
                connect(marker, &QLegendMarker::clicked, this, [this, key] {
                    model_.setChannelShown(key, model_.hidden().contains(key));
                });
            }
        }
    }
    ShowChannels(charts_, model_.hidden());
}

// The remaining charge follows the capacity, the run's and the overlays'.
void ChartStack::showEnergy() {
    for (RunChart& chart : charts_) {
        for (std::size_t c = 0; c < chart.channels.size(); ++c) {
            const ChannelSpec& traits = chart.channels[c].traits;
            if (traits.energy == EnergyChannel::RemainingAh) {
                SetChannelPoints(chart, c, ChannelPoints(model_.run(), model_.energy(), traits));
            }
        }
    }
    showOverlays();
}

void ChartStack::showOverlays() {
    ShowOverlays(charts_, model_);
    connectLegend();
    refineAll();
}

void ChartStack::zoomBetween(int index, qreal fromX, qreal toX) {
    const RunChart& chart = charts_.at(static_cast<std::size_t>(index));
    const QRectF area = chart.chart->plotArea();
    const auto clampX = [&area](qreal x) { return std::clamp(x, area.left(), area.right()); };
    double a = ValueAtX(chart.chart, chart.timeAxis, clampX(fromX));
    double b = ValueAtX(chart.chart, chart.timeAxis, clampX(toX));
    if (a > b) std::swap(a, b);
    if (b > a) chart.timeAxis->setRange(a, b);
}

void ChartStack::zoomAround(int index, qreal atX, double factor) {
    const RunChart& chart = charts_.at(static_cast<std::size_t>(index));
    const double min = chart.timeAxis->min();
    const double max = chart.timeAxis->max();
    const double at = std::clamp(ValueAtX(chart.chart, chart.timeAxis, atX), min, max);
    chart.timeAxis->setRange(at - (at - min) * factor, at + (max - at) * factor);
}

void ChartStack::showBand(int index, qreal fromX, qreal toX) {
    const RunChart& source = charts_.at(static_cast<std::size_t>(index));
    const double a = ValueAtX(source.chart, source.timeAxis, fromX);
    const double b = ValueAtX(source.chart, source.timeAxis, toX);
    for (std::size_t i = 0; i < charts_.size(); ++i) {
        const RunChart& chart = charts_[i];
        if (static_cast<int>(i) != index && !(source.sharesTime && chart.sharesTime)) continue;
        const QRectF area = chart.chart->plotArea();
        qreal left = XAtValue(chart.chart, chart.timeAxis, std::min(a, b));
        qreal right = XAtValue(chart.chart, chart.timeAxis, std::max(a, b));
        left = std::clamp(left, area.left(), area.right());
        right = std::clamp(right, area.left(), area.right());
        auto* band = static_cast<View*>(views_[i])->band();
        band->setRect(QRectF(left, area.top(), right - left, area.height()));
        band->show();
    }
}

void ChartStack::markAtCursor(const QString& kind) {
    if (cursorX_) emit markerWanted(*cursorX_, kind);
}

void ChartStack::showContextMenu(int index, QPointF point, const QPoint& global) {
    const RunChart& chart = charts_.at(static_cast<std::size_t>(index));
    if (!chart.chart->plotArea().contains(point)) return;
    const double x = ValueAtX(chart.chart, chart.timeAxis, point.x());
    QMenu menu(this);
    menu.addAction(QCoreApplication::translate("ChartStack", "縮小"), this,
                   [this, index, point] { zoomAround(index, point.x(), 2.0); });
    QMenu* add = menu.addMenu(QCoreApplication::translate("ChartStack", "ここにマーカーを追加"));
    add->setEnabled(chart.sharesTime && model_.timeline().minutes());
    for (const MarkerKind& kind : MarkerKinds()) {
        const QString key = QLatin1String(kind.key);
        add->addAction(MarkerKindName(key), this, [this, x, key] { emit markerWanted(x, key); });
    }
    menu.exec(global);
}

void ChartStack::hideBand() {
    for (QChartView* view : views_) static_cast<View*>(view)->band()->hide();
}

void ChartStack::moveCursor(int index, QPointF point) {
    const RunChart& source = charts_.at(static_cast<std::size_t>(index));
    if (!source.chart->plotArea().contains(point)) {
        hideCursor();
        return;
    }
    const double x = ValueAtX(source.chart, source.timeAxis, point.x());
    if (source.sharesTime && model_.timeline().minutes()) {
        cursorX_ = x;
    } else {
        cursorX_.reset();
    }
    for (std::size_t i = 0; i < charts_.size(); ++i) {
        const bool together = source.sharesTime && charts_[i].sharesTime;
        if (together || static_cast<int>(i) == index) {
            placeCursor(static_cast<int>(i), x, !source.sharesTime);
        } else {
            cursors_[i].line->hide();
            cursors_[i].box->hide();
        }
    }
    emit cursorMoved(source.sharesTime ? model_.timeline().instantText(x)
                                       : QCoreApplication::translate("ChartStack", "温度 %1")
                                             .arg(ClockText(x * 60.0, ClockForm::Long)));
}

void ChartStack::placeCursor(int index, double x, bool temperatureAxis) {
    const RunChart& chart = charts_.at(static_cast<std::size_t>(index));
    Cursor& cursor = cursors_.at(static_cast<std::size_t>(index));
    const QRectF area = chart.chart->plotArea();
    const qreal px = XAtValue(chart.chart, chart.timeAxis, x);
    if (px < area.left() || px > area.right()) {
        cursor.line->hide();
        cursor.box->hide();
        return;
    }
    cursor.line->setLine(px, area.top(), px, area.bottom());
    cursor.line->show();

    constexpr qreal kPad = 4;
    qreal width = 0;
    qreal y = kPad;
    for (std::size_t c = 0; c < cursor.texts.size(); ++c) {
        const ChannelSpec& shown = chart.channels[c].traits;
        cursor.texts[c]->setText(shown.name + QStringLiteral("  ") +
                                 ChannelValueText(model_.run(), model_.energy(), model_.timeline(),
                                                  shown, x, temperatureAxis));
        cursor.texts[c]->setPos(kPad + 2, y);
        const QRectF bounds = cursor.texts[c]->boundingRect();
        width = std::max(width, bounds.width());
        y += bounds.height();
    }
    const QSizeF size(width + 2 * kPad + 4, y + kPad);
    // Beside the line, on the side with room; at the top of the plot area.
    qreal left = px + 8;
    if (left + size.width() > area.right()) left = px - 8 - size.width();
    cursor.box->setRect(QRectF(QPointF(0, 0), size));
    cursor.box->setPos(std::max(left, area.left()), area.top() + 4);
    cursor.box->show();
}

void ChartStack::hideCursor() {
    cursorX_.reset();
    for (Cursor& cursor : cursors_) {
        cursor.line->hide();
        cursor.box->hide();
    }
    emit cursorMoved(QString());
}

void ChartStack::scheduleAlign() {
    if (alignPending_) return;
    alignPending_ = true;
    QTimer::singleShot(0, this, [this] {
        alignPending_ = false;
        std::vector<QChart*> charts;
        for (const RunChart& chart : charts_) charts.push_back(chart.chart);
        AlignPlotAreas(charts);
        refineAll();
    });
}

void ChartStack::refine(int index) {
    RunChart& chart = charts_.at(static_cast<std::size_t>(index));
    ShowTimeRange(chart, chart.timeAxis->min(), chart.timeAxis->max(),
                  static_cast<int>(chart.chart->plotArea().width()));
}

void ChartStack::refineAll() {
    for (int i = 0; i < count(); ++i) refine(i);
}

}  // namespace yb
