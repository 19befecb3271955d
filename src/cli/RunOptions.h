#pragma once
// What `summary`, `report` and `export` are asked to look at besides the whole run: a window of
// it (--from MIN, --to MIN: minutes from the first record, decimals allowed, the end exclusive)
// and where the laps start (--lap-start MIN); and for `export`, when the run started (--start).

#include <QDateTime>
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

// The local date and time of the run's first record that --start gives: ISO 8601 without a zone
// ("2026-07-30T09:15:00", a blank for the T, the seconds may be left out). Nothing when none is
// given; nullopt after telling the usage error.
std::optional<std::optional<QDateTime>> ReadStartTime(const CommandOptions& options,
                                                      const QString& command);

}  // namespace yb
