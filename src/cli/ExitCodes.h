#pragma once
// Exit codes of the program's commands (the command line and the viewer's commands).

namespace yb {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailed = 1;  // the logger or the line failed (or the port)
inline constexpr int kExitUsage = 2;   // a usage or validation error
inline constexpr int kExitFile = 3;    // a file that cannot be read, written or replaced
// Asked to end from outside: 128 + the signal's number, as a shell reports a program that a
// signal ended.
inline constexpr int kExitHungUp = 129;       // SIGHUP; on Windows the console window closed
inline constexpr int kExitInterrupted = 130;  // Ctrl+C (SIGINT)
inline constexpr int kExitTerminated = 143;   // SIGTERM

}  // namespace yb
