#pragma once
// Exit codes of the program's commands (the command line and the viewer's commands).

namespace yb {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailed = 1;        // the logger or the line failed (or the port)
inline constexpr int kExitUsage = 2;         // a usage or validation error
inline constexpr int kExitFile = 3;          // a file that cannot be read, written or replaced
inline constexpr int kExitInterrupted = 130;  // Ctrl+C

}  // namespace yb
