// `export FILE --format csv|xlsx|mat|json [-o OUT] [--force] [--from MIN] [--to MIN]
// [--lap-start MIN] [--start DATETIME]`: the run of a data file, or a window of it, in a format
// other tools read (export/Exports.h), without any widget or display.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/Output.h"
#include "cli/RunOptions.h"
#include "datafile/DataFileReader.h"
#include "datafile/Printable.h"
#include "analysis/RunEnergy.h"
#include "export/Exports.h"

namespace yb {

int ExportCommand(const QString& file, const CommandOptions& options) {
    const std::optional<ExportFormat> format = ExportFormatNamed(options.format.toLower());
    if (options.format.isEmpty()) {
        return UsageError(
            QCoreApplication::translate("ExportCommand", "export: --format is needed: %1")
                .arg(ExportFormatNames()));
    }
    if (!format) {
        return UsageError(
            QCoreApplication::translate("ExportCommand", "export: --format %1: the formats are %2")
                .arg(Printable(options.format), ExportFormatNames()));
    }
    const std::optional<RunChoice> choice = ReadRunChoice(options, QStringLiteral("export"));
    const auto start = ReadStartTime(options, QStringLiteral("export"));
    if (!choice || !start) return kExitUsage;
    const DataFileReadResult result = ReadDataFileAt(file);
    if (!result.ok) {
        Err(result.reason);
        return kExitFile;
    }
    const RunData& run = *result.run;
    if (*start && !run.intervalS) {
        return UsageError(
            QCoreApplication::translate(
                "ExportCommand", "%1: the recording interval is unknown, so --start gives no clock")
                .arg(Printable(file)));
    }
    RowWindow rows = AllRows(run);
    QString window;
    if (choice->windowed()) {
        const std::optional<RowWindow> chosen = WindowRows(*choice, run, file);
        if (!chosen) return kExitUsage;
        rows = *chosen;
        const auto seconds = [](double minutes) {
            return QString::number(MinutesToSeconds(minutes), 'g', 15) + QStringLiteral(" s");
        };
        window = seconds(choice->fromMin.value_or(0.0)) + QStringLiteral(" - ") +
                 (choice->toMin ? seconds(*choice->toMin) : QStringLiteral("end"));
    }
    const double lapStartS = MinutesToSeconds(choice->lapStartMin);
    const RunSummary whole = SummarizeRun(run, lapStartS);
    const RunSummary summary = choice->windowed() ? SummarizeWindow(run, rows) : whole;
    const std::optional<double> capacity = CapacityFor(*choice, file);
    const RunEnergy energy = DeriveEnergy(run, capacity);
    const RunTables tables = MakeRunTables(
        {run, summary, whole.lapTable, energy, rows, lapStartS, capacity, *start, window, {}});

    // By default beside the data file, named after it.
    const QFileInfo source(file);
    const QString target =
        QDir::toNativeSeparators(QDir::cleanPath(QDir::current().absoluteFilePath(
            options.output.isEmpty()
                ? source.dir().filePath(ExportFileName(source.completeBaseName(), *format))
                : options.output)));
    if (const FileResult written = WriteExport(tables, *format, target, options.force);
        !written.ok) {
        Err(written.reason);
        return kExitFile;
    }
    for (const QString& path : ExportFiles(*format, target)) Out(path);
    return kExitSuccess;
}

}  // namespace yb
