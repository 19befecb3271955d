#include "library/RunColumns.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace yb {

namespace {

const char* const kContext = "RunColumns";

QVariant Sort(const std::optional<double>& value) {
    // Unknown below every figure.
    return value.value_or(-std::numeric_limits<double>::infinity());
}

QString Fixed(const std::optional<double>& value, int decimals) {
    return value ? QString::number(*value, 'f', decimals) : QString();
}

QString Clock(const std::optional<double>& seconds) {
    return seconds ? ClockText(*seconds) : QString();
}

std::optional<double> Number(const std::optional<int>& value) {
    return value ? std::optional<double>(*value) : std::nullopt;
}

RunColumn TextColumn(const char* key, const char* head,
                     std::function<QString(const IndexedRun&)> text) {
    auto sort = [text](const IndexedRun& run) { return QVariant(text(run)); };
    return {key, head, std::move(text), std::move(sort)};
}

RunColumn FigureColumn(const char* key, const char* head,
                       std::function<std::optional<double>(const IndexedRun&)> value,
                       std::function<QString(const std::optional<double>&)> shown) {
    return {key, head, [value, shown](const IndexedRun& run) { return shown(value(run)); },
            [value](const IndexedRun& run) { return Sort(value(run)); }, true};
}

}  // namespace

const std::vector<RunColumn>& RunColumns() {
    const auto fixed = [](int decimals) {
        return [decimals](const std::optional<double>& v) { return Fixed(v, decimals); };
    };
    static const std::vector<RunColumn> columns = {
        TextColumn("downloaded", QT_TRANSLATE_NOOP("RunColumns", "読出し日時"),
                   [](const IndexedRun& r) { return TimeText(r.downloaded); }),
        TextColumn("event", QT_TRANSLATE_NOOP("RunColumns", "イベント"),
                   [](const IndexedRun& r) { return r.notes.event; }),
        TextColumn("name", QT_TRANSLATE_NOOP("RunColumns", "走行"),
                   [](const IndexedRun& r) { return r.notes.name; }),
        TextColumn("track", QT_TRANSLATE_NOOP("RunColumns", "コース"),
                   [](const IndexedRun& r) { return r.notes.track; }),
        TextColumn("drivers", QT_TRANSLATE_NOOP("RunColumns", "ドライバー"),
                   [](const IndexedRun& r) { return JoinList(r.notes.drivers); }),
        FigureColumn(
            "duration_s", QT_TRANSLATE_NOOP("RunColumns", "記録時間"),
            [](const IndexedRun& r) { return r.summary.duration_s; }, Clock),
        FigureColumn(
            "distance_km", QT_TRANSLATE_NOOP("RunColumns", "距離 km"),
            [](const IndexedRun& r) { return r.summary.distance_km; }, fixed(2)),
        FigureColumn(
            "laps", QT_TRANSLATE_NOOP("RunColumns", "周回"),
            [](const IndexedRun& r) { return Number(r.summary.laps); }, fixed(0)),
        FigureColumn(
            "best_lap_s", QT_TRANSLATE_NOOP("RunColumns", "ベストラップ"),
            [](const IndexedRun& r) { return r.summary.best_lap_s; }, Clock),
        FigureColumn(
            "wh_per_km", QT_TRANSLATE_NOOP("RunColumns", "Wh/km"),
            [](const IndexedRun& r) { return r.whPerKm; }, fixed(1)),
        FigureColumn(
            "solar_wh", QT_TRANSLATE_NOOP("RunColumns", "ソーラー Wh"),
            [](const IndexedRun& r) { return r.summary.solar_wh; }, fixed(1)),
        TextColumn("partial", QT_TRANSLATE_NOOP("RunColumns", "部分"),
                   [](const IndexedRun& r) {
                       return r.partial() ? QCoreApplication::translate(kContext, "部分")
                                          : QString();
                   }),
        TextColumn("state", QT_TRANSLATE_NOOP("RunColumns", "ファイル"),
                   [](const IndexedRun& r) { return StateText(r.state()); }),
        TextColumn("notes", QT_TRANSLATE_NOOP("RunColumns", "メモ"),
                   [](const IndexedRun& r) {
                       const QString line = r.notes.notes.section(u'\n', 0, 0);
                       return line.size() > 40 ? line.left(40) + u'…' : line;
                   }),
    };
    return columns;
}

QString RunColumnHead(const RunColumn& column) {
    return QCoreApplication::translate(kContext, column.head);
}

QString RunColumnHead(std::string_view key) {
    for (const RunColumn& column : RunColumns()) {
        if (key == column.key) return RunColumnHead(column);
    }
    return {};
}

QString StateText(IndexedRun::State state) {
    switch (state) {
        case IndexedRun::State::Present:
            break;
        case IndexedRun::State::Missing:
            return QCoreApplication::translate(kContext, "ファイルなし");
        case IndexedRun::State::Changed:
            return QCoreApplication::translate(kContext, "変更あり");
    }
    return {};
}

QString StateKey(IndexedRun::State state) {
    switch (state) {
        case IndexedRun::State::Present:
            break;
        case IndexedRun::State::Missing:
            return QStringLiteral("missing");
        case IndexedRun::State::Changed:
            return QStringLiteral("changed");
    }
    return QStringLiteral("present");
}

const std::vector<TrendFigure>& TrendFigures() {
    static const std::vector<TrendFigure> figures = {
        {"wh_per_km", QT_TRANSLATE_NOOP("RunColumns", "電費"), "Wh/km",
         [](const IndexedRun& r) { return r.whPerKm; }},
        {"distance_km", QT_TRANSLATE_NOOP("RunColumns", "走行距離"), "km",
         [](const IndexedRun& r) { return r.summary.distance_km; }},
        {"best_lap_s", QT_TRANSLATE_NOOP("RunColumns", "ベストラップ"), "s",
         [](const IndexedRun& r) { return r.summary.best_lap_s; }},
        {"solar_wh", QT_TRANSLATE_NOOP("RunColumns", "ソーラー発電量"), "Wh",
         [](const IndexedRun& r) { return r.summary.solar_wh; }},
        {"battery_wh", QT_TRANSLATE_NOOP("RunColumns", "バッテリー電力量"), "Wh",
         [](const IndexedRun& r) { return r.summary.battery_wh; }},
        {"max_temp_c", QT_TRANSLATE_NOOP("RunColumns", "最高温度"), "℃",
         [](const IndexedRun& r) { return r.summary.max_temp_c; }},
        {"duration_s", QT_TRANSLATE_NOOP("RunColumns", "記録時間"), "s",
         [](const IndexedRun& r) { return r.summary.duration_s; }},
    };
    return figures;
}

QString TrendFigureName(const TrendFigure& figure) {
    return QCoreApplication::translate(kContext, figure.name) + QStringLiteral(" [") +
           QString::fromUtf8(figure.unit) + u']';
}

}  // namespace yb
