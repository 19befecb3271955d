#include "viewer/LapOverlay.h"

#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsLineItem>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

#include "analysis/RunEnergy.h"
#include "datafile/Printable.h"
#include "viewer/Palette.h"
#include "viewer/Report.h"
#include "viewer/RunCharts.h"

namespace yb {

namespace {

QLineSeries* Series(const QString& name, const QColor& color, qreal width) {
    auto* series = new QLineSeries;
    series->setName(name);
    QPen pen(color);
    pen.setWidthF(width);
    pen.setCosmetic(true);
    series->setPen(pen);
    return series;
}

// The value at a row of the chart's quantity: speed (0) or motor power (1).
std::optional<double> RowValue(const RunData& run, int row, int chart) {
    if (chart == 1) return MotorWatts(run, row);
    return run.channel(MainChannel::SpeedKmh)[static_cast<std::size_t>(row)];
}

// The point of a line nearest to x, or none when x lies off it.
std::optional<QPointF> PointAt(const QList<QPointF>& points, double x) {
    if (points.isEmpty() || x < points.front().x() || x > points.back().x()) return std::nullopt;
    const auto after = std::lower_bound(points.begin(), points.end(), x,
                                        [](const QPointF& p, double at) { return p.x() < at; });
    if (after == points.begin()) return *after;
    const auto before = after - 1;
    return after == points.end() || x - before->x() < after->x() - x ? *before : *after;
}

}  // namespace

void LapOverlay::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    if (event->matches(QKeySequence::Save)) {
        exportWithDialog();
        return;
    }
    QWidget::keyPressEvent(event);
}

LapOverlay::LapOverlay(const RunModel& model, int lap, QWidget* parent)
    : QWidget(parent), model_(model) {
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    lapLabel_ = new QLabel;
    top->addWidget(lapLabel_);
    choice_ = new QComboBox;
    reference_ = new QComboBox;
    for (const LapFigures& figures : model_.laps()) {
        if (!figures.time_s || *figures.time_s <= 0) continue;
        choice_->addItem(QString(), figures.lap);
        reference_->addItem(QString(), figures.lap);
    }
    top->addWidget(choice_);
    referenceLabel_ = new QLabel;
    top->addWidget(referenceLabel_);
    top->addWidget(reference_);
    axisLabel_ = new QLabel;
    top->addWidget(axisLabel_);
    byTime_ = new QRadioButton;
    byDistance_ = new QRadioButton;
    byTime_->setChecked(true);
    auto* axis = new QButtonGroup(this);
    axis->addButton(byTime_);
    axis->addButton(byDistance_);
    top->addWidget(byTime_);
    top->addWidget(byDistance_);
    top->addStretch(1);
    export_ = new QPushButton;
    connect(export_, &QPushButton::clicked, this, &LapOverlay::exportWithDialog);
    top->addWidget(export_);
    layout->addLayout(top);
    difference_ = new QLabel;
    QFont bold = difference_->font();
    bold.setBold(true);
    difference_->setFont(bold);
    layout->addWidget(difference_);

    const QColor colors[] = {palette::kSpeed, palette::kMotor, palette::kMotor};
    for (int i = 0; i < kCharts; ++i) {
        charts_[i] = NewChart();
        charts_[i]->setMargins(QMargins(4, 6, 4, 4));
        charts_[i]->addAxis(MakeValueAxis(QString(), palette::kAxisText), Qt::AlignBottom);
        charts_[i]->addAxis(MakeValueAxis(QString(), colors[i].darker(130)), Qt::AlignLeft);
        cursors_[i] = new QGraphicsLineItem(charts_[i]);
        cursors_[i]->setPen(QPen(palette::kCursor, 0));
        cursors_[i]->setZValue(20);
        cursors_[i]->hide();
        views_[i] = new QChartView(charts_[i]);
        views_[i]->setRenderHint(QPainter::Antialiasing);
        views_[i]->setMinimumHeight(130);
        views_[i]->viewport()->setMouseTracking(true);
        views_[i]->viewport()->installEventFilter(this);
        layout->addWidget(views_[i], 1);
    }
    readout_ = new QLabel;
    readout_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(readout_);

    connect(choice_, &QComboBox::currentIndexChanged, this,
            [this](int index) { showLap(choice_->itemData(index).toInt()); });
    connect(reference_, &QComboBox::currentIndexChanged, this, &LapOverlay::redraw);
    connect(byDistance_, &QRadioButton::toggled, this, &LapOverlay::redraw);
    const QRect free =
        (screen() ? screen() : QGuiApplication::primaryScreen())->availableGeometry();
    resize(QSize(1000, 680).boundedTo(free.size() - QSize(16, 40)));
    const QSignalBlocker quietChoice(choice_);
    const QSignalBlocker quietReference(reference_);
    if (const int index = choice_->findData(lap); index >= 0) choice_->setCurrentIndex(index);
    const std::optional<int> best = model_.summary().best_lap_no;
    if (const int index = reference_->findData(best.value_or(lap)); index >= 0)
        reference_->setCurrentIndex(index);
    lap_ = lap;
    connect(&model_, &RunModel::lapStartChanged, this, &LapOverlay::redraw);
    retranslate();
}

void LapOverlay::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QWidget::changeEvent(event);
}

void LapOverlay::retranslate() {
    setWindowTitle(tr("周回の比較 — %1").arg(Printable(model_.run().title)));
    lapLabel_->setText(tr("周回"));
    referenceLabel_->setText(tr("基準"));
    axisLabel_->setText(tr("横軸"));
    byTime_->setText(tr("時間(&T)"));
    byDistance_->setText(tr("距離(&D)"));
    export_->setText(tr("画像で書き出す (PNG)(&E)…"));
    const std::optional<int> best = model_.summary().best_lap_no;
    for (QComboBox* box : {choice_, reference_}) {
        for (int i = 0; i < box->count(); ++i) {
            const int lap = box->itemData(i).toInt();
            box->setItemText(i,
                             lap == best ? tr("第%1周 (ベスト)").arg(lap) : tr("第%1周").arg(lap));
        }
    }
    redraw();  // the series' names and the axes' titles
}

const LapFigures* LapOverlay::find(int lap) const {
    const std::vector<LapFigures>& laps = model_.laps();
    const auto it =
        std::find_if(laps.begin(), laps.end(), [lap](const LapFigures& f) { return f.lap == lap; });
    return it == laps.end() ? nullptr : &*it;
}

const LapFigures* LapOverlay::referenceLap() const {
    return reference_->currentIndex() < 0 ? nullptr : find(reference_->currentData().toInt());
}

void LapOverlay::showLap(int lap) {
    lap_ = lap;
    redraw();
}

void LapOverlay::redraw() {
    hideCursor();
    shown_.clear();
    const RunData& run = model_.run();
    const bool distance = byDistance_->isChecked();
    const LapFigures* chosen = find(lap_);
    const LapFigures* reference = referenceLap();
    const std::vector<TracePoint> chosenTrace =
        chosen ? LapTrace(run, *chosen) : std::vector<TracePoint>();
    const std::vector<TracePoint> referenceTrace =
        reference ? LapTrace(run, *reference) : std::vector<TracePoint>();
    const auto name = [this](const LapFigures& lap) {
        return lap.lap == model_.summary().best_lap_no ? tr("第%1周 (ベスト)").arg(lap.lap)
                                                       : tr("第%1周").arg(lap.lap);
    };
    const auto at = [distance](const auto& point) {
        return distance ? point.distanceKm : point.timeS;
    };
    for (int i = 0; i < kCharts; ++i) {
        charts_[i]->removeAllSeries();
        std::vector<Shown> lines;
        if (i < 2) {
            const auto add = [&](const LapFigures* lap, const std::vector<TracePoint>& trace,
                                 const QColor& color, qreal width) {
                if (!lap) return;
                Shown line{i, name(*lap), {}};
                for (const TracePoint& p : trace) {
                    if (p.row < 0) continue;
                    if (const auto value = RowValue(run, p.row, i))
                        line.points.append(QPointF(at(p), *value));
                }
                lines.push_back(line);
                lines.back().points.squeeze();
                charts_[i]->addSeries(Series(line.name, color, width));
            };
            if (reference != chosen) add(reference, referenceTrace, palette::kBestLapLine, 2.0);
            add(chosen, chosenTrace, palette::kChosenLapLine, 1.4);
        } else if (chosen && reference) {
            Shown line{i, tr("Δt 第%1周 − 第%2周").arg(chosen->lap).arg(reference->lap), {}};
            for (const TimeGap& gap : TimeDifference(chosenTrace, referenceTrace))
                line.points.append(QPointF(at(gap), gap.gapS));
            lines.push_back(line);
            charts_[i]->addSeries(Series(line.name, palette::kMotor, 1.6));
        }
        double low = INFINITY, high = -INFINITY, longest = 0.0;
        const QList<QAbstractSeries*> series = charts_[i]->series();
        for (qsizetype k = 0; k < series.size(); ++k) {
            auto* line = static_cast<QLineSeries*>(series[k]);
            line->replace(lines[static_cast<std::size_t>(k)].points);
            for (QAbstractAxis* axis : charts_[i]->axes()) line->attachAxis(axis);
            for (const QPointF& p : lines[static_cast<std::size_t>(k)].points) {
                low = std::min(low, p.y());
                high = std::max(high, p.y());
                longest = std::max(longest, p.x());
            }
        }
        auto* x = static_cast<QValueAxis*>(charts_[i]->axes(Qt::Horizontal).front());
        x->setTitleText(distance ? tr("周回開始からの距離 [km]") : tr("周回開始からの時間 [秒]"));
        FitValueAxis(x, 0.0, longest);
        auto* value = static_cast<QValueAxis*>(charts_[i]->axes(Qt::Vertical).front());
        const QString titles[] = {tr("速度 [km/h]"), tr("モーター電力 [W]"), tr("タイム差 [秒]")};
        value->setTitleText(titles[i]);
        FitValueAxis(value, low, high);
        shown_.insert(shown_.end(), lines.begin(), lines.end());
    }
    difference_->setText(differenceText());
    alignCharts();
}

void LapOverlay::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    alignCharts();
}

void LapOverlay::alignCharts() {
    // Once the charts have laid their axes out.
    QTimer::singleShot(0, this, [this] { AlignPlotAreas({charts_[0], charts_[1], charts_[2]}); });
}

QString LapOverlay::differenceText() const {
    const LapFigures* chosen = find(lap_);
    const LapFigures* reference = referenceLap();
    if (!chosen || !reference || !chosen->time_s || !reference->time_s) return {};
    const double difference = *chosen->time_s - *reference->time_s;
    const QString sign = difference >= 0 ? QStringLiteral("+") : QString();
    const bool best = reference->lap == model_.summary().best_lap_no;
    return (best ? tr("第%1周 %2 − ベスト 第%3周 %4 = %5") : tr("第%1周 %2 − 基準 第%3周 %4 = %5"))
        .arg(QString::number(chosen->lap), ClockText(*chosen->time_s),
             QString::number(reference->lap), ClockText(*reference->time_s),
             sign + ClockText(difference));
}

bool LapOverlay::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Leave) {
        for (int i = 0; i < kCharts; ++i) {
            if (watched != views_[i]->viewport()) continue;
            if (event->type() == QEvent::Leave) {
                hideCursor();
                break;
            }
            const QPointF at = charts_[i]->mapFromScene(
                views_[i]->mapToScene(static_cast<QMouseEvent*>(event)->position().toPoint()));
            if (charts_[i]->plotArea().contains(at)) {
                moveCursor(charts_[i]->mapToValue(at).x());
            } else {
                hideCursor();
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void LapOverlay::moveCursor(double x) {
    for (int i = 0; i < kCharts; ++i) {
        const QRectF area = charts_[i]->plotArea();
        const qreal px = charts_[i]->mapToPosition(QPointF(x, 0)).x();
        cursors_[i]->setLine(px, area.top(), px, area.bottom());
        cursors_[i]->setVisible(px >= area.left() && px <= area.right());
    }
    const QString units[] = {QStringLiteral(" km/h"), QStringLiteral(" W"), QStringLiteral(" s")};
    const int decimals[] = {0, 0, 1};
    QStringList parts = {byDistance_->isChecked()
                             ? QString::number(x, 'f', 2) + QStringLiteral(" km")
                             : ClockText(x)};
    for (const Shown& line : shown_) {
        const std::optional<QPointF> p = PointAt(line.points, x);
        parts << line.name + QStringLiteral(" ") +
                     (p ? QString::number(p->y(), 'f', decimals[line.chart]) + units[line.chart]
                        : QStringLiteral("—"));
    }
    readout_->setText(parts.join(QStringLiteral("   ")));
}

void LapOverlay::hideCursor() {
    for (QGraphicsLineItem* cursor : cursors_) {
        if (cursor) cursor->hide();
    }
    if (readout_) readout_->clear();
}

QString LapOverlay::cursorText() const {
    return readout_->text();
}

FileResult LapOverlay::exportImage(const QString& path) {
    constexpr qreal kScale = 2;  // pixels per unit: sharp lines and text
    constexpr int kTitle = 30;
    const int width = views_[0]->width();
    int height = kTitle;
    for (const QChartView* view : views_) height += view->height();
    QImage image(QSize(width, height) * kScale, QImage::Format_RGB32);
    image.setDevicePixelRatio(kScale);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    QFont font = difference_->font();
    painter.setFont(font);
    painter.setPen(palette::kInk);
    painter.drawText(QRect(10, 0, width - 20, kTitle), Qt::AlignVCenter | Qt::AlignLeft,
                     Printable(model_.run().title) + QStringLiteral("   ") + differenceText());
    int y = kTitle;
    for (QChartView* view : views_) {
        static_cast<QWidget*>(view)->render(&painter, QPoint(0, y));
        y += view->height();
    }
    painter.end();
    return WriteImage(image, path);
}

void LapOverlay::exportWithDialog() {
    const QString base = QFileInfo(model_.run().title).completeBaseName();
    QString path = QFileDialog::getSaveFileName(this, tr("書き出す"),
                                                base + QStringLiteral("_lap%1.png").arg(lap_),
                                                tr("PNG 画像 (*.png)"));
    if (path.isEmpty()) return;
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) path += QStringLiteral(".png");
    const FileResult written = exportImage(path);
    if (!written.ok) {
        QMessageBox::warning(this, windowTitle(),
                             Printable(path) + QStringLiteral(": ") + written.reason);
    }
}

}  // namespace yb
