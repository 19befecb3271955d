#pragma once
// The speed to hold for the rest of the race. With T the time left (h), Q the charge now and Q_t
// the charge wanted at the flag (Ah), V the run's mean main voltage (V), S the solar power
// expected (W) and the energy model e(v) = a + b v² (analysis/EnergyModel.h), driving at a
// constant v km/h draws P(v) = e(v) v = a v + b v³ W, and the energy there is to spend is
//
//   E = (Q - Q_t) V + S T                                           Wh
//
// The answer is the one v with P(v) T = E (P grows with v once it is above 0, so there is one).
// Then, with L the lap length (km: the mean distance of the fitted laps):
//
//   laps      floor(v T / L)
//   lap time  L / v                                                 h (shown in m:ss)
//   budget    e(v) L                                                Wh of motor energy per lap
//
// and for a speed u around it, the charge at the flag Q - (P(u) - S) T / V (Ah; in % of the
// capacity C), and whether the battery runs flat before the flag: after Q V / (P(u) - S) h.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "analysis/EnergyModel.h"
#include "analysis/RunEnergy.h"

namespace yb {

// What the team types; the unset ones are taken from the run.
struct StrategyInputs {
    double remainingMin = 60.0;       // T in minutes
    double targetSocPct = 0.0;        // Q_t in % of C
    std::optional<double> solarW;     // S; else the mean solar power of the run's last hour
    std::optional<double> socNowPct;  // Q in % of C; else the charge at the end of the run
    CarParameters car;

    bool operator==(const StrategyInputs&) const = default;
};

// What the run says that the strategy needs: its charge at the end and its solar power of the
// last hour, the mean main voltage and the capacity.
struct RunState {
    std::optional<double> capacityAh;  // C
    std::optional<double> chargeAh;    // at the end
    std::optional<double> meanMainV;   // V
    std::optional<double> lastHourSolarW;
};
// The state of the run at the end of the main rows [0, rowEnd): the solar power over its last
// hour (the whole of a shorter run).
RunState StateAt(const RunData& run, const RunEnergy& energy, int rowEnd);
inline constexpr double kSolarHourS = 3600.0;

// Speeds around the answer in the table: the answer ± kStrategyStep km/h, kStrategyRows each side.
inline constexpr double kStrategyStep = 2.0;
inline constexpr int kStrategyRows = 4;

struct StrategyRow {
    double speedKmh = 0.0;
    int laps = 0;              // whole laps by the flag, or until the battery is flat
    double endChargeAh = 0.0;  // at the flag, as if the battery could go below 0
    double endSocPct = 0.0;
    bool keepsTarget = false;            // reaches the flag with at least the charge wanted
    std::optional<double> flatAfterMin;  // the battery is flat before the flag
};

// Why an answer may mislead (or be missing).
enum class StrategyWarning {
    WeakFit,        // fewer than kFewestLaps laps fitted or R² below kWeakR2
    Extrapolation,  // the speed lies outside the speeds of the fitted laps
    Unreachable,    // even standing still, the battery ends below the charge wanted
    NotPhysical,    // b <= 0: no speed uses the energy
};
inline constexpr int kFewestLaps = 4;
inline constexpr double kWeakR2 = 0.5;

// Why there is no plan at all.
enum class StrategyMissing {
    Model,     // fewer than two laps of different speeds
    Capacity,  // no initial capacity
    Charge,    // no charge now: no battery current or main voltage recorded
    Solar,     // no solar power recorded and none typed
    Time,      // no time left
};

struct Strategy {
    // Why there is no plan at all; none when there is one (or the target is unreachable).
    std::optional<StrategyMissing> missing;
    // The inputs as used.
    double remainingMin = 0.0;
    double targetSocPct = 0.0;
    std::optional<double> capacityAh, chargeNowAh, chargeNowPct, targetAh, solarW, meanMainV, lapKm,
        availableWh;
    // The answer.
    std::optional<double> speedKmh, lapTimeS, lapBudgetWh;
    std::optional<int> laps;
    std::optional<double> standingEndSocPct;  // the charge at the flag without driving
    std::vector<StrategyRow> table;
    std::vector<StrategyWarning> warnings;

    bool warns(StrategyWarning w) const;
};

Strategy PlanStrategy(const EnergyFit& fit, const RunState& state, const StrategyInputs& inputs);

// What is missing as its JSON name ("no_model", "no_capacity", "no_charge", "no_solar",
// "no_time") and as a person reads it (translated).
const char* MissingKey(StrategyMissing missing);
QString MissingText(StrategyMissing missing);

// A warning as its JSON name ("weak_fit", "extrapolation", "unreachable", "not_physical") and as
// a person reads it, with the figures it is about (translated).
const char* WarningKey(StrategyWarning warning);
QString WarningText(StrategyWarning warning, const EnergyFit& fit, const Strategy& strategy);

// The strategy and its model as one JSON object (keys in the README), no line end.
QByteArray StrategyJson(const EnergyFit& fit, const CarParameters& car, const Strategy& strategy);

// The strategy as labelled lines for reading, each ended by a line feed: the model, the laps left
// out, the answer, the warnings and the table.
QString StrategyText(const EnergyFit& fit, const CarParameters& car, const Strategy& strategy);

// One line of the table as cells: speed, laps, charge at the flag, how it ends.
QStringList StrategyHeads();
QStringList StrategyCells(const StrategyRow& row);

}  // namespace yb
