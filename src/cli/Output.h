#pragma once
// The command line's one output style: results on stdout, messages and progress on stderr, each
// a line of UTF-8 text written at once.

#include <QString>

namespace yb {

// A result line on stdout. A line that cannot be written (a full disk, a closed pipe) is
// remembered: the command then does not succeed (StdoutExit).
void Out(const QString& text);
// A message line on stderr.
void Err(const QString& text);
// Whether stderr is a terminal (progress may then update one line).
bool StderrIsTerminal();
// Tells the usage error and how to get help; the usage exit code.
int UsageError(const QString& message);
// The command's exit code once its results were due on stdout: `code`, or the file exit code
// (with the reason told) when some result did not reach stdout.
int StdoutExit(int code);

}  // namespace yb
