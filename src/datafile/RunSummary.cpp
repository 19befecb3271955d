#include "datafile/RunSummary.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>

namespace yb {

namespace {

// Sum, minimum and maximum of the values present.
struct Stats {
    double sum = 0.0;
    std::optional<double> min;
    std::optional<double> max;

    template <typename Column>
    explicit Stats(const Column& column) {
        for (const auto& value : column) {
            if (!value) continue;
            const double v = *value;
            sum += v;
            min = min ? std::min(*min, v) : v;
            max = max ? std::max(*max, v) : v;
        }
    }
};

enum class Shown { Count, Fixed, Clock };

// One summary item: its JSON key, how a person reads it, and where its value comes from.
struct Item {
    const char* key;
    const char16_t* label;
    Shown shown;
    int decimals;
    const char16_t* unit;
    std::function<std::optional<double>(const RunSummary&)> value;
};

template <typename T>
std::optional<double> AsDouble(const std::optional<T>& value) {
    return value ? std::optional<double>(static_cast<double>(*value)) : std::nullopt;
}

const std::vector<Item>& Items() {
    static const std::vector<Item> items = {
        {"records", u"記録数", Shown::Count, 0, u"",
         [](auto& s) { return AsDouble(std::optional(s.records)); }},
        {"interval_s", u"記録間隔", Shown::Fixed, 0, u"秒", [](auto& s) { return s.interval_s; }},
        {"duration_s", u"記録時間", Shown::Clock, 0, u"", [](auto& s) { return s.duration_s; }},
        {"distance_km", u"走行距離", Shown::Fixed, 2, u"km", [](auto& s) { return s.distance_km; }},
        {"avg_speed_kmh", u"平均速度", Shown::Fixed, 1, u"km/h",
         [](auto& s) { return s.avg_speed_kmh; }},
        {"max_speed_kmh", u"最高速度", Shown::Fixed, 0, u"km/h",
         [](auto& s) { return s.max_speed_kmh; }},
        {"solar_wh", u"ソーラー発電量", Shown::Fixed, 1, u"Wh", [](auto& s) { return s.solar_wh; }},
        {"battery_wh", u"バッテリー電力量", Shown::Fixed, 1, u"Wh",
         [](auto& s) { return s.battery_wh; }},
        {"min_main_v", u"最低メイン電圧", Shown::Fixed, 1, u"V",
         [](auto& s) { return s.min_main_v; }},
        {"max_temp_c", u"最高温度", Shown::Fixed, 0, u"℃", [](auto& s) { return s.max_temp_c; }},
        {"laps", u"周回数", Shown::Count, 0, u"",
         [](auto& s) { return AsDouble(std::optional(s.laps)); }},
        {"best_lap_s", u"ベストラップ", Shown::Clock, 0, u"", [](auto& s) { return s.best_lap_s; }},
        {"best_lap_no", u"ベストラップの周回", Shown::Count, 0, u"",
         [](auto& s) { return AsDouble(s.best_lap_no); }},
        {"motor_wh", u"モーター電力量", Shown::Fixed, 1, u"Wh", [](auto& s) { return s.motor_wh; }},
    };
    return items;
}

QString ShownValue(const Item& item, std::optional<double> value) {
    if (!value) return QStringLiteral("不明");
    switch (item.shown) {
        case Shown::Count:
            return QString::number(static_cast<long long>(*value));
        case Shown::Clock:
            return ClockText(*value);
        case Shown::Fixed:
            break;
    }
    const QString unit = QString::fromUtf16(item.unit);
    // Rounded for reading; a value that rounds to zero shows no minus sign.
    const double scale = std::pow(10.0, item.decimals);
    double rounded = std::round(*value * scale) / scale;
    if (rounded == 0.0) rounded = 0.0;
    const QString number = QString::number(rounded, 'f', item.decimals);
    return unit.isEmpty() ? number : number + u' ' + unit;
}

QByteArray JsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QByteArray(buffer, static_cast<qsizetype>(result.ptr - buffer));
}

}  // namespace

RunSummary SummarizeRun(const RunData& run) {
    RunSummary s;
    s.records = run.mainRows();
    const Stats speed(run.channel(MainChannel::SpeedKmh));
    s.max_speed_kmh = speed.max;
    s.min_main_v = Stats(run.channel(MainChannel::MainV)).min;
    s.max_temp_c = Stats(run.temperatures).max;

    if (run.intervalS) {
        const double interval = *run.intervalS;
        s.interval_s = interval;
        s.duration_s = s.records * interval;
        s.distance_km = speed.sum * interval / 3600.0;
        if (s.records > 0) s.avg_speed_kmh = *s.distance_km / (*s.duration_s / 3600.0);
        s.solar_wh = Stats(run.channel(MainChannel::SolarW)).sum * interval / 3600.0;
        s.battery_wh = Stats(run.channel(MainChannel::BatteryW)).sum * interval / 3600.0;
    }

    s.laps = static_cast<int>(run.laps.size());
    if (!run.laps.empty()) {
        double motor = 0.0;
        for (const LapRow& lap : run.laps) {
            if (lap.motorWh >= 0.0) motor += lap.motorWh;
            if (lap.timeS > 0 && (!s.best_lap_s || lap.timeS < *s.best_lap_s)) {
                s.best_lap_s = lap.timeS;
                s.best_lap_no = lap.number;
            }
        }
        s.motor_wh = motor;
    }
    return s;
}

std::vector<SummaryLine> SummaryLines(const RunSummary& summary) {
    std::vector<SummaryLine> lines;
    for (const Item& item : Items()) {
        lines.push_back({QString::fromUtf16(item.label), ShownValue(item, item.value(summary))});
    }
    return lines;
}

QString SummaryText(const RunSummary& summary) {
    QString text;
    for (const SummaryLine& line : SummaryLines(summary)) {
        text += line.label + QStringLiteral(": ") + line.value + u'\n';
    }
    return text;
}

QByteArray SummaryJson(const RunSummary& summary) {
    QByteArray json = "{";
    for (const Item& item : Items()) {
        if (json.size() > 1) json += ", ";
        const std::optional<double> value = item.value(summary);
        json += '"' + QByteArray(item.key) + "\": " + (value ? JsonNumber(*value) : "null");
    }
    return json + '}';
}

QString ClockText(double seconds) {
    const bool negative = seconds < 0;
    const auto total = static_cast<long long>(std::llround(std::fabs(seconds)));
    const long long h = total / 3600;
    const long long m = total / 60 % 60;
    const long long s = total % 60;
    const QString text = h > 0 ? QStringLiteral("%1:%2:%3")
                                     .arg(h)
                                     .arg(m, 2, 10, QChar(u'0'))
                                     .arg(s, 2, 10, QChar(u'0'))
                               : QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QChar(u'0'));
    return negative ? u'-' + text : text;
}

}  // namespace yb
