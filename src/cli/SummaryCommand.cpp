// `summary FILE [--json] [--from MIN] [--to MIN] [--lap-start MIN] [--capacity AH]`: the run
// summary of a data file, or of a window of it, with the battery's charge at its end, without any
// widget or display.
#include <QString>

#include "analysis/RunEnergy.h"
#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/Output.h"
#include "cli/RunOptions.h"
#include "datafile/DataFileReader.h"
#include "datafile/RunSummary.h"

namespace yb {

int SummaryCommand(const QString& file, const CommandOptions& options) {
    const std::optional<RunChoice> choice = ReadRunChoice(options, QStringLiteral("summary"));
    if (!choice) return kExitUsage;
    const DataFileReadResult result = ReadDataFileAt(file);
    if (!result.ok) {
        Err(result.reason);
        return kExitFile;
    }
    const RunData& run = *result.run;
    RunSummary summary;
    int rowEnd = run.mainRows();
    if (choice->windowed()) {
        const std::optional<RowWindow> rows = WindowRows(*choice, run, file);
        if (!rows) return kExitUsage;
        summary = SummarizeWindow(run, *rows);
        rowEnd = rows->mainEnd;
    } else {
        summary = SummarizeRun(run, MinutesToSeconds(choice->lapStartMin));
    }
    const RunEnergy energy = DeriveEnergy(run, CapacityFor(*choice, file));
    if (options.json) {
        Out(QString::fromUtf8(SummaryJson(summary, energy, rowEnd)));
        return kExitSuccess;
    }
    QString text = SummaryText(summary);
    for (const SummaryLine& line : ChargeLines(energy, rowEnd))
        text += line.label + QStringLiteral(": ") + line.value + u'\n';
    if (!summary.window && !summary.lapTable.empty())
        text += u'\n' + LapTableText(summary.lapTable);
    text.chop(1);
    Out(text);
    return kExitSuccess;
}

}  // namespace yb
