#include "cli/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <map>
#include <optional>

#include <qcoro/qcorotask.h>

#include "app/Version.h"
#include "cli/Progress.h"
#include "core/Session.h"
#include "export/DataFile.h"
#include "export/Dialogs.h"
#include "serial/PortNames.h"

#ifdef Q_OS_WIN
#define NOMINMAX
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace yb {

namespace {

const QStringList kLoggerCommands{QStringLiteral("download"), QStringLiteral("check"),
                                  QStringLiteral("get"), QStringLiteral("set"),
                                  QStringLiteral("ports")};

const std::map<QString, Setting> kSettingNames{{QStringLiteral("tyre"), Setting::TyreCircumference},
                                               {QStringLiteral("battery"), Setting::BatteryCapacity},
                                               {QStringLiteral("interval"),
                                                Setting::RecordingInterval}};

std::atomic<bool> gInterrupted{false};

extern "C" void OnInterrupt(int) {
    gInterrupted = true;
}

void Out(const QString& text) {
    std::fputs(qPrintable(text + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

void Err(const QString& text) {
    std::fputs(qPrintable(text + QLatin1Char('\n')), stderr);
    std::fflush(stderr);
}

int UsageError(const QString& message) {
    Err(message);
    Err(QStringLiteral("usage: yb-downloader download|check|get|set|ports [options]; "
                       "yb-downloader --help lists them"));
    return kExitUsageError;
}

// An answer as the user can read it: control characters as escapes.
QString Visible(const std::string& answer) {
    QString text;
    for (const unsigned char c : answer) {
        if (c == '\r')
            text += QStringLiteral("\\r");
        else if (c == '\n')
            text += QStringLiteral("\\n");
        else if (c < 0x20 || c >= 0x7F)
            text += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
        else
            text += QLatin1Char(static_cast<char>(c));
    }
    return text;
}

// The writer's own messages are for a window; here the failure is told once, by the command.
class ScriptDialogs : public Dialogs {
public:
    void message(const QString&) override {}
    bool askYesNo(const QString&) override { return false; }
    std::optional<QString> askSaveFileName(const SaveDialogSetup&) override { return {}; }
};

// One command's run: the session, its port, and Ctrl+C turned into a cancel.
class Run {
public:
    explicit Run(QString port) : port_(std::move(port)) {
        gInterrupted = false;
        std::signal(SIGINT, OnInterrupt);
        interruptWatch_.setInterval(50);
        QObject::connect(&interruptWatch_, &QTimer::timeout, [this] {
            if (gInterrupted) session_.cancel();
        });
        interruptWatch_.start();
    }
    ~Run() { std::signal(SIGINT, SIG_DFL); }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    // Opens the port: COM3 or 3 as the window names ports (YB_COM<n> first), anything else a
    // device. False, with the reason told, when it cannot be opened.
    bool Open() {
        QString name = port_;
        bool number = false;
        name.toInt(&number);
        if (number) name = QStringLiteral("COM") + name;
        const PortOutcome outcome = name.startsWith(QLatin1String("COM"))
                                        ? session_.openNamed(name)
                                        : session_.openDevice(name);
        if (outcome.done()) return true;
        Err(port_ + QStringLiteral(": ") + outcome.text +
            (outcome.reason.isEmpty() ? QString() : QStringLiteral(" (") + outcome.reason + ')'));
        return false;
    }

    // The exit code of an outcome that is not a success of its own.
    int ExitOf(const Outcome& outcome) const {
        if (outcome.ending == Ending::Cancelled || gInterrupted) return kExitInterrupted;
        return outcome.done() ? kExitSuccess : kExitLoggerFailed;
    }

    Session& session() { return session_; }

private:
    QString port_;
    Session session_;
    QTimer interruptWatch_;
};

int Check(Run& run) {
    if (!run.Open()) return kExitLoggerFailed;
    const CheckOutcome outcome = QCoro::waitFor(run.session().checkConnection());
    if (outcome.ending == Ending::Cancelled) return kExitInterrupted;
    Out(outcome.text);
    if (!outcome.done()) Out(QStringLiteral("answer: \"") + Visible(outcome.answer) + '"');
    return run.ExitOf(outcome);
}

int Get(Run& run, Setting setting) {
    if (!run.Open()) return kExitLoggerFailed;
    const SettingRead read = QCoro::waitFor(run.session().readSetting(setting));
    if (read.done() && read.box) {
        Out(*read.box);
        return kExitSuccess;
    }
    if (!read.text.isEmpty()) Err(read.text);
    return run.ExitOf(read);
}

int Set(Run& run, Setting setting, const QString& value) {
    // Validated before the port is touched: a refused value sends nothing at all.
    const auto command = SettingWriteCommand(setting, value);
    if (const auto* refused = std::get_if<Outcome>(&command)) return UsageError(refused->text);
    if (!run.Open()) return kExitLoggerFailed;
    const Outcome outcome = QCoro::waitFor(run.session().writeSetting(setting, value));
    if (outcome.done())
        Out(outcome.text);
    else if (!outcome.text.isEmpty())
        Err(outcome.text);
    return run.ExitOf(outcome);
}

// The data file's default name in the current folder: YB_Data_yyyyMMdd_HHmmss.csv (.txt).
QString DefaultFileName(bool csv) {
    return QStringLiteral("YB_Data_") +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss")) +
           (csv ? QStringLiteral(".csv") : QStringLiteral(".txt"));
}

bool StderrIsTerminal() {
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr));
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

int Download(Run& run, const QString& output, bool csv, bool force) {
    const QFileInfo target(QDir::current().absoluteFilePath(output.isEmpty() ? DefaultFileName(csv)
                                                                             : output));
    const QString path = QDir::toNativeSeparators(target.absoluteFilePath());
    if (target.exists() && !force) {
        Err(path + QStringLiteral(": the file exists; --force replaces it"));
        return kExitFileError;
    }
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir() || !folder.isWritable()) {
        Err(path + QStringLiteral(": the folder does not exist or cannot be written"));
        return kExitFileError;
    }
    if (!run.Open()) return kExitLoggerFailed;

    ProgressPrinter progress(StderrIsTerminal());
    QObject::connect(&run.session(), &Session::downloadProgress,
                     [&](const DownloadProgress& p) { progress.Show(p); });
    const DownloadOutcome outcome = QCoro::waitFor(run.session().download());
    progress.Finish();
    Err(outcome.text);

    const LoggedData& data = run.session().data();
    if (data.DataCount1 == 0) {
        Err(QStringLiteral("データ１がありません: no data file written"));
        return run.ExitOf(outcome);
    }
    ScriptDialogs dialogs;
    if (!WriteDataFile(data, csv, path, dialogs)) {
        Err(kSaveFailedText);
        return kExitFileError;
    }
    if (!outcome.done()) {
        Err(QStringLiteral("partial data file: the download ended early; the file holds what was "
                           "fetched until then"));
    }
    Out(path);
    return run.ExitOf(outcome);
}

int Ports() {
    Out(DescribeComPorts(9));
    return kExitSuccess;
}

int RunLoggerCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Downloads a YB data logger and saves its data file, checks the connection, reads and "
        "writes the logger's settings. Without a command the window opens.\n\n"
        "Exit codes: 0 success; 1 the logger or the line failed; 2 usage or validation error; "
        "3 a file that cannot be written or would be replaced; 130 interrupted (Ctrl+C)."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("command"),
        QStringLiteral("download | check | get SETTING | set SETTING VALUE | ports; "
                       "SETTING is tyre, battery or interval"));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("COM3, 3 or a device path (default COM1)"),
                                  QStringLiteral("PORT"), QStringLiteral("COM1"));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("data file (default YB_Data_<date>_<time>.csv)"),
                                    QStringLiteral("FILE"));
    const QCommandLineOption tsv(QStringLiteral("tsv"),
                                 QStringLiteral("tab-separated data file (.txt)"));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("replace an existing data file"));
    parser.addOptions({port, output, tsv, force});
    if (!parser.parse(arguments)) return UsageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        Out(parser.helpText());
        return kExitSuccess;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        Out(QStringLiteral("%1 %2").arg(QLatin1String(kProgramName), QLatin1String(kProgramVersion)));
        return kExitSuccess;
    }
    const QStringList args = parser.positionalArguments();
    const QString command = args.value(0);
    const auto expect = [&](qsizetype count) { return args.size() == count; };

    if (command == QLatin1String("ports") && expect(1)) return Ports();
    if (command == QLatin1String("download") && expect(1)) {
        Run run(parser.value(port));
        return Download(run, parser.value(output), !parser.isSet(tsv), parser.isSet(force));
    }
    if (command == QLatin1String("check") && expect(1)) {
        Run run(parser.value(port));
        return Check(run);
    }
    if ((command == QLatin1String("get") && expect(2)) ||
        (command == QLatin1String("set") && expect(3))) {
        const auto setting = kSettingNames.find(args[1]);
        if (setting == kSettingNames.end()) {
            return UsageError(args[1] + QStringLiteral(": the setting is tyre, battery or interval"));
        }
        Run run(parser.value(port));
        return command == QLatin1String("get") ? Get(run, setting->second)
                                               : Set(run, setting->second, args[2]);
    }
    return UsageError(command.isEmpty() ? QStringLiteral("no command given")
                                        : QStringLiteral("wrong arguments for ") + command);
}

}  // namespace

bool WantsCommandLine(int argc, char** /*argv*/) {
    return argc > 1;
}

int RunCommandLine(int argc, char** argv) {
#ifdef Q_OS_WIN
    // A window program has no console of its own: write to the one it was started from.
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
#endif
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QLatin1String(kProgramName));
    QCoreApplication::setApplicationVersion(QLatin1String(kProgramVersion));
    return RunLoggerCommand(QCoreApplication::arguments());
}

}  // namespace yb
