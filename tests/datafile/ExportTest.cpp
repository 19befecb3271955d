// The data file: its layout byte for byte, the number rules, Shift-JIS and failed writes; then
// the save command that writes it: refusal, dialog set-up and the overwrite question.

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "datafile/DataFile.h"
#include "datafile/SaveCommand.h"
#include "datafile/ShiftJis.h"
#include "support/FakeDialogs.h"
#include "support/Stores.h"

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

// The writer's fsync, failing on demand as a disk that reports a failure only when the data
// reaches it (a full disk on a network file system). The test's own fsync takes the place of the
// C library's for the statically linked writer.
static bool failSync = false;
extern "C" int fsync(int fd) {
    if (!failSync) return static_cast<int>(syscall(SYS_fsync, fd));
    errno = EIO;
    return -1;
}
#endif

namespace yb::test {
namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

const QString kProgramDir = QStringLiteral("/opt/yb");
const auto Written = [] { return QDateTime(QDate(2006, 5, 21), QTime(9, 3, 27)); };
const auto Sjis = [](const char* utf8) { return EncodeShiftJis(QString::fromUtf8(utf8)).value(); };

// The example file, "@" standing for its path. Its Japanese texts go through the encoder, whose
// bytes for each of their characters are checked on their own below.
QByteArray Example(const QString& path, char delimiter) {
    QByteArray file = Sjis(
        "YB Download Data\r\n2006/05/21 9:03:27\r\n@\r\n"
        "データ記録=,1秒間隔\r\nデータ数=,3\r\nNo,Solar[A],Battery[A],"
        "Main_Volt[V],Solar_Watt[W],Battery_Watt[W],Sub_Volt[V],Speed[kmh]\r\n"
        "1,3.25,-1.20,98.5,320.1,-118.2,12.3,45\r\n"
        "2,3.30,-1.10,98.6,325.4,-108.5,12.3,46\r\n3,,,,,,,\r\n\r\n"
        "温度データ記録=,1分間隔\r\nデータ数=,2\r\nNo,Temp[℃]\r\n"
        "1,25\r\n2,-3\r\n\r\n周回回数=,2\r\n"
        "No,LapTime_sec[秒],Lap_Motort_Wh[Wh]\r\n 1,183,12.5,\r\n 2,179,12.1,\r\n");
    return file.replace(',', delimiter).replace("@", path.toUtf8());
}

class DataFile : public ::testing::Test {
protected:
    // The store of the example file: three main records (the third never filled), two
    // temperatures, two laps, recorded every second.
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        FillExample(data);
    }
    void SetCounts(int main, int temp, int laps) {
        data.setCount(Stage::Main, static_cast<std::int16_t>(main));
        data.setCount(Stage::Temperature, static_cast<std::int16_t>(temp));
        data.setCount(Stage::Laps, static_cast<std::int16_t>(laps));
    }
    WriteOutcome Write(const QString& path, bool csv = true) {
        return WriteDataFile(data, csv, path, Written);
    }
    // The lines of the file as rendered (its CR LF endings are checked byte for byte above).
    QStringList Lines() const {
        const auto text = RenderDataFile(data, u',', QStringLiteral("x"), Written());
        return text ? text->chopped(2).split(QStringLiteral("\r\n")) : QStringList();
    }
    QString PathOf(const char* utf8) const { return dir.filePath(QString::fromUtf8(utf8)); }

    QTemporaryDir dir;
    RecordStore data;
};

TEST_F(DataFile, ExampleIsWrittenByteForByteInCsvAndTsv) {
    for (const char* name : {"YB_Data.csv", "a.txt"}) {
        const QString path = PathOf(name);
        const bool csv = path.endsWith(QStringLiteral(".csv"));
        ASSERT_TRUE(Write(path, csv).ok);
        EXPECT_EQ(ReadAll(path), Example(path, csv ? ',' : '\t')) << name;
    }
}

TEST_F(DataFile, IntervalTexts) {
    const std::tuple<std::int16_t, const char*, const char*> cases[] = {
        {0, "?秒間隔:不明", "1分間隔"}, {1, "1秒間隔", "1分間隔"}, {2, "2秒間隔", "1分間隔"},
        {3, "?秒間隔:不明", "1分間隔"}, {5, "5秒間隔", "1分間隔"}, {10, "10秒間隔", "2分間隔"}};
    for (const auto& [interval, main, temp] : cases) {
        data.setInterval(interval);
        const QStringList lines = Lines();
        EXPECT_EQ(lines.value(3), QStringLiteral("データ記録=,") + QString::fromUtf8(main));
        EXPECT_EQ(lines.value(10), QStringLiteral("温度データ記録=,") + QString::fromUtf8(temp));
    }
}

// A marker leaves its field (and the power made from it) empty; lap markers are plain numbers.
TEST_F(DataFile, MarkersAndSinglePrecisionPowers) {
    data.setCount(Stage::Main, 4);
    data.storeMain(0, {2.5f, 99999.0f, 99999.0f, 99999.0f, 99999.0f});
    data.storeMain(1, {1.0f, -0.5f, 99999.0f, 12.0f, 30.0f});
    data.storeMain(2, {99999.0f, 2.0f, 100.0f, 99999.0f, 99999.0f});
    // 0.75 x 98.2 is 73.6499939 as a float product, 73.6499977 in double precision.
    data.storeMain(3, {0.75f, 0.75f, 98.2f, 12.0f, 0.0f});
    data.storeTemperature(1, 9999);
    data.storeLap(1, {-1, -1.0f});
    const QStringList lines = Lines();
    EXPECT_EQ(lines.mid(6, 4).join(u'|'), QStringLiteral("1,2.50,,,,,,|2,1.00,-0.50,,,,12.0,30|"
                                                         "3,,2.00,100.0,,200.0,,|"
                                                         "4,0.75,0.75,98.2,73.6,73.6,12.0,0"));
    EXPECT_EQ(lines.value(15), QStringLiteral("2,"));
    EXPECT_EQ(lines.last(), QStringLiteral(" 2,-1,-1.0,"));
}

// A section with a count below one is left out whole; the main rows are always headed.
TEST_F(DataFile, SectionsBelowOneAreLeftOut) {
    const std::tuple<int, int, int, int, const char*> cases[] = {{3, 0, 2, 14, " 2,179,12.1,"},
                                                                 {3, -32768, -1, 9, "3,,,,,,,"},
                                                                 {3, 2, 0, 15, "2,-3"},
                                                                 {-1, 2, 2, 17, " 2,179,12.1,"}};
    for (const auto& [main, temp, laps, lineCount, last] : cases) {
        SetCounts(main, temp, laps);
        const QStringList lines = Lines();
        ASSERT_EQ(lines.size(), lineCount) << main << " " << temp << " " << laps;
        EXPECT_EQ(lines[4], QStringLiteral("データ数=,") + QString::number(main));
        EXPECT_EQ(lines.last(), QString::fromUtf8(last));
    }
}

TEST(FormatFixed, ReducesToSevenDigitsThenRoundsHalvesAwayFromZero) {
    const std::tuple<float, int, const char*> cases[] = {
        {0.35f, 1, "0.4"},   {-0.35f, 1, "-0.4"}, {2.25f, 1, "2.3"}, {-2.25f, 1, "-2.3"},
        {0.125f, 2, "0.13"}, {-1.5f, 0, "-2"},    {2.5f, 0, "3"},    {9.995f, 2, "10.00"},
        {-0.03f, 1, "0.0"},  {-0.4f, 0, "0"},     {-0.0f, 1, "0.0"}, {1e-45f, 2, "0.00"}};
    for (const auto& [value, decimals, text] : cases)
        EXPECT_EQ(FormatFixed(value, decimals), QLatin1StringView(text)) << value;
    EXPECT_EQ(FormatFixed(-327.68f, 2), QStringLiteral("-327.68"));
    EXPECT_EQ(FormatFixed(1234567.5f, 1), QStringLiteral("1234568.0"));
    EXPECT_EQ(FormatFixed(16777216.0f, 0), QStringLiteral("16777220"));
}

// The rule worked digit by digit on the value's exact decimal expansion (a float has at most 149
// decimals, so 149 fixed decimals hold every one), halves away from zero at each step.
std::string ReferenceFixed(float value, int decimals) {
    char buffer[200];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                   std::chars_format::fixed, 149)
                         .ptr;
    std::string digits(buffer, end);
    const auto dot = digits.find('.');
    digits.erase(dot, 1);
    const auto first = std::min(digits.find_first_not_of('0'), digits.size());
    digits.erase(0, first);  // from the first non-zero digit on; none for zero
    int point = static_cast<int>(dot) - static_cast<int>(first);  // digits before the point
    const auto round = [&](int keep) {
        if (keep >= static_cast<int>(digits.size())) return;
        const bool up = keep >= 0 && digits[static_cast<std::size_t>(keep)] >= '5';
        digits.resize(static_cast<std::size_t>(std::max(keep, 0)));
        for (int i = keep - 1; up; --i) {
            if (i < 0) {
                digits.insert(digits.begin(), '1');
                ++point;
                break;
            }
            if (digits[static_cast<std::size_t>(i)] != '9') {
                ++digits[static_cast<std::size_t>(i)];
                break;
            }
            digits[static_cast<std::size_t>(i)] = '0';
        }
    };
    round(7);
    round(point + decimals);
    std::string text = std::signbit(value) && !digits.empty() ? "-" : "";
    const auto digit = [&](int i) {
        return i >= 0 && i < static_cast<int>(digits.size()) ? digits[static_cast<std::size_t>(i)]
                                                             : '0';
    };
    for (int i = 0; i < std::max(point, 1); ++i) text += point > 0 ? digit(i) : '0';
    if (decimals > 0) text += '.';
    for (int k = 0; k < decimals; ++k) text += digit(point + k);
    return text;
}

// Across the whole range of floats; densely where halves stand in the eighth digit (2^22 to 2^24:
// every value ends in .0 or .5 there); and next to every power of ten, where the digits move.
TEST(FormatFixed, AgreesWithTheExactRuleEverywhere) {
    int wrong = 0;
    const auto expectSame = [&wrong](std::uint32_t bits, int decimals) {
        const float value = std::bit_cast<float>(bits);
        if (wrong >= 5 ||
            FormatFixed(value, decimals).toStdString() == ReferenceFixed(value, decimals))
            return;
        ++wrong;
        ADD_FAILURE() << value << " with " << decimals << " decimals";
    };
    for (std::uint32_t bits = 0; bits < 0x7F800000u; bits += 7919) {
        expectSame(bits, static_cast<int>(bits % 4));
        expectSame(bits | 0x80000000u, static_cast<int>(bits % 4));
    }
    const auto from = std::bit_cast<std::uint32_t>(4194304.0f);
    const auto to = std::bit_cast<std::uint32_t>(16777216.0f);
    for (std::uint32_t bits = from; bits < to; bits += 97) expectSame(bits, 1);
    for (int exponent = -8; exponent <= 20; ++exponent) {
        const auto power = std::bit_cast<std::uint32_t>(static_cast<float>(std::pow(10.0, exponent)));
        for (std::uint32_t bits = power - 40; bits <= power + 40; ++bits) {
            for (int decimals = 0; decimals <= 3; ++decimals) expectSame(bits, decimals);
        }
    }
}

// Bytes from an independent code page 932 table, for every Japanese character the file holds.
TEST_F(DataFile, ShiftJisOfFixedTextsAndPathsWithQuestionMarksForTheRest) {
    EXPECT_EQ(
        Sjis("データ記録=秒間隔数温度分℃周回"),
        QByteArray::fromHex("8366815b835e8b4c985e3d95628ad48a75909489b7937895aa818e8efc89f1"));
    EXPECT_EQ(Sjis("C:\\tmp/é😀x¥/"), "C:\\tmp/??x?/");
    EXPECT_EQ(EncodeShiftJis(QString(QChar(0xD800)) + u'a'), QByteArray("?a"));
    EXPECT_EQ(EncodeShiftJis(QString(u'a') + QChar(0xD800)), QByteArray("a?"));
    const QString path = PathOf("データ_é.csv");
    ASSERT_TRUE(Write(path).ok);
    EXPECT_EQ(ReadAll(path).split('\n').value(2),
              dir.path().toUtf8() + QByteArray::fromHex("2f8366815b835e") + "_?.csv\r");
    // The path line is encoded on its own; the file is the same as the whole text encoded at once.
    const QString odd = PathOf("é😀한\r\n.csv");
    ASSERT_TRUE(Write(odd).ok);
    EXPECT_EQ(ReadAll(odd), EncodeShiftJis(*RenderDataFile(data, u',', odd, Written())));
}

// A failed write shows its message, leaves the target as it was and nothing else in the folder.
class FailedWrite : public DataFile {
protected:
    void SetUp() override {
        DataFile::SetUp();
        WriteAll(target, kOld);
    }
    void ExpectFailed(const WriteOutcome& written,
                      const QStringList& entries = {QStringLiteral("YB_Data.csv")}) {
        EXPECT_FALSE(written.ok);
        EXPECT_FALSE(written.reason.isEmpty());
        EXPECT_EQ(ReadAll(target), kOld);
        EXPECT_EQ(QDir(dir.path()).entryList(kEverything, QDir::Name), entries);
    }
    // Hidden entries too: a leftover temporary file shows up.
    static constexpr auto kEverything =
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    const QByteArray kOld = "old content\r\n";
    const QString target = PathOf("YB_Data.csv");
};

TEST_F(FailedWrite, CountsPastCapacityFailBeforeTheDiskIsTouched) {
    data.setCount(Stage::Main, 16101);  // reads the last slot, still within capacity
    EXPECT_EQ(Lines().value(6 + 16100), QStringLiteral("16101,,,,,,,"));
    for (const auto& [main, temp, laps] :
         {std::tuple{16102, 2, 2}, {3, 1352, 2}, {3, 2, 202}, {-32768, 2, 2}}) {
        SetCounts(main, temp, laps);
        EXPECT_TRUE(Lines().isEmpty()) << main << " " << temp << " " << laps;
    }
    data.setCount(Stage::Main, 16102);
    ExpectFailed(Write(target));
}

TEST_F(FailedWrite, MissingFolderOrAFolderAsTheTarget) {
    ExpectFailed(Write(PathOf("missing/YB_Data.csv")));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    ExpectFailed(Write(PathOf("folder")),
                 {QStringLiteral("YB_Data.csv"), QStringLiteral("folder")});
    EXPECT_TRUE(QDir(PathOf("folder")).isEmpty(kEverything));
}

TEST_F(FailedWrite, ReadOnlyFile) {
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner));
    // Root writes whatever the permission bits say; an immutable file stops it too.
    const auto chattr = [this](const char* flag) {
        return QProcess::execute(QStringLiteral("chattr"), {QLatin1String(flag), target}) == 0;
    };
    const bool root = QFileInfo(target).ownerId() == 0;  // the file is ours
    if (root && !chattr("+i")) GTEST_SKIP() << "root, and files here cannot be made immutable";
    const WriteOutcome written = Write(target);
    if (root) chattr("-i");
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    ExpectFailed(written);
}

#ifdef Q_OS_UNIX
// A file-size limit fails the write as a full disk does: a small file when it is flushed at the
// end, a large one while it is written.
TEST_F(FailedWrite, FullDisk) {
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{4096, saved.rlim_max};
    for (const std::int16_t rows : {400, 4000}) {
        data.setCount(Stage::Main, rows);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        const WriteOutcome written = Write(target);
        setrlimit(RLIMIT_FSIZE, &saved);
        ExpectFailed(written);
    }
    std::signal(SIGXFSZ, savedSignal);
}

TEST_F(FailedWrite, SyncToDiskFails) {
    failSync = true;
    const WriteOutcome written = Write(target);
    failSync = false;
    ExpectFailed(written);
    EXPECT_TRUE(written.reason.endsWith(qt_error_string(EIO))) << written.reason.toStdString();
}
#endif

class SaveCommand : public DataFile {
protected:
    void Click(bool csv) {
        if (auto shown = SaveDataWithDialog(data, csv, dialogs, kProgramDir, Written))
            status = shown->message;
    }
    QString Status() const { return status; }
    QString status;
    FakeDialogs dialogs;
};

// The save dialog opens where a file can be made: the folder saved to last, else the documents
// folder (the home folder without one); the probe leaves nothing.
TEST(SaveDialogFolder, LastSavedThenDocuments) {
    QTemporaryDir last;
    EXPECT_EQ(SaveDialogFolder(last.path()), last.path());
    EXPECT_TRUE(QDir(last.path()).isEmpty());
    for (const QString& gone : {last.filePath("missing"), QString()}) {
        const QString fallback = SaveDialogFolder(gone);
        EXPECT_TRUE(fallback ==
                        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) ||
                    fallback == QDir::homePath());
    }
}

TEST_F(SaveCommand, RefusalCancelAndFailureChangeNothingAndTheDialogStartsAfreshEachTime) {
    data.setCount(Stage::Main, 0);
    Click(true);
    EXPECT_EQ(dialogs.messages, std::vector<QString>{QStringLiteral("データ１がありません")});
    EXPECT_TRUE(dialogs.setups.empty());
    data.setCount(Stage::Main, -1);  // only zero refuses
    const QString path = PathOf("a.txt");
    dialogs.chosenFiles = {FakeDialogs::kCancel, QString(), PathOf("no/a.csv"), path};
    for (int i = 0; i < 3; ++i) Click(true);
    EXPECT_EQ(dialogs.messages.back(), SaveFailedText());
    EXPECT_TRUE(Status().isEmpty());
    Click(false);
    EXPECT_EQ(Status(), QStringLiteral("データファイルに保存しました : ") + path);
    EXPECT_EQ(dialogs.messages.size(), 2u);
    QStringList setups;  // the program folder each time, never the one chosen before
    for (const auto& s : dialogs.setups) setups << s.filter + s.fileName + s.title + s.initialDir;
    // Named for the time of the press, as a command-line download is.
    const QString csv =
        QStringLiteral("(CSVファイル) | *.csvYB_Data_20060521_090327.csvデータファイル/opt/yb");
    EXPECT_EQ(
        setups,
        QStringList(
            {csv, csv, csv,
             QStringLiteral(
                 "(テキストファイル) | *.txtYB_Data_20060521_090327.txtデータファイル/opt/yb")}));
}

// A file with data is replaced only after Yes, an empty one without a question; the delimiter
// follows the choice, not the name.
TEST_F(SaveCommand, OverwriteQuestion) {
    const QString path = PathOf("YB_Data.csv"), empty = PathOf("YB_Data.txt");
    WriteAll(path, "1,2,3\r\n");
    WriteAll(empty, QByteArray());
    dialogs.answerYes = false;
    dialogs.chosenFiles = {path, path, empty};
    Click(true);
    EXPECT_EQ(dialogs.questions,
              std::vector<QString>{path + QStringLiteral(" に上書きしますか？")});
    EXPECT_EQ(ReadAll(path), "1,2,3\r\n");
    dialogs.answerYes = true;
    Click(false);
    EXPECT_EQ(ReadAll(path), Example(path, '\t'));
    Click(true);
    EXPECT_EQ(ReadAll(empty), Example(empty, ','));
    EXPECT_EQ(dialogs.questions.size(), 2u);
}

}  // namespace
}  // namespace yb::test
