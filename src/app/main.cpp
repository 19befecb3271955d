// yb-downloader: downloads a YB data logger over a serial line and saves its data.
#include <QApplication>

#include <cstdio>
#include <cstring>

#include "app/Version.h"
#include "ui/Form1.h"
#include "ui/ProgramIcon.h"

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QString::fromLatin1(yb::kProgramName));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(yb::kProgramVersion));
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {  // no window, no display needed
        std::printf("%s %s\n", yb::kProgramName, yb::kProgramVersion);
        return 0;
    }
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QString::fromLatin1(yb::kApplicationId));
    QApplication::setWindowIcon(yb::ProgramIcon());
    yb::Form1 window;
    QObject::connect(&window, &yb::Form1::programEnded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.show();
    return QApplication::exec();
}
