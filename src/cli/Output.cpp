#include "cli/Output.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>

#include "cli/ExitCodes.h"

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace yb {

namespace {

// Why a result could not be written to stdout; empty while all went.
QString gStdoutFailure;

void NoteStdoutFailure() {
    if (gStdoutFailure.isEmpty()) gStdoutFailure = qt_error_string(errno);
}

}  // namespace

void Out(const QString& text) {
    if (std::fputs(qPrintable(text + QLatin1Char('\n')), stdout) < 0 || std::fflush(stdout) != 0 ||
        std::ferror(stdout)) {
        NoteStdoutFailure();
    }
}

void Err(const QString& text) {
    std::fputs(qPrintable(text + QLatin1Char('\n')), stderr);
    std::fflush(stderr);
}

bool StderrIsTerminal() {
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr));
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

int UsageError(const QString& message) {
    Err(message);
    Err(QCoreApplication::translate("Output",
                                    "usage: yb-downloader "
                                    "download|check|get|set|ports|view|report|summary|strategy|export|library "
                                    "[options]; yb-downloader --help lists them"));
    return kExitUsage;
}

int StdoutExit(int code) {
    // The results are what a script runs a command for: one that lost some of them did not
    // succeed. A request to end keeps its own code; a file error has told its reason already.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) NoteStdoutFailure();
    if (gStdoutFailure.isEmpty() || code == kExitFile || code >= kExitHungUp) return code;
    Err(QCoreApplication::translate("Output", "stdout: the results could not be written: %1")
            .arg(gStdoutFailure));
    return kExitFile;
}

}  // namespace yb
