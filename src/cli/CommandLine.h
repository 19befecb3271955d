#pragma once
// The program without its window: download, check, settings and the data viewer's commands, run
// from a shell or a script.
//
//   yb-downloader download [--port PORT] [-o FILE] [--tsv] [--force]
//   yb-downloader check    [--port PORT]
//   yb-downloader get  tyre|battery|interval            [--port PORT]
//   yb-downloader set  tyre|battery|interval VALUE      [--port PORT]
//   yb-downloader ports
//   yb-downloader view [FILE...]          (also: yb-downloader FILE...)
//   yb-downloader report FILE [-o OUT] [--from MIN] [--to MIN] [--lap-start MIN]
//   yb-downloader summary FILE [--json] [--from MIN] [--to MIN] [--lap-start MIN]
//
// Results go to stdout, messages and progress to stderr. Exit codes: cli/ExitCodes.h. Every
// command also takes --lang ja|en (language/Language.h): the results and messages that are
// Japanese in the sources are then in that language; what scripts read (the data file, the
// summary's JSON keys, exit codes) is the same in both.

#include <QStringList>

namespace yb {

// What the program needs to run the command its arguments name.
enum class CommandNeeds {
    Window,   // no command: the main window
    Widgets,  // a viewer command: an application with widgets (offscreen will do for a report)
    Core,     // a logger or summary command: no widget, no display
};

// Looks at the arguments (--lang and its value aside). A report with no display at all is drawn on
// the offscreen platform. On Windows a command attaches to the console it was started from.
CommandNeeds PrepareForCommand(int argc, char** argv);

// Runs the command the arguments name (the application object exists, the language chosen,
// --lang taken out of the arguments); its exit code.
int RunCommandLine(const QStringList& arguments);

}  // namespace yb
