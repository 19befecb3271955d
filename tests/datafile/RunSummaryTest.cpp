// The run summary against figures worked out by hand for a small file recorded every 2 s.

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include "datafile/DataFileReader.h"
#include "datafile/RunSummary.h"

namespace yb::test {
namespace {

const char* const kRun =
    "YB Download Data\n2024/08/04 10:00:00\nrun.csv\nデータ記録=,2秒間隔\nデータ数=,4\n"
    "No,Solar[A],Battery[A],Main_Volt[V],Solar_Watt[W],Battery_Watt[W],Sub_Volt[V],Speed[kmh]\n"
    "1,3.00,1.00,100.0,300.0,100.0,12.0,36\n"
    "2,4.00,-2.00,99.0,396.0,-198.0,12.0,54\n"
    "3,,,,,,,\n"
    "4,2.00,0.50,98.0,196.0,49.0,12.0,72\n"
    "\n温度データ記録=,1分間隔\nデータ数=,3\nNo,Temp[℃]\n1,30\n2,\n3,41\n"
    "\n周回回数=,4\nNo,LapTime_sec[秒],Lap_Motort_Wh[Wh]\n"
    " 1,0,-1.0,\n 2,95,3.5,\n 3,-1,2.0,\n 4,95,4.0,\n";

using Figures = std::vector<std::optional<double>>;

// Every figure in key order, from the JSON object (which also proves the keys and their order).
Figures FiguresOf(const QByteArray& json) {
    static const QStringList keys = {"records",       "interval_s",    "duration_s", "distance_km",
                                     "avg_speed_kmh", "max_speed_kmh", "solar_wh",   "battery_wh",
                                     "min_main_v",    "max_temp_c",    "laps",       "best_lap_s",
                                     "best_lap_no",   "motor_wh"};
    QStringList order;
    for (const auto& match :
         QRegularExpression(QStringLiteral("\"(\\w+)\":")).globalMatch(QString::fromUtf8(json))) {
        order << match.captured(1);
    }
    EXPECT_EQ(order, keys);
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    Figures figures;
    for (const QString& key : keys) {
        const QJsonValue value = object.value(key);
        figures.push_back(value.isNull() ? std::nullopt : std::optional(value.toDouble()));
    }
    return figures;
}

TEST(RunSummary, HandWorkedFigures) {
    const auto replaced = [](const char* from, const char* to) {
        return QString::fromUtf8(kRun).replace(QString::fromUtf8(from), QString::fromUtf8(to));
    };
    const QString noSections = QString::fromUtf8(kRun).section(QStringLiteral("\n\n"), 0, 0);
    const std::optional<double> x;  // unknown
    const std::pair<QString, Figures> cases[] = {
        // 162 km/h x 2 s; 892 W x 2 s; -49 W x 2 s; best of 0, 95, -1, 95 is lap 2.
        {QString::fromUtf8(kRun),
         {4, 2, 8, 324.0 / 3600, 40.5, 72, 1784.0 / 3600, -98.0 / 3600, 98, 41, 4, 95, 2, 9.5}},
        {replaced("2秒間隔", "?秒間隔:不明"), {4, x, x, x, x, 72, x, x, 98, 41, 4, 95, 2, 9.5}},
        {noSections,
         {4, 2, 8, 324.0 / 3600, 40.5, 72, 1784.0 / 3600, -98.0 / 3600, 98, x, 0, x, x, x}},
        {replaced("1,30\n2,\n3,41", "1,\n2,\n3,"),
         {4, 2, 8, 324.0 / 3600, 40.5, 72, 1784.0 / 3600, -98.0 / 3600, 98, x, 4, 95, 2, 9.5}},
        {replaced("4,95,4.0", "4,94,-0.5"),
         {4, 2, 8, 324.0 / 3600, 40.5, 72, 1784.0 / 3600, -98.0 / 3600, 98, 41, 4, 94, 4, 5.5}},
        {noSections.section(u'\n', 0, 5).replace(QStringLiteral("=,4"), QStringLiteral("=,0")),
         {0, 2, 0, 0, x, x, 0, 0, x, x, 0, x, x, x}},
    };
    for (const auto& [text, expected] : cases) {
        const DataFileReadResult read = ReadDataFile(text.toUtf8(), QStringLiteral("run.csv"));
        ASSERT_TRUE(read.run) << read.errorText().toStdString();
        const Figures figures = FiguresOf(SummaryJson(SummarizeRun(*read.run)));
        ASSERT_EQ(figures.size(), expected.size());
        for (std::size_t i = 0; i < figures.size(); ++i) {
            EXPECT_EQ(figures[i].has_value(), expected[i].has_value()) << i;
            if (figures[i] && expected[i]) {
                EXPECT_DOUBLE_EQ(*figures[i], *expected[i]) << i;
            }
        }
    }
}

TEST(RunSummary, LabelledLinesRoundForReading) {
    const RunSummary s = SummarizeRun(*ReadDataFile(kRun, QStringLiteral("r")).run);
    const QStringList lines = SummaryText(s).split(u'\n');
    for (const char* line : {"記録時間: 0:08", "走行距離: 0.09 km", "バッテリー電力量: 0.0 Wh",
                             "ベストラップ: 1:35", "ベストラップの周回: 2", "最高温度: 41 ℃"}) {
        EXPECT_TRUE(lines.contains(QString::fromUtf8(line))) << line;
    }
    RunSummary unknown;
    EXPECT_TRUE(SummaryText(unknown).contains(QStringLiteral("平均速度: 不明\n")));
    EXPECT_EQ(ClockText(3725), QStringLiteral("1:02:05"));
}

}  // namespace
}  // namespace yb::test
