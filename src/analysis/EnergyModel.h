#pragma once
// The car's energy model from its own laps. At a steady speed the drive overcomes rolling
// resistance (a force that does not depend on the speed) and air drag (one that grows with its
// square), so the motor's energy per distance is
//
//   e(v) = a + b v²        e in Wh/km, v in km/h, a in Wh/km, b in Wh/km per (km/h)²
//
// Each lap with a time and a distance gives one point: its average speed v = distance / time and
// e = its motor Wh / its distance. a and b are fitted by least squares weighted by each lap's
// distance (a long lap says more than a short one); R² is the weighted share of the variance of
// e that the model explains.
//
// With the car's mass m (kg), the drivetrain's efficiency η and the air density ρ (kg/m³), a and b
// give the apparent rolling-resistance coefficient and drag area: a force F (N) over one km takes
// F / 3.6 Wh at the wheels and F / (3.6 η) Wh at the motor, and v km/h is v / 3.6 m/s, so
//
//   a = Crr m g / (3.6 η)               Crr = 3.6 η a / (m g)         (g = 9.80665 m/s²)
//   b = ρ CdA / (2 · 3.6³ · η)          CdA = 2 · 3.6³ · η · b / ρ    (m²)

#include <optional>
#include <vector>

#include "datafile/RunSummary.h"

namespace yb {

// A lap that gives a point of the fit.
struct ModelLap {
    int lap = 0;
    double speedKmh = 0.0;    // v
    double whPerKm = 0.0;     // e
    double distanceKm = 0.0;  // its weight
};

// Why a lap gives no point.
enum class LapLeftOut {
    NoTime,      // the logger had no time for it (or 0 s)
    NoEnergy,    // the logger had no motor energy for it
    NoDistance,  // no speed recorded over it: zero distance, or it lies outside the main rows
    Pit,         // slower than kPitLapFactor x the median lap time: a pit stop or a stop on track
};
inline constexpr double kPitLapFactor = 1.5;

struct LeftOutLap {
    int lap = 0;
    LapLeftOut reason = LapLeftOut::NoTime;
};

// The car's physical parameters, as typed; the derived coefficients need the mass.
struct CarParameters {
    std::optional<double> massKg;
    double efficiency = 0.9;  // η
    double airDensity = 1.2;  // ρ, kg/m³

    bool operator==(const CarParameters&) const = default;
};

struct EnergyFit {
    std::vector<ModelLap> used;
    std::vector<LeftOutLap> leftOut;
    // Unknown unless at least two laps of different speeds were used.
    std::optional<double> a;
    std::optional<double> b;
    std::optional<double> r2;
    double minSpeedKmh = 0.0;  // the speeds the used laps cover
    double maxSpeedKmh = 0.0;
    std::optional<double> meanLapKm;  // the mean distance of the used laps

    bool fitted() const { return a && b; }
    // e(v) in Wh/km; the motor's power at v is e(v) v in W.
    double whPerKm(double speedKmh) const { return *a + *b * speedKmh * speedKmh; }
};

// Fits the model to the laps (as the lap table places them).
EnergyFit FitEnergyModel(const std::vector<LapFigures>& laps);

// The apparent coefficients a fit implies for a car; unknown without a fit, a mass above 0, an
// efficiency above 0 or an air density above 0.
struct CarCoefficients {
    std::optional<double> rollingResistance;  // Crr
    std::optional<double> dragAreaM2;         // CdA
};
CarCoefficients ApparentCoefficients(const EnergyFit& fit, const CarParameters& car);

// The reason's name in JSON ("no_time", "no_energy", "no_distance", "pit") and as a person reads
// it (translated).
const char* LeftOutKey(LapLeftOut reason);
QString LeftOutText(LapLeftOut reason);

}  // namespace yb
