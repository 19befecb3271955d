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
//   yb-downloader library [add PATH... | list | show RUN | set RUN | check | rebuild]
//                 [--library FILE] [--json] [list's filters] [set's values]
//
// Results go to stdout, messages and progress to stderr. Exit codes: cli/ExitCodes.h. Every
// command also takes --lang ja|en (language/Language.h): its results and messages are then in
// that language; what scripts read (the data file, the summary's JSON keys, exit codes) is the
// same in both. Any other value of --lang is a usage error.

#include <QStringList>

namespace yb {

// What the program needs to run the command its arguments name.
enum class CommandNeeds {
    Window,     // no command: the main window
    Widgets,    // a viewer command: an application with widgets (offscreen will do for a report)
    Core,       // a logger or summary command: no widget, no display
    NoDisplay,  // the window or the viewer, and no display to show them on: refused
};

// What the program says, and its exit code, when the window or the viewer has no display.
int NoDisplayRefusal();

// Looks at the arguments (--lang and its value aside; one that names no language needs no more
// than the core to be refused). A report with no display at all is drawn on
// the offscreen platform. On Windows a command attaches to the console it was started from.
CommandNeeds PrepareForCommand(int argc, char** argv);

// The usage exit code, with the error told, when --lang names no language (an empty value
// included); 0 when it names one or is not given. Told in the language chosen without it.
int RefusedLanguageOption(const QStringList& arguments);

// Runs the command the arguments name (the application object exists, the language chosen,
// --lang taken out of the arguments); its exit code.
int RunCommandLine(const QStringList& arguments);

}  // namespace yb
