// `summary FILE [--json]`: the run summary of a data file, without any widget or display.
#include <QString>

#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/Output.h"
#include "datafile/DataFileReader.h"
#include "datafile/RunSummary.h"

namespace yb {

int SummaryCommand(const QString& file, const CommandOptions& options) {
    const DataFileReadResult result = ReadDataFileAt(file);
    if (!result.run) {
        Err(result.errorText());
        return kExitFile;
    }
    const RunSummary summary = SummarizeRun(*result.run);
    if (options.json) {
        Out(QString::fromUtf8(SummaryJson(summary)));
    } else {
        for (const SummaryLine& line : SummaryLines(summary)) {
            Out(line.label + QStringLiteral(": ") + line.value);
        }
    }
    return kExitSuccess;
}

}  // namespace yb
