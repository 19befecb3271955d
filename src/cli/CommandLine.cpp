#include "cli/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <functional>
#include <map>

#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/Output.h"
#include "datafile/Printable.h"
#include "download/Download.h"
#include "export/Exports.h"
#include "language/Language.h"
#include "version/Version.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace yb {

namespace {

const std::map<QString, Setting> kSettingNames{
    {QStringLiteral("tyre"), Setting::TyreCircumference},
    {QStringLiteral("battery"), Setting::BatteryCapacity},
    {QStringLiteral("interval"), Setting::RecordingInterval}};

// A command: the number of positional arguments it takes (the command itself included; -1: any
// number) and what runs it.
struct Command {
    int arguments;
    std::function<int(const QStringList& args, const CommandOptions& options)> run;
};

// The setting a `get` or `set` names, or the usage error.
int WithSetting(const QString& name, const std::function<int(Setting)>& run) {
    const auto setting = kSettingNames.find(name);
    if (setting == kSettingNames.end()) {
        return UsageError(QCoreApplication::translate(
                              "CommandLine", "%1: the setting is tyre, battery or interval")
                              .arg(Printable(name)));
    }
    return run(setting->second);
}

const std::map<QString, Command>& Commands() {
    static const std::map<QString, Command> kCommands{
        {QStringLiteral("download"), {1, [](auto&, auto& o) { return DownloadCommand(o); }}},
        {QStringLiteral("check"), {1, [](auto&, auto& o) { return CheckCommand(o); }}},
        {QStringLiteral("get"),
         {2,
          [](auto& a, auto& o) {
              return WithSetting(a[1], [&](Setting s) { return GetCommand(o, s); });
          }}},
        {QStringLiteral("set"),
         {3,
          [](auto& a, auto& o) {
              return WithSetting(a[1], [&](Setting s) { return SetCommand(o, s, a[2]); });
          }}},
        {QStringLiteral("ports"), {1, [](auto&, auto&) { return PortsCommand(); }}},
        {QStringLiteral("view"), {-1, [](auto& a, auto& o) { return ViewCommand(a.mid(1), o); }}},
        {QStringLiteral("report"), {2, [](auto& a, auto& o) { return ReportCommand(a[1], o); }}},
        {QStringLiteral("summary"), {2, [](auto& a, auto& o) { return SummaryCommand(a[1], o); }}},
        {QStringLiteral("export"), {2, [](auto& a, auto& o) { return ExportCommand(a[1], o); }}},
        {QStringLiteral("strategy"),
         {2, [](auto& a, auto& o) { return StrategyCommand(a[1], o); }}},
        {QStringLiteral("library"),
         {-1, [](auto& a, auto& o) { return LibraryCommand(a.mid(1), o); }}},
    };
    return kCommands;
}

// "check, download, get, ...": every command's name.
QString CommandNames() {
    QStringList names;
    for (const auto& [name, command] : Commands()) names << name;
    return names.join(QStringLiteral(", "));
}

// A file named where a command would stand: it is viewed (what a file manager passes).
bool IsFileToView(const QString& argument) {
    return !Commands().contains(argument) && QFileInfo(argument).isFile();
}

// `view`, `report`, `library` without an action (its window), or a file to view; `arguments`
// from the command on.
bool IsViewerCommand(const QStringList& arguments) {
    const QString& first = arguments[0];
    if (first == QLatin1String("view") || first == QLatin1String("report")) return true;
    if (first == QLatin1String("library")) return OpensLibraryWindow(arguments.mid(1));
    return !first.startsWith(QLatin1Char('-')) && IsFileToView(first);
}

int RunCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Downloads a YB data logger and saves its data file, checks the connection, reads and "
        "writes the logger's settings; shows, reports and summarises data files. Without a "
        "command the window opens; with data files as the only arguments, the viewer.\n\n"
        "Exit codes: 0 success; 1 the logger or the line failed; 2 usage or validation error; "
        "3 a file that cannot be read, written or would be replaced, or stdout failed; "
        "130 interrupted (Ctrl+C), 143 terminated (SIGTERM), 129 hung up (SIGHUP): the operation "
        "is cancelled, the port closed, a download's partial file saved."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("command"),
        QStringLiteral("download | check | get SETTING | set SETTING VALUE | ports | "
                       "view [FILE...] | report FILE | summary FILE | strategy FILE | "
                       "export FILE | library [add PATH... | list | show RUN | set RUN | check | "
                       "rebuild]; SETTING is tyre, battery or interval; RUN is a run's number or "
                       "its file"));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("COM3, 3 or a device path (default COM1)"),
                                  QStringLiteral("PORT"), QStringLiteral("COM1"));
    const QCommandLineOption output(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("download: the data file (default YB_Data_<date>_<time>.csv); "
                       "report: the PDF or PNG (default FILE with .pdf); export: the file "
                       "(default FILE with the format's extension, FILE-utf8.csv for csv)"),
        QStringLiteral("FILE"));
    const QCommandLineOption tsv(QStringLiteral("tsv"),
                                 QStringLiteral("tab-separated data file (.txt)"));
    const QCommandLineOption force(
        QStringLiteral("force"), QStringLiteral("replace an existing data file, report or export"));
    const QCommandLineOption json(
        QStringLiteral("json"),
        QStringLiteral("summary, strategy: one JSON object instead of lines"));
    const QCommandLineOption retries(
        QStringLiteral("retries"),
        QStringLiteral("download: send a request whose answer was refused again, up to N times "
                       "(0 to 10, default 0)"),
        QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption resume(
        QStringLiteral("resume"),
        QStringLiteral("download: continue the download a partial data file holds; the complete "
                       "file goes to -o, or over FILE with --force"),
        QStringLiteral("FILE"));
    const QCommandLineOption from(
        QStringLiteral("from"),
        QStringLiteral("summary, report, strategy, export: the window's start, minutes from the first "
                       "record"),
        QStringLiteral("MIN"));
    const QCommandLineOption to(QStringLiteral("to"),
                                QStringLiteral("summary, report, strategy, export: the window's end "
                                               "(exclusive)"),
                                QStringLiteral("MIN"));
    const QCommandLineOption lapStart(
        QStringLiteral("lap-start"),
        QStringLiteral(
            "summary, report, strategy, export: the first lap starts MIN after the first record"),
        QStringLiteral("MIN"));
    const QCommandLineOption capacity(
        QStringLiteral("capacity"),
        QStringLiteral("summary, report, strategy, export, view: the battery's initial capacity "
                       "(default: the one kept in FILE's notes)"),
        QStringLiteral("AH"));
    const QCommandLineOption remaining(QStringLiteral("remaining"),
                                       QStringLiteral("strategy: the minutes left in the race"),
                                       QStringLiteral("MIN"));
    const QCommandLineOption targetSoc(
        QStringLiteral("target-soc"),
        QStringLiteral("strategy: the charge wanted at the end, % of the capacity (default 0)"),
        QStringLiteral("PCT"));
    const QCommandLineOption socNow(
        QStringLiteral("soc-now"),
        QStringLiteral("strategy: the charge now, % of the capacity (default: at the end of the "
                       "run or window)"),
        QStringLiteral("PCT"));
    const QCommandLineOption solarW(
        QStringLiteral("solar-w"),
        QStringLiteral("strategy: the solar power expected (default: the mean of the last hour)"),
        QStringLiteral("W"));
    const QCommandLineOption mass(
        QStringLiteral("mass"),
        QStringLiteral("strategy: the car's mass, for the rolling-resistance coefficient"),
        QStringLiteral("KG"));
    const QCommandLineOption efficiency(
        QStringLiteral("efficiency"),
        QStringLiteral("strategy: the drivetrain's efficiency (default 0.9)"), QStringLiteral("E"));
    const QCommandLineOption airDensity(
        QStringLiteral("air-density"),
        QStringLiteral("strategy: the air density in kg/m³ (default 1.2)"), QStringLiteral("RHO"));
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("export: ") + ExportFormatNames(),
                                    QStringLiteral("FORMAT"));
    const QCommandLineOption start(
        QStringLiteral("start"),
        QStringLiteral("export: the local date and time of the first record "
                       "(2026-07-30T09:15:00), for the clock column; library set: the same, "
                       "remembered for the run (empty: not known)"),
        QStringLiteral("DATETIME"));
    // Taken before the command is parsed (language/Language.h); listed here for --help.
    const QCommandLineOption lang(
        QStringLiteral("lang"),
        QStringLiteral("the language of messages and of the window: ja or en (default: YB_LANG, "
                       "else the system's language)"),
        QStringLiteral("LANG"));
    const QCommandLineOption library(
        QStringLiteral("library"),
        QStringLiteral("the run library's index (default: YB_LIBRARY, else library.sqlite in "
                       "the application data folder); download adds its file there"),
        QStringLiteral("FILE"));
    const QCommandLineOption filter(
        QStringLiteral("filter"),
        QStringLiteral("library list: runs with TEXT in a text field, the file or a marker"),
        QStringLiteral("TEXT"));
    const QCommandLineOption track(QStringLiteral("track"),
                                   QStringLiteral("library list: runs on track T; set: the track"),
                                   QStringLiteral("T"));
    const QCommandLineOption driver(
        QStringLiteral("driver"),
        QStringLiteral("library list: runs driven by D; set: a driver (repeat for several)"),
        QStringLiteral("D"));
    const QCommandLineOption tag(
        QStringLiteral("tag"),
        QStringLiteral("library list: runs tagged T; set: a tag (repeat for several)"),
        QStringLiteral("T"));
    const QCommandLineOption since(
        QStringLiteral("since"),
        QStringLiteral("library list: runs downloaded on or after DATE (yyyy-MM-dd[THH:mm])"),
        QStringLiteral("DATE"));
    const QCommandLineOption until(QStringLiteral("until"),
                                   QStringLiteral("library list: runs downloaded up to DATE"),
                                   QStringLiteral("DATE"));
    const QCommandLineOption event(
        QStringLiteral("event"), QStringLiteral("library set: the event"), QStringLiteral("TEXT"));
    const QCommandLineOption name(QStringLiteral("name"),
                                  QStringLiteral("library set: the run's name (practice, stint 2)"),
                                  QStringLiteral("TEXT"));
    const QCommandLineOption conditions(
        QStringLiteral("conditions"),
        QStringLiteral("library set: the conditions (weather, irradiance, wind)"),
        QStringLiteral("TEXT"));
    const QCommandLineOption note(QStringLiteral("note"), QStringLiteral("library set: the notes"),
                                  QStringLiteral("TEXT"));
    parser.addOptions({port, output, tsv, force, json, retries, resume, from, to, lapStart,
                       capacity, remaining, targetSoc, socNow, solarW, mass, efficiency, airDensity,
                       format, start, library, filter, track, driver, tag, since, until, event,
                       name, conditions, note, lang});
    if (!parser.parse(arguments)) return UsageError(Printable(parser.errorText()));
    if (parser.isSet(QStringLiteral("help"))) {
        Out(parser.helpText());
        return kExitSuccess;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        Out(QStringLiteral("%1 %2").arg(QLatin1String(kProgramName),
                                        QLatin1String(kProgramVersion)));
        return kExitSuccess;
    }
    QStringList args = parser.positionalArguments();
    if (!args.isEmpty() && IsFileToView(args[0])) args.prepend(QStringLiteral("view"));
    if (args.isEmpty()) {
        return UsageError(QCoreApplication::translate("CommandLine", "no command given"));
    }
    const auto command = Commands().find(args[0]);
    if (command == Commands().end()) {
        return UsageError(
            QCoreApplication::translate("CommandLine", "unknown command %1; the commands are %2")
                .arg(Printable(args[0]), CommandNames()));
    }
    if (command->second.arguments >= 0 && args.size() != command->second.arguments) {
        return UsageError(QCoreApplication::translate("CommandLine", "wrong arguments for %1")
                              .arg(Printable(args[0])));
    }
    CommandOptions options;
    options.port = parser.value(port);
    options.output = parser.value(output);
    options.csv = !parser.isSet(tsv);
    options.force = parser.isSet(force);
    options.json = parser.isSet(json);
    options.resume = parser.value(resume);
    bool number = false;
    options.retries = parser.value(retries).toInt(&number);
    if (!number || options.retries < 0 || options.retries > DownloadOptions::kMaxRetries) {
        return UsageError(QCoreApplication::translate("CommandLine", "--retries takes 0 to 10"));
    }
    options.from = parser.value(from);
    options.to = parser.value(to);
    options.lapStart = parser.value(lapStart);
    options.format = parser.value(format);
    options.capacity = parser.value(capacity);
    options.remaining = parser.value(remaining);
    options.targetSoc = parser.value(targetSoc);
    options.socNow = parser.value(socNow);
    options.solarW = parser.value(solarW);
    options.mass = parser.value(mass);
    options.efficiency = parser.value(efficiency);
    options.airDensity = parser.value(airDensity);
    options.library = parser.value(library);
    options.filter = parser.value(filter);
    options.tracks = parser.values(track);
    options.drivers = parser.values(driver);
    options.tags = parser.values(tag);
    options.since = parser.value(since);
    options.until = parser.value(until);
    for (const auto& [option, value] :
         {std::pair(&event, &options.event), std::pair(&name, &options.name),
          std::pair(&conditions, &options.conditions), std::pair(&note, &options.note),
          std::pair(&start, &options.start)}) {
        if (parser.isSet(*option)) *value = parser.value(*option);
    }
    return command->second.run(args, options);
}

}  // namespace

int RefusedLanguageOption(const QStringList& arguments) {
    const std::optional<QString> option = LanguageOption(arguments);
    if (!option || LanguageNamed(*option)) return 0;
    return UsageError(
        QCoreApplication::translate("CommandLine", "--lang %1: the language is ja or en")
            .arg(Printable(*option)));
}

int RunCommandLine(const QStringList& arguments) {
    return StdoutExit(RunCommand(arguments));
}

int NoDisplayRefusal() {
    return UsageError(QCoreApplication::translate(
        "CommandLine",
        "no display: set DISPLAY or use the command line (download, summary, report)"));
}

// Whether a window could be shown: on X11 and Wayland systems only with a display named (or a
// platform chosen); elsewhere the system always has one.
bool DisplayAvailable() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
    return true;
#endif
}

CommandNeeds PrepareForCommand(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    // A --lang that names no language is refused before any window or display is needed.
    const std::optional<QString> language = LanguageOption(arguments);
    const bool refused = language && !LanguageNamed(*language);
    arguments = WithoutLanguageOption(arguments);
    if (arguments.size() < 2 && !refused) {
        return DisplayAvailable() ? CommandNeeds::Window : CommandNeeds::NoDisplay;
    }
#ifdef Q_OS_WIN
    // A window program has no console of its own: write to the one it was started from.
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
#endif
    if (refused) return CommandNeeds::Core;
    const QString& first = arguments[1];
    if (!IsViewerCommand(arguments.mid(1))) return CommandNeeds::Core;
    if (DisplayAvailable()) return CommandNeeds::Widgets;
    if (first != QLatin1String("report")) return CommandNeeds::NoDisplay;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return CommandNeeds::Widgets;
}

}  // namespace yb
