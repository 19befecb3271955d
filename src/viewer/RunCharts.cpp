#include "viewer/RunCharts.h"

#include <QCategoryAxis>
#include <QChart>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QPen>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "datafile/RunSummary.h"

namespace yb {

namespace {

// A palette that stays apart on screen and on paper: solar warm, battery cool.
const QColor kSolar(0xE8, 0x7D, 0x1E);
const QColor kBattery(0x2F, 0x6D, 0xB5);
const QColor kMainVolt(0x2E, 0x9E, 0x5B);
const QColor kSubVolt(0x8E, 0x5B, 0xB0);
const QColor kSpeed(0xD1, 0x3B, 0x3B);
const QColor kTemperature(0x9C, 0x6B, 0x30);
const QColor kMotor(0x37, 0x41, 0x51);
const QColor kGrid(0xE3, 0xE6, 0xEA);
const QColor kAxisText(0x45, 0x4B, 0x55);
const QColor kHiddenText(0xB0, 0xB6, 0xBE);
const QColor kMarker(0x6B, 0x72, 0x80);

// Columns a chart is first thinned to, before it knows its width.
constexpr int kDefaultPixels = 1200;
constexpr qreal kMarkerZ = 15;

struct ChartSpec {
    QString title;  // the value axis title
    std::vector<ChannelSpec> channels;
    QString rightTitle;
};

std::vector<ChartSpec> ChartSpecs() {
    using M = MainChannel;
    using E = EnergyChannel;
    const QString wh = QStringLiteral("Wh");
    // A main column's unit and decimals are the data file's.
    const auto main = [](const char* key, const QString& name, const QColor& color, bool right,
                         M column) {
        return ChannelSpec{QLatin1String(key),
                           name,
                           ColumnOf(column).unit.toString(),
                           ColumnOf(column).decimals,
                           color,
                           right,
                           column,
                           {}};
    };
    const auto energy = [](const char* key, const QString& name, const QString& unit,
                           const QColor& color, bool right, E channel) {
        return ChannelSpec{QLatin1String(key), name, unit, 1, color, right, {}, channel};
    };
    return {
        {QCoreApplication::translate("RunCharts", "電流 [A]"),
         {main("solar_a", QCoreApplication::translate("RunCharts", "ソーラー電流"), kSolar, false,
               M::SolarA),
          main("battery_a", QCoreApplication::translate("RunCharts", "バッテリー電流"), kBattery,
               false, M::BatteryA)},
         {}},
        {QCoreApplication::translate("RunCharts", "電力 [W]"),
         {main("solar_w", QCoreApplication::translate("RunCharts", "ソーラー電力"), kSolar, false,
               M::SolarW),
          main("battery_w", QCoreApplication::translate("RunCharts", "バッテリー電力"), kBattery,
               false, M::BatteryW)},
         {}},
        {QCoreApplication::translate("RunCharts", "メイン電圧 [V]"),
         {main("main_v", QCoreApplication::translate("RunCharts", "メイン電圧"), kMainVolt, false,
               M::MainV),
          main("sub_v", QCoreApplication::translate("RunCharts", "サブ電圧"), kSubVolt, true,
               M::SubV)},
         QCoreApplication::translate("RunCharts", "サブ電圧 [V]")},
        {QCoreApplication::translate("RunCharts", "速度 [km/h]"),
         {main("speed_kmh", QCoreApplication::translate("RunCharts", "速度"), kSpeed, false,
               M::SpeedKmh)},
         {}},
        {QCoreApplication::translate("RunCharts", "電力量 [Wh]"),
         {energy("solar_wh", QCoreApplication::translate("RunCharts", "ソーラー積算"), wh, kSolar,
                 false, E::SolarWh),
          energy("battery_wh", QCoreApplication::translate("RunCharts", "バッテリー積算"), wh,
                 kBattery, false, E::BatteryWh),
          energy("motor_wh", QCoreApplication::translate("RunCharts", "モーター積算"), wh, kMotor,
                 false, E::MotorWh),
          energy("remaining_ah", QCoreApplication::translate("RunCharts", "バッテリー残量"),
                 QStringLiteral("Ah"), kMainVolt, true, E::RemainingAh)},
         QCoreApplication::translate("RunCharts", "残量 [Ah]")},
        {QCoreApplication::translate("RunCharts", "温度 [℃]"),
         {{QStringLiteral("temperature"),
           QCoreApplication::translate("RunCharts", "温度"),
           kTemperatureColumn.unit.toString(),
           kTemperatureColumn.decimals,
           kTemperature,
           false,
           {},
           {}}},
         {}},
    };
}

bool IsTemperature(const ChannelSpec& channel) {
    return !channel.column && !channel.energy;
}

// A channel's colour for the compared run: halfway to white.
QColor Lighter(const QColor& color) {
    return QColor((color.red() + 255) / 2, (color.green() + 255) / 2, (color.blue() + 255) / 2);
}

QFont SmallFont(int pointSize, bool bold = false) {
    QFont font;
    font.setPointSize(pointSize);
    font.setBold(bold);
    return font;
}

void StyleAxis(QValueAxis* axis, const QString& title, const QColor& titleColor) {
    axis->setTitleText(title);
    axis->setTitleFont(SmallFont(8, true));
    axis->setTitleBrush(titleColor);
    axis->setLabelsFont(SmallFont(8));
    axis->setLabelsBrush(kAxisText);
    axis->setGridLineColor(kGrid);
    axis->setMinorGridLineVisible(false);
    axis->setLinePenColor(QColor(0xB0, 0xB6, 0xBE));
    axis->setLabelFormat(QStringLiteral("%g"));
}

QValueAxis* MakeValueAxis(const QString& title, const QColor& titleColor) {
    auto* axis = new QValueAxis;
    StyleAxis(axis, title, titleColor);
    return axis;
}

// A value range with a little air, on round ticks at most four steps apart (stacked charts are
// short: more labels would not fit); a flat or empty channel still gets a range of its own.
void FitValueAxis(QValueAxis* axis, double low, double high) {
    if (!(low <= high)) {
        low = 0.0;
        high = 1.0;
    }
    if (high - low < 1e-9) {
        low -= 1.0;
        high += 1.0;
    }
    const double air = (high - low) * 0.05;
    // A quantity that never goes below zero (speed, sunlight) keeps zero as its floor.
    low = low >= 0.0 ? std::max(0.0, low - air) : low - air;
    high += air;
    const double magnitude = std::pow(10.0, std::floor(std::log10((high - low) / 4)));
    double step = 10 * magnitude;
    for (const double factor : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        const double candidate = factor * magnitude;
        if (std::ceil(high / candidate - 1e-9) - std::floor(low / candidate + 1e-9) <= 4) {
            step = candidate;
            break;
        }
    }
    const double first = std::floor(low / step + 1e-9) * step;
    const double last = std::ceil(high / step - 1e-9) * step;
    axis->setRange(first, last);
    axis->setTickCount(static_cast<int>(std::lround((last - first) / step)) + 1);
}

// A time in minutes as h:mm, or h:mm:ss when the ticks are less than a minute apart.
QString ClockLabel(double minutes, bool seconds) {
    const long long total = std::llround(minutes * 60.0);
    const long long sign = total < 0 ? -1 : 1;
    const long long t = total * sign;
    QString text = QStringLiteral("%1:%2").arg(t / 3600).arg(t / 60 % 60, 2, 10, QChar(u'0'));
    if (seconds) text += QStringLiteral(":%1").arg(t % 60, 2, 10, QChar(u'0'));
    return sign < 0 ? u'-' + text : text;
}

// Ticks on round times (h:mm) or record numbers: about eight to twelve across the range shown,
// each a category of the axis that ends at its tick and carries its label there.
void LabelTimeAxis(QValueAxis* axis, double min, double max, bool clock) {
    auto* categories = qobject_cast<QCategoryAxis*>(axis);
    if (!categories || !(max > min)) return;
    static const double kMinuteSteps[] = {1.0 / 6, 0.25, 0.5, 1,   2,   5,   10,  15,
                                          20,      30,   60,  120, 180, 240, 360, 600};
    static const double kRecordSteps[] = {1,   2,   5,    10,   20,   50,    100,
                                          200, 500, 1000, 2000, 5000, 10000, 20000};
    const double* steps = clock ? std::begin(kMinuteSteps) : std::begin(kRecordSteps);
    const double* last = clock ? std::end(kMinuteSteps) : std::end(kRecordSteps);
    double step = *(last - 1);
    for (const double* candidate = steps; candidate != last; ++candidate) {
        if ((max - min) / *candidate <= 12) {
            step = *candidate;
            break;
        }
    }
    for (const QString& label : categories->categoriesLabels()) categories->remove(label);
    categories->setStartValue(min - step);
    const bool seconds = step < 1.0;
    for (double k = std::ceil(min / step - 1e-9); k * step <= max + 1e-9; ++k) {
        const double at = k * step;
        categories->append(clock ? ClockLabel(at, seconds) : QString::number(std::llround(at)), at);
    }
}

}  // namespace

// ---- RunTimeline ------------------------------------------------------------------------------

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

std::optional<int> RunTimeline::mainRowAt(double x) const {
    const double row = intervalS_ ? x * 60.0 / *intervalS_ : x - 1.0;
    if (!std::isfinite(row)) return std::nullopt;
    const auto nearest = static_cast<long long>(std::llround(row));
    if (nearest < 0 || nearest >= mainRows_) return std::nullopt;
    return static_cast<int>(nearest);
}

std::optional<int> RunTimeline::temperatureRowAt(double x) const {
    const double row = x * 60.0 / temperatureIntervalS_;
    if (!std::isfinite(row)) return std::nullopt;
    const auto nearest = static_cast<long long>(std::llround(row));
    if (nearest < 0 || nearest >= temperatureRows_) return std::nullopt;
    return static_cast<int>(nearest);
}

QString RunTimeline::instantText(double x) const {
    return minutes() ? ClockOfMinutes(x)
                     : QCoreApplication::translate("RunCharts", "記録 %1").arg(std::llround(x));
}

QString RunTimeline::ClockOfMinutes(double minutes) {
    const long long seconds = std::llround(std::max(0.0, minutes) * 60.0);
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QChar(u'0'))
        .arg(seconds % 60, 2, 10, QChar(u'0'));
}

// ---- Lap markers ------------------------------------------------------------------------------

LapMarkers::LapMarkers(QChart* chart, QValueAxis* axis)
    : QGraphicsItem(chart), chart_(chart), axis_(axis) {
    setZValue(kMarkerZ);
}

void LapMarkers::setLaps(std::vector<std::pair<double, int>> laps) {
    laps_ = std::move(laps);
    update();
}

void LapMarkers::refresh() {
    prepareGeometryChange();  // the chart's size may have changed, and the bounds with it
    update();
}

QRectF LapMarkers::boundingRect() const {
    return QRectF(QPointF(0, 0), chart_->size());
}

void LapMarkers::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    const QRectF area = chart_->plotArea();
    const double min = axis_->min();
    const double max = axis_->max();
    if (laps_.empty() || !(max > min) || area.isEmpty()) return;
    painter->save();
    painter->setClipRect(area);
    QColor line = kMarker;
    line.setAlpha(110);
    painter->setPen(QPen(line, 0));
    // In the chart's own units, as its other texts: a paper's resolution does not enlarge it.
    QFont font;
    font.setPixelSize(9);
    painter->setFont(font);
    const QFontMetricsF metrics(font);
    // Every lap while they are far enough apart, else every 2nd, 5th, 10th... lap: lines at
    // least 6 units apart, numbers where they do not touch.
    const auto visible = std::count_if(laps_.begin(), laps_.end(), [min, max](const auto& lap) {
        return lap.first >= min && lap.first <= max;
    });
    const qreal spacing = area.width() / std::max<qsizetype>(visible, 1);
    const auto stride = [spacing](qreal apart) {
        for (const int k : {1, 2, 5, 10, 20, 50, 100}) {
            if (spacing * k >= apart) return k;
        }
        return 200;
    };
    const int lineStride = stride(6);
    const int labelStride = stride(metrics.horizontalAdvance(QStringLiteral("000")) + 8);
    for (const auto& [x, lap] : laps_) {
        if (x < min || x > max || lap % lineStride != 0) continue;
        const qreal px = area.left() + (x - min) / (max - min) * area.width();
        painter->setPen(QPen(line, 0));
        painter->drawLine(QPointF(px, area.top()), QPointF(px, area.bottom()));
        if (lap % labelStride == 0) {
            painter->setPen(kMarker);
            painter->drawText(QPointF(px + 2, area.top() + metrics.ascent() + 1),
                              QString::number(lap));
        }
    }
    painter->restore();
}

// ---- Charts -----------------------------------------------------------------------------------

namespace {

QChart* NewChart() {
    auto* chart = new QChart;
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(2, 0, 2, 0));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setPlotAreaBackgroundBrush(kPlotAreaColor);
    chart->setPlotAreaBackgroundVisible(true);
    // Beside the plot rather than above it: stacked charts are short, wide screens are not.
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->legend()->setFont(SmallFont(8));
    chart->legend()->setLabelColor(kAxisText);
    chart->legend()->setMarkerShape(QLegend::MarkerShapeRectangle);
    return chart;
}

QLineSeries* NewSeries(const QString& name, const QColor& color) {
    auto* series = new QLineSeries;
    series->setName(name);
    QPen pen(color);
    pen.setWidthF(1.2);
    pen.setCosmetic(true);
    series->setPen(pen);
    return series;
}

// Each value axis fitted to the points of its channels, the compared run's included.
void FitValueAxes(RunChart& rc) {
    double low[2] = {INFINITY, INFINITY};
    double high[2] = {-INFINITY, -INFINITY};
    const auto take = [&](std::size_t c, const QList<QPointF>& points) {
        const int side = rc.channels[c].rightAxis ? 1 : 0;
        for (const QPointF& p : points) {
            low[side] = std::min(low[side], p.y());
            high[side] = std::max(high[side], p.y());
        }
    };
    for (std::size_t c = 0; c < rc.channels.size(); ++c) {
        take(c, rc.points[c]);
        if (c < rc.comparisonPoints.size()) take(c, rc.comparisonPoints[c]);
    }
    for (int side : {0, 1}) {
        if (rc.valueAxes[side]) FitValueAxis(rc.valueAxes[side], low[side], high[side]);
    }
}

// One chart of the stack: its time axis, a value axis on the left (and one on the right when a
// channel uses it), a series per channel, each value axis fitted to its channels.
RunChart BuildChart(const RunData& run, const RunEnergy& energy, const RunTimeline& timeline,
                    const ChartSpec& design) {
    RunChart rc;
    rc.temperature = IsTemperature(design.channels.front());
    rc.sharesTime = !rc.temperature || timeline.temperaturesShareTime();
    rc.channels = design.channels;
    rc.chart = NewChart();

    rc.timeAxis = new QCategoryAxis;
    static_cast<QCategoryAxis*>(rc.timeAxis)
        ->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    StyleAxis(rc.timeAxis, QString(), kAxisText);
    rc.timeAxis->setProperty("clock", !rc.sharesTime || timeline.minutes());
    rc.chart->addAxis(rc.timeAxis, Qt::AlignBottom);
    if (rc.sharesTime) {
        rc.timeAxis->setRange(timeline.start(), timeline.end());
    } else {
        const int last = static_cast<int>(run.temperatures.size()) - 1;
        rc.timeAxis->setRange(0.0, std::max(1.0, timeline.temperatureX(last)));
        rc.timeAxis->setTitleText(
            QCoreApplication::translate("RunCharts", "温度の経過時間 [時:分]"));
    }

    rc.valueAxes[0] = MakeValueAxis(design.title, design.channels.front().color.darker(130));
    rc.chart->addAxis(rc.valueAxes[0], Qt::AlignLeft);
    if (!design.rightTitle.isEmpty()) {
        rc.valueAxes[1] =
            MakeValueAxis(design.rightTitle, design.channels.back().color.darker(130));
        rc.valueAxes[1]->setGridLineVisible(false);
        rc.chart->addAxis(rc.valueAxes[1], Qt::AlignRight);
    }
    for (const ChannelSpec& channel : design.channels) {
        QLineSeries* series = NewSeries(channel.name, channel.color);
        rc.chart->addSeries(series);
        series->attachAxis(rc.timeAxis);
        series->attachAxis(rc.valueAxes[channel.rightAxis ? 1 : 0]);
        rc.points.push_back(ChannelPoints(run, energy, channel));
        rc.series.push_back(series);
    }
    FitValueAxes(rc);
    rc.markers = new LapMarkers(rc.chart, rc.timeAxis);
    ShowTimeRange(rc, rc.timeAxis->min(), rc.timeAxis->max(), kDefaultPixels);
    return rc;
}

}  // namespace

QList<QPointF> ChannelPoints(const RunData& run, const RunEnergy& energy,
                             const ChannelSpec& channel, double offset) {
    const RunTimeline timeline(run);
    QList<QPointF> points;
    if (IsTemperature(channel)) {
        for (std::size_t i = 0; i < run.temperatures.size(); ++i) {
            const auto& t = run.temperatures[i];
            if (t) points.append(QPointF(timeline.temperatureX(static_cast<int>(i)) + offset, *t));
        }
        return points;
    }
    const auto& column =
        channel.column ? run.channel(*channel.column) : energy.channel(*channel.energy);
    points.reserve(static_cast<qsizetype>(column.size()));
    for (std::size_t i = 0; i < column.size(); ++i) {
        if (column[i]) {
            points.append(QPointF(timeline.mainX(static_cast<int>(i)) + offset, *column[i]));
        }
    }
    return points;
}

void SetChannelPoints(RunChart& chart, std::size_t channel, QList<QPointF> points) {
    chart.points.at(channel) = std::move(points);
    FitValueAxes(chart);
}

void SetComparison(std::vector<RunChart>& charts, const RunData* other, const RunEnergy& energy,
                   double offset) {
    for (RunChart& chart : charts) {
        if (!other) {
            for (QLineSeries* series : chart.comparison) {
                chart.chart->removeSeries(series);
                delete series;
            }
            chart.comparison.clear();
            chart.comparisonPoints.clear();
            FitValueAxes(chart);
            continue;
        }
        const bool fresh = chart.comparison.empty();
        chart.comparisonPoints.clear();
        for (std::size_t c = 0; c < chart.channels.size(); ++c) {
            const ChannelSpec& channel = chart.channels[c];
            chart.comparisonPoints.push_back(ChannelPoints(*other, energy, channel, offset));
            if (!fresh) continue;
            QLineSeries* series = NewSeries(channel.name, Lighter(channel.color));
            chart.chart->addSeries(series);
            series->attachAxis(chart.timeAxis);
            series->attachAxis(chart.valueAxes[channel.rightAxis ? 1 : 0]);
            series->setVisible(chart.series[c]->isVisible());
            series->setProperty("comparison", true);
            chart.comparison.push_back(series);
        }
        if (fresh) {
            // The run's own lines are drawn over the compared ones: added again after them.
            // Their legend entries are new then; the caller styles and connects them again.
            for (std::size_t c = 0; c < chart.series.size(); ++c) {
                QLineSeries* own = chart.series[c];
                const bool visible = own->isVisible();
                chart.chart->removeSeries(own);
                chart.chart->addSeries(own);
                own->attachAxis(chart.timeAxis);
                own->attachAxis(chart.valueAxes[chart.channels[c].rightAxis ? 1 : 0]);
                own->setVisible(visible);
            }
        }
        for (QLegendMarker* marker : chart.chart->legend()->markers()) {
            if (marker->series()->property("comparison").toBool()) marker->setVisible(false);
        }
        FitValueAxes(chart);
    }
}

void ShowChannel(std::vector<RunChart>& charts, const QString& key, bool shown) {
    for (RunChart& chart : charts) {
        for (std::size_t c = 0; c < chart.channels.size(); ++c) {
            if (chart.channels[c].key != key) continue;
            chart.series[c]->setVisible(shown);
            if (c < chart.comparison.size()) chart.comparison[c]->setVisible(shown);
            for (QLegendMarker* marker : chart.chart->legend()->markers(chart.series[c])) {
                marker->setVisible(true);
                marker->setLabelBrush(shown ? kAxisText : kHiddenText);
                marker->setBrush(shown ? chart.channels[c].color : Lighter(kHiddenText));
            }
        }
    }
}

std::vector<std::pair<double, int>> LapMarks(const RunData& run, double lapStartS) {
    std::vector<std::pair<double, int>> marks;
    if (!run.intervalS) return marks;
    for (const LapFigures& lap : LapTable(run, lapStartS)) {
        if (lap.start_s) marks.emplace_back(*lap.start_s / 60.0, lap.lap);
    }
    return marks;
}

std::vector<RunChart> BuildRunCharts(const RunData& run, const RunEnergy& energy) {
    const RunTimeline timeline(run);
    std::vector<RunChart> charts;
    for (const ChartSpec& design : ChartSpecs()) {
        const ChannelSpec& first = design.channels.front();
        if (IsTemperature(first) && run.temperatures.empty()) continue;
        if (first.energy && !timeline.minutes()) continue;
        charts.push_back(BuildChart(run, energy, timeline, design));
    }

    // Stacked charts read like one: only the bottom one (and a temperature chart on its own time
    // base) labels its time axis.
    for (std::size_t i = 0; i < charts.size(); ++i) {
        const bool bottomOfShared =
            charts[i].sharesTime && (i + 1 == charts.size() || !charts[i + 1].sharesTime);
        if (charts[i].sharesTime && !bottomOfShared) {
            charts[i].timeAxis->setLabelsVisible(false);
        } else if (charts[i].sharesTime) {
            charts[i].timeAxis->setTitleText(timeline.axisTitle());
        }
    }
    return charts;
}

namespace {

// The points of [first, last) that `pixels` columns over [min, max] can show.
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
    long long current = -1;
    const auto flush = [&] {
        if (current < 0) return;
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

}  // namespace

void ShowTimeRange(RunChart& chart, double min, double max, int pixels) {
    LabelTimeAxis(chart.timeAxis, min, max, chart.timeAxis->property("clock").toBool());
    pixels = std::max(pixels, 16);
    for (std::size_t s = 0; s < chart.series.size(); ++s) {
        chart.series[s]->replace(Thinned(chart.points[s], min, max, pixels));
    }
    for (std::size_t s = 0; s < chart.comparison.size(); ++s) {
        chart.comparison[s]->replace(Thinned(chart.comparisonPoints[s], min, max, pixels));
    }
    if (chart.markers) chart.markers->refresh();
}

QString ChannelValueText(const RunData& run, const RunEnergy& energy, const RunTimeline& timeline,
                         const ChannelSpec& design, double x, bool onTemperatureAxis) {
    const QString none = QStringLiteral("—");
    std::optional<double> value;
    if (!IsTemperature(design)) {
        if (onTemperatureAxis) return none;
        if (const auto row = timeline.mainRowAt(x)) {
            const auto& column =
                design.column ? run.channel(*design.column) : energy.channel(*design.energy);
            value = column[static_cast<std::size_t>(*row)];
        }
    } else {
        if (!onTemperatureAxis && !timeline.temperaturesShareTime()) return none;
        if (const auto row = timeline.temperatureRowAt(x)) {
            const auto& t = run.temperatures[static_cast<std::size_t>(*row)];
            if (t) value = *t;
        }
    }
    if (!value) return none;
    return QString::number(*value, 'f', design.decimals) + u' ' + design.unit;
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
    if (!timeline.minutes()) {
        return QStringLiteral("%1 – %2").arg(timeline.instantText(min), timeline.instantText(max));
    }
    return RunTimeline::ClockOfMinutes(min) + QStringLiteral(" – ") +
           RunTimeline::ClockOfMinutes(max);
}

void AlignPlotAreas(const std::vector<QChart*>& charts) {
    if (charts.empty()) return;
    // The plot area's natural edges with the base margins, then margins that make up the
    // difference to the widest axes: the layout itself then puts every plot area, axis, grid and
    // series at the same left and right edge.
    const QMargins base(2, 0, 2, 0);
    qreal left = 0.0;
    qreal right = 0.0;
    std::vector<std::pair<qreal, qreal>> natural;
    for (QChart* chart : charts) {
        chart->setMargins(base);
        chart->layout()->invalidate();
        chart->layout()->activate();
        const QRectF area = chart->plotArea();
        natural.emplace_back(area.left(), chart->size().width() - area.right());
        left = std::max(left, natural.back().first);
        right = std::max(right, natural.back().second);
    }
    for (std::size_t i = 0; i < charts.size(); ++i) {
        charts[i]->setMargins(QMargins(base.left() + qRound(left - natural[i].first), base.top(),
                                       base.right() + qRound(right - natural[i].second),
                                       base.bottom()));
        charts[i]->layout()->activate();
    }
}

}  // namespace yb
