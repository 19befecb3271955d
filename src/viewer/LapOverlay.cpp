#include "viewer/LapOverlay.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QScreen>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "datafile/Printable.h"
#include "datafile/RunEnergy.h"
#include "viewer/Palette.h"

namespace yb {

namespace {

// (seconds since the lap's start, value) for each main row of the lap that holds a value.
QList<QPointF> LapPoints(const RunData& run, const LapFigures& lap, bool power) {
    QList<QPointF> points;
    const auto rows = LapRows(run, lap);
    if (!rows) return points;
    for (int i = rows->first; i < rows->second; ++i) {
        const std::optional<double> value =
            power ? MotorWatts(run, i)
                  : std::optional<double>(
                        run.channel(MainChannel::SpeedKmh)[static_cast<std::size_t>(i)]);
        if (value) points.append(QPointF(i * *run.intervalS - *lap.start_s, *value));
    }
    return points;
}

QLineSeries* Series(const QString& name, const QColor& color, qreal width) {
    auto* series = new QLineSeries;
    series->setName(name);
    QPen pen(color);
    pen.setWidthF(width);
    pen.setCosmetic(true);
    series->setPen(pen);
    return series;
}

}  // namespace

void LapOverlay::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
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
    for (const LapFigures& figures : model_.laps()) {
        if (figures.time_s && *figures.time_s > 0) choice_->addItem(QString(), figures.lap);
    }
    top->addWidget(choice_);
    difference_ = new QLabel;
    QFont bold = difference_->font();
    bold.setBold(true);
    difference_->setFont(bold);
    top->addWidget(difference_, 1);
    layout->addLayout(top);

    for (int i = 0; i < 2; ++i) {
        charts_[i] = new QChart;
        charts_[i]->setBackgroundRoundness(0);
        charts_[i]->legend()->setAlignment(Qt::AlignTop);
        auto* time = new QValueAxis;
        time->setLabelFormat(QStringLiteral("%.0f"));
        auto* value = new QValueAxis;
        value->setLabelFormat(QStringLiteral("%g"));
        charts_[i]->addAxis(time, Qt::AlignBottom);
        charts_[i]->addAxis(value, Qt::AlignLeft);
        auto* view = new QChartView(charts_[i]);
        view->setRenderHint(QPainter::Antialiasing);
        view->setMinimumHeight(160);
        layout->addWidget(view, 1);
    }
    connect(choice_, &QComboBox::currentIndexChanged, this,
            [this](int index) { showLap(choice_->itemData(index).toInt()); });
    const QRect free =
        (screen() ? screen() : QGuiApplication::primaryScreen())->availableGeometry();
    resize(QSize(960, 620).boundedTo(free.size() - QSize(16, 40)));
    if (const int index = choice_->findData(lap); index >= 0) {
        const QSignalBlocker quiet(choice_);
        choice_->setCurrentIndex(index);
    }
    lap_ = lap;
    connect(&model_, &RunModel::lapStartChanged, this, [this] { showLap(lap_); });
    retranslate();
}

void LapOverlay::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QWidget::changeEvent(event);
}

void LapOverlay::retranslate() {
    setWindowTitle(tr("周回の比較 — %1").arg(Printable(model_.run().title)));
    lapLabel_->setText(tr("周回"));
    for (int i = 0; i < choice_->count(); ++i) {
        choice_->setItemText(i, tr("第%1周").arg(choice_->itemData(i).toInt()));
    }
    const QString titles[] = {tr("速度 [km/h]"), tr("モーター電力 [W]")};
    for (int i = 0; i < 2; ++i) {
        charts_[i]->axes(Qt::Horizontal).front()->setTitleText(tr("周回開始からの時間 [秒]"));
        charts_[i]->axes(Qt::Vertical).front()->setTitleText(titles[i]);
    }
    showLap(lap_);  // the series' names
}

const LapFigures* LapOverlay::find(int lap) const {
    const std::vector<LapFigures>& laps = model_.laps();
    const auto it =
        std::find_if(laps.begin(), laps.end(), [lap](const LapFigures& f) { return f.lap == lap; });
    return it == laps.end() ? nullptr : &*it;
}

void LapOverlay::showLap(int lap) {
    lap_ = lap;
    const LapFigures* chosen = find(lap);
    const std::optional<int> bestLap = model_.summary().best_lap_no;
    const LapFigures* best = bestLap ? find(*bestLap) : nullptr;
    for (int i = 0; i < 2; ++i) {
        QChart* chart = charts_[i];
        chart->removeAllSeries();
        double low = 0.0;
        double high = 1.0;
        double longest = 1.0;
        const auto add = [&](const LapFigures* figures, const QString& name, const QColor& color,
                             qreal width) {
            if (!figures) return;
            const QList<QPointF> points = LapPoints(model_.run(), *figures, i == 1);
            QLineSeries* series = Series(name, color, width);
            series->replace(points);
            chart->addSeries(series);
            for (QAbstractAxis* axis : chart->axes()) series->attachAxis(axis);
            for (const QPointF& p : points) {
                low = std::min(low, p.y());
                high = std::max(high, p.y());
            }
            longest = std::max(longest, figures->time_s.value_or(0.0));
        };
        if (best && best != chosen) {
            add(best, tr("第%1周 (ベスト)").arg(best->lap), palette::kBestLapLine, 2.0);
        }
        if (chosen) add(chosen, tr("第%1周").arg(chosen->lap), palette::kChosenLapLine, 1.4);
        auto* time = static_cast<QValueAxis*>(chart->axes(Qt::Horizontal).front());
        time->setRange(0.0, longest);
        time->applyNiceNumbers();
        auto* value = static_cast<QValueAxis*>(chart->axes(Qt::Vertical).front());
        value->setRange(low, high + (high - low) * 0.05);
        value->applyNiceNumbers();
    }
    difference_->setText(differenceText());
}

QString LapOverlay::differenceText() const {
    const LapFigures* chosen = find(lap_);
    const std::optional<int> bestLap = model_.summary().best_lap_no;
    const LapFigures* best = bestLap ? find(*bestLap) : nullptr;
    if (!chosen || !best || !chosen->time_s || !best->time_s) return {};
    const double difference = *chosen->time_s - *best->time_s;
    return tr("第%1周 %2 − ベスト 第%3周 %4 = %5")
        .arg(QString::number(chosen->lap), ClockText(*chosen->time_s), QString::number(best->lap),
             ClockText(*best->time_s),
             (difference >= 0 ? QStringLiteral("+") : QString()) + ClockText(difference));
}

}  // namespace yb
