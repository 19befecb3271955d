// Reading data files back: what the program writes (and what other tools make of it) gives the
// store's values as the file shows them; anything else is refused at the right line.

#include <gtest/gtest.h>

#include <random>

#include "datafile/DataFile.h"
#include "datafile/DataFileReader.h"
#include "datafile/Printable.h"
#include "datafile/ShiftJis.h"
#include "support/Stores.h"

namespace yb::test {
namespace {

void ExpectSameRun(const RunData& a, const RunData& b, const char* context) {
    SCOPED_TRACE(context);
    EXPECT_EQ(a.intervalS, b.intervalS);
    EXPECT_EQ(a.temperatureIntervalS, b.temperatureIntervalS);
    ASSERT_EQ(a.mainRows(), b.mainRows());
    for (int c = 0; c < kMainChannels; ++c) {
        const auto& x = a.main[static_cast<std::size_t>(c)];
        const auto& y = b.main[static_cast<std::size_t>(c)];
        const auto differs = std::mismatch(x.begin(), x.end(), y.begin());
        EXPECT_TRUE(differs.first == x.end())
            << "channel " << c << " row " << (differs.first - x.begin()) + 1;
    }
    EXPECT_EQ(a.temperatures, b.temperatures);
    ASSERT_EQ(a.laps.size(), b.laps.size());
    for (std::size_t i = 0; i < a.laps.size(); ++i) {
        EXPECT_EQ(std::tuple(a.laps[i].number, a.laps[i].timeS, a.laps[i].motorWh),
                  std::tuple(b.laps[i].number, b.laps[i].timeS, b.laps[i].motorWh));
    }
}

class Reader : public ::testing::Test {
protected:
    // The store of the data file example: three main records (the third empty), two
    // temperatures, two laps.
    void SetUp() override { FillExample(data); }
    QString Text(QChar delimiter = u',') const {
        return *RenderDataFile(data, delimiter, QStringLiteral("C:\\yb\\run,1.csv"),
                               QDateTime(QDate(2006, 5, 21), QTime(9, 3, 27)));
    }
    static DataFileReadResult Read(const QByteArray& bytes) {
        return ReadDataFile(bytes, QStringLiteral("run.csv"));
    }
    RecordStore data;
};

TEST_F(Reader, ExampleGivesTheFilesFigures) {
    const DataFileReadResult result = Read(*EncodeShiftJis(Text()));
    ASSERT_TRUE(result.run) << result.errorText().toStdString();
    const RunData& run = *result.run;
    EXPECT_EQ(run.writtenAt, QStringLiteral("2006/05/21 9:03:27"));
    EXPECT_EQ(run.savedPath, QStringLiteral("C:\\yb\\run,1.csv"));
    const std::vector<std::optional<double>> row1 = {3.25, -1.2, 98.5, 320.1, -118.2, 12.3, 45};
    for (int c = 0; c < kMainChannels; ++c) {
        EXPECT_EQ(run.main[static_cast<std::size_t>(c)][0], row1[static_cast<std::size_t>(c)]);
        EXPECT_EQ(run.main[static_cast<std::size_t>(c)][2], std::nullopt);
    }
    EXPECT_EQ(run.temperatures, (std::vector<std::optional<int>>{25, -3}));
    EXPECT_EQ(run.laps.at(1).motorWh, 12.1);
}

// Files the program writes, in both delimiters, with every combination of sections and
// intervals, read back as the store's own values.
TEST_F(Reader, ProgramWrittenFilesGiveTheStoresValues) {
    const std::tuple<int, int, std::int16_t, char16_t> cases[] = {
        {0, 0, 1, u','},   {2, 0, 2, u'\t'}, {0, 2, 5, u','},
        {2, 2, 10, u'\t'}, {2, 2, 0, u','},  {-1, -5, 3, u'\t'}};
    for (const auto& [temp, laps, interval, delimiter] : cases) {
        data.setCount(Stage::Temperature, static_cast<std::int16_t>(temp));
        data.setCount(Stage::Laps, static_cast<std::int16_t>(laps));
        data.setInterval(interval);
        const DataFileReadResult result = Read(*EncodeShiftJis(Text(delimiter)));
        ASSERT_TRUE(result.run) << result.errorText().toStdString();
        EXPECT_EQ(result.run->delimiter, QChar(delimiter));
        ExpectSameRun(*result.run, RunDataFromStore(data, {}), "sections");
    }
    Shape(data, 1, -3, 0, 0);
    EXPECT_EQ(Read(*EncodeShiftJis(Text())).run->mainRows(), 0);
}

// What another tool may make of the file when it saves it again.
TEST_F(Reader, ResavedFilesAreAccepted) {
    const QString crlf = Text();
    QString lf = crlf;
    lf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QString padded = crlf;  // blanks around fields, every line padded to eight fields
    padded.replace(u',', QStringLiteral(" , "))
        .replace(QStringLiteral("\r\n"), QStringLiteral(",,,,,,,\r\n"));
    const std::pair<const char*, QByteArray> cases[] = {
        {"LF", *EncodeShiftJis(lf)},
        {"UTF-8", lf.toUtf8()},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + crlf.toUtf8()},
        {"no last line end", EncodeShiftJis(crlf)->chopped(2)},
        {"blank lines between sections",
         *EncodeShiftJis(
             QString(crlf).replace(QStringLiteral("\r\n\r\n"), QStringLiteral("\r\n\r\n\r\n")))},
        {"padded", *EncodeShiftJis(padded)},
        {"trailing blank lines", *EncodeShiftJis(crlf + QStringLiteral("\r\n\r\n"))}};
    const RunData expected = RunDataFromStore(data, {});
    for (const auto& [name, bytes] : cases) {
        const DataFileReadResult result = Read(bytes);
        ASSERT_TRUE(result.run) << name << ": " << result.errorText().toStdString();
        ExpectSameRun(*result.run, expected, name);
    }
}

// Each damage, done to the example's text, is refused at its line.
TEST_F(Reader, DamagedFilesAreRefusedAtTheirLine) {
    struct Case {
        const char* find;
        const char* replace;
        int line;
        const char* message;
    };
    const Case cases[] = {
        {"YB Download Data", "YB Download", 1, "not a YB data file"},
        {"データ記録=,1秒間隔", "データ記録=1秒間隔", 4, "no comma or tab"},
        {"1秒間隔", "3秒間隔", 4, "unknown recording interval \"3秒間隔\""},
        {"データ数=,3", "データ数=,three", 5, "\"three\" is not a count"},
        {"Speed[kmh]", "Speed", 6, "column head Speed[kmh] where \"Speed\""},
        {"2,3.30,-1.10,98.6,325.4,-108.5,12.3,46", "2,3.30,-1.10", 8,
         "3 fields where the main data has 8"},
        {"3.25", "3.2x", 7, "\"3.2x\" under Solar[A] is not a number"},
        {"45\r\n", "4.5e1\r\n", 7, "under Speed[kmh] is not a number"},
        {"2,3.30", "5,3.30", 8, "row number \"5\" where 2 was expected"},
        {"データ数=,3", "データ数=,4", 10, "the main data ends after 3 of 4 rows"},
        {"データ数=,3", "データ数=,2", 9, "more rows in the main data than the count of 2"},
        {"3,,,,,,,\r\n\r\n", "3,,,,,,,\r\n", 10, "2 fields where the main data has 8"},
        {"1分間隔", "3分間隔", 11, "unknown temperature interval"},
        {"2,-3", "2,-3.5", 15, "\"-3.5\" under Temp[℃] is not a number"},
        {" 2,179,12.1,", " 2,179,,", 20, "\"\" under Lap_Motort_Wh[Wh] is not a number"},
        {" 1,183,12.5,", " 1,,12.5,", 19, "under LapTime_sec[秒]"},
        {" 2,179,12.1,\r\n", " 2,179,12.1,\r\n\r\nmore\r\n", 22, "nothing may follow"},
        {"\r\n\r\n温度", "\r\n\r\nx温度", 11, "expected the temperature or lap section"},
        {"周回回数=,2", "温度データ記録=,1分間隔", 17, "expected the lap section"},
        {"No,Temp[℃]\r\n1,25", "No,Temp[℃]\r\n1,\x81", 14, "neither Shift-JIS nor UTF-8"},
    };
    for (const Case& c : cases) {
        QByteArray bytes = *EncodeShiftJis(Text());
        const QByteArray find = *EncodeShiftJis(QString::fromUtf8(c.find));
        ASSERT_TRUE(bytes.contains(find)) << c.find;
        const QByteArray replace = QByteArray(c.replace).contains('\x81')
                                       ? QByteArray(c.replace)
                                       : *EncodeShiftJis(QString::fromUtf8(c.replace));
        bytes.replace(bytes.indexOf(find), find.size(), replace);
        const DataFileReadResult result = Read(bytes);
        ASSERT_FALSE(result.run) << c.replace;
        EXPECT_EQ(result.error->line, c.line) << c.replace;
        EXPECT_TRUE(result.errorText().startsWith(QStringLiteral("run.csv:%1: ").arg(c.line)));
        EXPECT_TRUE(result.error->message.contains(QString::fromUtf8(c.message)))
            << result.errorText().toStdString();
    }
    EXPECT_EQ(Read({}).errorText(), QStringLiteral("run.csv:1: empty file"));
    EXPECT_EQ(Read("YB Download Data\r\n").errorText(),
              QStringLiteral("run.csv:2: the file ends after line 1"));
    // Found by fuzzing: without a final line end there is no line after the last one to name.
    EXPECT_EQ(Read("YB Download Data").errorText(),
              QStringLiteral("run.csv:1: the file ends after line 1"));
    const QString cut = Text().left(Text().indexOf(QStringLiteral("\r\n3,")));
    EXPECT_EQ(Read(*EncodeShiftJis(cut)).errorText(),
              QStringLiteral("run.csv:8: the main data ends after 2 of 3 rows"));
    EXPECT_EQ(ReadDataFileAt(QStringLiteral("/nonexistent/run.csv")).error->line, 0);
}

// Every cut of the file and random bytes give a result or an error, never a crash or a hang.
TEST_F(Reader, CutFilesAndRandomBytes) {
    const QByteArray bytes = *EncodeShiftJis(Text());
    // The counts keep a cut from passing for a whole section: a cut file that is accepted ends
    // where a section ends (or within the last lap row).
    for (qsizetype n = 0; n < bytes.size(); ++n) {
        const DataFileReadResult result = Read(bytes.first(n));
        EXPECT_NE(result.run.has_value(), result.error.has_value());
        if (result.run) {
            EXPECT_EQ(result.run->mainRows(), 3);
            EXPECT_EQ(result.run->temperatures.size() % 2 + result.run->laps.size() % 2, 0u) << n;
        }
    }
    std::mt19937 random(12);
    for (int i = 0; i < 300; ++i) {
        QByteArray noise(static_cast<qsizetype>(random() % 600), Qt::Uninitialized);
        for (char& byte : noise) byte = static_cast<char>(random());
        if (i % 2) noise.prepend(bytes.first(static_cast<qsizetype>(random() % bytes.size())));
        const DataFileReadResult result = Read(noise);
        EXPECT_NE(result.run.has_value(), result.error.has_value());
    }
}

// A full download of values as the logger's answers decode (some slots still empty) survives
// store -> file -> reader as the file shows it.
TEST_F(Reader, FullStoreRoundTrip) {
    std::mt19937 random(7);
    const auto pick = [&random](int low, int high, float scale) {
        if (random() % 50 == 0) return RecordStore::kMainEmpty;
        return static_cast<float>(low + static_cast<int>(random() % (high - low + 1))) / scale;
    };
    Shape(data, 5, RecordStore::kMainLimit, RecordStore::kTempLimit, RecordStore::kLapLimit);
    for (int i = 0; i < data.mainCount(); ++i) {
        data.storeMain(i, {pick(-32768, 32767, 100.0f), pick(-32768, 32767, 100.0f),
                           pick(-32768, 32767, 10.0f), pick(0, 255, 10.0f), pick(0, 255, 1.0f)});
    }
    for (int i = 0; i < data.tempCount(); ++i) {
        data.storeTemperature(i,
                              static_cast<std::int16_t>(i % 97 ? int(random() % 256) - 128 : 9999));
    }
    for (int i = 0; i < data.lapCount(); ++i) {
        data.storeLap(
            i, {static_cast<std::int16_t>(int(random() % 400) - 1), pick(-10, 30000, 100.0f)});
    }
    const DataFileReadResult result = Read(*EncodeShiftJis(Text(u'\t')));
    ASSERT_TRUE(result.run) << result.errorText().toStdString();
    ExpectSameRun(*result.run, RunDataFromStore(data, {}), "full store");
}

// What messages quote: C0 controls and DEL as \xNN, C1 controls as \uNNNN, the rest as it is.
TEST(Printable, EscapesControlCharactersOnly) {
    EXPECT_EQ(Printable(u"a\x1b[31m\t\x7f\u009b\u00a0℃\\"),
              QStringLiteral("a\\x1b[31m\\x09\\x7f\\u009b\u00a0℃\\"));
}

}  // namespace
}  // namespace yb::test
