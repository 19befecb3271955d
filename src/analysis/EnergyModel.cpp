#include "analysis/EnergyModel.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace yb {

namespace {

constexpr double kGravity = 9.80665;  // m/s²
constexpr double kKmhPerMs = 3.6;

// The median of the lap times above 0.
std::optional<double> MedianTime(const std::vector<LapFigures>& laps) {
    std::vector<double> times;
    for (const LapFigures& lap : laps) {
        if (lap.time_s && *lap.time_s > 0) times.push_back(*lap.time_s);
    }
    if (times.empty()) return std::nullopt;
    const auto middle = times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2);
    std::nth_element(times.begin(), middle, times.end());
    if (times.size() % 2 == 1) return *middle;
    return (*middle + *std::max_element(times.begin(), middle)) / 2.0;
}

std::optional<LapLeftOut> Unfit(const LapFigures& lap, std::optional<double> medianS) {
    if (!lap.time_s || *lap.time_s <= 0) return LapLeftOut::NoTime;
    if (!lap.motor_wh) return LapLeftOut::NoEnergy;
    if (!lap.distance_km || *lap.distance_km <= 0 || !lap.wh_per_km || !lap.avg_speed_kmh)
        return LapLeftOut::NoDistance;
    if (medianS && *lap.time_s > kPitLapFactor * *medianS) return LapLeftOut::Pit;
    return std::nullopt;
}

}  // namespace

EnergyFit FitEnergyModel(const std::vector<LapFigures>& laps) {
    EnergyFit fit;
    const std::optional<double> median = MedianTime(laps);
    for (const LapFigures& lap : laps) {
        if (const auto reason = Unfit(lap, median)) {
            fit.leftOut.push_back({lap.lap, *reason});
        } else {
            fit.used.push_back({lap.lap, *lap.avg_speed_kmh, *lap.wh_per_km, *lap.distance_km});
        }
    }
    if (fit.used.empty()) return fit;

    // Weighted means first: the sums about them stay well conditioned for v² in the thousands.
    double weight = 0.0, meanX = 0.0, meanY = 0.0;
    fit.minSpeedKmh = fit.maxSpeedKmh = fit.used.front().speedKmh;
    for (const ModelLap& p : fit.used) {
        weight += p.distanceKm;
        meanX += p.distanceKm * p.speedKmh * p.speedKmh;
        meanY += p.distanceKm * p.whPerKm;
        fit.minSpeedKmh = std::min(fit.minSpeedKmh, p.speedKmh);
        fit.maxSpeedKmh = std::max(fit.maxSpeedKmh, p.speedKmh);
    }
    meanX /= weight;
    meanY /= weight;
    fit.meanLapKm = weight / static_cast<double>(fit.used.size());
    double sxx = 0.0, sxy = 0.0, syy = 0.0;
    for (const ModelLap& p : fit.used) {
        const double dx = p.speedKmh * p.speedKmh - meanX;
        const double dy = p.whPerKm - meanY;
        sxx += p.distanceKm * dx * dx;
        sxy += p.distanceKm * dx * dy;
        syy += p.distanceKm * dy * dy;
    }
    // One speed (or one lap) cannot tell rolling resistance from drag.
    if (!(sxx > 1e-12 * std::max(1.0, meanX * meanX) * weight)) return fit;
    fit.b = sxy / sxx;
    fit.a = meanY - *fit.b * meanX;
    double residual = 0.0;
    for (const ModelLap& p : fit.used) {
        const double r = p.whPerKm - fit.whPerKm(p.speedKmh);
        residual += p.distanceKm * r * r;
    }
    fit.r2 = syy > 0.0 ? 1.0 - residual / syy : 1.0;
    return fit;
}

CarCoefficients ApparentCoefficients(const EnergyFit& fit, const CarParameters& car) {
    CarCoefficients c;
    if (!fit.fitted() || !(car.efficiency > 0.0)) return c;
    if (car.massKg && *car.massKg > 0.0) {
        c.rollingResistance = kKmhPerMs * car.efficiency * *fit.a / (*car.massKg * kGravity);
    }
    if (car.airDensity > 0.0) {
        c.dragAreaM2 = 2.0 * std::pow(kKmhPerMs, 3) * car.efficiency * *fit.b / car.airDensity;
    }
    return c;
}

const char* LeftOutKey(LapLeftOut reason) {
    switch (reason) {
        case LapLeftOut::NoTime:
            return "no_time";
        case LapLeftOut::NoEnergy:
            return "no_energy";
        case LapLeftOut::NoDistance:
            return "no_distance";
        case LapLeftOut::Pit:
            return "pit";
    }
    return "";
}

QString LeftOutText(LapLeftOut reason) {
    switch (reason) {
        case LapLeftOut::NoTime:
            return QCoreApplication::translate("EnergyModel", "タイムなし");
        case LapLeftOut::NoEnergy:
            return QCoreApplication::translate("EnergyModel", "モーター電力量なし");
        case LapLeftOut::NoDistance:
            return QCoreApplication::translate("EnergyModel", "距離なし (速度の記録がない)");
        case LapLeftOut::Pit:
            return QCoreApplication::translate("EnergyModel", "ピット (中央値の1.5倍より遅い)");
    }
    return {};
}

}  // namespace yb
