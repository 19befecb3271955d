#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>

#include <qcoro/qcorotask.h>

#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/Output.h"
#include "cli/Progress.h"
#include "cli/Termination.h"
#include "datafile/DataFile.h"
#include "datafile/DataFileReader.h"
#include "datafile/FileTarget.h"
#include "datafile/Format.h"
#include "datafile/PartialRun.h"
#include "datafile/Printable.h"
#include "datafile/SaveCommand.h"
#include "download/DownloadMeter.h"
#include "library/Library.h"
#include "serial/PortNames.h"
#include "session/Session.h"

namespace yb {

namespace {

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

// One command's run: the session and its port; Ctrl+C, SIGTERM and SIGHUP cancel the operation,
// and a lost port is told on stderr as it happens.
class Run {
public:
    explicit Run(QString port) : port_(std::move(port)) {
        QObject::connect(&termination_, &Termination::ended, &session_, &Session::cancel);
        QObject::connect(&session_, &Session::portLost, &session_,
                         [](const QString& text) { Err(text); });
    }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    // Opens the port: COM3 or 3 as the window names ports (YB_COM<n> first), anything else a
    // device. 0 once it is open; otherwise the exit code: the reason is told when it cannot be
    // opened; asked to end meanwhile, the program ends before its operation starts.
    int Open() {
        QString name = port_;
        bool number = false;
        name.toInt(&number);
        if (number) name = QStringLiteral("COM") + name;
        const PortOutcome outcome = name.startsWith(QLatin1String("COM"))
                                        ? session_.openNamed(name)
                                        : session_.openDevice(name);
        if (outcome.done()) return termination_.exitCode();
        Err(Printable(port_) + QStringLiteral(": ") + outcome.text +
            (outcome.reason.isEmpty() ? QString() : QStringLiteral(" (") + outcome.reason + ')'));
        return kExitFailed;
    }

    // The exit code of an outcome that is not a success of its own; once the program was asked
    // to end, the code of that request.
    int ExitOf(const Outcome& outcome) const {
        if (termination_.requested()) return termination_.exitCode();
        if (outcome.ending == Ending::Cancelled) return kExitInterrupted;
        return outcome.done() ? kExitSuccess : kExitFailed;
    }

    Session& session() { return session_; }

private:
    QString port_;
    Termination termination_;  // declared first: it outlives the closing of the port
    Session session_;
};

int Check(Run& run) {
    if (const int code = run.Open()) return code;
    const CheckOutcome outcome = QCoro::waitFor(run.session().checkConnection());
    if (outcome.ending == Ending::Cancelled) return run.ExitOf(outcome);
    Out(outcome.text);
    if (!outcome.done()) Out(QStringLiteral("answer: \"") + Visible(outcome.answer) + '"');
    return run.ExitOf(outcome);
}

int Get(Run& run, Setting setting) {
    if (const int code = run.Open()) return code;
    const SettingRead read = QCoro::waitFor(run.session().readSetting(setting));
    if (read.done() && read.box) {
        Out(*read.box);
        return kExitSuccess;
    }
    if (!read.text.isEmpty()) Err(read.text);
    return run.ExitOf(read);
}

// `set battery` takes a decimal with at most two decimals, blanks around it ("12.5", " 5 "), and
// writes it as the window's battery box holds it, "dd.dd" ("12.50", "05.00"); the box's own
// check then tells the range. Anything else becomes the empty text, which that check refuses
// with its message.
QString BatteryBoxText(const QString& typed) {
    static const QRegularExpression kDecimal(QStringLiteral("^([0-9]+)(?:\\.([0-9]{1,2}))?$"));
    const QRegularExpressionMatch match = kDecimal.match(typed.trimmed());
    if (!match.hasMatch()) return {};
    QString whole = match.captured(1);
    while (whole.size() > 2 && whole.startsWith(QLatin1Char('0'))) whole.remove(0, 1);
    return whole.rightJustified(2, QLatin1Char('0')) + QLatin1Char('.') +
           match.captured(2).leftJustified(2, QLatin1Char('0'));
}

// `set interval` takes 1, 2, 5 or 10 as digits, blanks around them allowed; anything else ("2,5",
// "1e1", "2abc", which the window's box reads by their leading number) becomes the empty text,
// which the interval's check refuses with its message.
QString IntervalBoxText(const QString& typed) {
    const QString digits = typed.trimmed();
    for (const int seconds : kRecordingIntervals) {
        if (digits == QString::number(seconds)) return digits;
    }
    return {};
}

int Set(Run& run, Setting setting, const QString& typed) {
    const QString value = setting == Setting::BatteryCapacity     ? BatteryBoxText(typed)
                          : setting == Setting::RecordingInterval ? IntervalBoxText(typed)
                                                                  : typed;
    // Validated before the port is touched: a refused value sends nothing at all.
    const auto command = SettingWriteCommand(setting, value);
    if (const auto* refused = std::get_if<Outcome>(&command)) return UsageError(refused->text);
    if (const int code = run.Open()) return code;
    const Outcome outcome = QCoro::waitFor(run.session().writeSetting(setting, value));
    if (outcome.done())
        Out(outcome.text);
    else if (!outcome.text.isEmpty())
        Err(outcome.text);
    return run.ExitOf(outcome);
}

// The data file's default name in the current folder: YB_Data_yyyyMMdd_HHmmss.csv (.txt).
QString DefaultFileName(bool csv) {
    return DefaultDataFileName(csv, QDateTime::currentDateTime());
}

// Where the records of a download go when its target could not take them (its folder vanished,
// the disk filled up): under the default name in the current folder, or else in the system's
// temporary folder; never over an existing file, nor at `failed` again. The path written, or
// nullopt when neither took them.
std::optional<QString> SaveElsewhere(const RecordStore& store, bool csv, const QString& failed) {
    const QString name = DefaultFileName(csv);
    for (const QString& folder : {QDir::currentPath(), QDir::tempPath()}) {
        if (folder.isEmpty()) continue;  // the current folder is gone
        const QString path = QDir::toNativeSeparators(QDir(folder).absoluteFilePath(name));
        if (path == failed || QFileInfo::exists(path)) continue;
        if (WriteDataFile(store, csv, path).ok) return path;
    }
    return std::nullopt;
}

// Whether two stores hold the same counts and the same number of records of each kind.
bool SameRecordsHeld(const RecordStore& a, const RecordStore& b) {
    for (const Stage stage : {Stage::Main, Stage::Temperature, Stage::Laps}) {
        if (a.count(stage) != b.count(stage) || a.stored(stage) != b.stored(stage)) return false;
    }
    return true;
}

// Files a data file the download wrote in the run library (--library), with how the download
// ended; a failure of the library is told and fails nothing.
void FileDownload(const QString& path, const DownloadOutcome& outcome, const QString& library) {
    const QString failure = FileInLibrary(path, {std::nullopt, EndOf(outcome), true}, library);
    if (!failure.isEmpty()) Err(failure);
}

// Runs a download, or the resume of the file `resumed` read into the session, and writes its
// data file at `path`, partial when it ended early, and files it in the run library `library`;
// the exit code. A resumed file that already held everything the logger holds is written only at
// another path.
int DownloadInto(Run& run, const QString& path, bool csv, const QString& library,
                 const PartialRun* resumed = nullptr, const QString& resumedPath = {}) {
    if (const int code = run.Open()) return code;

    ProgressPrinter progress(StderrIsTerminal());
    QObject::connect(&run.session(), &Session::downloadProgress,
                     [&](const DownloadProgress& p) { progress.Show(p); });
    const DownloadOutcome outcome =
        QCoro::waitFor(resumed ? run.session().resume() : run.session().download());
    progress.Finish();
    Err(outcome.text + OutcomeNotes(outcome));
    if (outcome.ending == Ending::Failed && !outcome.loggerChanged && run.session().canResume()) {
        Err(QCoreApplication::translate("LoggerCommands",
                                        "--retries N sends a failed request again; --resume FILE "
                                        "goes on from the partial file"));
    }
    // A logger that changed since: nothing was asked for, nothing is written.
    if (outcome.loggerChanged) return run.ExitOf(outcome);

    const RecordStore& store = run.session().store();
    if (resumed && outcome.done() && SameRecordsHeld(resumed->store, store)) {
        Err(QCoreApplication::translate("LoggerCommands",
                                        "%1: complete: it holds everything the logger holds")
                .arg(Printable(resumedPath)));
        if (QFileInfo(path) == QFileInfo(resumedPath)) return kExitSuccess;
    }
    if (!HoldsMainData(store)) {
        Err(QCoreApplication::translate("LoggerCommands", "%1: no data file written")
                .arg(NoMainDataText()));
        return run.ExitOf(outcome);
    }
    const auto partial = [&outcome] {
        if (outcome.done()) return;
        Err(QCoreApplication::translate("LoggerCommands",
                                        "partial data file: the download ended early; the "
                                        "file holds what was fetched until then"));
    };
    const FileResult written = WriteDataFile(store, csv, path);
    if (!written.ok) {
        // The records are not lost with the target: the failure stands, with where they went.
        Err(SaveFailedText() + QStringLiteral(": ") + written.reason);
        if (const std::optional<QString> rescued = SaveElsewhere(store, csv, path)) {
            Err(QCoreApplication::translate("LoggerCommands",
                                            "the records fetched are saved in %1 instead")
                    .arg(Printable(*rescued)));
            partial();
            FileDownload(*rescued, outcome, library);
        } else {
            Err(QCoreApplication::translate(
                "LoggerCommands",
                "the records fetched could not be saved in the current or the temporary folder "
                "either"));
        }
        return kExitFile;
    }
    partial();
    Out(path);
    FileDownload(path, outcome, library);
    return run.ExitOf(outcome);
}

// The target of a data file, checked before the port is opened; nullopt with the refusal told.
std::optional<QString> Target(const QString& output, bool force) {
    const QString path = QDir::toNativeSeparators(QDir::current().absoluteFilePath(output));
    if (const FileResult target = CheckTarget(path, force); !target.ok) {
        Err(Printable(path) + QStringLiteral(": ") + target.reason);
        return std::nullopt;
    }
    return path;
}

// `download --resume FILE`: the partial file's download continued, the complete file written at
// OUT, or over FILE with --force.
int Resume(Run& run, const CommandOptions& options) {
    const DataFileReadResult read = ReadDataFileAt(options.resume);
    if (!read.ok) {
        Err(read.reason);
        return kExitFile;
    }
    const PartialRunRead resumed = ReadPartialRun(*read.run);
    if (!resumed.ok) {
        Err(Printable(options.resume) + QStringLiteral(": ") + resumed.reason);
        return kExitFile;
    }
    const PartialRun& partial = *resumed.partial;
    if (options.output.isEmpty() && !options.force) {
        Err(QCoreApplication::translate("LoggerCommands",
                                        "%1: -o names the complete file; --force replaces "
                                        "this one")
                .arg(Printable(options.resume)));
        return kExitFile;
    }
    const auto path =
        Target(options.output.isEmpty() ? options.resume : options.output, options.force);
    if (!path) return kExitFile;
    run.session().adoptStopped(partial.store, partial.stop);
    return DownloadInto(run, *path, read.run->delimiter == QChar(kCsvDelimiter), options.library,
                        &partial, options.resume);
}

}  // namespace

int DownloadCommand(const CommandOptions& options) {
    Run run(options.port);
    run.session().setRetries(options.retries);
    if (!options.resume.isEmpty()) return Resume(run, options);
    const auto path = Target(
        options.output.isEmpty() ? DefaultFileName(options.csv) : options.output, options.force);
    if (!path) return kExitFile;
    return DownloadInto(run, *path, options.csv, options.library);
}

int CheckCommand(const CommandOptions& options) {
    Run run(options.port);
    return Check(run);
}

int GetCommand(const CommandOptions& options, Setting setting) {
    Run run(options.port);
    return Get(run, setting);
}

int SetCommand(const CommandOptions& options, Setting setting, const QString& value) {
    Run run(options.port);
    return Set(run, setting, value);
}

int PortsCommand() {
    Out(DescribeComPorts(9));
    return kExitSuccess;
}

}  // namespace yb
