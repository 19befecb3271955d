#include "datafile/RunEnergy.h"

namespace yb {

std::optional<double> MotorWatts(const RunData& run, int mainRow) {
    const auto row = static_cast<std::size_t>(mainRow);
    const auto& solar = run.channel(MainChannel::SolarW)[row];
    const auto& battery = run.channel(MainChannel::BatteryW)[row];
    if (!solar || !battery) return std::nullopt;
    return *solar + *battery;
}

RunEnergy DeriveEnergy(const RunData& run, std::optional<double> initialAh) {
    RunEnergy energy;
    const auto rows = static_cast<std::size_t>(run.mainRows());
    for (auto& column : energy.columns) column.assign(rows, std::nullopt);
    if (!run.intervalS) return energy;
    const double hours = *run.intervalS / 3600.0;

    // Each running total with the row's own term, or unknown at a row without it.
    struct Total {
        double sum = 0.0;
        void add(MainValue& out, std::optional<double> term, double hours) {
            if (!term) return;
            sum += *term * hours;
            out = sum;
        }
    };
    Total solar, battery, motor, charge;
    const auto column = [&energy](EnergyChannel c) -> auto& {
        return energy.columns[static_cast<std::size_t>(c)];
    };
    for (std::size_t i = 0; i < rows; ++i) {
        solar.add(column(EnergyChannel::SolarWh)[i], run.channel(MainChannel::SolarW)[i], hours);
        battery.add(column(EnergyChannel::BatteryWh)[i], run.channel(MainChannel::BatteryW)[i],
                    hours);
        motor.add(column(EnergyChannel::MotorWh)[i], MotorWatts(run, static_cast<int>(i)), hours);
        if (initialAh) {
            auto& remaining = column(EnergyChannel::RemainingAh)[i];
            charge.add(remaining, run.channel(MainChannel::BatteryA)[i], hours);
            if (remaining) remaining = *initialAh - *remaining;
        }
    }
    return energy;
}

}  // namespace yb
