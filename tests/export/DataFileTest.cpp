// The data file: its layout byte for byte, the number rules, Shift-JIS, and failed writes.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <cstdint>

#include "ExportFakes.h"
#include "export/DataFile.h"
#include "export/ShiftJis.h"

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <unistd.h>
#include <csignal>
#endif

namespace yb {
namespace {

using test::FakeDialogs;
using test::FolderEntries;
using test::ReadAll;
using test::WriteAll;

const QDateTime kWritten(QDate(2006, 5, 21), QTime(9, 3, 27));
QDateTime Written() {
    return kWritten;
}

// Shift-JIS bytes of the fixed Japanese texts, taken from an independent code page 932 table.
QByteArray Sjis(const char* hex) {
    return QByteArray::fromHex(hex);
}
const QByteArray kDataRecord = Sjis("8366815b835e8b4c985e3d");           // データ記録=
const QByteArray kOneSecond = Sjis("3195628ad48a75");                    // 1秒間隔
const QByteArray kDataCount = Sjis("8366815b835e90943d");                // データ数=
const QByteArray kTempRecord = Sjis("89b793788366815b835e8b4c985e3d");   // 温度データ記録=
const QByteArray kOneMinute = Sjis("3195aa8ad48a75");                    // 1分間隔
const QByteArray kTempHead = Sjis("54656d705b818e5d");                   // Temp[℃]
const QByteArray kLapCount = Sjis("8efc89f189f190943d");                 // 周回回数=
const QByteArray kLapTimeHead = Sjis("4c617054696d655f7365635b95625d");  // LapTime_sec[秒]

void SetMain(LoggedData& data, int i, float solar, float battery, float mainVolt, float subVolt,
             float speed) {
    data.Data1Solar.at(i) = solar;
    data.Data1Battery.at(i) = battery;
    data.Data1MainVolt.at(i) = mainVolt;
    data.Data1SubVolt.at(i) = subVolt;
    data.Data1Speed.at(i) = speed;
}

// The store of the example file: three main records (the third never filled), two temperature
// records, two laps, recorded every second.
void FillExample(LoggedData& data) {
    data.InitData();
    data.LogInterval = 1;
    data.DataCount1 = 3;
    SetMain(data, 0, 3.25f, -1.20f, 98.5f, 12.3f, 45.0f);
    SetMain(data, 1, 3.30f, -1.10f, 98.6f, 12.3f, 46.0f);
    data.DataCount2 = 2;
    data.Data2Temp.at(0) = 25;
    data.Data2Temp.at(1) = -3;
    data.LapCount = 2;
    data.LapTime.at(0) = 183;
    data.LapMotorWh.at(0) = 12.5f;
    data.LapTime.at(1) = 179;
    data.LapMotorWh.at(1) = 12.1f;
}

QByteArray ExampleBytes(const QByteArray& path, char d) {
    QByteArray f = "YB Download Data\r\n2006/05/21 9:03:27\r\n" + path + "\r\n";
    f += kDataRecord + ',' + kOneSecond + "\r\n";
    f += kDataCount + ",3\r\n";
    f += "No,Solar[A],Battery[A],Main_Volt[V],Solar_Watt[W],Battery_Watt[W],Sub_Volt[V],"
         "Speed[kmh]\r\n";
    f += "1,3.25,-1.20,98.5,320.1,-118.2,12.3,45\r\n";
    f += "2,3.30,-1.10,98.6,325.4,-108.5,12.3,46\r\n";
    f += "3,,,,,,,\r\n";
    f += "\r\n" + kTempRecord + ',' + kOneMinute + "\r\n";
    f += kDataCount + ",2\r\n";
    f += "No," + kTempHead + "\r\n";
    f += "1,25\r\n2,-3\r\n";
    f += "\r\n" + kLapCount + ",2\r\n";
    f += "No," + kLapTimeHead + ",Lap_Motort_Wh[Wh]\r\n";
    f += " 1,183,12.5,\r\n 2,179,12.1,\r\n";
    // No byte of the Japanese texts or of the path is a comma, so this swaps delimiters only.
    return f.replace(',', d);
}

// The lines of the rendered file; checks that every line, the last too, ends with CR LF.
QStringList Lines(const LoggedData& data, QChar d = u',') {
    const auto text = RenderDataFile(data, d, QStringLiteral("/data/YB_Data.csv"), kWritten);
    if (!text) {
        ADD_FAILURE() << "render failed";
        return {};
    }
    EXPECT_TRUE(text->endsWith(QStringLiteral("\r\n")));
    QStringList lines = text->split(QStringLiteral("\r\n"));
    lines.removeLast();
    for (const QString& line : lines) EXPECT_FALSE(line.contains(u'\r') || line.contains(u'\n'));
    return lines;
}

class DataFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        FillExample(data);
    }
    QString pathOf(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    LoggedData data;
    FakeDialogs dialogs;
};

TEST_F(DataFileTest, ExampleIsWrittenByteForByteInCsvAndTsv) {
    for (const bool csv : {true, false}) {
        SCOPED_TRACE(csv ? "CSV" : "TSV");
        const QString path = pathOf(csv ? QStringLiteral("YB_Data.csv") : QStringLiteral("a.txt"));
        ASSERT_TRUE(WriteDataFile(data, csv, path, dialogs, Written));
        EXPECT_EQ(ReadAll(path), ExampleBytes(path.toUtf8(), csv ? ',' : '\t'));
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(DataFileTest, IntervalTextsFollowLogInterval) {
    struct Case {
        std::int16_t interval;
        const char* line4;
        const char* temperature;
    };
    const Case cases[] = {{0, "データ記録=,?秒間隔:不明", "温度データ記録=,1分間隔"},
                          {1, "データ記録=,1秒間隔", "温度データ記録=,1分間隔"},
                          {2, "データ記録=,2秒間隔", "温度データ記録=,1分間隔"},
                          {3, "データ記録=,?秒間隔:不明", "温度データ記録=,1分間隔"},
                          {5, "データ記録=,5秒間隔", "温度データ記録=,1分間隔"},
                          {10, "データ記録=,10秒間隔", "温度データ記録=,2分間隔"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.interval);
        data.LogInterval = c.interval;
        const QStringList lines = Lines(data);
        ASSERT_GT(lines.size(), 10);
        EXPECT_EQ(lines[3], QString::fromUtf8(c.line4));
        EXPECT_EQ(lines[10], QString::fromUtf8(c.temperature));
    }
}

TEST_F(DataFileTest, EmptyMarkersLeaveFieldsEmpty) {
    data.DataCount1 = 3;
    SetMain(data, 0, 2.5f, 99999.0f, 99999.0f, 99999.0f, 99999.0f);  // only the solar current
    SetMain(data, 1, 1.0f, -0.5f, 99999.0f, 12.0f, 30.0f);           // main voltage missing
    SetMain(data, 2, 99999.0f, 2.0f, 100.0f, 99999.0f, 99999.0f);    // solar current missing
    data.Data2Temp.at(1) = 9999;
    const QStringList lines = Lines(data);
    EXPECT_EQ(lines[6], QStringLiteral("1,2.50,,,,,,"));
    EXPECT_EQ(lines[7], QStringLiteral("2,1.00,-0.50,,,,12.0,30"));
    EXPECT_EQ(lines[8], QStringLiteral("3,,2.00,100.0,,200.0,,"));
    EXPECT_EQ(lines[14], QStringLiteral("2,"));

    // Markers of the lap rows are ordinary numbers.
    data.LapTime.at(1) = -1;
    data.LapMotorWh.at(1) = -1.0f;
    EXPECT_EQ(Lines(data).last(), QStringLiteral(" 2,-1,-1.0,"));
}

TEST_F(DataFileTest, SectionsBelowOneAreLeftOutWhole) {
    data.DataCount2 = 0;
    QStringList lines = Lines(data);
    ASSERT_EQ(lines.size(), 14);
    EXPECT_EQ(lines[8], QStringLiteral("3,,,,,,,"));
    EXPECT_EQ(lines[9], QString());
    EXPECT_EQ(lines[10], QStringLiteral("周回回数=,2"));

    // The lowest count only leaves the section out: its walk is never formed.
    data.DataCount2 = -32768;
    data.LapCount = -1;
    lines = Lines(data);
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines.last(), QStringLiteral("3,,,,,,,"));

    data.DataCount2 = 2;
    data.LapCount = 0;
    EXPECT_EQ(Lines(data).last(), QStringLiteral("2,-3"));
}

TEST_F(DataFileTest, NegativeMainCountWritesHeaderOnly) {
    data.DataCount1 = -1;
    const QStringList lines = Lines(data);
    EXPECT_EQ(lines[4], QStringLiteral("データ数=,-1"));
    EXPECT_TRUE(lines[5].startsWith(QStringLiteral("No,Solar[A]")));
    EXPECT_EQ(lines[6], QString());
    EXPECT_EQ(lines[7], QStringLiteral("温度データ記録=,1分間隔"));
}

TEST_F(DataFileTest, DateLineAndTabsInTsv) {
    const auto text =
        RenderDataFile(data, u'\t', QStringLiteral("x"), QDateTime(QDate(2007, 1, 2), QTime(0, 0)));
    ASSERT_TRUE(text);
    const QStringList lines = text->split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines[1], QStringLiteral("2007/01/02 0:00:00"));
    EXPECT_EQ(lines[6], QStringLiteral("1\t3.25\t-1.20\t98.5\t320.1\t-118.2\t12.3\t45"));
    EXPECT_EQ(lines[18], QStringLiteral(" 1\t183\t12.5\t"));
    EXPECT_FALSE(text->contains(u','));
}

TEST(FormatFixedTest, RoundsTheSevenDigitFormHalvesAwayFromZero) {
    struct Case {
        float value;
        int decimals;
        const char* text;
    };
    const Case cases[] = {
        {0.35f, 1, "0.4"},
        {-0.35f, 1, "-0.4"},
        {2.25f, 1, "2.3"},
        {-2.25f, 1, "-2.3"},
        {0.125f, 2, "0.13"},
        {-0.125f, 2, "-0.13"},
        {0.5f, 0, "1"},
        {2.5f, 0, "3"},
        {-1.5f, 0, "-2"},
        {99.95f, 1, "100.0"},
        {9.995f, 2, "10.00"},
        {-0.03f, 1, "0.0"},
        {-0.004f, 2, "0.00"},
        {-0.4f, 0, "0"},
        {-0.0f, 1, "0.0"},
        {0.0f, 2, "0.00"},
        {1e-7f, 2, "0.00"},
        {0.05f, 1, "0.1"},
        {327.67f, 2, "327.67"},
        {-327.68f, 2, "-327.68"},
        {3276.7f, 1, "3276.7"},
        {255.0f, 0, "255"},
        {1234567.5f, 1, "1234568.0"},
        {16777216.0f, 0, "16777220"},
        {1e-45f, 2, "0.00"},
        {3e38f, 0, "300000000000000000000000000000000000000"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatFixed(c.value, c.decimals), QLatin1StringView(c.text))
            << c.value << " with " << c.decimals << " decimals";
    }
}

TEST_F(DataFileTest, WattsAreSinglePrecisionProducts) {
    // 0.75 x 98.2 is 73.6499939 as a float product, 73.6499977 in double precision.
    data.DataCount1 = 1;
    SetMain(data, 0, 0.75f, 0.75f, 98.2f, 12.0f, 0.0f);
    EXPECT_EQ(Lines(data)[6], QStringLiteral("1,0.75,0.75,98.2,73.6,73.6,12.0,0"));
}

TEST(ShiftJisTest, EncodesCodePage932AndReplacesTheRest) {
    const auto encoded = [](const char* utf8) {
        const auto bytes = EncodeShiftJis(QString::fromUtf8(utf8));
        return bytes ? *bytes : QByteArray("<no converter>");
    };
    EXPECT_EQ(encoded("℃"), Sjis("818e"));
    EXPECT_EQ(encoded("データ記録="), kDataRecord);
    EXPECT_EQ(encoded("周回回数="), kLapCount);
    EXPECT_EQ(encoded("C:\\Data\\a b.csv"), QByteArray("C:\\Data\\a b.csv"));
    EXPECT_EQ(encoded("/tmp/é😀x¥/データ"), "/tmp/??x?/" + Sjis("8366815b835e"));
    EXPECT_EQ(EncodeShiftJis(QString(QChar(0xD800)) + u'a'), QByteArray("?a"));
}

TEST_F(DataFileTest, PathLineIsShiftJisWithUnmappableCharactersAsQuestionMarks) {
    const QString path = pathOf(QStringLiteral("データ_é.csv"));
    ASSERT_TRUE(WriteDataFile(data, true, path, dialogs, Written));
    const QList<QByteArray> lines = ReadAll(path).split('\n');
    ASSERT_GT(lines.size(), 3);
    EXPECT_EQ(lines[2], dir.path().toUtf8() + "/" + Sjis("8366815b835e") + "_?.csv\r");
}

// --- failures: the target keeps its old content, nothing else appears in the folder ----------

class FailedWriteTest : public DataFileTest {
protected:
    void expectFailure(const QString& path) {
        EXPECT_FALSE(WriteDataFile(data, true, path, dialogs, Written));
        EXPECT_EQ(dialogs.messages, std::vector<QString>{kSaveFailedText});
    }
    const QByteArray oldContent = "old content\r\n";
};

TEST_F(FailedWriteTest, CountsPastCapacityFailBeforeTheDiskIsTouched) {
    data.DataCount1 = 16101;  // reads the last slot, still within capacity
    EXPECT_EQ(Lines(data)[6 + 16100], QStringLiteral("16101,,,,,,,"));

    for (const auto& [count1, count2, laps] :
         {std::tuple{16102, 2, 2}, {3, 1352, 2}, {3, 2, 202}, {-32768, 2, 2}}) {
        SCOPED_TRACE(testing::Message() << count1 << " " << count2 << " " << laps);
        data.DataCount1 = static_cast<std::int16_t>(count1);
        data.DataCount2 = static_cast<std::int16_t>(count2);
        data.LapCount = static_cast<std::int16_t>(laps);
        EXPECT_FALSE(RenderDataFile(data, u',', QStringLiteral("x"), kWritten));
    }

    data.DataCount1 = 16102;
    const QString path = pathOf(QStringLiteral("YB_Data.csv"));
    WriteAll(path, oldContent);
    expectFailure(path);
    EXPECT_EQ(ReadAll(path), oldContent);
    EXPECT_EQ(FolderEntries(dir.path()), QStringList{QStringLiteral("YB_Data.csv")});
}

TEST_F(FailedWriteTest, UnwritablePlacesFail) {
    expectFailure(pathOf(QStringLiteral("missing/YB_Data.csv")));
    dialogs.messages.clear();
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    expectFailure(pathOf(QStringLiteral("folder")));
    EXPECT_EQ(FolderEntries(dir.path()), QStringList{QStringLiteral("folder")});
    EXPECT_TRUE(FolderEntries(pathOf(QStringLiteral("folder"))).isEmpty());
}

TEST_F(FailedWriteTest, ReadOnlyFileKeepsItsContent) {
    const QString path = pathOf(QStringLiteral("YB_Data.csv"));
    WriteAll(path, oldContent);
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner));
    // Root writes whatever the permission bits say; an immutable file stops it too.
    const auto chattr = [&path](const char* flag) {
        return QProcess::execute(QStringLiteral("chattr"), {QLatin1String(flag), path}) == 0;
    };
#ifdef Q_OS_UNIX
    const bool root = geteuid() == 0;
#else
    const bool root = false;
#endif
    if (root && !chattr("+i")) GTEST_SKIP() << "root, and files here cannot be made immutable";

    expectFailure(path);

    if (root) chattr("-i");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(ReadAll(path), oldContent);
    EXPECT_EQ(FolderEntries(dir.path()), QStringList{QStringLiteral("YB_Data.csv")});
}

#ifdef Q_OS_UNIX
// A file-size limit makes the write fail, as a full disk does: a small file fails when it is
// flushed at the end, a large one already while it is written.
TEST_F(FailedWriteTest, WriteErrorKeepsTheOldFile) {
    const QString path = pathOf(QStringLiteral("YB_Data.csv"));
    WriteAll(path, oldContent);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;

    for (const std::int16_t rows : {400, 4000}) {
        SCOPED_TRACE(rows);
        dialogs.messages.clear();
        data.DataCount1 = rows;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool written = WriteDataFile(data, true, path, dialogs, Written);
        setrlimit(RLIMIT_FSIZE, &saved);

        EXPECT_FALSE(written);
        EXPECT_EQ(dialogs.messages, std::vector<QString>{kSaveFailedText});
        EXPECT_EQ(ReadAll(path), oldContent);
        EXPECT_EQ(FolderEntries(dir.path()), QStringList{QStringLiteral("YB_Data.csv")});
    }
    std::signal(SIGXFSZ, savedSignal);
}
#endif

}  // namespace
}  // namespace yb
