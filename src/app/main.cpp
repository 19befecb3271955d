// yb-downloader: downloads a YB data logger over a serial line and saves its data.
//
// The interface's language comes from --lang, YB_LANG, the window's remembered choice or the
// system (language/Language.h). Without arguments the window opens; with a command the program runs
// it (see cli/CommandLine.h): the logger's commands and the summary without any widget or display,
// the viewer's with them.
#include <QApplication>

#include <memory>

#include "cli/CommandLine.h"
#include "cli/Termination.h"
#include "language/Language.h"
#include "serial/EventDispatcher.h"
#include "ui/Form1.h"
#include "ui/ProgramIcon.h"
#include "version/Version.h"

int main(int argc, char** argv) {
    const yb::CommandNeeds needs = yb::PrepareForCommand(argc, argv);
    yb::PreferQtEventDispatcher();
    std::unique_ptr<QCoreApplication> app;
    if (needs == yb::CommandNeeds::Core || needs == yb::CommandNeeds::NoDisplay) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    } else {
        app = std::make_unique<QApplication>(argc, argv);
        QGuiApplication::setDesktopFileName(QString::fromLatin1(yb::kApplicationId));
        QApplication::setWindowIcon(yb::ProgramIcon());
    }
    QCoreApplication::setApplicationName(QString::fromLatin1(yb::kProgramName));
    QCoreApplication::setOrganizationName(QString::fromLatin1(yb::kProgramName));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(yb::kProgramVersion));
    // After the names above: the window's remembered language is in the program's settings.
    const QStringList arguments = QCoreApplication::arguments();
    yb::UseLanguage(yb::StartLanguage(arguments, needs == yb::CommandNeeds::Window));
    if (const int refused = yb::RefusedLanguageOption(arguments)) return refused;
    if (needs == yb::CommandNeeds::NoDisplay) return yb::NoDisplayRefusal();
    if (needs != yb::CommandNeeds::Window) {
        return yb::RunCommandLine(yb::WithoutLanguageOption(arguments));
    }

    // Made before the window, so that it outlives the window's closing of the port.
    yb::Termination termination;
    yb::Form1 window;
    QObject::connect(&window, &yb::Form1::programEnded, app.get(), &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QObject::connect(&termination, &yb::Termination::ended, &window, &yb::Form1::Terminate);
    window.show();
    const int code = QCoreApplication::exec();
    return termination.requested() ? termination.exitCode() : code;
}
