#pragma once
// What `summary`, `report`, `strategy` and `export` are asked to look at besides the whole run: a
// window of it (--from MIN, --to MIN: minutes from the first record, decimals allowed, the end
// exclusive), where the laps start (--lap-start MIN) and the battery's initial capacity
// (--capacity AH); what `strategy` is asked besides; and for `export`, when the run started
// (--start).

#include <QDateTime>
#include <QString>
#include <optional>

#include "analysis/Strategy.h"
#include "cli/Commands.h"
#include "datafile/RunData.h"
#include "datafile/RunSummary.h"

namespace yb {

struct RunChoice {
    std::optional<double> fromMin;
    std::optional<double> toMin;
    double lapStartMin = 0.0;
    std::optional<double> capacityAh;  // typed; else the one remembered for the file

    bool windowed() const { return fromMin || toMin; }
};

// Reads the options; nullopt after telling the usage error (a value that is not a number of
// minutes of 0 or more, a window that ends before it starts, a capacity that is not above 0).
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
// The capacity the run of `file` is summed with: the one typed, else the one remembered for it.
std::optional<double> CapacityFor(const RunChoice& choice, const QString& file);

// The strategy's options (--remaining is required); nullopt after telling the usage error.
std::optional<StrategyInputs> ReadStrategyInputs(const CommandOptions& options);

}  // namespace yb
