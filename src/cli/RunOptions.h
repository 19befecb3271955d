#pragma once
// What `summary` and `report` are asked to look at besides the whole run: a window of it
// (--from MIN, --to MIN: minutes from the first record, decimals allowed, the end exclusive) and
// where the laps start (--lap-start MIN).

#include <QString>
#include <optional>

#include "cli/Commands.h"
#include "datafile/RunData.h"
#include "datafile/RunSummary.h"

namespace yb {

struct RunChoice {
    std::optional<double> fromMin;
    std::optional<double> toMin;
    double lapStartMin = 0.0;

    bool windowed() const { return fromMin || toMin; }
};

// Reads the options; nullopt after telling the usage error (a value that is not a number of
// minutes of 0 or more, a window that ends before it starts).
std::optional<RunChoice> ReadRunChoice(const CommandOptions& options, const QString& command);

// The window's rows in the run of `file`; nullopt after telling that the run's recording interval
// is unknown, so no row has a time, or that the window holds no main record (it lies outside the
// run; the message gives the run's length).
std::optional<RowWindow> WindowRows(const RunChoice& choice, const RunData& run,
                                    const QString& file);

}  // namespace yb
