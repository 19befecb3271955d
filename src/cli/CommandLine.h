#pragma once
// The program without its window: download, check, settings and the data viewer's commands, run
// from a shell or a script.
//
//   yb-downloader download [--port PORT] [-o FILE] [--tsv] [--force]
//   yb-downloader check    [--port PORT]
//   yb-downloader get  tyre|battery|interval            [--port PORT]
//   yb-downloader set  tyre|battery|interval VALUE      [--port PORT]
//   yb-downloader ports
//
// Results go to stdout, messages and progress to stderr. Exit codes: kExit* below.

namespace yb {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitLoggerFailed = 1;  // the logger or the line failed, or the port
inline constexpr int kExitUsageError = 2;    // a usage or validation error
inline constexpr int kExitFileError = 3;     // a file that cannot be written or would be replaced
inline constexpr int kExitInterrupted = 130;  // Ctrl+C

// True when the arguments name a command (or ask for --help or --version): the program then runs
// without a window. Without arguments the window opens.
bool WantsCommandLine(int argc, char** argv);

// Creates the application object the command needs, runs it and returns the exit code.
int RunCommandLine(int argc, char** argv);

}  // namespace yb
