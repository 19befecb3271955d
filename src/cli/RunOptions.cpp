#include "cli/RunOptions.h"

#include <QCoreApplication>

#include <cmath>

#include "cli/Output.h"
#include "datafile/Printable.h"
#include "viewer/RunCapacity.h"

namespace yb {

namespace {

// A number option within [min, max] (above `min` when `open`), or absent when not typed; false
// after telling the usage error, which says what `rule` asks for.
bool ReadNumber(const QString& command, const QString& name, const QString& text, double min,
                double max, bool open, const QString& rule, std::optional<double>& out) {
    if (text.isEmpty()) return true;
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (ok && std::isfinite(value) && value >= min && (!open || value > min) && value <= max) {
        out = value;
        return true;
    }
    UsageError(QStringLiteral("%1: --%2 %3: %4").arg(command, name, Printable(text), rule));
    return false;
}

QString AboveZero() {
    return QCoreApplication::translate("RunOptions", "a number above 0");
}
QString Percent() {
    return QCoreApplication::translate("RunOptions", "a number from 0 to 100");
}

}  // namespace

std::optional<RunChoice> ReadRunChoice(const CommandOptions& options, const QString& command) {
    RunChoice choice;
    const auto minutes = [&command](const QString& name, const QString& text,
                                    std::optional<double>& out) {
        if (!ReadNumber(command, name, text, 0.0, INFINITY, false,
                        QCoreApplication::translate("RunOptions", "minutes, a number of 0 or more"),
                        out))
            return false;
        // 1e308 minutes are finite, their seconds are not.
        if (out && !(MinutesToSeconds(*out) <= kLongestSeconds)) {
            UsageError(QCoreApplication::translate("RunOptions",
                                                   "%1: --%2 %3: too large a number of minutes")
                           .arg(command, name, Printable(text)));
            return false;
        }
        return true;
    };
    std::optional<double> lapStart;
    if (!minutes(QStringLiteral("from"), options.from, choice.fromMin) ||
        !minutes(QStringLiteral("to"), options.to, choice.toMin) ||
        !minutes(QStringLiteral("lap-start"), options.lapStart, lapStart) ||
        !ReadNumber(command, QStringLiteral("capacity"), options.capacity, 0.0, INFINITY, true,
                    AboveZero(), choice.capacityAh)) {
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

std::optional<double> CapacityFor(const RunChoice& choice, const QString& file) {
    return choice.capacityAh ? choice.capacityAh : RememberedCapacity(file);
}

std::optional<StrategyInputs> ReadStrategyInputs(const CommandOptions& options) {
    const QString command = QStringLiteral("strategy");
    StrategyInputs inputs;
    std::optional<double> remaining, target, efficiency, density;
    if (!ReadNumber(command, QStringLiteral("remaining"), options.remaining, 0.0, INFINITY, true,
                    AboveZero(), remaining) ||
        !ReadNumber(command, QStringLiteral("target-soc"), options.targetSoc, 0.0, 100.0, false,
                    Percent(), target) ||
        !ReadNumber(command, QStringLiteral("soc-now"), options.socNow, 0.0, 100.0, false,
                    Percent(), inputs.socNowPct) ||
        !ReadNumber(command, QStringLiteral("solar-w"), options.solarW, 0.0, INFINITY, false,
                    QCoreApplication::translate("RunOptions", "a number of 0 or more"),
                    inputs.solarW) ||
        !ReadNumber(command, QStringLiteral("mass"), options.mass, 0.0, INFINITY, true, AboveZero(),
                    inputs.car.massKg) ||
        !ReadNumber(command, QStringLiteral("efficiency"), options.efficiency, 0.0, 1.0, true,
                    QCoreApplication::translate("RunOptions", "a number above 0, at most 1"),
                    efficiency) ||
        !ReadNumber(command, QStringLiteral("air-density"), options.airDensity, 0.0, INFINITY, true,
                    AboveZero(), density)) {
        return std::nullopt;
    }
    if (!remaining) {
        UsageError(QCoreApplication::translate(
            "RunOptions", "strategy: --remaining MIN is needed: the minutes left in the race"));
        return std::nullopt;
    }
    inputs.remainingMin = *remaining;
    inputs.targetSocPct = target.value_or(inputs.targetSocPct);
    inputs.car.efficiency = efficiency.value_or(inputs.car.efficiency);
    inputs.car.airDensity = density.value_or(inputs.car.airDensity);
    return inputs;
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
    const QString typed = options.start.value_or(QString());
    if (typed.isEmpty()) return std::optional<QDateTime>();
    QString text = typed.trimmed();
    if (text.size() > 10 && text[10] == u' ') text[10] = u'T';
    const QDateTime start = QDateTime::fromString(text, Qt::ISODate);
    // A zone would make the clock another place's: the logger's run has the pit's time.
    if (!start.isValid() || start.timeSpec() != Qt::LocalTime) {
        UsageError(
            QCoreApplication::translate(
                "RunOptions", "%1: --start %2: a local date and time such as 2026-07-30T09:15:00")
                .arg(command, Printable(typed)));
        return std::nullopt;
    }
    return std::optional(start);
}

}  // namespace yb
