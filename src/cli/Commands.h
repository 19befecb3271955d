#pragma once
// The commands of the command line, each returning its exit code (cli/ExitCodes.h).

#include <QString>
#include <QStringList>
#include <optional>

#include "settings/Settings.h"

namespace yb {

// The options a command takes (the parser's values; unused ones are ignored).
struct CommandOptions {
    QString port = QStringLiteral("COM1");  // COM3, 3 or a device path
    QString output;                         // download: the data file; report: the PDF or PNG
    bool csv = true;                        // download: commas (else tabs)
    bool force = false;                     // download: an existing file may be replaced
    bool json = false;                      // summary: one JSON object
    int retries = 0;                        // download: requests sent again after a refusal
    QString resume;                         // download: the partial data file to continue
    // summary, report, strategy and export: a window of the run in minutes from the first record
    // ([from, to)), where the laps start and the battery's capacity (also view's), as typed
    // (cli/RunOptions.h reads them).
    QString from;
    QString to;
    QString lapStart;
    QString capacity;
    // strategy: the minutes left, the charge wanted at the end and now (%), the solar power
    // expected (W), the car's mass (kg), drivetrain efficiency and air density (kg/m³).
    QString remaining;
    QString targetSoc;
    QString socNow;
    QString solarW;
    QString mass;
    QString efficiency;
    QString airDensity;
    // export (which writes `output`, replacing it with `force`, as report does): the format.
    QString format;
    // library: where the index is (empty: YB_LIBRARY or the default); list's filters; set's values
    // (unset: left as it is; several --driver and --tag each one of a list).
    QString library;
    QString filter;
    QStringList tracks;
    QStringList drivers;
    QStringList tags;
    QString since;
    QString until;
    std::optional<QString> event;
    std::optional<QString> name;
    std::optional<QString> conditions;
    std::optional<QString> note;
    // export's and library set's: the first record's local date and time, as typed.
    std::optional<QString> start;
};

// The logger's commands (cli/LoggerCommands.cpp): a session on the port; Ctrl+C, SIGTERM and
// SIGHUP cancel the operation.
int DownloadCommand(const CommandOptions& options);
int CheckCommand(const CommandOptions& options);
int GetCommand(const CommandOptions& options, Setting setting);
int SetCommand(const CommandOptions& options, Setting setting, const QString& value);
int PortsCommand();

// The data file's commands: the summary, the strategy and the export need no widget
// (cli/SummaryCommand.cpp, cli/StrategyCommand.cpp, cli/ExportCommand.cpp); view and report need
// an application with widgets (cli/ViewerCommands.cpp).
int SummaryCommand(const QString& file, const CommandOptions& options);
int StrategyCommand(const QString& file, const CommandOptions& options);
int ExportCommand(const QString& file, const CommandOptions& options);
int ViewCommand(const QStringList& files, const CommandOptions& options);
int ReportCommand(const QString& file, const CommandOptions& options);

// `library [add|list|show|set|check|rebuild] ...` (cli/LibraryCommand.cpp): the run library
// without widgets; `library` alone opens its window (cli/ViewerCommands.cpp).
int LibraryCommand(const QStringList& args, const CommandOptions& options);
int LibraryWindowCommand(const CommandOptions& options);
// Whether `library` with these arguments (after the command) opens the window: no action named.
bool OpensLibraryWindow(const QStringList& args);

}  // namespace yb
