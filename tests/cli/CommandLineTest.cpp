// The built program run as a script runs it: without a display, against the simulated logger.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "datafile/DataFile.h"
#include "datafile/DataFileReader.h"
#include "datafile/SaveCommand.h"
#include "datafile/ShiftJis.h"
#include "support/FakeDialogs.h"
#include "support/SimSession.h"
#include "support/Stores.h"

namespace yb::test {
namespace {

using ybsim::Fault;

struct Result {
    int exit = -1;  // -1: a signal ended the program, or it did not end
    QString out, err;
};

// Sends `signal` to a program still running: one that has ended has no id, and kill(0) would hit
// this test's own process group.
void Send(QProcess& process, int signal) {
    if (const auto pid = process.processId()) ::kill(static_cast<pid_t>(pid), signal);
}

// A node of the null device in `dir`, which a broken check would replace with a regular file as
// root; empty when none can be made (mknod of a character device needs root).
QString DeviceNode(const QTemporaryDir& dir) {
    const QString node = dir.filePath("null.pdf");
    return ::mknod(qPrintable(node), S_IFCHR | 0666, makedev(1, 3)) == 0 ? node : QString();
}

// Whether the process has a handler of its own for `signal` (Linux: SigCgt in /proc/PID/status).
bool Catches(QProcess& process, int signal) {
    QFile status(QStringLiteral("/proc/%1/status").arg(process.processId()));
    if (!status.open(QIODevice::ReadOnly)) return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:")) {
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
        }
    }
    return false;
}

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void Start(const ybsim::Options& options, const std::vector<Fault>& faults = {}) {
        sim = std::make_unique<ybsim::LoggerSim>(options);
        sim->start();
        for (const auto& f : faults) sim->addFault(f);
    }
    // Runs the program with `args` (PORT stands for the simulated logger's device); `during` runs
    // once the program is running.
    Result Program(QStringList args, const std::function<void(QProcess&)>& during = {}) {
        for (QString& a : args) {
            if (sim) a.replace(QLatin1String("PORT"), QString::fromStdString(sim->slavePath()));
        }
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "YB_LANG",
                                 "LANGUAGE", "LC_ALL", "LC_MESSAGES"}) {
            env.remove(name);
        }
        env.insert("LANG", "C");  // no language set: Japanese
        for (const QString& setting : language)
            env.insert(setting.section('=', 0, 0), setting.section('=', 1));
        if (window) env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(workingDir.isEmpty() ? dir.path() : workingDir);
        if (!stdoutFile.isEmpty()) process.setStandardOutputFile(stdoutFile);
        process.setChildProcessModifier([limit = fileSizeLimit, memory = memoryLimit] {
            // What the test runner ignores (a background shell: SIGINT) would hide the program's
            // own handling.
            for (const int s : {SIGINT, SIGTERM, SIGHUP}) ::signal(s, SIG_DFL);
            if (memory != 0) {
                const rlimit addressSpace{memory, memory};
                ::setrlimit(RLIMIT_AS, &addressSpace);
            }
            if (limit == 0) return;
            ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of ending it
            const rlimit fileSize{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &fileSize);
        });
        process.start(QStringLiteral(YB_PROGRAM), args);
        EXPECT_TRUE(process.waitForStarted());
        if (during) during(process);
        EXPECT_TRUE(process.waitForFinished(120000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    // What the window's save writes for the store a download from a logger like `options` (with
    // these faults) leaves, lines 2 (the time) and 3 (the path) aside.
    QList<QByteArray> WindowFile(const ybsim::Options& options, const std::vector<Fault>& faults,
                                 bool csv, const QString& path) {
        ybsim::LoggerSim twin(options);
        twin.start();
        for (const auto& f : faults) twin.addFault(f);
        Session session;
        EXPECT_TRUE(session.openDevice(QString::fromStdString(twin.slavePath())).done());
        Await(session.download());
        FakeDialogs dialogs;
        const QString saved = dir.filePath(QStringLiteral("window.csv"));
        EXPECT_TRUE(SaveDataFile(session.store(), csv, saved, dialogs));
        return Lines(saved, path);
    }
    static QList<QByteArray> Lines(const QString& file, const QString& path = {}) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) return {};
        QList<QByteArray> lines = f.readAll().split('\n');
        if (lines.size() > 2) lines[1] = "(time)";
        if (lines.size() > 3 && !path.isEmpty()) lines[2] = "(path)";
        return lines;
    }

    QTemporaryDir dir;
    std::unique_ptr<ybsim::LoggerSim> sim;
    // For the programs run: no file may grow past this (0: no limit); stdout goes to this file;
    // the window on the offscreen platform.
    rlim_t fileSizeLimit = 0;
    rlim_t memoryLimit = 0;  // the programs' address space (0: no limit)
    QString stdoutFile;
    bool window = false;
    QStringList language;  // NAME=value of the language's variables for the programs run
    QString workingDir;    // the programs' current folder; the test's folder when empty
};

// A download saves exactly what the window would save of the same store, whole or partial.
TEST_F(CommandLine, DownloadSavesWhatTheWindowSaves) {
    const auto logger = Holding(120, 12, 6);
    const std::vector<Fault> failAt57{Fault::replace("D1", "1\r").onRecord(57)};
    for (const auto& [faults, tsv, exit] :
         {std::tuple(std::vector<Fault>{}, false, 0), std::tuple(std::vector<Fault>{}, true, 0),
          std::tuple(failAt57, false, 1)}) {
        SCOPED_TRACE(exit);
        Start(logger, faults);
        const QString file = dir.filePath(tsv ? "run.txt" : "run.csv");
        QFile::remove(file);
        QStringList args{"download", "--port", "PORT", "-o", file};
        if (tsv) args << "--tsv";
        const Result r = Program(args);
        EXPECT_EQ(r.exit, exit) << r.err.toStdString();
        EXPECT_EQ(r.out.trimmed(), QDir::toNativeSeparators(file));
        EXPECT_EQ(Lines(file, file), WindowFile(logger, faults, !tsv, file));
        const auto lines = Lines(file);
        ASSERT_GT(lines.size(), 2u);
        EXPECT_EQ(lines[2], QDir::toNativeSeparators(file).toUtf8() + '\r');  // absolute path
        EXPECT_EQ(r.err.contains(QStringLiteral("'D1+nnnn' コマンドエラー")), exit == 1);
        EXPECT_EQ(r.err.contains(QStringLiteral("部分データのファイルです")), exit == 1);
        EXPECT_EQ(r.err.contains(QStringLiteral("D1 記録 58 / 120: 不正な応答 (2 文字)")),
                  exit == 1);
        EXPECT_EQ(r.err.contains(QStringLiteral("--resume")), exit == 1);
    }
}

// A download files its data file in the run library, noted as partial when it failed; a library
// that cannot be written (a folder where no file can be made) fails nothing: the file is saved,
// the exit code is the download's, and the message names the library.
TEST_F(CommandLine, DownloadFilesItsRunInTheLibrary) {
    const QString library = dir.filePath("lib.sqlite");
    for (const QString& at : {library, QStringLiteral("/proc/yb-library.sqlite")}) {
        Start(Holding(120, 12, 6), {Fault::replace("D1", "1\r").onRecord(57)});
        const QString file = dir.filePath(at == library ? "a.csv" : "b.csv");
        const Result r = Program({"download", "--port", "PORT", "-o", file, "--library", at});
        EXPECT_EQ(r.exit, 1) << r.err.toStdString();
        EXPECT_GT(QFileInfo(file).size(), 1000);
        EXPECT_EQ(r.err.contains(at), at != library) << r.err.toStdString();
    }
    const Result list = Program({"library", "list", "--json", "--library", library});
    const QJsonArray runs = QJsonDocument::fromJson(list.out.toUtf8()).array();
    ASSERT_EQ(runs.size(), 1) << list.out.toStdString();
    EXPECT_TRUE(runs[0]["partial"].toBool());
    EXPECT_EQ(runs[0]["download"]["ending"].toString(), QStringLiteral("failed"));
}

// A logger late with one answer of each kind, past the wait and up to three deadlines: with
// --retries the file is its exact run, and the line after the download says so.
TEST_F(CommandLine, LateAnswersWithRetriesGiveTheExactFile) {
    const auto logger = Holding(120, 12, 6);
    Start(logger, {Fault::late("D1?", 160), Fault::late("D1", 550).onRecord(5),
                   Fault::late("D2", 900).onRecord(3), Fault::late("LD", 1500).onRecord(2)});
    const QString file = dir.filePath("late.csv");
    const Result r = Program({"download", "--port", "PORT", "--retries", "3", "-o", file});
    EXPECT_EQ(r.exit, 0) << r.err.toStdString();
    EXPECT_EQ(Lines(file, file), WindowFile(logger, {}, true, file));
    EXPECT_TRUE(r.err.contains(QStringLiteral("データ読出し完了...  再試行 4 回")))
        << r.err.toStdString();
}

// A partial file, CSV or TSV, continued where its download stopped (in a stage, or between two:
// at the probe, the temperature count or the lap count): the file a whole download writes, for
// the check (the counts, a sample of the records kept) and what was missing. A complete file is
// said to be complete and is not written again. A file no download wrote, or no place for the
// result, is refused before the port.
TEST_F(CommandLine, ResumeCompletesAPartialFile) {
    language = {"YB_LANG=en"};  // the messages asserted are the English ones
    const auto logger = Holding(120, 12, 6);
    // Stopped in the temperatures (CSV and TSV), at the probe, at the temperature count, at the
    // lap count.
    const std::pair<Fault, bool> stops[] = {{Fault::silence("D2").onRecord(5), false},
                                            {Fault::silence("D2").onRecord(5), true},
                                            {Fault::replace("TMP?", "XOK\r"), false},
                                            {Fault::replace("D2?", "0X0C\r"), false},
                                            {Fault::replace("L?", "0Z\r"), false}};
    for (const auto& [stopAt, tsv] : stops) {
        SCOPED_TRACE(stopAt.command + (tsv ? " tsv" : ""));
        Start(logger, {stopAt});
        const QString partial = dir.filePath(tsv ? "partial.txt" : "partial.csv");
        const QString full = dir.filePath(tsv ? "full.txt" : "full.csv");
        QStringList args{"download", "--port", "PORT", "-o", partial, "--force"};
        if (tsv) args << "--tsv";
        ASSERT_EQ(Program(args).exit, 1);
        sim->clearReceived();
        const Result r =
            Program({"download", "--port", "PORT", "--resume", partial, "-o", full, "--force"});
        EXPECT_EQ(r.exit, 0) << r.err.toStdString();
        EXPECT_EQ(Lines(full, full), WindowFile(logger, {}, !tsv, full));
        if (stopAt.command != "D2") continue;
        // The counts; 16 of the 120 main records, all 5 temperatures kept; the rest.
        EXPECT_EQ(Sent(*sim).substr(0, 25), "T?? D1? D2? D10000 D10007");
        EXPECT_EQ(sim->commands().size(), 3u + 16 + 5 + 7 + 1 + 6);
    }
    const QString full = dir.filePath("full.csv");
    const QDateTime written = QFileInfo(full).lastModified();
    const Result again = Program({"download", "--port", "PORT", "--resume", full, "--force"});
    EXPECT_EQ(again.exit, 0) << again.err.toStdString();
    EXPECT_TRUE(again.err.contains("complete: it holds everything the logger holds"));
    EXPECT_EQ(QFileInfo(full).lastModified(), written);
    const std::pair<QStringList, QString> refused[] = {
        {{"download", "--resume", dir.filePath("partial.csv")}, "--force replaces this one"},
        {{"download", "--retries", "11"}, "--retries takes 0 to 10"}};
    for (const auto& [args, message] : refused) {
        const Result r = Program(args);
        EXPECT_EQ(r.exit, args.contains("--retries") ? 2 : 3);
        EXPECT_TRUE(r.err.contains(message)) << r.err.toStdString();
    }
}

// A target whose folder is gone when the download ends fails the save, not the records: they are
// saved under the default name in the current folder, or in the temporary folder when that is gone
// too; the message says where, and the exit code stays the failure's.
TEST_F(CommandLine, RecordsOutliveAFailedSave) {
    language = {"YB_LANG=en"};  // the messages asserted are the English ones
    const auto logger = Holding(40, 4, 4);
    std::vector<Fault> late;  // slow enough to take the folders away meanwhile
    for (long i = 2; i < 8; ++i) late.push_back(Fault::late("D1", 200).onRecord(i));
    const QList<QByteArray> whole = WindowFile(logger, {}, true, "path");
    const QString out = dir.filePath("out"), work = dir.filePath("work");
    const QRegularExpression saved(R"(saved in (\S+YB_Data_\d{8}_\d{6}\.csv) instead)");
    for (const bool workGone : {false, true}) {
        SCOPED_TRACE(workGone);
        ASSERT_TRUE(QDir().mkpath(out) && QDir().mkpath(work));
        workingDir = work;
        Start(logger, late);
        const Result r =
            Program({"download", "--port", "PORT", "-o", out + "/run.csv"}, [&](QProcess&) {
                RunUntil([&] { return Sent(*sim).find("D10002") != std::string::npos; });
                QDir(out).removeRecursively();
                if (workGone) QDir(work).removeRecursively();
            });
        EXPECT_EQ(r.exit, 3);
        const QString rescued = saved.match(r.err).captured(1);
        ASSERT_FALSE(rescued.isEmpty()) << r.err.toStdString();
        EXPECT_EQ(QFileInfo(rescued).path(), workGone ? QDir::tempPath() : work);
        EXPECT_EQ(Lines(rescued, rescued), whole);
        QFile::remove(rescued);
    }
}

// Ctrl+C, SIGTERM and SIGHUP end a download in any stage: the program cancels it, closes the port
// and saves the logger's own rows up to there, empty rows after them.
TEST_F(CommandLine, TerminationEndsADownloadInEachStageAndSavesWhatCame) {
    struct Row {
        int signal, exit;
        std::string stage;  // its record commands; laps count from 1, records from 0
        long first;
        const char* emptyRow;  // a row the download did not reach, its number captured
    };
    const auto logger = Holding(40, 20, 20);
    const QString file = dir.filePath("cut.csv");
    const QList<QByteArray> whole = WindowFile(logger, {}, true, file);
    for (const auto& [signal, exit, stage, first, emptyRow] :
         {Row{SIGINT, 130, "D1", 0, R"(^(\d+),,,,,,,\r$)"},
          Row{SIGTERM, 143, "D1", 0, R"(^(\d+),,,,,,,\r$)"},
          Row{SIGHUP, 129, "D1", 0, R"(^(\d+),,,,,,,\r$)"},
          Row{SIGTERM, 143, "D2", 0, R"(^(\d+),\r$)"}, Row{SIGHUP, 129, "D2", 0, R"(^(\d+),\r$)"},
          Row{SIGTERM, 143, "LD", 1, R"(^ (\d+),-1,-1\.0,\r$)"},
          Row{SIGHUP, 129, "LD", 1, R"(^ (\d+),-1,-1\.0,\r$)"}}) {
        SCOPED_TRACE(stage + std::to_string(signal));
        // From the stage's third record on, answers come late: the signal finds the program there.
        std::vector<Fault> late;
        for (long i = first + 2; i < first + 12; ++i) {
            late.push_back(Fault::late(stage, 200).onRecord(i));
        }
        Start(logger, late);
        QFile::remove(file);
        const Result r = Program({"download", "--port", "PORT", "-o", file}, [&](QProcess& p) {
            RunUntil([&] {
                return Sent(*sim).find(stage + (first ? "03" : "0002")) != std::string::npos;
            });
            Send(p, signal);
        });
        EXPECT_EQ(r.exit, exit);
        EXPECT_TRUE(r.err.contains(QStringLiteral("データ読出しを中止しました")))
            << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("部分データのファイルです")));
        // The logger's own lines up to the stage's first record not fetched, then empty rows up to
        // the stage's count, and nothing after them.
        const QList<QByteArray> lines = Lines(file, file);
        qsizetype same = 0;
        while (same < lines.size() && same < whole.size() && lines[same] == whole[same]) ++same;
        const QRegularExpression empty(QString::fromLatin1(emptyRow));
        ASSERT_TRUE(empty.match(QString::fromLatin1(lines.value(same))).hasMatch());
        EXPECT_GE(empty.match(QString::fromLatin1(lines[same])).captured(1).toLong(), 3);
        for (qsizetype i = same; i + 1 < lines.size(); ++i) {
            EXPECT_TRUE(empty.match(QString::fromLatin1(lines[i])).hasMatch())
                << lines[i].toStdString();
        }
        EXPECT_EQ(empty.match(QString::fromLatin1(lines[lines.size() - 2])).captured(1),
                  stage == "D1" ? "40" : "20");
    }
}

// The window ends on SIGTERM, as its quit button would without asking.
TEST_F(CommandLine, TerminationEndsTheWindow) {
    window = true;
    const Result r = Program({}, [&](QProcess& p) {
        RunUntil([&] { return Catches(p, SIGTERM); }, 20000);
        Send(p, SIGTERM);
    });
    EXPECT_EQ(r.exit, 143);
}

// Only a regular file of at most 64 MiB is read: a pipe (which would wait for a writer), a device
// and a folder are not even opened, a larger file is refused before a byte is read.
TEST_F(CommandLine, SummaryReadsNothingButADataFile) {
    language = {"YB_LANG=en"};  // the messages asserted are the English ones
    const QString pipe = dir.filePath("pipe.csv"), folder = dir.filePath("folder.csv"),
                  big = dir.filePath("big.csv");
    ASSERT_EQ(::mkfifo(qPrintable(pipe), 0600), 0);
    ASSERT_TRUE(QDir().mkdir(folder));
    QFile sparse(big);
    ASSERT_TRUE(sparse.open(QIODevice::WriteOnly) && sparse.resize(kMaxDataFileBytes + 1));
    sparse.close();
    for (const auto& [file, message] : {std::pair<QString, QString>(pipe, "not a regular file"),
                                        {"/dev/zero", "not a regular file"},
                                        {folder, "a folder"},
                                        {big, "larger than 64 MiB"}}) {
        const Result r = Program({"summary", file});
        EXPECT_EQ(r.exit, 3);
        EXPECT_TRUE(r.err.startsWith(file + ": " + message)) << r.err.toStdString();
    }
}

// A count that the file cannot back is refused where its section ends, as for any short section,
// by each command that reads a file: memory goes by the file, never by what it claims.
TEST_F(CommandLine, ACountTheFileCannotBackIsRefusedAtItsLine) {
    language = {"YB_LANG=en"};      // the messages asserted are the English ones
    window = true;                  // view: on the offscreen platform
#ifndef __SANITIZE_ADDRESS__        // AddressSanitizer maps terabytes of shadow memory at the start
    memoryLimit = rlim_t{1} << 30;  // room reserved for the count would not fit
#endif
    RecordStore store;
    FillExample(store);
    const QString file = dir.filePath("claim.csv");
    for (const auto& [count, line] : {std::pair<QString, int>("データ数=,3", 10),
                                      {"データ数=,2", 16},  // the temperatures'
                                      {"周回回数=,2", 21}}) {
        ASSERT_TRUE(WriteDataFile(store, true, file).ok);
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        QByteArray bytes = f.readAll();
        const QByteArray label = *EncodeShiftJis(count);
        bytes.replace(bytes.indexOf(label), label.size(), label.chopped(1) + "2147483647");
        ASSERT_TRUE(f.resize(0) && f.write(bytes) == bytes.size());
        f.close();
        for (const char* command : {"summary", "report", "view"}) {
            SCOPED_TRACE(count.toStdString() + ' ' + command);
            const Result r = Program({command, file});
            EXPECT_EQ(r.exit, 3);
            EXPECT_TRUE(r.err.contains(QStringLiteral("%1:%2: ").arg(file).arg(line)) &&
                        r.err.contains(" of 2147483647 rows"))
                << r.err.toStdString();
        }
    }
}

// A place that cannot take a data file or a report is refused (a download's before the port is
// opened) and left exactly as it was: the same check for `download -o` and `report -o`.
TEST_F(CommandLine, TargetsThatCannotTakeTheFileAreRefusedAndLeftAlone) {
    language = {"YB_LANG=en"};  // the messages asserted are the English ones
    Start(Holding(5, 1, 1));
    RecordStore store;
    FillExample(store);
    const QString data = dir.filePath("run.csv"), pipe = dir.filePath("pipe.pdf"),
                  link = dir.filePath("link.pdf"), readOnly = dir.filePath("old.pdf"),
                  node = DeviceNode(dir);
    ASSERT_TRUE(WriteDataFile(store, true, data).ok);
    ASSERT_EQ(::mkfifo(qPrintable(pipe), 0600), 0);
    ASSERT_EQ(::symlink(qPrintable(pipe), qPrintable(link)), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.pdf"));
    QFile old(readOnly);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    ASSERT_TRUE(old.setPermissions(QFile::ReadOwner));
    // What a replacement changes: each place's identity, kind, device and size.
    const auto places = [&] {
        std::vector<std::tuple<ino_t, mode_t, dev_t, off_t>> seen;
        for (const QString& path : {pipe, link, readOnly, node, dir.filePath("folder.pdf")}) {
            struct stat s = {};
            ::lstat(qPrintable(path), &s);
            seen.emplace_back(s.st_ino, s.st_mode, s.st_rdev, s.st_size);
        }
        return seen;
    };
    const auto before = places();
    for (const auto& [target, force, message] :
         {std::tuple<QString, bool, QString>(dir.filePath("folder.pdf"), true, "a folder"),
          {node, true, "not a regular file"},
          {pipe, true, "not a regular file"},
          {link, true, "not a regular file"},
          {readOnly, true, "read-only"},
          {readOnly, false, "the file exists; --force replaces it"},
          {dir.filePath("no/such/dir.pdf"), true, "the folder does not exist"}}) {
        if (target.isEmpty()) continue;
        QStringList download{"download", "--port", "PORT", "-o", target};
        QStringList report{"report", data, "-o", target};
        if (force) {
            download << "--force";
            report << "--force";
        }
        for (const QStringList& args : {download, report}) {
            SCOPED_TRACE(args.join(' ').toStdString());
            const Result r = Program(args);
            EXPECT_EQ(r.exit, 3);
            EXPECT_TRUE(r.err.contains(message)) << r.err.toStdString();
            EXPECT_EQ(places(), before);
            EXPECT_EQ(sim->received(), "");
        }
    }
    EXPECT_EQ(Lines(readOnly), QList<QByteArray>{"old"});
    // A file that may be written is replaced with --force, by a data file or a report, and the
    // path written is said.
    ASSERT_TRUE(old.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    EXPECT_EQ(Program({"download", "--port", "PORT", "-o", readOnly, "--force"}).exit, 0);
    EXPECT_EQ(Lines(readOnly).size(), 6 + 5 + 4 + 1 + 3 + 1 + 1);
    const Result replaced = Program({"report", data, "-o", readOnly, "--force"});
    EXPECT_EQ(replaced.exit, 0);
    EXPECT_EQ(replaced.out.trimmed(), readOnly);
    EXPECT_TRUE(Lines(readOnly).value(0).startsWith("%PDF"));
    if (node.isEmpty()) GTEST_SKIP() << "no device node: making one needs root";
}

// The viewer's commands on a downloaded file, without a display. Enough records that the report's
// chart page goes to the disk in one large write.
TEST_F(CommandLine, SummaryAndReportOfADownloadedFile) {
    Start(Holding(3000, 5, 4));
    const QString file = dir.filePath("run.csv"), pdf = dir.filePath("run.pdf");
    ASSERT_EQ(Program({"download", "--port", "PORT", "-o", file}).exit, 0);
    const Result summary = Program({"summary", file, "--json"});
    EXPECT_EQ(summary.exit, 0);
    EXPECT_TRUE(summary.out.contains("\"records\": 3000") ||
                summary.out.contains("\"records\":3000"))
        << summary.out.toStdString();
    EXPECT_EQ(Program({"report", file}).exit, 0);
    EXPECT_TRUE(QFileInfo(pdf).size() > 1000);
    // A disk that fills up early, within that large write (which a full disk only cuts short), or
    // in the last bytes leaves the old report as it was.
    const auto bytes = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray oldReport = bytes(pdf);
    const auto size = static_cast<rlim_t>(oldReport.size());
    for (const rlim_t limit : {rlim_t{1000}, size / 2, size - 64}) {
        fileSizeLimit = limit;
        const Result full = Program({"report", file, "--force"});
        EXPECT_EQ(full.exit, 3);
        EXPECT_TRUE(full.err.contains("File too large")) << full.err.toStdString();
        EXPECT_EQ(bytes(pdf), oldReport);
    }
    fileSizeLimit = 0;
    stdoutFile = "/dev/full";
    EXPECT_EQ(Program({"summary", file}).exit, 3);
    stdoutFile.clear();
    QFile damaged(file);
    ASSERT_TRUE(damaged.open(QIODevice::Append) && damaged.write("1,2,3\r\n") > 0);
    damaged.close();
    const Result refused = Program({"summary", file});
    EXPECT_EQ(refused.exit, 3);
    EXPECT_TRUE(refused.err.startsWith(file + ":")) << refused.err.toStdString();
}

// Each row: the logger's fault, the arguments, the exit code, what stdout and stderr hold, and the
// commands the logger received.
TEST_F(CommandLine, CommandsExitCodesAndTexts) {
    const QString batteryWritten = QStringLiteral("バッテリ初期値の書込みに成功しました。");
    const QString intervalWritten = QStringLiteral("データ記録時間間隔の書込みに成功しました。");
    const QString intervalRange =
        QStringLiteral("データ記録時間間隔は 1, 2, 5, 10[秒] のいずれかの値にしてください");
    const QString tyreFailed = QStringLiteral("タイヤ周長の書込みに失敗しました。");
    const QString tyreReadFailed = QStringLiteral("タイヤ周長の読出しに失敗しました。");
    const QString batteryRange =
        QStringLiteral("バッテリAh初期値は 05.00～50.00[Ah] の値にしてください");
    const QString notConnected = QStringLiteral("YB 接続確認できませんでした");
    const QString portLost = QStringLiteral("シリアルポートが使用できなくなりました: ");
    const QString defaultInterval = QString::number(ybsim::Options{}.interval);
    const QString unknownCommand =
        QStringLiteral("frobnicate というコマンドはありません。コマンドは check, download");
    struct Row {
        std::vector<Fault> faults;
        QStringList args;
        int exit;
        QString out, err;
        std::string sent;
    };
    std::vector<Row> rows{
        {{}, {"check", "--port", "PORT"}, 0, "YB 接続確認できました", "", "?"},
        {{Fault::silence("?")}, {"check", "--port", "PORT"}, 1, "answer: \"\"", "", "?"},
        {{Fault::replace("?", "ok\r")},
         {"check", "--port", "PORT"},
         1,
         "answer: \"ok\\r\"",
         "",
         "?"},
        {{}, {"get", "tyre", "--port", "PORT"}, 0, "1800", "", "T?"},
        {{}, {"get", "battery", "--port", "PORT"}, 0, "12.50", "", "BAh?"},
        {{}, {"get", "interval", "--port", "PORT"}, 0, defaultInterval, "", "T??"},
        {{Fault::silence("T?")}, {"get", "tyre", "--port", "PORT"}, 1, "", tyreReadFailed, "T?"},
        {{}, {"set", "interval", "5", "--port", "PORT"}, 0, intervalWritten, "", "T5"},
        {{}, {"set", "battery", "20.00", "--port", "PORT"}, 0, batteryWritten, "", "BAh07D0"},
        {{}, {"set", "battery", "12.5", "--port", "PORT"}, 0, batteryWritten, "", "BAh04E2"},
        {{}, {"set", "battery", " 5 ", "--port", "PORT"}, 0, batteryWritten, "", "BAh01F4"},
        {{}, {"set", "battery", "12.345", "--port", "PORT"}, 2, "", batteryRange, ""},
        {{Fault::hangUp("?")}, {"check", "--port", "PORT"}, 1, notConnected, portLost, "?"},
        {{Fault::replace("T0708", "NG\r")},
         {"set", "tyre", "1800", "--port", "PORT"},
         1,
         "",
         tyreFailed,
         "T0708"},
        {{}, {"set", "interval", "3", "--port", "PORT"}, 2, "", intervalRange, ""},
        {{}, {"set", "speed", "3"}, 2, "", "設定は tyre、battery、interval のどれかです", ""},
        {{}, {"check", "--port", "/nonexistent/tty"}, 1, "", "Setting Error", ""},
        {{}, {"check", "--port", "7"}, 1, "", "Setting Error", ""},
        {{}, {"check", "extra"}, 2, "", "使い方:", ""},
        {{}, {"check", "--bogus"}, 2, "", "使い方:", ""},
        {{}, {"--version"}, 0, "yb-downloader ", "", ""},
        {{}, {"--help"}, 0, "Exit codes", "", ""},
        {{}, {"set", "interval", " 10 ", "--port", "PORT"}, 0, intervalWritten, "", "TA"},
    };
    // Only the whole text is an interval: the window's box would read the leading number.
    for (const char* typed : {"2,5", "1e1", "10 seconds", "2abc", "05"}) {
        rows.push_back(
            {{}, {"set", "interval", typed, "--port", "PORT"}, 2, "", intervalRange, ""});
    }
    // Minutes whose seconds are no number (1e308 minutes are finite, their seconds are not).
    RecordStore store;
    FillExample(store);
    ASSERT_TRUE(WriteDataFile(store, true, dir.filePath("run.csv")).ok);
    for (const char* option : {"--lap-start", "--from", "--to"}) {
        for (const char* minutes : {"1e308", "inf", "nan"})
            rows.push_back({{}, {"summary", "run.csv", option, minutes}, 2, "", "使い方:", ""});
    }
    // A command that does not exist names itself and the ones that do; a window that holds no
    // record gives the run's length; without a display the window and the viewer say what works.
    const QString noDisplay = QStringLiteral("画面がありません: DISPLAY を設定するか");
    rows.push_back({{}, {"frobnicate"}, 2, "", unknownCommand, ""});
    rows.push_back({{}, {"summary", "run.csv", "--from", "100"}, 2, "", "記録は 0.05 分です", ""});
    rows.push_back({{}, {}, 2, "", noDisplay, ""});
    rows.push_back({{}, {"view", "run.csv"}, 2, "", noDisplay, ""});
    // A report is named after its file and window and says where it went; only PDF and PNG.
    rows.push_back({{},
                    {"report", "run.csv", "--from", "0", "--to", "0.05"},
                    0,
                    "run_0h00m-0h00m03s.pdf",
                    "",
                    ""});
    rows.push_back({{}, {"report", "run.csv", "-o", "charts.PNG"}, 0, "charts.PNG", "", ""});
    rows.push_back({{}, {"report", "run.csv", "-o", "x.svg"}, 2, "", ".pdf か .png", ""});
    // The battery's charge at the end with a capacity, "not set" without.
    rows.push_back(
        {{}, {"summary", "run.csv", "--capacity", "20"}, 0, "終了時の残量: 20.00 Ah", "", ""});
    rows.push_back({{}, {"summary", "run.csv"}, 0, "終了時の残量: 未設定", "", ""});
    // The strategy takes summary's window and refuses what summary refuses; without the time
    // left, or without a model (the partial file's second lap has no record: one lap is left),
    // it says so.
    Shape(store, 0, 3, 0, 0);  // an unknown interval
    ASSERT_TRUE(WriteDataFile(store, true, dir.filePath("unknown.csv")).ok);
    const QStringList strategy = {"strategy", "run.csv", "--remaining", "60"};
    rows.push_back({{}, {"strategy", "run.csv"}, 2, "", "--remaining", ""});
    rows.push_back({{}, strategy + QStringList{"--from", "100"}, 2, "", "記録は 0.05 分です", ""});
    rows.push_back({{}, strategy + QStringList{"--mass", "0"}, 2, "", "0 より大きい数", ""});
    rows.push_back({{},
                    {"strategy", "unknown.csv", "--remaining", "60", "--to", "1"},
                    2,
                    "",
                    "記録間隔が分からない",
                    ""});
    rows.push_back({{},
                    strategy + QStringList{"--capacity", "20", "--json"},
                    2,
                    "\"left_out\":[{\"lap\":2,\"reason\":\"no_distance\"}]",
                    "エネルギーモデルがありません",
                    ""});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        Start(Holding(1, 1, 1), row.faults);
        const Result r = Program(row.args);
        EXPECT_EQ(r.exit, row.exit) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(row.out)) << r.out.toStdString();
        EXPECT_TRUE(r.err.contains(row.err)) << r.err.toStdString();
        EXPECT_EQ(Sent(*sim), row.sent);
    }
}

// A field of a damaged file, a file's name and a typed value reach stderr with their control
// characters escaped: a terminal shows them, it does not obey them.
TEST_F(CommandLine, MessagesEscapeControlCharacters) {
    language = {"YB_LANG=en"};  // the messages asserted are the English ones
    const QString esc = QStringLiteral("\x1b[31m"), shown = QStringLiteral("\\x1b[31m");
    RecordStore store;
    FillExample(store);
    const QString run = dir.filePath("run.csv"), bad = dir.filePath("bad" + esc + ".csv");
    ASSERT_TRUE(WriteDataFile(store, true, run).ok);
    ASSERT_TRUE(WriteDataFile(store, true, bad).ok);
    QFile damaged(bad);
    ASSERT_TRUE(damaged.open(QIODevice::ReadWrite));
    const QByteArray bytes = damaged.readAll().replace("\n1,3.25,", "\n1,3.2" + esc.toUtf8() + ',');
    ASSERT_TRUE(damaged.resize(0) && damaged.write(bytes) == bytes.size());
    damaged.close();
    const std::pair<QStringList, QString> rows[] = {
        {{"summary", bad}, "bad" + shown + ".csv:7: \"3.2" + shown + "\" under Solar[A]"},
        {{"report", run, "-o", "no/x" + esc + ".pdf"}, "no/x" + shown + ".pdf: the folder"},
        {{"summary", run, "--lap-start", esc}, "--lap-start " + shown + ": minutes"},
        {{"download", "--resume", "gone" + esc + ".csv"}, "gone" + shown + ".csv: "},
        {{"get", esc}, shown + ": the setting is"},
        {{"summary", "--bogus" + esc}, shown},
    };
    for (const auto& [args, message] : rows) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const Result r = Program(args);
        EXPECT_NE(r.exit, 0);
        EXPECT_TRUE(r.err.contains(message) && !r.err.contains(QChar(0x1b))) << r.err.toStdString();
    }
}

// Messages follow the system's language (none set is Japanese), YB_LANG over it and --lang over
// both; the data file and the summary's JSON are the same bytes in either language.
TEST_F(CommandLine, MessagesFollowTheLanguageAndFilesDoNot) {
    const QStringList check{"check", "--port", "PORT"}, get{"get", "tyre", "--port", "PORT"};
    const QString ja = "YB 接続確認できました", en = "YB connection confirmed";
    const std::vector<std::tuple<QStringList, QStringList, QString>> rows{
        {{}, check, ja},
        {{"LANG=ja_JP.UTF-8"}, check, ja},
        {{"LANG=en_GB.UTF-8"}, check, en},
        {{"LANG=de_DE.UTF-8"}, check, en},
        {{"LANG=de_DE.UTF-8", "YB_LANG=ja"}, check, ja},
        {{"YB_LANG=en"}, check, en},
        {{"YB_LANG=en"}, QStringList{"--lang", "ja"} + check, ja},
        {{"LANG=ja_JP.UTF-8"}, check + QStringList{"--lang=en"}, en},
        {{}, get, "タイヤ周長の読出しに失敗しました。"},
        {{"YB_LANG=en"}, get, "Reading the tyre circumference failed."},
    };
    for (const auto& [variables, args, shown] : rows) {
        SCOPED_TRACE((variables + args).join(' ').toStdString());
        Start(Holding(1, 1, 1), {Fault::silence("T?")});
        language = variables;
        const Result r = Program(args);
        EXPECT_TRUE((r.out + r.err).contains(shown)) << (r.out + r.err).toStdString();
    }
    QList<QByteArray> file[2];
    QString json[2];
    for (int i = 0; i < 2; ++i) {
        language = {i == 0 ? "YB_LANG=ja" : "YB_LANG=en"};
        Start(Holding(40, 4, 3));
        ASSERT_EQ(Program({"download", "--port", "PORT", "-o", "run.csv", "--force"}).exit, 0);
        file[i] = Lines(dir.filePath("run.csv"));
        json[i] = Program({"summary", "run.csv", "--json"}).out;
    }
    EXPECT_EQ(file[0], file[1]);
    EXPECT_EQ(json[0], json[1]);
    EXPECT_TRUE(json[0].contains("\"records\"")) << json[0].toStdString();
}

// The messages written in English in the sources come in Japanese by default, in English with
// YB_LANG=en or --lang en; the exit code and a damaged file's FILE:LINE are the same in each.
TEST_F(CommandLine, ErrorsFollowTheLanguageWithTheSameExitCodes) {
    RecordStore store;
    FillExample(store);
    ASSERT_TRUE(WriteDataFile(store, true, dir.filePath("run.csv")).ok);
    QFile damaged(dir.filePath("bad.csv"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly) && damaged.write("hello\r\n") > 0);
    damaged.close();
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    struct Row {
        QStringList args;
        int exit;
        QString ja, en;  // what stderr holds
    };
    const std::vector<Row> rows{
        {{"summary", "bad.csv"},
         3,
         "bad.csv:1: YB のデータファイルではありません: 1 行目が \"YB Download Data\" "
         "ではありません",
         "bad.csv:1: not a YB data file: the first line is not \"YB Download Data\""},
        {{"download", "-o", "folder"},
         3,
         dir.filePath("folder") + ": フォルダーです: ファイル名が必要です",
         dir.filePath("folder") + ": a folder: the file needs a name"},
        {{"report", "run.csv", "-o", "no/run.pdf"},
         3,
         "no/run.pdf: フォルダーがないか、書き込めません",
         "no/run.pdf: the folder does not exist or cannot be written"},
        {{"summary", "run.csv", "--lang", "fr"},
         2,
         "--lang fr: 言語は ja か en です\n使い方: ",
         "--lang fr: the language is ja or en\nusage: "},
    };
    const std::vector<std::pair<QStringList, QStringList>> english{{{"YB_LANG=en"}, {}},
                                                                   {{}, {"--lang", "en"}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        language.clear();
        const Result ja = Program(row.args);
        EXPECT_EQ(ja.exit, row.exit);
        EXPECT_TRUE(ja.err.contains(row.ja)) << ja.err.toStdString();
        for (const auto& [variables, option] : english) {
            if (!option.isEmpty() && row.args.contains("--lang")) continue;
            language = variables;
            const Result en = Program(option + row.args);
            EXPECT_EQ(en.exit, row.exit);
            EXPECT_TRUE(en.err.contains(row.en)) << en.err.toStdString();
        }
    }
}

}  // namespace
}  // namespace yb::test
