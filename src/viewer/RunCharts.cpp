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
#include "export/RunTables.h"
#include "viewer/Palette.h"

namespace yb {

namespace {

using namespace palette;

// Columns a chart is first thinned to, before it knows its width.
constexpr int kDefaultPixels = 1200;
constexpr qreal kMarkerZ = 15;
// The air above and below a chart's values, as a share of their span.
constexpr double kValueAir = 0.05;
constexpr int kMostValueTicks = 4;

struct ChartSpec {
    QString title;  // the value axis title
    std::vector<ChannelSpec> channels;
    QString rightTitle;
};

std::vector<ChartSpec> ChartSpecs() {
    using M = MainChannel;
    using E = EnergyChannel;
    // A channel's key (its stable name), unit and decimals are its column's.
    const auto main = [](const QString& name, const QColor& color, bool right, M column) {
        const Column& c = ColumnOf(column);
        return ChannelSpec{
            c.name.toString(), name, c.unit.toString(), c.decimals, color, right, column, {}};
    };
    const auto energy = [](const QString& name, const QColor& color, bool right, E channel) {
        const EnergyColumn& c = ColumnOf(channel);
        return ChannelSpec{
            c.name.toString(), name, c.unit.toString(), 1, color, right, {}, channel};
    };
    return {
        {QCoreApplication::translate("RunCharts", "電流 [A]"),
         {main(QCoreApplication::translate("RunCharts", "ソーラー電流"), kSolar, false, M::SolarA),
          main(QCoreApplication::translate("RunCharts", "バッテリー電流"), kBattery, false,
               M::BatteryA)},
         {}},
        {QCoreApplication::translate("RunCharts", "電力 [W]"),
         {main(QCoreApplication::translate("RunCharts", "ソーラー電力"), kSolar, false, M::SolarW),
          main(QCoreApplication::translate("RunCharts", "バッテリー電力"), kBattery, false,
               M::BatteryW)},
         {}},
        {QCoreApplication::translate("RunCharts", "メイン電圧 [V]"),
         {main(QCoreApplication::translate("RunCharts", "メイン電圧"), kMainVolt, false, M::MainV),
          main(QCoreApplication::translate("RunCharts", "サブ電圧"), kSubVolt, true, M::SubV)},
         QCoreApplication::translate("RunCharts", "サブ電圧 [V]")},
        {QCoreApplication::translate("RunCharts", "速度 [km/h]"),
         {main(QCoreApplication::translate("RunCharts", "速度"), kSpeed, false, M::SpeedKmh)},
         {}},
        {QCoreApplication::translate("RunCharts", "電力量 [Wh]"),
         {energy(QCoreApplication::translate("RunCharts", "ソーラー積算"), kSolar, false,
                 E::SolarWh),
          energy(QCoreApplication::translate("RunCharts", "バッテリー積算"), kBattery, false,
                 E::BatteryWh),
          energy(QCoreApplication::translate("RunCharts", "モーター積算"), kMotor, false,
                 E::MotorWh),
          energy(QCoreApplication::translate("RunCharts", "バッテリー残量"), kMainVolt, true,
                 E::RemainingAh)},
         QCoreApplication::translate("RunCharts", "残量 [Ah]")},
        {QCoreApplication::translate("RunCharts", "温度 [℃]"),
         {{kTemperatureKey,
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
    axis->setLinePenColor(kLine);
    axis->setLabelFormat(QStringLiteral("%g"));
}

}  // namespace

QValueAxis* MakeValueAxis(const QString& title, const QColor& titleColor) {
    auto* axis = new QValueAxis;
    StyleAxis(axis, title, titleColor);
    return axis;
}

void FitValueAxis(QValueAxis* axis, double low, double high) {
    if (!(low <= high)) {
        low = 0.0;
        high = 1.0;
    }
    if (high - low < 1e-9) {
        low -= 1.0;
        high += 1.0;
    }
    const double air = (high - low) * kValueAir;
    low = low >= 0.0 ? std::max(0.0, low - air) : low - air;
    high += air;
    const double magnitude = std::pow(10.0, std::floor(std::log10((high - low) / 4)));
    double step = 10 * magnitude;  // fewer than four steps over the range: at most four ticks
    for (const double factor : {1.0, 2.0, 2.5, 5.0}) {
        const double candidate = factor * magnitude;
        if (std::floor(high / candidate + 1e-9) - std::ceil(low / candidate - 1e-9) + 1 <=
            kMostValueTicks) {
            step = candidate;
            break;
        }
    }
    axis->setRange(low, high);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0.0);
    axis->setTickInterval(step);
}

namespace {

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
        categories->append(
            clock ? ClockText(at * 60.0, seconds ? ClockForm::Long : ClockForm::HoursMinutes)
                  : QString::number(std::llround(at)),
            at);
    }
}

}  // namespace

// ---- Lap markers ------------------------------------------------------------------------------

LapMarkers::LapMarkers(QChart* chart, QValueAxis* axis)
    : QGraphicsItem(chart), chart_(chart), axis_(axis) {
    setZValue(kMarkerZ);
}

void LapMarkers::setLaps(std::vector<std::pair<double, int>> laps) {
    laps_ = std::move(laps);
    update();
}

void LapMarkers::setMarks(std::vector<MarkerMark> marks) {
    marks_ = std::move(marks);
    update();
}

std::vector<MarkerMark> MarkerMarks(const RunModel& model) {
    std::vector<MarkerMark> marks;
    if (!model.timeline().minutes()) return marks;
    for (const RunMarker& marker : model.markers()) {
        QString label = MarkerKindName(marker.kind);
        if (!marker.text.isEmpty()) label += QStringLiteral(": ") + marker.text;
        marks.push_back({marker.timeS / 60.0, label});
    }
    return marks;
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
    if ((laps_.empty() && marks_.empty()) || !(max > min) || area.isEmpty()) return;
    painter->save();
    painter->setClipRect(area);
    QColor line = kMuted;
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
            painter->setPen(kMuted);
            painter->drawText(QPointF(px + 2, area.top() + metrics.ascent() + 1),
                              QString::number(lap));
        }
    }
    // The markers over the laps, each label at the foot of the plot area in a box of its own, a
    // row higher where it would cover the one before (at most three rows; then the line alone).
    const qreal labelWidth = metrics.horizontalAdvance(QStringLiteral("0")) * 24;
    const qreal rowHeight = metrics.height() + 3;
    std::vector<const MarkerMark*> shown;
    for (const MarkerMark& mark : marks_) {
        if (mark.x >= min && mark.x <= max) shown.push_back(&mark);
    }
    std::sort(shown.begin(), shown.end(), [](auto* a, auto* b) { return a->x < b->x; });
    std::vector<qreal> rowEnds(3, -INFINITY);
    for (const MarkerMark* mark : shown) {
        const qreal px = area.left() + (mark->x - min) / (max - min) * area.width();
        painter->setPen(QPen(kMarker, 0, Qt::DashLine));
        painter->drawLine(QPointF(px, area.top()), QPointF(px, area.bottom()));
        const QString label = metrics.elidedText(mark->label, Qt::ElideRight, labelWidth);
        const qreal width = metrics.horizontalAdvance(label) + 4;
        const auto row =
            std::find_if(rowEnds.begin(), rowEnds.end(), [px](qreal end) { return end + 2 < px; });
        if (row == rowEnds.end()) continue;
        *row = px + 2 + width;
        const auto level = static_cast<qreal>(row - rowEnds.begin() + 1);
        const QRectF box(px + 2, area.bottom() - level * rowHeight, width, rowHeight - 1);
        painter->fillRect(box, kCursorBox);
        painter->setPen(kMarker);
        painter->drawText(box.adjusted(2, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop, label);
    }
    painter->restore();
}

// ---- Charts -----------------------------------------------------------------------------------

QChart* NewChart() {
    auto* chart = new QChart;
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(2, 0, 2, 0));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setPlotAreaBackgroundBrush(kPlotArea);
    chart->setPlotAreaBackgroundVisible(true);
    // Beside the plot rather than above it: stacked charts are short, wide screens are not.
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->legend()->setFont(SmallFont(8));
    chart->legend()->setLabelColor(kAxisText);
    chart->legend()->setMarkerShape(QLegend::MarkerShapeRectangle);
    return chart;
}

namespace {

QLineSeries* NewSeries(const QString& name, const QColor& color) {
    auto* series = new QLineSeries;
    series->setName(name);
    QPen pen(color);
    pen.setWidthF(1.2);
    pen.setCosmetic(true);
    series->setPen(pen);
    return series;
}

// Each value axis fitted to the points of its channels shown (the overlays' included) that lie
// in the time range [min, max]; to all its channels' when none of them is shown.
void FitValueAxes(RunChart& rc, double min, double max) {
    for (const int side : {0, 1}) {
        if (!rc.valueAxes[side]) continue;
        const bool anyShown =
            std::any_of(rc.channels.begin(), rc.channels.end(), [side](const ChartChannel& c) {
                return (c.traits.rightAxis ? 1 : 0) == side && c.own.series->isVisible();
            });
        double low = INFINITY;
        double high = -INFINITY;
        const auto take = [&](const ChartLine& line) {
            const auto from =
                std::lower_bound(line.points.begin(), line.points.end(), min,
                                 [](const QPointF& p, double x) { return p.x() < x; });
            for (auto p = from; p != line.points.end() && p->x() <= max; ++p) {
                low = std::min(low, p->y());
                high = std::max(high, p->y());
            }
        };
        for (const ChartChannel& channel : rc.channels) {
            if ((channel.traits.rightAxis ? 1 : 0) != side) continue;
            if (anyShown && !channel.own.series->isVisible()) continue;
            take(channel.own);
            for (const ChartLine& line : channel.overlays) take(line);
        }
        FitValueAxis(rc.valueAxes[side], low, high);
    }
}

// A new line of the chart on its time axis and the channel's value axis.
QLineSeries* AddLine(RunChart& rc, const ChannelSpec& channel, const QColor& color) {
    QLineSeries* series = NewSeries(channel.name, color);
    rc.chart->addSeries(series);
    series->attachAxis(rc.timeAxis);
    series->attachAxis(rc.valueAxes[channel.rightAxis ? 1 : 0]);
    return series;
}

// One chart of the stack: its time axis, a value axis on the left (and one on the right when a
// channel uses it), a series per channel, each value axis fitted to its channels.
RunChart BuildChart(const RunData& run, const RunEnergy& energy, const RunTimeline& timeline,
                    const ChartSpec& design) {
    RunChart rc;
    rc.temperature = IsTemperature(design.channels.front());
    rc.sharesTime = !rc.temperature || timeline.temperaturesShareTime();
    rc.clockLabels = !rc.sharesTime || timeline.minutes();
    rc.chart = NewChart();

    rc.timeAxis = new QCategoryAxis;
    static_cast<QCategoryAxis*>(rc.timeAxis)
        ->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    StyleAxis(rc.timeAxis, QString(), kAxisText);
    rc.chart->addAxis(rc.timeAxis, Qt::AlignBottom);
    if (rc.sharesTime) {
        rc.timeAxis->setRange(timeline.start(), timeline.end());
    } else {
        const auto [min, max] = timeline.temperatureRange();
        rc.timeAxis->setRange(min, max);
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
        rc.channels.push_back(
            {channel,
             {AddLine(rc, channel, channel.color), ChannelPoints(run, energy, channel)},
             {}});
    }
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
    chart.channels.at(channel).own.points = std::move(points);
    FitValueAxes(chart, chart.timeAxis->min(), chart.timeAxis->max());
}

void ShowOverlays(std::vector<RunChart>& charts, const RunModel& model) {
    const std::vector<RunOverlay>& overlays = model.overlays();
    for (RunChart& chart : charts) {
        const bool added =
            !overlays.empty() && chart.channels.front().overlays.size() != overlays.size();
        for (ChartChannel& channel : chart.channels) {
            if (channel.overlays.size() != overlays.size()) {
                for (const ChartLine& line : channel.overlays) {
                    chart.chart->removeSeries(line.series);
                    delete line.series;
                }
                channel.overlays.assign(overlays.size(), {});
            }
            for (std::size_t i = 0; i < overlays.size(); ++i) {
                ChartLine& line = channel.overlays[i];
                line.points = ChannelPoints(*overlays[i].run, model.overlayEnergy(i), channel.traits,
                                            overlays[i].offsetMin);
                if (line.series) continue;
                line.series = AddLine(chart, channel.traits, channel.traits.color);
                line.series->setPen(OverlayPen(channel.traits.color, i));
                line.series->setVisible(channel.own.series->isVisible());
            }
        }
        if (added) {
            // The run's own lines are drawn over the overlays': added again after them.
            for (ChartChannel& channel : chart.channels) {
                QLineSeries* own = channel.own.series;
                const bool visible = own->isVisible();
                chart.chart->removeSeries(own);
                chart.chart->addSeries(own);
                own->attachAxis(chart.timeAxis);
                own->attachAxis(chart.valueAxes[channel.traits.rightAxis ? 1 : 0]);
                own->setVisible(visible);
            }
        }
        for (const ChartChannel& channel : chart.channels) {
            for (const ChartLine& line : channel.overlays) {
                for (QLegendMarker* marker : chart.chart->legend()->markers(line.series)) {
                    marker->setVisible(false);
                }
            }
        }
        FitValueAxes(chart, chart.timeAxis->min(), chart.timeAxis->max());
    }
}

void ShowChannels(std::vector<RunChart>& charts, const QStringList& hidden) {
    for (RunChart& chart : charts) {
        for (ChartChannel& channel : chart.channels) {
            const bool shown = !hidden.contains(channel.traits.key);
            channel.own.series->setVisible(shown);
            for (const ChartLine& line : channel.overlays) line.series->setVisible(shown);
            for (QLegendMarker* marker : chart.chart->legend()->markers(channel.own.series)) {
                marker->setVisible(true);
                marker->setLabelBrush(shown ? kAxisText : kLine);
                marker->setBrush(shown ? channel.traits.color : Lighter(kLine));
            }
        }
        FitValueAxes(chart, chart.timeAxis->min(), chart.timeAxis->max());
    }
}

void ShowModel(std::vector<RunChart>& charts, const RunModel& model) {
    ShowOverlays(charts, model);
    ShowChannels(charts, model.hidden());
    const auto [min, max] = model.range();
    const auto laps = model.lapMarks();
    const auto marks = MarkerMarks(model);
    for (RunChart& chart : charts) {
        if (!chart.sharesTime) continue;
        chart.timeAxis->setRange(min, max);
        chart.markers->setLaps(laps);
        chart.markers->setMarks(marks);
    }
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

void ShowTimeRange(RunChart& chart, double min, double max, int pixels) {
    LabelTimeAxis(chart.timeAxis, min, max, chart.clockLabels);
    pixels = std::max(pixels, 16);
    for (const ChartChannel& channel : chart.channels) {
        channel.own.series->replace(Thinned(channel.own.points, min, max, pixels));
        for (const ChartLine& line : channel.overlays) {
            line.series->replace(Thinned(line.points, min, max, pixels));
        }
    }
    FitValueAxes(chart, min, max);
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
    QString text = QString::number(*value, 'f', design.decimals) + u' ' + design.unit;
    // The remaining charge with its share of the capacity and its energy.
    if (design.energy == EnergyChannel::RemainingAh) {
        const auto row = static_cast<std::size_t>(*timeline.mainRowAt(x));
        const MainValue percent = energy.channel(EnergyChannel::RemainingPct)[row];
        const MainValue wh = energy.channel(EnergyChannel::RemainingWh)[row];
        text += QStringLiteral(" (%1 %").arg(*percent, 0, 'f', 1);
        if (wh) text += QStringLiteral(", %1 Wh").arg(*wh, 0, 'f', 0);
        text += u')';
    }
    return text;
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
