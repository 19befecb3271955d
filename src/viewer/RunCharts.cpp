#include "viewer/RunCharts.h"

#include <QChart>
#include <QGraphicsLayout>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace yb {

namespace {

// A palette that stays apart on screen and on paper: solar warm, battery cool.
const QColor kSolar(0xE8, 0x7D, 0x1E);
const QColor kBattery(0x2F, 0x6D, 0xB5);
const QColor kMainVolt(0x2E, 0x9E, 0x5B);
const QColor kSubVolt(0x8E, 0x5B, 0xB0);
const QColor kSpeed(0xD1, 0x3B, 0x3B);
const QColor kTemperature(0x9C, 0x6B, 0x30);
const QColor kGrid(0xE3, 0xE6, 0xEA);
const QColor kAxisText(0x45, 0x4B, 0x55);

// Columns a chart is first thinned to, before it knows its width.
constexpr int kDefaultPixels = 1200;

struct ChartSpec {
    QString title;  // the value axis title
    std::vector<ChannelSpec> channels;
    QString rightTitle;
};

std::vector<ChartSpec> ChartSpecs() {
    using M = MainChannel;
    const QString amps = QStringLiteral("A");
    const QString watts = QStringLiteral("W");
    const QString volts = QStringLiteral("V");
    return {
        {QStringLiteral("電流 [A]"),
         {{QStringLiteral("ソーラー電流"), amps, 2, kSolar, false, M::SolarA},
          {QStringLiteral("バッテリー電流"), amps, 2, kBattery, false, M::BatteryA}},
         {}},
        {QStringLiteral("電力 [W]"),
         {{QStringLiteral("ソーラー電力"), watts, 1, kSolar, false, M::SolarW},
          {QStringLiteral("バッテリー電力"), watts, 1, kBattery, false, M::BatteryW}},
         {}},
        {QStringLiteral("メイン電圧 [V]"),
         {{QStringLiteral("メイン電圧"), volts, 1, kMainVolt, false, M::MainV},
          {QStringLiteral("サブ電圧"), volts, 1, kSubVolt, true, M::SubV}},
         QStringLiteral("サブ電圧 [V]")},
        {QStringLiteral("速度 [km/h]"),
         {{QStringLiteral("速度"), QStringLiteral("km/h"), 0, kSpeed, false, M::SpeedKmh}},
         {}},
        {QStringLiteral("温度 [℃]"),
         {{QStringLiteral("温度"), QStringLiteral("℃"), 0, kTemperature, false, std::nullopt}},
         {}},
    };
}

QFont SmallFont(int pointSize, bool bold = false) {
    QFont font;
    font.setPointSize(pointSize);
    font.setBold(bold);
    return font;
}

QValueAxis* MakeValueAxis(const QString& title, const QColor& titleColor) {
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    axis->setTitleFont(SmallFont(8, true));
    axis->setTitleBrush(titleColor);
    axis->setLabelsFont(SmallFont(8));
    axis->setLabelsBrush(kAxisText);
    axis->setGridLineColor(kGrid);
    axis->setMinorGridLineVisible(false);
    axis->setLinePenColor(QColor(0xB0, 0xB6, 0xBE));
    axis->setLabelFormat(QStringLiteral("%g"));
    return axis;
}

// A value range with a little air, rounded to readable ticks; a flat or empty channel still gets
// a range of its own.
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
    axis->setRange(low >= 0.0 ? std::max(0.0, low - air) : low - air, high + air);
    axis->setTickCount(5);
    axis->applyNiceNumbers();
}

// Ticks on round times (or record numbers): about eight to twelve across the range shown.
void FitTimeTicks(QValueAxis* axis, double min, double max) {
    static const double kSteps[] = {0.1, 0.2, 0.5, 1,   2,   5,    10,   15,   20,    30,   60,
                                    120, 180, 240, 360, 600, 1200, 3000, 6000, 12000, 30000};
    double step = kSteps[std::size(kSteps) - 1];
    for (const double candidate : kSteps) {
        if ((max - min) / candidate <= 12) {
            step = candidate;
            break;
        }
    }
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0.0);
    axis->setTickInterval(step);
    axis->setLabelFormat(step < 1 ? QStringLiteral("%.1f") : QStringLiteral("%.0f"));
}

}  // namespace

// ---- RunTimeline ------------------------------------------------------------------------------

RunTimeline::RunTimeline(const RunData& run)
    : intervalS_(run.intervalS),
      temperatureIntervalS_(run.temperatureIntervalS),
      mainRows_(run.mainRows()),
      temperatureRows_(static_cast<int>(run.temperatures.size())) {}

QString RunTimeline::axisTitle() const {
    return minutes() ? QStringLiteral("経過時間 [分]") : QStringLiteral("記録番号 (記録間隔不明)");
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
    return minutes() ? ClockOfMinutes(x) : QStringLiteral("記録 %1").arg(std::llround(x));
}

QString RunTimeline::ClockOfMinutes(double minutes) {
    const long long seconds = std::llround(std::max(0.0, minutes) * 60.0);
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QChar(u'0'))
        .arg(seconds % 60, 2, 10, QChar(u'0'));
}

// ---- Charts -----------------------------------------------------------------------------------

namespace {

QChart* NewChart() {
    auto* chart = new QChart;
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(2, 0, 2, 0));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignTop);
    chart->legend()->setFont(SmallFont(8));
    chart->legend()->setMarkerShape(QLegend::MarkerShapeRectangle);
    return chart;
}

// The points of one channel on the run's time line: its main column, or the temperatures.
QList<QPointF> ChannelPoints(const RunData& run, const RunTimeline& timeline,
                             const ChannelSpec& channel) {
    QList<QPointF> points;
    if (channel.column) {
        const auto& column = run.channel(*channel.column);
        points.reserve(static_cast<qsizetype>(column.size()));
        for (std::size_t i = 0; i < column.size(); ++i) {
            if (column[i]) points.append(QPointF(timeline.mainX(static_cast<int>(i)), *column[i]));
        }
    } else {
        for (std::size_t i = 0; i < run.temperatures.size(); ++i) {
            const auto& t = run.temperatures[i];
            if (t) points.append(QPointF(timeline.temperatureX(static_cast<int>(i)), *t));
        }
    }
    return points;
}

QLineSeries* NewSeries(const ChannelSpec& channel) {
    auto* series = new QLineSeries;
    series->setName(channel.name);
    QPen pen(channel.color);
    pen.setWidthF(1.2);
    pen.setCosmetic(true);
    series->setPen(pen);
    return series;
}

// One chart of the stack: its time axis, a value axis on the left (and one on the right when a
// channel uses it), a series per channel, each value axis fitted to its channels.
RunChart BuildChart(const RunData& run, const RunTimeline& timeline, const ChartSpec& design) {
    RunChart rc;
    rc.temperature = !design.channels.front().column.has_value();
    rc.sharesTime = !rc.temperature || timeline.temperaturesShareTime();
    rc.channels = design.channels;
    rc.chart = NewChart();

    rc.timeAxis = MakeValueAxis(QString(), kAxisText);
    rc.chart->addAxis(rc.timeAxis, Qt::AlignBottom);
    if (rc.sharesTime) {
        rc.timeAxis->setRange(timeline.start(), timeline.end());
    } else {
        const int last = static_cast<int>(run.temperatures.size()) - 1;
        rc.timeAxis->setRange(0.0, std::max(1.0, timeline.temperatureX(last)));
        rc.timeAxis->setTitleText(QStringLiteral("温度の経過時間 [分]"));
    }

    QValueAxis* axes[2] = {MakeValueAxis(design.title, design.channels.front().color.darker(130)),
                           nullptr};
    rc.chart->addAxis(axes[0], Qt::AlignLeft);
    if (!design.rightTitle.isEmpty()) {
        axes[1] = MakeValueAxis(design.rightTitle, design.channels.back().color.darker(130));
        axes[1]->setGridLineVisible(false);
        rc.chart->addAxis(axes[1], Qt::AlignRight);
    }
    double low[2] = {INFINITY, INFINITY};
    double high[2] = {-INFINITY, -INFINITY};
    for (const ChannelSpec& channel : design.channels) {
        const int side = channel.rightAxis ? 1 : 0;
        QList<QPointF> points = ChannelPoints(run, timeline, channel);
        for (const QPointF& p : points) {
            low[side] = std::min(low[side], p.y());
            high[side] = std::max(high[side], p.y());
        }
        QLineSeries* series = NewSeries(channel);
        rc.chart->addSeries(series);
        series->attachAxis(rc.timeAxis);
        series->attachAxis(axes[side]);
        rc.points.push_back(std::move(points));
        rc.series.push_back(series);
    }
    for (int side : {0, 1}) {
        if (axes[side]) FitValueAxis(axes[side], low[side], high[side]);
    }
    ShowTimeRange(rc, rc.timeAxis->min(), rc.timeAxis->max(), kDefaultPixels);
    return rc;
}

}  // namespace

std::vector<RunChart> BuildRunCharts(const RunData& run) {
    const RunTimeline timeline(run);
    std::vector<RunChart> charts;
    for (const ChartSpec& design : ChartSpecs()) {
        const bool temperature = !design.channels.front().column.has_value();
        if (temperature && run.temperatures.empty()) continue;
        charts.push_back(BuildChart(run, timeline, design));
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

void ShowTimeRange(RunChart& chart, double min, double max, int pixels) {
    FitTimeTicks(chart.timeAxis, min, max);
    pixels = std::max(pixels, 16);
    const auto byX = [](const QPointF& p, double x) { return p.x() < x; };
    for (std::size_t s = 0; s < chart.series.size(); ++s) {
        const QList<QPointF>& all = chart.points[s];
        qsizetype first = std::lower_bound(all.begin(), all.end(), min, byX) - all.begin();
        qsizetype last = std::lower_bound(all.begin(), all.end(), max, byX) - all.begin();
        first = std::max<qsizetype>(first - 1, 0);
        last = std::min<qsizetype>(last + 1, all.size());  // one past the end
        if (last - first <= 2 * pixels) {
            chart.series[s]->replace(all.mid(first, last - first));
            continue;
        }
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
        chart.series[s]->replace(shown);
    }
}

QString ChannelValueText(const RunData& run, const RunTimeline& timeline, const ChannelSpec& design,
                         double x, bool onTemperatureAxis) {
    const QString none = QStringLiteral("—");
    std::optional<double> value;
    if (design.column) {
        if (onTemperatureAxis) return none;
        if (const auto row = timeline.mainRowAt(x)) {
            value = run.channel(*design.column)[static_cast<std::size_t>(*row)];
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

void AlignPlotAreas(const std::vector<QChart*>& charts) {
    if (charts.empty()) return;
    double left = 0.0;
    double right = 0.0;
    for (QChart* chart : charts) {
        chart->setPlotArea(QRectF());  // back to the layout's own choice
        chart->layout()->invalidate();
        chart->layout()->activate();
        const QRectF area = chart->plotArea();
        left = std::max(left, area.left());
        right = std::max(right, chart->size().width() - area.right());
    }
    for (QChart* chart : charts) {
        const QRectF area = chart->plotArea();
        chart->setPlotArea(
            QRectF(left, area.top(), chart->size().width() - right - left, area.height()));
    }
}

}  // namespace yb
