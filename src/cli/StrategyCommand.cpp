// `strategy FILE --remaining MIN [--json] [--target-soc PCT] [--soc-now PCT] [--solar-w W]
// [--capacity AH] [--mass KG] [--efficiency E] [--air-density RHO] [--from MIN] [--to MIN]
// [--lap-start MIN]`: the speed to hold for the rest of the race, from the energy model fitted to
// the run's laps, without any widget or display. A window of the run stands for the run up to its
// end: its laps are fitted, and its end is "now".
#include <QString>

#include "analysis/EnergyModel.h"
#include "analysis/RunEnergy.h"
#include "analysis/Strategy.h"
#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/Output.h"
#include "cli/RunOptions.h"
#include "datafile/DataFileReader.h"
#include "datafile/RunSummary.h"

namespace yb {

int StrategyCommand(const QString& file, const CommandOptions& options) {
    const QString command = QStringLiteral("strategy");
    const std::optional<RunChoice> choice = ReadRunChoice(options, command);
    if (!choice) return kExitUsage;
    const std::optional<StrategyInputs> inputs = ReadStrategyInputs(options);
    if (!inputs) return kExitUsage;
    const DataFileReadResult result = ReadDataFileAt(file);
    if (!result.ok) {
        Err(result.reason);
        return kExitFile;
    }
    const RunData& run = *result.run;
    int rowEnd = run.mainRows();
    std::vector<LapFigures> laps = LapTable(run, MinutesToSeconds(choice->lapStartMin));
    if (choice->windowed()) {
        const std::optional<RowWindow> rows = WindowRows(*choice, run, file);
        if (!rows) return kExitUsage;
        rowEnd = rows->mainEnd;
        // The laps that start in the window.
        const double from = MinutesToSeconds(choice->fromMin.value_or(0.0));
        const double to = choice->toMin ? MinutesToSeconds(*choice->toMin) : INFINITY;
        std::erase_if(laps, [from, to](const LapFigures& lap) {
            return !lap.start_s || *lap.start_s < from || *lap.start_s >= to;
        });
    }
    const RunEnergy energy = DeriveEnergy(run, CapacityFor(*choice, file));
    const EnergyFit fit = FitEnergyModel(laps);
    const Strategy strategy = PlanStrategy(fit, StateAt(run, energy, rowEnd), *inputs);
    if (options.json) {
        Out(QString::fromUtf8(StrategyJson(fit, inputs->car, strategy)));
        for (const StrategyWarning w : strategy.warnings) {
            Err(QCoreApplication::translate("StrategyCommand", "warning: %1")
                    .arg(WarningText(w, fit, strategy)));
        }
    } else {
        QString text = StrategyText(fit, inputs->car, strategy);
        text.chop(1);
        Out(text);
    }
    if (strategy.missing) {
        Err(QStringLiteral("%1: %2").arg(command, MissingText(*strategy.missing)));
        return kExitUsage;
    }
    return kExitSuccess;
}

}  // namespace yb
