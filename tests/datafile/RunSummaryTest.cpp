// The run summary, its windows, the lap table and the energy channels against figures worked out
// by hand for a small file: a download that ended early (two empty main rows, an empty
// temperature, an empty lap row), and the same file complete, at 10 s as TSV, without an
// interval and without laps.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <cmath>

#include "analysis/RunEnergy.h"
#include "datafile/DataFileReader.h"
#include "datafile/RunSummary.h"

namespace yb::test {
namespace {

// Main rows at 0, 2, 4, 6 s: speed 36, 54, 72, 18; solar W 300, 396, 196, 97; battery W 100,
// -198, 49, 97; battery A 1, -2, 0.5, 1. Temperatures at 0 and 60 s. Laps of 4 s and 2 s.
const char* const kPartial =
    "YB Download Data\n2024/08/04 10:00:00\nrun.csv\nデータ記録=,2秒間隔\nデータ数=,6\n"
    "No,Solar[A],Battery[A],Main_Volt[V],Solar_Watt[W],Battery_Watt[W],Sub_Volt[V],Speed[kmh]\n"
    "1,3.00,1.00,100.0,300.0,100.0,12.0,36\n"
    "2,4.00,-2.00,99.0,396.0,-198.0,12.0,54\n"
    "3,2.00,0.50,98.0,196.0,49.0,12.0,72\n"
    "4,1.00,1.00,97.0,97.0,97.0,12.0,18\n5,,,,,,,\n6,,,,,,,\n"
    "\n温度データ記録=,1分間隔\nデータ数=,3\nNo,Temp[℃]\n1,30\n2,41\n3,\n"
    "\n周回回数=,3\nNo,LapTime_sec[秒],Lap_Motort_Wh[Wh]\n 1,4,2.0,\n 2,2,1.5,\n 3,-1,-1.0,\n";

QString Edited(std::initializer_list<std::pair<const char*, const char*>> edits) {
    QString text = QString::fromUtf8(kPartial);
    for (const auto& [from, to] : edits)
        text.replace(QString::fromUtf8(from), QString::fromUtf8(to));
    return text;
}

const QString kFull = Edited({{"=,6", "=,4"},
                              {"5,,,,,,,\n6,,,,,,,\n", ""},
                              {"=,3\nNo,T", "=,2\nNo,T"},
                              {"3,\n", ""},
                              {"=,3\nNo,L", "=,2\nNo,L"},
                              {" 3,-1,-1.0,\n", ""}});
const QString kEmptyLap =
    QString(kFull).replace(QStringLiteral("=,2\nNo,L"), QStringLiteral("=,3\nNo,L")) +
    QStringLiteral(" 3,-1,-1.0,\n");
const QString kTsv10 = Edited({{"2秒", "10秒"}, {"1分", "2分"}, {",", "\t"}});
const QString kUnknown = Edited({{"2秒間隔", "?秒間隔:不明"}});
const QString kNoLaps =
    QString::fromUtf8(kPartial).section(QStringLiteral("\n\n周回"), 0, 0) + u'\n';

RunData Read(const QString& text) {
    const DataFileReadResult read = ReadDataFile(text.toUtf8(), QStringLiteral("run.csv"));
    EXPECT_TRUE(read.run) << read.errorText().toStdString();
    return read.run.value_or(RunData{});
}

using Figures = std::vector<std::optional<double>>;
const std::optional<double> x;  // unknown
const QStringList kKeys = {"records",       "interval_s",    "duration_s", "distance_km",
                           "avg_speed_kmh", "max_speed_kmh", "solar_wh",   "battery_wh",
                           "min_main_v",    "max_temp_c",    "laps",       "best_lap_s",
                           "best_lap_no",   "motor_wh",      "partial",    "lap_table"};
const QStringList kLapKeys = {"lap",         "time_s",        "motor_wh", "start_s",
                              "distance_km", "avg_speed_kmh", "solar_wh", "wh_per_km"};

Figures Numbers(const QJsonObject& object, const QStringList& keys) {
    Figures figures;
    for (const QString& key : keys) {
        const QJsonValue v = object.value(key);
        figures.push_back(v.isBool()   ? std::optional(v.toBool() ? 1.0 : 0.0)
                          : v.isNull() ? std::nullopt
                                       : std::optional(v.toDouble()));
    }
    return figures;
}

void ExpectFigures(const Figures& got, const Figures& want, const std::string& what) {
    ASSERT_EQ(got.size(), want.size()) << what;
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].has_value(), want[i].has_value()) << what << " figure " << i;
        if (got[i] && want[i]) {
            EXPECT_NEAR(*got[i], *want[i], 1e-12) << what << " figure " << i;
        }
    }
}

struct Case {
    const char* name;
    QString file;
    std::optional<std::pair<double, double>> windowMin;  // --from, --to
    double lapStartMin;
    Figures figures;            // kKeys without lap_table; partial as 1 or 0
    std::vector<Figures> laps;  // lap_table rows in kLapKeys order; none in a window
};

TEST(RunSummary, HandWorkedFiguresWindowsAndLaps) {
    const double h = 1.0 / 3600;
    const Figures lap1 = {1, 4, 2.0, 0, 180 * h, 45, 1392 * h, 2.0 / (180 * h)};
    const Figures lap2 = {2, 2, 1.5, 4, 144 * h, 72, 392 * h, 1.5 / (144 * h)};
    const Figures whole = {4, 2, 8, 360 * h, 45, 72, 1978 * h, 96 * h, 97, 41, 3, 2, 2, 3.5, 1};
    const Case cases[] = {
        // Rows 5 and 6, temperature 3 and lap 3 are empty: four records over 8 s.
        {"partial", kPartial, {}, 0, whole, {lap1, lap2}},
        {"full",
         kFull,
         {},
         0,
         {4, 2, 8, 360 * h, 45, 72, 1978 * h, 96 * h, 97, 41, 2, 2, 2, 3.5, 0},
         {lap1, lap2}},
        {"only a lap row empty",
         kEmptyLap,
         {},
         0,
         {4, 2, 8, 360 * h, 45, 72, 1978 * h, 96 * h, 97, 41, 3, 2, 2, 3.5, 1},
         {lap1, lap2}},
        // 0.05 min = 3 s: lap 1 holds rows 2 and 3 (4 s, 6 s), lap 2 row 4 (8 s), which is empty.
        {"lap start",
         kPartial,
         {},
         0.05,
         whole,
         {{1, 4, 2.0, 3, 180 * h, 45, 586 * h, 2.0 / (180 * h)}, {2, 2, 1.5, 7, 0, 0, 0, x}}},
        // [3 s, 6 s): row 2 only; no temperature at 0 or 60 s.
        {"window",
         kPartial,
         {{0.05, 0.1}},
         0,
         {1, 2, 2, 144 * h, 72, 72, 392 * h, 98 * h, 98, x, x, x, x, x, 0},
         {}},
        {"window from 0",
         kPartial,
         {{0, 0.1}},
         0,
         {3, 2, 6, 324 * h, 54, 72, 1784 * h, -98 * h, 98, 30, x, x, x, x, 0},
         {}},
        // [6 s, end): row 3 and the two empty rows; temperatures at 60 s and the empty one.
        {"window over the empty rows",
         kPartial,
         {{0.1, 1e6}},
         0,
         {1, 2, 2, 36 * h, 18, 18, 194 * h, 194 * h, 97, 41, x, x, x, x, 1},
         {}},
        // Every 10 s, a temperature every 120 s: five times the energy and the distance.
        {"TSV at 10 s",
         kTsv10,
         {},
         0,
         {4, 10, 40, 1800 * h, 45, 72, 9890 * h, 480 * h, 97, 41, 3, 2, 2, 3.5, 1},
         {{1, 4, 2.0, 0, 360 * h, 90, 3000 * h, 2.0 / (360 * h)}, {2, 2, 1.5, 4, 0, 0, 0, x}}},
        // [0 s, 120 s): all main rows, but only the first temperature.
        {"TSV window",
         kTsv10,
         {{0, 2}},
         0,
         {4, 10, 40, 1800 * h, 45, 72, 9890 * h, 480 * h, 97, 30, x, x, x, x, 1},
         {}},
        {"unknown interval",
         kUnknown,
         {},
         0,
         {4, x, x, x, x, 72, x, x, 97, 41, 3, 2, 2, 3.5, 1},
         {{1, 4, 2.0, 0, x, x, x, x}, {2, 2, 1.5, 4, x, x, x, x}}},
        {"no laps",
         kNoLaps,
         {},
         0,
         {4, 2, 8, 360 * h, 45, 72, 1978 * h, 96 * h, 97, 41, 0, x, x, x, 1},
         {}},
    };
    for (const Case& c : cases) {
        const RunData run = Read(c.file);
        RunSummary summary;
        if (c.windowMin) {
            const auto rows = RowsBetween(run, MinutesToSeconds(c.windowMin->first),
                                          MinutesToSeconds(c.windowMin->second));
            ASSERT_TRUE(rows) << c.name;
            summary = SummarizeWindow(run, *rows);
        } else {
            summary = SummarizeRun(run, MinutesToSeconds(c.lapStartMin));
        }
        const QByteArray json = SummaryJson(summary);
        QStringList order;
        for (const auto& m : QRegularExpression(QStringLiteral("^\\{\"(\\w+)\"|, \"(\\w+)\": "))
                                 .globalMatch(QString::fromUtf8(json.left(json.indexOf('[')))))
            order << m.captured(1) + m.captured(2);
        const QJsonObject object = QJsonDocument::fromJson(json).object();
        if (!c.windowMin) {
            EXPECT_EQ(order, kKeys) << c.name;
        }
        ExpectFigures(Numbers(object, kKeys.mid(0, 15)), c.figures, c.name);
        EXPECT_EQ(object.value("lap_table").isNull(), c.windowMin.has_value()) << c.name;
        const QJsonArray laps = object.value("lap_table").toArray();
        ASSERT_EQ(laps.size(), static_cast<qsizetype>(c.laps.size())) << c.name;
        for (qsizetype i = 0; i < laps.size(); ++i) {
            ExpectFigures(Numbers(laps[i].toObject(), kLapKeys),
                          c.laps[static_cast<std::size_t>(i)],
                          std::string(c.name) + " lap " + std::to_string(i + 1));
        }
    }
    EXPECT_FALSE(RowsBetween(Read(kUnknown), 0, 60));
}

// The state of charge too: charge, its share of the 10 Ah and its energy at the mean main voltage
// (98.5 V); the battery's lines of the summary at the end and at the second record.
TEST(RunSummary, EnergyChannelsRunningTotals) {
    const double h = 2.0 / 3600;
    const auto at = [](const RunEnergy& e, EnergyChannel c) {
        return Figures(e.channel(c).begin(), e.channel(c).end());
    };
    const RunEnergy energy = DeriveEnergy(Read(kPartial), 10.0);
    const Figures charge = {10 - h, 10 + h, 10 + 0.5 * h, 10 - 0.5 * h, x, x};
    Figures percent, wh;
    for (const auto& c : charge) {
        percent.push_back(c ? std::optional(*c * 10) : x);
        wh.push_back(c ? std::optional(*c * 98.5) : x);
    }
    const std::pair<EnergyChannel, Figures> columns[] = {
        {EnergyChannel::SolarWh, {300 * h, 696 * h, 892 * h, 989 * h, x, x}},
        {EnergyChannel::BatteryWh, {100 * h, -98 * h, -49 * h, 48 * h, x, x}},
        {EnergyChannel::MotorWh, {400 * h, 598 * h, 843 * h, 1037 * h, x, x}},
        {EnergyChannel::RemainingAh, charge},
        {EnergyChannel::RemainingPct, percent},
        {EnergyChannel::RemainingWh, wh},
    };
    for (const auto& [channel, expected] : columns) {
        ExpectFigures(at(energy, channel), expected, "channel " + std::to_string(int(channel)));
    }
    const RunEnergy unset = DeriveEnergy(Read(kPartial), std::nullopt);
    EXPECT_EQ(at(unset, EnergyChannel::RemainingAh)[0], x);
    EXPECT_EQ(at(DeriveEnergy(Read(kUnknown), 10.0), EnergyChannel::SolarWh)[0], x);
    const auto values = [](const std::vector<SummaryLine>& lines) {
        QStringList v;
        for (const SummaryLine& line : lines) v << line.value;
        return v;
    };
    const RunEnergy small = DeriveEnergy(Read(kPartial), 0.01);  // 0.01 - h / 2, 0.01 + h
    EXPECT_EQ(values(ChargeLines(small, 6)), (QStringList{"0.01 Ah", "0.01 Ah", "97.2 %", "1 Wh"}));
    EXPECT_EQ(values(ChargeLines(small, 2)),
              (QStringList{"0.01 Ah", "0.01 Ah", "105.6 %", "1 Wh"}));
    EXPECT_EQ(values(ChargeLines(unset, 6)), QStringList(4, "未設定"));
    EXPECT_TRUE(SummaryJson(SummarizeRun(Read(kPartial)), unset, 6)
                    .endsWith("\"capacity_ah\": null, \"charge_end_ah\": null, "
                              "\"charge_end_pct\": null, \"charge_end_wh\": null}"));
}

TEST(RunSummary, LabelledLinesRoundForReading) {
    const RunSummary s = SummarizeRun(Read(kPartial));
    const QStringList lines = SummaryText(s).split(u'\n');
    for (const char* line :
         {"記録時間: 0:08", "走行距離: 0.10 km", "バッテリー電力量: 0.0 Wh", "ベストラップ: 0:02",
          "ベストラップの周回: 2", "最高温度: 41 ℃", "部分データ: はい (空の行あり)"}) {
        EXPECT_TRUE(lines.contains(QString::fromUtf8(line))) << line;
    }
    RunSummary window = SummarizeWindow(Read(kPartial), {0, 1, 0, 0});
    EXPECT_FALSE(SummaryText(window).contains(QStringLiteral("周回数")));
    EXPECT_TRUE(SummaryText(RunSummary{}).contains(QStringLiteral("平均速度: 不明\n")));
    // The distance with two decimals, as the viewer's lap table and the report show it.
    EXPECT_EQ(LapTableText(s.lapTable).split(u'\n')[1].toStdString(),
              "   1    0:04  0:00      0.05        45.0           2.0   40.0           0.4");
}

TEST(RunSummary, EveryTimeIsWrittenInOneOfItsForms) {
    using F = ClockForm;
    const struct {
        double seconds;
        ClockForm form;
        const char* text;
    } cases[] = {
        {185, F::Short, "3:05"},     {3725, F::Short, "1:02:05"},
        {-13, F::Short, "-0:13"},    {-0.4, F::Short, "0:00"},
        {185, F::Long, "0:03:05"},   {3725.5, F::Long, "1:02:06"},
        {-30, F::Long, "-0:00:30"},  {3725, F::HoursMinutes, "1:02"},
        {600, F::FileName, "0h10m"}, {2430, F::FileName, "0h40m30s"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClockText(c.seconds, c.form).toStdString(), c.text) << c.seconds;
    }
    // And read back as typed; anything that is not plainly a time is refused.
    const std::pair<QString, std::optional<double>> typed[] = {
        {"0:03:05", 185}, {"3:05", 185}, {"185", 185},      {" 1:00:00 ", 3600}, {"0:00", 0},
        {"", {}},         {"3:5", {}},   {"0:60:00", {}},   {"-0:13", {}},       {"1:02:03:04", {}},
        {"1.5", {}},      {"3:05x", {}}, {"\uFF13:05", {}}, {":05", {}},
    };
    for (const auto& [text, seconds] : typed) {
        EXPECT_EQ(ClockSeconds(text), seconds) << text.toStdString();
    }
}

}  // namespace
}  // namespace yb::test
