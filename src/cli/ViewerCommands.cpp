// `view [FILE...] [--capacity AH]` and `report FILE [-o OUT] [--from MIN] [--to MIN]
// [--lap-start MIN] [--capacity AH]`: the data viewer and its report, which need an application
// with widgets (a report draws on the offscreen platform without a display).
#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/Output.h"
#include "cli/RunOptions.h"
#include "datafile/DataFileReader.h"
#include "datafile/FileTarget.h"
#include "datafile/Printable.h"
#include "viewer/LibraryWindow.h"
#include "viewer/Report.h"
#include "viewer/RunModel.h"
#include "viewer/Viewer.h"

namespace yb {

namespace {

bool HaveWidgets(const QString& command) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) return true;
    Err(QCoreApplication::translate("ViewerCommands", "%1: needs a QApplication").arg(command));
    return false;
}

}  // namespace

int ViewCommand(const QStringList& files, const CommandOptions& options) {
    const std::optional<RunChoice> choice = ReadRunChoice(options, QStringLiteral("view"));
    if (!choice) return kExitUsage;
    if (!HaveWidgets(QStringLiteral("view"))) return kExitFailed;
    if (files.isEmpty()) OpenViewer();
    for (const QString& file : files) {
        QString error;
        if (!OpenViewerOnFile(file, nullptr, &error, choice->capacityAh)) {
            Err(error);
            return kExitFile;
        }
    }
    QApplication::setQuitOnLastWindowClosed(true);
    return QApplication::exec() == 0 ? kExitSuccess : kExitFailed;
}

int LibraryWindowCommand(const CommandOptions& options) {
    if (!HaveWidgets(QStringLiteral("library"))) return kExitFailed;
    QString error;
    if (!OpenLibraryWindow(nullptr, options.library, &error)) {
        Err(error);
        return kExitFile;
    }
    QApplication::setQuitOnLastWindowClosed(true);
    return QApplication::exec() == 0 ? kExitSuccess : kExitFailed;
}

int ReportCommand(const QString& file, const CommandOptions& options) {
    const std::optional<RunChoice> choice = ReadRunChoice(options, QStringLiteral("report"));
    if (!choice) return kExitUsage;
    const QString& chosen = options.output;
    if (!chosen.isEmpty() && !chosen.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive) &&
        !chosen.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
        return UsageError(QCoreApplication::translate(
                              "ViewerCommands", "report: %1: the output must end with .pdf or .png")
                              .arg(Printable(chosen)));
    }
    if (!HaveWidgets(QStringLiteral("report"))) return kExitFailed;
    DataFileReadResult result = ReadDataFileAt(file);
    if (!result.ok) {
        Err(result.reason);
        return kExitFile;
    }
    if (choice->windowed() && !WindowRows(*choice, *result.run, file)) return kExitUsage;
    RunModel model;
    model.setRun(std::make_shared<const RunData>(std::move(*result.run)));
    model.setLapStartS(MinutesToSeconds(choice->lapStartMin));
    model.setBatteryAh(CapacityFor(*choice, file));
    if (choice->windowed()) {
        const RunTimeline& timeline = model.timeline();
        model.setRange(choice->fromMin.value_or(timeline.start()),
                       choice->toMin.value_or(timeline.end()));
    }
    // By default beside the data file, named after it and the window.
    const QString target = QDir::toNativeSeparators(
        QFileInfo(chosen.isEmpty() ? QFileInfo(file).dir().filePath(ReportBaseName(model) +
                                                                    QStringLiteral(".pdf"))
                                   : chosen)
            .absoluteFilePath());
    // An existing report is replaced only when asked, as a data file is.
    FileResult written = CheckTarget(target, options.force);
    if (written.ok) written = WriteRunReport(model, target);
    if (!written.ok) {
        Err(Printable(target) + QStringLiteral(": ") + written.reason);
        return kExitFile;
    }
    Out(target);
    return kExitSuccess;
}

}  // namespace yb
