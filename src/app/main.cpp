// yb-downloader: downloads a YB data logger over a serial line and saves its data.
//
// Without arguments the window opens; with a command the program runs without a window (see
// cli/CommandLine.h).
#include <QApplication>

#include "app/Version.h"
#include "cli/CommandLine.h"
#include "ui/Form1.h"
#include "ui/ProgramIcon.h"

int main(int argc, char** argv) {
    if (yb::WantsCommandLine(argc, argv)) return yb::RunCommandLine(argc, argv);

    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(yb::kProgramName));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(yb::kProgramVersion));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(yb::kApplicationId));
    QApplication::setWindowIcon(yb::ProgramIcon());
    yb::Form1 window;
    QObject::connect(&window, &yb::Form1::programEnded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.show();
    return QApplication::exec();
}
