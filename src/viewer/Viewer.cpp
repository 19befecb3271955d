#include "viewer/Viewer.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include "datafile/DataFileReader.h"
#include "datafile/RunSummary.h"
#include "viewer/Report.h"
#include "viewer/ViewerWindow.h"

namespace yb {

namespace {

QTextStream& Out() {
    static QTextStream stream(stdout);
    return stream;
}
QTextStream& Err() {
    static QTextStream stream(stderr);
    return stream;
}

ViewerWindow* NewWindow(QWidget* parent) {
    auto* window = new ViewerWindow(parent);
    // A child of the main window, but a window of its own that closes with it.
    if (parent) window->setWindowFlag(Qt::Window);
    return window;
}

bool HaveWidgets(const char* command) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) return true;
    Err() << command << ": needs a QApplication" << Qt::endl;
    return false;
}

}  // namespace

QWidget* OpenViewerOnStore(const LoggedData& data, QWidget* parent) {
    ViewerWindow* window = NewWindow(parent);
    window->showRun(RunDataFromStore(data, QStringLiteral("ダウンロードしたデータ")));
    window->show();
    return window;
}

QWidget* OpenViewerOnFile(const QString& path, QWidget* parent, QString* error) {
    DataFileReadResult result = ReadDataFileAt(path);
    if (!result.run) {
        if (error) *error = result.errorText();
        return nullptr;
    }
    ViewerWindow* window = NewWindow(parent);
    window->showRun(std::move(*result.run));
    window->show();
    return window;
}

int RunViewCommand(const QStringList& files) {
    if (!HaveWidgets("view")) return kExitFailed;
    if (files.isEmpty()) NewWindow(nullptr)->show();
    for (const QString& file : files) {
        QString error;
        if (!OpenViewerOnFile(file, nullptr, &error)) {
            Err() << error << Qt::endl;
            return kExitFile;
        }
    }
    QApplication::setQuitOnLastWindowClosed(true);
    return QApplication::exec() == 0 ? kExitSuccess : kExitFailed;
}

int RunReportCommand(const QString& file, const QString& out) {
    if (file.isEmpty()) {
        Err() << "report: a data file is needed" << Qt::endl;
        return kExitUsage;
    }
    QString target = out;
    if (target.isEmpty()) {
        const QFileInfo info(file);
        target = info.dir().filePath(info.completeBaseName() + QStringLiteral(".pdf"));
    }
    if (!target.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive) &&
        !target.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
        Err() << "report: " << target << ": the output must end with .pdf or .png" << Qt::endl;
        return kExitUsage;
    }
    if (!HaveWidgets("report")) return kExitFailed;
    const DataFileReadResult result = ReadDataFileAt(file);
    if (!result.run) {
        Err() << result.errorText() << Qt::endl;
        return kExitFile;
    }
    const QString error = WriteRunReport(*result.run, target);
    if (!error.isEmpty()) {
        Err() << target << ": " << error << Qt::endl;
        return kExitFile;
    }
    return kExitSuccess;
}

int RunSummaryCommand(const QString& file, bool json) {
    if (file.isEmpty()) {
        Err() << "summary: a data file is needed" << Qt::endl;
        return kExitUsage;
    }
    const DataFileReadResult result = ReadDataFileAt(file);
    if (!result.run) {
        Err() << result.errorText() << Qt::endl;
        return kExitFile;
    }
    const RunSummary summary = SummarizeRun(*result.run);
    if (json) {
        Out() << SummaryJson(summary) << Qt::endl;
    } else {
        Out() << SummaryText(summary) << Qt::flush;
    }
    // A summary that did not reach stdout (a full disk behind it) is no success.
    if (Out().status() != QTextStream::Ok) {
        Err() << "summary: stdout: the summary could not be written" << Qt::endl;
        return kExitFile;
    }
    return kExitSuccess;
}

}  // namespace yb
