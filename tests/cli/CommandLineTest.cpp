// The built program run as a script runs it: without a display, against the simulated logger.
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

#include "export/SaveCommand.h"
#include "support/FakeDialogs.h"
#include "support/SimSession.h"

namespace yb::test {
namespace {

using ybsim::Fault;

struct Result {
    int exit = -1;
    QString out, err;
};

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
        for (QString& a : args) a.replace(QLatin1String("PORT"), QString::fromStdString(sim->slavePath()));
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.path());
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
        EXPECT_TRUE(SaveDataFile(session.data(), csv, saved, dialogs));
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
        EXPECT_EQ(Lines(file)[2], QDir::toNativeSeparators(file).toUtf8() + '\r');  // absolute path
        EXPECT_EQ(r.err.contains(QStringLiteral("'D1+nnnn' コマンドエラー")), exit == 1);
        EXPECT_EQ(r.err.contains(QStringLiteral("partial")), exit == 1);
    }
}

TEST_F(CommandLine, ExistingFileIsReplacedOnlyWithForce) {
    Start(Holding(5, 1, 1));
    const QString file = dir.filePath("old.csv");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("old") == 3);
    f.close();
    EXPECT_EQ(Program({"download", "--port", "PORT", "-o", file}).exit, 3);
    EXPECT_EQ(sim->received(), "");  // nothing downloaded, not even the port opened
    EXPECT_EQ(Lines(file), QList<QByteArray>{"old"});
    EXPECT_EQ(Program({"download", "--port", "PORT", "-o", file, "--force"}).exit, 0);
    EXPECT_EQ(Lines(file).size(), 6 + 5 + 4 + 1 + 3 + 1 + 1);
    EXPECT_EQ(Program({"download", "--port", "PORT", "-o", dir.filePath("no/such/dir.csv")}).exit, 3);
}

TEST_F(CommandLine, CtrlCEndsTheDownloadAndSavesWhatCame) {
    Start(Holding(3000, 10, 5, /*instant=*/false));
    const QString file = dir.filePath("cut.csv");
    const Result r = Program({"download", "--port", "PORT", "-o", file}, [&](QProcess& p) {
        RunUntil([&] { return sim->commands().size() > 100; }, 20000);
        // A program that has already ended has no id: kill(0) would hit this test's own group.
        if (const auto pid = p.processId()) ::kill(static_cast<pid_t>(pid), SIGINT);
    });
    EXPECT_EQ(r.exit, 130);
    EXPECT_TRUE(r.err.contains(QStringLiteral("データ読出しを中止しました")));
    const auto lines = Lines(file);
    ASSERT_GT(lines.size(), 3000);
    EXPECT_TRUE(lines[6].startsWith("1,") && lines[6].size() > 12);  // the first record came
    EXPECT_EQ(lines[6 + 2999], "3000,,,,,,,\r");                     // the last one did not
    Idle(100);
    EXPECT_LT(sim->commands().size(), 3000u);
}

// The viewer's commands on a downloaded file, without a display.
TEST_F(CommandLine, SummaryAndReportOfADownloadedFile) {
    Start(Holding(60, 5, 4));
    const QString file = dir.filePath("run.csv"), pdf = dir.filePath("run.pdf");
    ASSERT_EQ(Program({"download", "--port", "PORT", "-o", file}).exit, 0);
    const Result summary = Program({"summary", file, "--json"});
    EXPECT_EQ(summary.exit, 0);
    EXPECT_TRUE(summary.out.contains("\"records\": 60") || summary.out.contains("\"records\":60"))
        << summary.out.toStdString();
    EXPECT_EQ(Program({"report", file}).exit, 0);
    EXPECT_TRUE(QFileInfo(pdf).size() > 1000);
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
    struct Row {
        std::vector<Fault> faults;
        QStringList args;
        int exit;
        QString out, err;
        std::string sent;
    };
    const std::vector<Row> rows{
        {{}, {"check", "--port", "PORT"}, 0, "YB 接続確認できました", "", "?"},
        {{Fault::silence("?")}, {"check", "--port", "PORT"}, 1, "answer: \"\"", "", "?"},
        {{Fault::replace("?", "ok\r")}, {"check", "--port", "PORT"}, 1, "answer: \"ok\\r\"", "", "?"},
        {{}, {"get", "tyre", "--port", "PORT"}, 0, "1800", "", "T?"},
        {{}, {"get", "battery", "--port", "PORT"}, 0, "12.50", "", "BAh?"},
        {{}, {"get", "interval", "--port", "PORT"}, 0, "1", "", "T??"},
        {{Fault::silence("T?")}, {"get", "tyre", "--port", "PORT"}, 1, "", "タイヤ周長の読出しに失敗しました。", "T?"},
        {{}, {"set", "interval", "5", "--port", "PORT"}, 0, "データ記録時間間隔の書込みに成功しました。", "", "T5"},
        {{}, {"set", "battery", "20.00", "--port", "PORT"}, 0, "バッテリ初期値の書込みに成功しました。", "", "BAh07D0"},
        {{Fault::replace("T0708", "NG\r")}, {"set", "tyre", "1800", "--port", "PORT"}, 1, "", "タイヤ周長の書込みに失敗しました。", "T0708"},
        {{}, {"set", "interval", "3", "--port", "PORT"}, 2, "", "データ記録時間間隔は 1, 2, 5, 10[秒] のいずれかの値にしてください", ""},
        {{}, {"set", "speed", "3"}, 2, "", "tyre, battery or interval", ""},
        {{}, {"check", "--port", "/nonexistent/tty"}, 1, "", "Setting Error", ""},
        {{}, {"check", "--port", "7"}, 1, "", "Setting Error", ""},
        {{}, {"check", "extra"}, 2, "", "usage:", ""},
        {{}, {"frobnicate"}, 2, "", "usage:", ""},
        {{}, {"check", "--bogus"}, 2, "", "usage:", ""},
        {{}, {"--version"}, 0, "yb-downloader ", "", ""},
        {{}, {"--help"}, 0, "Exit codes", "", ""},
    };
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

}  // namespace
}  // namespace yb::test
