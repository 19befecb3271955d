#include "cli/RunOptions.h"

#include <QCoreApplication>

#include <cmath>

#include "cli/Output.h"
#include "datafile/Printable.h"

namespace yb {

std::optional<RunChoice> ReadRunChoice(const CommandOptions& options, const QString& command) {
    RunChoice choice;
    const auto minutes = [&command](const QString& name, const QString& text,
                                    std::optional<double>& out) {
        if (text.isEmpty()) return true;
        bool ok = false;
        const double value = text.trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(value) || value < 0.0) {
            UsageError(QCoreApplication::translate("RunOptions",
                                                   "%1: --%2 %3: minutes, a number of 0 or more")
                           .arg(command, name, Printable(text)));
            return false;
        }
        // 1e308 minutes are finite, their seconds are not.
        if (!(MinutesToSeconds(value) <= kLongestSeconds)) {
            UsageError(QCoreApplication::translate("RunOptions",
                                                   "%1: --%2 %3: too large a number of minutes")
                           .arg(command, name, Printable(text)));
            return false;
        }
        out = value;
        return true;
    };
    std::optional<double> lapStart;
    if (!minutes(QStringLiteral("from"), options.from, choice.fromMin) ||
        !minutes(QStringLiteral("to"), options.to, choice.toMin) ||
        !minutes(QStringLiteral("lap-start"), options.lapStart, lapStart)) {
        return std::nullopt;
    }
    if (choice.toMin && *choice.toMin <= choice.fromMin.value_or(0.0)) {
        UsageError(QCoreApplication::translate("RunOptions", "%1: --to must lie after --from")
                       .arg(command));
        return std::nullopt;
    }
    choice.lapStartMin = lapStart.value_or(0.0);
    return choice;
}

std::optional<RowWindow> WindowRows(const RunChoice& choice, const RunData& run,
                                    const QString& file) {
    const auto rows = RowsBetween(run, MinutesToSeconds(choice.fromMin.value_or(0.0)),
                                  choice.toMin ? MinutesToSeconds(*choice.toMin) : INFINITY);
    if (!rows) {
        UsageError(QCoreApplication::translate("RunOptions",
                                               "%1: the recording interval is unknown, so "
                                               "--from and --to cannot be placed")
                       .arg(Printable(file)));
        return rows;
    }
    // A window that holds no record says nothing: it lies outside the run (or between two
    // records), and a summary of nothing would look like a run without data.
    if (rows->mainFirst >= rows->mainEnd) {
        UsageError(QCoreApplication::translate("RunOptions",
                                               "%1: the window holds no record: the run lasts "
                                               "%2 min (--from 0 to --to %2)")
                       .arg(Printable(file))
                       .arg(run.mainRows() * *run.intervalS / 60.0, 0, 'f', 2));
        return std::nullopt;
    }
    return rows;
}

std::optional<std::optional<QDateTime>> ReadStartTime(const CommandOptions& options,
                                                      const QString& command) {
    if (options.start.isEmpty()) return std::optional<QDateTime>();
    QString text = options.start.trimmed();
    if (text.size() > 10 && text[10] == u' ') text[10] = u'T';
    const QDateTime start = QDateTime::fromString(text, Qt::ISODate);
    // A zone would make the clock another place's: the logger's run has the pit's time.
    if (!start.isValid() || start.timeSpec() != Qt::LocalTime) {
        UsageError(
            QCoreApplication::translate(
                "RunOptions", "%1: --start %2: a local date and time such as 2026-07-30T09:15:00")
                .arg(command, Printable(options.start)));
        return std::nullopt;
    }
    return std::optional(start);
}

}  // namespace yb
