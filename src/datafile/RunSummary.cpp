#include "datafile/RunSummary.h"

#include <QCoreApplication>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <tuple>

namespace yb {

namespace {

const char* const kContext = "RunSummary";

// Sum, minimum and maximum of the values present in rows [first, end).
struct Stats {
    double sum = 0.0;
    std::optional<double> min;
    std::optional<double> max;

    template <typename Column>
    Stats(const Column& column, int first, int end) {
        for (int i = std::max(first, 0); i < std::min<int>(end, static_cast<int>(column.size()));
             ++i) {
            const auto& value = column[static_cast<std::size_t>(i)];
            if (!value) continue;
            const double v = *value;
            sum += v;
            min = min ? std::min(*min, v) : v;
            max = max ? std::max(*max, v) : v;
        }
    }
    template <typename Column>
    explicit Stats(const Column& column) : Stats(column, 0, static_cast<int>(column.size())) {}
};

enum class Shown { Count, Fixed, Clock, YesNo };

// One summary item: its JSON key, how a person reads it, and where its value comes from. Lap
// items have no value in a window.
struct Item {
    const char* key;
    const char* label;  // translated in the context "RunSummary"
    Shown shown;
    int decimals;
    const char* unit;  // translated: 秒 is "s" in English
    std::function<std::optional<double>(const RunSummary&)> value;
    bool lapItem = false;
};

template <typename T>
std::optional<double> AsDouble(const std::optional<T>& value) {
    return value ? std::optional<double>(static_cast<double>(*value)) : std::nullopt;
}

const std::vector<Item>& Items() {
    static const std::vector<Item> items = {
        {"records", QT_TRANSLATE_NOOP("RunSummary", "記録数"), Shown::Count, 0, "",
         [](auto& s) { return AsDouble(std::optional(s.records)); }},
        {"interval_s", QT_TRANSLATE_NOOP("RunSummary", "記録間隔"), Shown::Fixed, 0,
         QT_TRANSLATE_NOOP("RunSummary", "秒"), [](auto& s) { return s.interval_s; }},
        {"duration_s", QT_TRANSLATE_NOOP("RunSummary", "記録時間"), Shown::Clock, 0, "",
         [](auto& s) { return s.duration_s; }},
        {"distance_km", QT_TRANSLATE_NOOP("RunSummary", "走行距離"), Shown::Fixed, 2, "km",
         [](auto& s) { return s.distance_km; }},
        {"avg_speed_kmh", QT_TRANSLATE_NOOP("RunSummary", "平均速度"), Shown::Fixed, 1, "km/h",
         [](auto& s) { return s.avg_speed_kmh; }},
        {"max_speed_kmh", QT_TRANSLATE_NOOP("RunSummary", "最高速度"), Shown::Fixed, 0, "km/h",
         [](auto& s) { return s.max_speed_kmh; }},
        {"solar_wh", QT_TRANSLATE_NOOP("RunSummary", "ソーラー発電量"), Shown::Fixed, 1, "Wh",
         [](auto& s) { return s.solar_wh; }},
        {"battery_wh", QT_TRANSLATE_NOOP("RunSummary", "バッテリー電力量"), Shown::Fixed, 1, "Wh",
         [](auto& s) { return s.battery_wh; }},
        {"min_main_v", QT_TRANSLATE_NOOP("RunSummary", "最低メイン電圧"), Shown::Fixed, 1, "V",
         [](auto& s) { return s.min_main_v; }},
        {"max_temp_c", QT_TRANSLATE_NOOP("RunSummary", "最高温度"), Shown::Fixed, 0, "℃",
         [](auto& s) { return s.max_temp_c; }},
        {"laps", QT_TRANSLATE_NOOP("RunSummary", "周回数"), Shown::Count, 0, "",
         [](auto& s) { return AsDouble(s.laps); }, true},
        {"best_lap_s", QT_TRANSLATE_NOOP("RunSummary", "ベストラップ"), Shown::Clock, 0, "",
         [](auto& s) { return s.best_lap_s; }, true},
        {"best_lap_no", QT_TRANSLATE_NOOP("RunSummary", "ベストラップの周回"), Shown::Count, 0, "",
         [](auto& s) { return AsDouble(s.best_lap_no); }, true},
        {"motor_wh", QT_TRANSLATE_NOOP("RunSummary", "モーター電力量"), Shown::Fixed, 1, "Wh",
         [](auto& s) { return s.motor_wh; }, true},
        {"partial", QT_TRANSLATE_NOOP("RunSummary", "部分データ"), Shown::YesNo, 0, "",
         [](auto& s) { return std::optional<double>(s.partial ? 1.0 : 0.0); }},
    };
    return items;
}

QString Unknown() {
    return QCoreApplication::translate("RunSummary", "不明");
}

}  // namespace

QString FixedText(std::optional<double> value, int decimals, const QString& unit) {
    if (!value) return Unknown();
    const double scale = std::pow(10.0, decimals);
    double rounded = std::round(*value * scale) / scale;
    if (rounded == 0.0) rounded = 0.0;
    const QString number = QString::number(rounded, 'f', decimals);
    return unit.isEmpty() ? number : number + u' ' + unit;
}

namespace {

// A known value as `shown` writes it; a fixed one with `unit` after it when there is one.
QString ValueText(Shown shown, int decimals, double value, const QString& unit = {}) {
    switch (shown) {
        case Shown::Count:
            return QString::number(static_cast<long long>(value));
        case Shown::Clock:
            return ClockText(value);
        case Shown::YesNo:
            return value != 0.0 ? QCoreApplication::translate("RunSummary", "はい (空の行あり)")
                                : QCoreApplication::translate("RunSummary", "いいえ");
        case Shown::Fixed:
            break;
    }
    return FixedText(value, decimals, unit);
}

QString ShownValue(const Item& item, std::optional<double> value) {
    if (!value) return Unknown();
    return ValueText(item.shown, item.decimals, *value,
                     QCoreApplication::translate(kContext, item.unit));
}

// One column of the lap table: its head (a name and a unit, translated in "RunSummary"), how its
// value is written and where it comes from.
struct LapColumn {
    const char* name;
    const char* unit;
    Shown shown;
    int decimals;
    std::optional<double> (*value)(const LapFigures&);
    bool textOnly = false;
};

const std::vector<LapColumn>& LapColumns() {
    static const std::vector<LapColumn> columns = {
        {QT_TRANSLATE_NOOP("RunSummary", "周回"), "", Shown::Count, 0,
         [](const LapFigures& l) { return std::optional<double>(l.lap); }},
        {QT_TRANSLATE_NOOP("RunSummary", "タイム"), "", Shown::Clock, 0,
         [](const LapFigures& l) { return l.time_s; }},
        {QT_TRANSLATE_NOOP("RunSummary", "開始"), "", Shown::Clock, 0,
         [](const LapFigures& l) { return l.start_s; }, true},
        {QT_TRANSLATE_NOOP("RunSummary", "距離"), "km", Shown::Fixed, 2,
         [](const LapFigures& l) { return l.distance_km; }},
        {QT_TRANSLATE_NOOP("RunSummary", "平均"), "km/h", Shown::Fixed, 1,
         [](const LapFigures& l) { return l.avg_speed_kmh; }},
        {QT_TRANSLATE_NOOP("RunSummary", "モーター"), "Wh", Shown::Fixed, 1,
         [](const LapFigures& l) { return l.motor_wh; }},
        {"Wh/km", "", Shown::Fixed, 1, [](const LapFigures& l) { return l.wh_per_km; }},
        {QT_TRANSLATE_NOOP("RunSummary", "ソーラー"), "Wh", Shown::Fixed, 1,
         [](const LapFigures& l) { return l.solar_wh; }},
    };
    return columns;
}

QByteArray LapJson(const LapFigures& lap) {
    QByteArray json = "{";
    for (const LapField& field : LapFields()) {
        if (json.size() > 1) json += ", ";
        json += '"' + QByteArray(field.key) + "\": " + JsonValue(field.value(lap));
    }
    return json + '}';
}

// The first index i >= 0 with i x step >= from: the same products the window's rule compares.
int FirstAtOrAfter(double from, double step) {
    if (!(from > 0.0)) return 0;
    const double estimate = std::ceil(from / step);
    if (estimate > std::numeric_limits<int>::max() - 2) return std::numeric_limits<int>::max() - 2;
    auto i = static_cast<int>(estimate);
    while (i > 0 && (i - 1) * step >= from) --i;
    while (i * step < from) ++i;
    return i;
}

// Rows [first, end) of `rows` whose times i x step lie in [from, to).
std::pair<int, int> RowsIn(double from, double to, double step, int rows) {
    const int first = std::min(FirstAtOrAfter(from, step), rows);
    const int end = std::clamp(FirstAtOrAfter(to, step), first, rows);
    return {first, end};
}

// The figures over the window's main and temperature rows, lap figures aside.
RunSummary SummarizeRows(const RunData& run, const RowWindow& w) {
    RunSummary s;
    for (int i = w.mainFirst; i < w.mainEnd; ++i) {
        if (HoldsValues(run, i)) {
            ++s.records;
        } else {
            s.partial = true;
        }
    }
    for (int j = w.temperatureFirst; j < w.temperatureEnd; ++j) {
        if (!run.temperatures[static_cast<std::size_t>(j)]) s.partial = true;
    }
    const Stats speed(run.channel(MainChannel::SpeedKmh), w.mainFirst, w.mainEnd);
    s.max_speed_kmh = speed.max;
    s.min_main_v = Stats(run.channel(MainChannel::MainV), w.mainFirst, w.mainEnd).min;
    s.max_temp_c = Stats(run.temperatures, w.temperatureFirst, w.temperatureEnd).max;

    if (run.intervalS) {
        const double interval = *run.intervalS;
        s.interval_s = interval;
        s.duration_s = s.records * interval;
        s.distance_km = speed.sum * interval / 3600.0;
        if (s.records > 0) s.avg_speed_kmh = *s.distance_km / (*s.duration_s / 3600.0);
        s.solar_wh =
            Stats(run.channel(MainChannel::SolarW), w.mainFirst, w.mainEnd).sum * interval / 3600.0;
        s.battery_wh = Stats(run.channel(MainChannel::BatteryW), w.mainFirst, w.mainEnd).sum *
                       interval / 3600.0;
    }
    return s;
}

}  // namespace

bool HoldsValues(const RunData& run, int mainRow) {
    const auto row = static_cast<std::size_t>(mainRow);
    return std::any_of(run.main.begin(), run.main.end(),
                       [row](const auto& column) { return column[row].has_value(); });
}

bool HoldsValues(const LapRow& lap) {
    return lap.timeS != -1 || lap.motorWh != -1.0;
}

double MinutesToSeconds(double minutes) {
    return std::round(minutes * 60.0 * 1e6) / 1e6;
}

std::optional<RowWindow> RowsBetween(const RunData& run, double fromS, double toS) {
    if (!run.intervalS) return std::nullopt;
    RowWindow w;
    std::tie(w.mainFirst, w.mainEnd) = RowsIn(fromS, toS, *run.intervalS, run.mainRows());
    std::tie(w.temperatureFirst, w.temperatureEnd) =
        RowsIn(fromS, toS, run.temperatureIntervalS, static_cast<int>(run.temperatures.size()));
    return w;
}

RunSummary SummarizeRun(const RunData& run, double lapStartS) {
    RunSummary s =
        SummarizeRows(run, {0, run.mainRows(), 0, static_cast<int>(run.temperatures.size())});
    s.laps = static_cast<int>(run.laps.size());
    if (!run.laps.empty()) {
        double motor = 0.0;
        for (const LapRow& lap : run.laps) {
            if (!HoldsValues(lap)) s.partial = true;
            if (lap.motorWh >= 0.0) motor += lap.motorWh;
            if (lap.timeS > 0 && (!s.best_lap_s || lap.timeS < *s.best_lap_s)) {
                s.best_lap_s = lap.timeS;
                s.best_lap_no = lap.number;
            }
        }
        s.motor_wh = motor;
    }
    s.lapTable = LapTable(run, lapStartS);
    return s;
}

RunSummary SummarizeWindow(const RunData& run, const RowWindow& rows) {
    RowWindow w = rows;
    w.mainEnd = std::clamp(w.mainEnd, 0, run.mainRows());
    w.mainFirst = std::clamp(w.mainFirst, 0, w.mainEnd);
    w.temperatureEnd = std::clamp(w.temperatureEnd, 0, static_cast<int>(run.temperatures.size()));
    w.temperatureFirst = std::clamp(w.temperatureFirst, 0, w.temperatureEnd);
    RunSummary s = SummarizeRows(run, w);
    s.window = true;
    return s;
}

std::vector<LapFigures> LapTable(const RunData& run, double lapStartS) {
    std::vector<LapFigures> table;
    std::optional<double> start = lapStartS;
    for (const LapRow& row : run.laps) {
        const std::optional<double> time =
            row.timeS >= 0 ? std::optional<double>(row.timeS) : std::nullopt;
        if (HoldsValues(row)) {
            LapFigures lap;
            lap.lap = row.number;
            lap.time_s = time;
            if (row.motorWh >= 0.0) lap.motor_wh = row.motorWh;
            lap.start_s = start;
            if (const auto rows = LapRows(run, lap)) {
                const double hours = *run.intervalS / 3600.0;
                lap.distance_km =
                    Stats(run.channel(MainChannel::SpeedKmh), rows->first, rows->second).sum *
                    hours;
                lap.solar_wh =
                    Stats(run.channel(MainChannel::SolarW), rows->first, rows->second).sum * hours;
                if (*time > 0.0) lap.avg_speed_kmh = *lap.distance_km / (*time / 3600.0);
                if (lap.motor_wh && *lap.distance_km != 0.0) {
                    lap.wh_per_km = *lap.motor_wh / *lap.distance_km;
                }
            }
            table.push_back(lap);
        }
        start = start && time ? std::optional(*start + *time) : std::nullopt;
    }
    return table;
}

std::optional<std::pair<int, int>> LapRows(const RunData& run, const LapFigures& lap) {
    if (!lap.start_s || !lap.time_s || !run.intervalS) return std::nullopt;
    return RowsIn(*lap.start_s, *lap.start_s + *lap.time_s, *run.intervalS, run.mainRows());
}

std::vector<SummaryLine> SummaryLines(const RunSummary& summary) {
    std::vector<SummaryLine> lines;
    for (const Item& item : Items()) {
        const bool applies = !(summary.window && item.lapItem);
        lines.push_back(
            {QString::fromLatin1(item.key), QCoreApplication::translate(kContext, item.label),
             applies ? ShownValue(item, item.value(summary)) : QStringLiteral("—"), applies});
    }
    return lines;
}

QString SummaryText(const RunSummary& summary) {
    QString text;
    for (const SummaryLine& line : SummaryLines(summary)) {
        if (line.applies) text += line.label + QStringLiteral(": ") + line.value + u'\n';
    }
    return text;
}

QStringList LapHeads(LapMedium medium) {
    QStringList heads;
    for (const LapColumn& column : LapColumns()) {
        if (column.textOnly && medium != LapMedium::Text) continue;
        QString head = QCoreApplication::translate(kContext, column.name);
        if (*column.unit != 0) {
            const QString unit = QString::fromUtf8(column.unit);
            head += medium == LapMedium::Text ? u'[' + unit + u']' : u'\n' + unit;
        }
        heads << head;
    }
    return heads;
}

QStringList LapCells(const LapFigures& lap, LapMedium medium) {
    QStringList cells;
    for (const LapColumn& column : LapColumns()) {
        if (column.textOnly && medium != LapMedium::Text) continue;
        const std::optional<double> value = column.value(lap);
        cells << (value                       ? ValueText(column.shown, column.decimals, *value)
                  : medium == LapMedium::Text ? Unknown()
                                              : QStringLiteral("—"));
    }
    return cells;
}

std::vector<std::optional<double>> LapValues(const LapFigures& lap, LapMedium medium) {
    std::vector<std::optional<double>> values;
    for (const LapColumn& column : LapColumns()) {
        if (column.textOnly && medium != LapMedium::Text) continue;
        values.push_back(column.value(lap));
    }
    return values;
}

QString LapTableTitle(const RunSummary& summary) {
    if (!summary.best_lap_no || !summary.best_lap_s) {
        return QCoreApplication::translate("RunSummary", "周回", "the lap table's title");
    }
    return QCoreApplication::translate("RunSummary", "周回  (ベスト %1周目 %2)")
        .arg(QString::number(*summary.best_lap_no), ClockText(*summary.best_lap_s));
}

QString LapTableText(const std::vector<LapFigures>& laps) {
    if (laps.empty()) return {};
    std::vector<QStringList> rows = {LapHeads(LapMedium::Text)};
    for (const LapFigures& lap : laps) rows.push_back(LapCells(lap, LapMedium::Text));
    return AlignedText(rows);
}

QString AlignedText(const std::vector<QStringList>& rows) {
    // Columns as a terminal shows them: Japanese characters take two cells.
    const auto cells = [](const QString& text) {
        qsizetype width = 0;
        for (const QChar c : text) width += c.unicode() >= 0x1100 ? 2 : 1;
        return width;
    };
    std::vector<qsizetype> widths;
    for (const QStringList& row : rows) {
        widths.resize(std::max(widths.size(), static_cast<std::size_t>(row.size())), 0);
        for (qsizetype c = 0; c < row.size(); ++c) {
            auto& width = widths[static_cast<std::size_t>(c)];
            width = std::max(width, cells(row[c]));
        }
    }
    QString text;
    for (const QStringList& row : rows) {
        QString line;
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (c > 0) line += QStringLiteral("  ");
            line += QString(widths[static_cast<std::size_t>(c)] - cells(row[c]), u' ') + row[c];
        }
        text += line + u'\n';
    }
    return text;
}

std::vector<SummaryFigure> SummaryFigures(const RunSummary& summary) {
    std::vector<SummaryFigure> figures;
    for (const Item& item : Items())
        figures.push_back({item.key, item.value(summary), item.shown == Shown::YesNo});
    return figures;
}

const std::vector<LapField>& LapFields() {
    using Figure = std::optional<double>;
    static const std::vector<LapField> fields = {
        {"lap", "", 0, [](const LapFigures& l) { return Figure(l.lap); }},
        {"time_s", "s", kLapTimeColumn.decimals, [](const LapFigures& l) { return l.time_s; }},
        {"motor_wh", "Wh", kLapEnergyColumn.decimals,
         [](const LapFigures& l) { return l.motor_wh; }},
        {"start_s", "s", -1, [](const LapFigures& l) { return l.start_s; }},
        {"distance_km", "km", -1, [](const LapFigures& l) { return l.distance_km; }},
        {"avg_speed_kmh", "km/h", -1, [](const LapFigures& l) { return l.avg_speed_kmh; }},
        {"solar_wh", "Wh", -1, [](const LapFigures& l) { return l.solar_wh; }},
        {"wh_per_km", "Wh/km", -1, [](const LapFigures& l) { return l.wh_per_km; }},
    };
    return fields;
}

QByteArray JsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QByteArray(buffer, static_cast<qsizetype>(result.ptr - buffer));
}

QByteArray JsonValue(std::optional<double> value) {
    return value ? JsonNumber(*value) : QByteArray("null");
}

QByteArray SummaryJson(const RunSummary& summary) {
    QByteArray json = "{";
    for (const SummaryFigure& figure : SummaryFigures(summary)) {
        if (json.size() > 1) json += ", ";
        json += '"' + QByteArray(figure.key) + "\": ";
        json += figure.yesNo ? QByteArray(*figure.value != 0.0 ? "true" : "false")
                             : JsonValue(figure.value);
    }
    json += ", \"lap_table\": ";
    if (summary.window) {
        json += "null";
    } else {
        json += '[';
        for (std::size_t i = 0; i < summary.lapTable.size(); ++i) {
            if (i > 0) json += ", ";
            json += LapJson(summary.lapTable[i]);
        }
        json += ']';
    }
    return json + '}';
}

QString ClockText(double seconds, ClockForm form) {
    const auto total = static_cast<long long>(std::llround(std::fabs(seconds)));
    const long long h = total / 3600;
    const long long m = total / 60 % 60;
    const long long s = total % 60;
    const auto two = [](long long n) { return QStringLiteral("%1").arg(n, 2, 10, QChar(u'0')); };
    QString text;
    switch (form) {
        case ClockForm::Short:
            text = h > 0 ? QStringLiteral("%1:%2:%3").arg(h).arg(two(m), two(s))
                         : QStringLiteral("%1:%2").arg(m).arg(two(s));
            break;
        case ClockForm::Long:
            text = QStringLiteral("%1:%2:%3").arg(h).arg(two(m), two(s));
            break;
        case ClockForm::HoursMinutes:
            text = QStringLiteral("%1:%2").arg(h).arg(two(m));
            break;
        case ClockForm::FileName:
            text = QStringLiteral("%1h%2m").arg(h).arg(two(m));
            if (s != 0) text += two(s) + u's';
            break;
    }
    return seconds < 0 && total != 0 ? u'-' + text : text;
}

std::optional<double> ClockSeconds(const QString& text) {
    const QStringList fields = text.trimmed().split(u':');
    if (fields.size() > 3) return std::nullopt;
    double seconds = 0;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const QString& digits = fields[i];
        if (digits.isEmpty() || digits.size() > 9 ||
            !std::all_of(digits.begin(), digits.end(),
                         [](QChar c) { return c >= u'0' && c <= u'9'; })) {
            return std::nullopt;
        }
        const int field = digits.toInt();
        if (i > 0 && (field > 59 || digits.size() != 2)) return std::nullopt;
        seconds = seconds * 60 + field;
    }
    return seconds;
}

}  // namespace yb
