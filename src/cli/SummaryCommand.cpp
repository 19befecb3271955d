// `summary FILE [--json] [--from MIN] [--to MIN] [--lap-start MIN]`: the run summary of a data
// file, or of a window of it, without any widget or display.
#include <QString>

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
    RunSummary summary;
    if (choice->windowed()) {
        const std::optional<RowWindow> rows = WindowRows(*choice, *result.run, file);
        if (!rows) return kExitUsage;
        summary = SummarizeWindow(*result.run, *rows);
    } else {
        summary = SummarizeRun(*result.run, MinutesToSeconds(choice->lapStartMin));
    }
    if (options.json) {
        Out(QString::fromUtf8(SummaryJson(summary)));
        return kExitSuccess;
    }
    QString text = SummaryText(summary);
    if (!summary.window && !summary.lapTable.empty())
        text += u'\n' + LapTableText(summary.lapTable);
    text.chop(1);
    Out(text);
    return kExitSuccess;
}

}  // namespace yb
