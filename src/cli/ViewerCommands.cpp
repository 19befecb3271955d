// `view [FILE...]` and `report FILE [-o OUT]`: the data viewer and its report, which need an
// application with widgets (a report draws on the offscreen platform without a display).
#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/Output.h"
#include "datafile/DataFileReader.h"
#include "viewer/Report.h"
#include "viewer/Viewer.h"

namespace yb {

namespace {

bool HaveWidgets(const QString& command) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) return true;
    Err(command + QStringLiteral(": needs a QApplication"));
    return false;
}

}  // namespace

int ViewCommand(const QStringList& files) {
    if (!HaveWidgets(QStringLiteral("view"))) return kExitFailed;
    if (files.isEmpty()) OpenViewer();
    for (const QString& file : files) {
        QString error;
        if (!OpenViewerOnFile(file, nullptr, &error)) {
            Err(error);
            return kExitFile;
        }
    }
    QApplication::setQuitOnLastWindowClosed(true);
    return QApplication::exec() == 0 ? kExitSuccess : kExitFailed;
}

int ReportCommand(const QString& file, const CommandOptions& options) {
    QString target = options.output;
    if (target.isEmpty()) {
        const QFileInfo info(file);
        target = info.dir().filePath(info.completeBaseName() + QStringLiteral(".pdf"));
    }
    if (!target.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive) &&
        !target.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
        return UsageError(QStringLiteral("report: ") + target +
                          QStringLiteral(": the output must end with .pdf or .png"));
    }
    if (!HaveWidgets(QStringLiteral("report"))) return kExitFailed;
    const DataFileReadResult result = ReadDataFileAt(file);
    if (!result.run) {
        Err(result.errorText());
        return kExitFile;
    }
    if (const QString error = WriteRunReport(*result.run, target); !error.isEmpty()) {
        Err(target + QStringLiteral(": ") + error);
        return kExitFile;
    }
    return kExitSuccess;
}

}  // namespace yb
