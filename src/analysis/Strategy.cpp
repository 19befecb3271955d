#include "analysis/Strategy.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace yb {

namespace {

// A share of a lap below which a count of laps is taken as whole: what the solution's last bits
// leave.
constexpr double kWholeLap = 1e-6;

// Charges closer than this are the same: the answer's own row keeps its target.
constexpr double kSameCharge = 1e-6;  // Ah

// The motor's power at v km/h: e(v) v, in W.
double Power(const EnergyFit& fit, double v) {
    return fit.whPerKm(v) * v;
}

// The speed at which the model draws `watts`: P grows from where it is 0 (v² = -a/b when a < 0)
// on, so bisection finds the one answer. Needs b > 0 and watts >= 0.
double SpeedFor(const EnergyFit& fit, double watts) {
    double low = *fit.a < 0 ? std::sqrt(-*fit.a / *fit.b) : 0.0;
    double high = std::max(low, 1.0);
    while (Power(fit, high) < watts) high *= 2;
    for (int i = 0; i < 200 && high - low > 1e-14 * high; ++i) {
        const double middle = (low + high) / 2;
        (Power(fit, middle) < watts ? low : high) = middle;
    }
    return (low + high) / 2;
}

QJsonValue Json(std::optional<double> value) {
    return value && std::isfinite(*value) ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

}  // namespace

RunState StateAt(const RunData& run, const RunEnergy& energy, int rowEnd) {
    RunState state;
    state.capacityAh = energy.capacityAh;
    state.chargeAh = energy.last(EnergyChannel::RemainingAh, rowEnd);
    state.meanMainV = energy.meanMainV;
    if (run.intervalS) {
        const int hour = static_cast<int>(std::ceil(kSolarHourS / *run.intervalS));
        state.lastHourSolarW = MeanOf(run, MainChannel::SolarW, rowEnd - hour, rowEnd);
    }
    return state;
}

bool Strategy::warns(StrategyWarning w) const {
    return std::find(warnings.begin(), warnings.end(), w) != warnings.end();
}

Strategy PlanStrategy(const EnergyFit& fit, const RunState& state, const StrategyInputs& inputs) {
    Strategy s;
    s.remainingMin = inputs.remainingMin;
    s.targetSocPct = inputs.targetSocPct;
    s.capacityAh = state.capacityAh;
    s.meanMainV = state.meanMainV;
    s.solarW = inputs.solarW ? inputs.solarW : state.lastHourSolarW;
    s.lapKm = fit.meanLapKm;
    if (s.capacityAh) {
        s.chargeNowAh = inputs.socNowPct ? std::optional(*inputs.socNowPct / 100 * *s.capacityAh)
                                         : state.chargeAh;
        s.targetAh = inputs.targetSocPct / 100 * *s.capacityAh;
        if (s.chargeNowAh) s.chargeNowPct = *s.chargeNowAh / *s.capacityAh * 100;
    }
    if (!fit.fitted()) {
        s.missing = StrategyMissing::Model;
    } else if (!s.capacityAh) {
        s.missing = StrategyMissing::Capacity;
    } else if (!s.chargeNowAh || !s.meanMainV) {
        s.missing = StrategyMissing::Charge;
    } else if (!s.solarW) {
        s.missing = StrategyMissing::Solar;
    } else if (!(inputs.remainingMin > 0)) {
        s.missing = StrategyMissing::Time;
    }
    if (s.missing) return s;

    if (fit.used.size() < static_cast<std::size_t>(kFewestLaps) || *fit.r2 < kWeakR2)
        s.warnings.push_back(StrategyWarning::WeakFit);
    const double hours = inputs.remainingMin / 60;
    const double volts = *s.meanMainV;
    s.availableWh = (*s.chargeNowAh - *s.targetAh) * volts + *s.solarW * hours;
    s.standingEndSocPct = (*s.chargeNowAh + *s.solarW * hours / volts) / *s.capacityAh * 100;
    if (*s.availableWh < 0) {
        s.warnings.push_back(StrategyWarning::Unreachable);
        return s;
    }
    if (!(*fit.b > 0)) {
        s.warnings.push_back(StrategyWarning::NotPhysical);
        return s;
    }
    const double v = SpeedFor(fit, *s.availableWh / hours);
    s.speedKmh = v;
    if (v < fit.minSpeedKmh || v > fit.maxSpeedKmh)
        s.warnings.push_back(StrategyWarning::Extrapolation);
    const double lap = *s.lapKm;
    s.laps = static_cast<int>(std::floor(v * hours / lap + kWholeLap));
    if (v > 0) s.lapTimeS = lap / v * 3600;
    s.lapBudgetWh = fit.whPerKm(v) * lap;

    for (int k = -kStrategyRows; k <= kStrategyRows; ++k) {
        const double u = v + k * kStrategyStep;
        if (u <= 0) continue;
        StrategyRow row;
        row.speedKmh = u;
        const double draw = std::max(0.0, Power(fit, u)) - *s.solarW;  // W from the battery
        row.endChargeAh = *s.chargeNowAh - draw * hours / volts;
        row.endSocPct = row.endChargeAh / *s.capacityAh * 100;
        row.keepsTarget = row.endChargeAh >= *s.targetAh - kSameCharge;
        double drivenH = hours;
        if (row.endChargeAh < -kSameCharge && draw > 0) {
            drivenH = std::max(0.0, *s.chargeNowAh) * volts / draw;
            row.flatAfterMin = drivenH * 60;
        }
        row.laps = static_cast<int>(std::floor(u * drivenH / lap + kWholeLap));
        s.table.push_back(row);
    }
    return s;
}

const char* MissingKey(StrategyMissing missing) {
    switch (missing) {
        case StrategyMissing::Model:
            return "no_model";
        case StrategyMissing::Capacity:
            return "no_capacity";
        case StrategyMissing::Charge:
            return "no_charge";
        case StrategyMissing::Solar:
            return "no_solar";
        case StrategyMissing::Time:
            return "no_time";
    }
    return "";
}

QString MissingText(StrategyMissing missing) {
    switch (missing) {
        case StrategyMissing::Model:
            return QCoreApplication::translate(
                "Strategy", "エネルギーモデルがありません: 速度の違う周回が2周以上必要です");
        case StrategyMissing::Capacity:
            return QCoreApplication::translate("Strategy", "バッテリー初期容量が未設定です");
        case StrategyMissing::Charge:
            return QCoreApplication::translate(
                "Strategy", "現在の残量が分かりません (バッテリー電流とメイン電圧の記録がない)");
        case StrategyMissing::Solar:
            return QCoreApplication::translate(
                "Strategy", "ソーラー電力が分かりません: 予想値を入れてください");
        case StrategyMissing::Time:
            return QCoreApplication::translate("Strategy", "残り時間を入れてください");
    }
    return {};
}

const char* WarningKey(StrategyWarning warning) {
    switch (warning) {
        case StrategyWarning::WeakFit:
            return "weak_fit";
        case StrategyWarning::Extrapolation:
            return "extrapolation";
        case StrategyWarning::Unreachable:
            return "unreachable";
        case StrategyWarning::NotPhysical:
            return "not_physical";
    }
    return "";
}

QString WarningText(StrategyWarning warning, const EnergyFit& fit, const Strategy& s) {
    switch (warning) {
        case StrategyWarning::WeakFit:
            return QCoreApplication::translate(
                       "Strategy", "モデルが弱い: %1周から R² %2 (4周以上、R² 0.5以上が目安)")
                .arg(fit.used.size())
                .arg(FixedText(fit.r2, 2));
        case StrategyWarning::Extrapolation:
            return QCoreApplication::translate("Strategy",
                                               "外挿: %1 km/h は周回の速度 %2～%3 km/h の外です")
                .arg(FixedText(s.speedKmh, 1), FixedText(fit.minSpeedKmh, 1),
                     FixedText(fit.maxSpeedKmh, 1));
        case StrategyWarning::Unreachable:
            return QCoreApplication::translate(
                       "Strategy",
                       "目標残量に届きません: 走らなくても終了時の残量は %1 % です (目標 %2 %)")
                .arg(FixedText(s.standingEndSocPct, 1), FixedText(s.targetSocPct, 1));
        case StrategyWarning::NotPhysical:
            return QCoreApplication::translate(
                "Strategy",
                "モデルの b が 0 以下です: 速度とともに電力量が増えないので速度を決められません");
    }
    return {};
}

QStringList StrategyHeads() {
    return {QCoreApplication::translate("Strategy", "速度 [km/h]"),
            QCoreApplication::translate("Strategy", "周回数"),
            QCoreApplication::translate("Strategy", "終了時の残量"),
            QCoreApplication::translate("Strategy", "結果")};
}

QStringList StrategyCells(const StrategyRow& row) {
    const QString end = FixedText(row.endChargeAh, 2, QStringLiteral("Ah")) + QStringLiteral(" (") +
                        FixedText(row.endSocPct, 1) + QStringLiteral(" %)");
    const QString result =
        row.flatAfterMin ? QCoreApplication::translate("Strategy", "電池切れ (%1 分後)")
                               .arg(FixedText(row.flatAfterMin, 0))
        : row.keepsTarget ? QCoreApplication::translate("Strategy", "目標残量で完走")
                          : QCoreApplication::translate("Strategy", "目標残量を割る");
    return {FixedText(row.speedKmh, 1), QString::number(row.laps), end, result};
}

QByteArray StrategyJson(const EnergyFit& fit, const CarParameters& car, const Strategy& s) {
    const CarCoefficients coefficients = ApparentCoefficients(fit, car);
    QJsonArray used, leftOut, table, warnings;
    for (const ModelLap& lap : fit.used) {
        used.append(QJsonObject{{"lap", lap.lap},
                                {"speed_kmh", lap.speedKmh},
                                {"wh_per_km", lap.whPerKm},
                                {"distance_km", lap.distanceKm}});
    }
    for (const LeftOutLap& lap : fit.leftOut) {
        leftOut.append(QJsonObject{{"lap", lap.lap}, {"reason", LeftOutKey(lap.reason)}});
    }
    for (const StrategyRow& row : s.table) {
        table.append(QJsonObject{{"speed_kmh", row.speedKmh},
                                 {"laps", row.laps},
                                 {"end_charge_ah", row.endChargeAh},
                                 {"end_soc_pct", row.endSocPct},
                                 {"keeps_target", row.keepsTarget},
                                 {"flat_after_min", Json(row.flatAfterMin)}});
    }
    for (const StrategyWarning w : s.warnings) warnings.append(WarningKey(w));
    const QJsonObject model{
        {"a_wh_per_km", Json(fit.a)},
        {"b_wh_per_km_per_kmh2", Json(fit.b)},
        {"r2", Json(fit.r2)},
        {"laps_used", static_cast<int>(fit.used.size())},
        {"speed_min_kmh", Json(fit.used.empty() ? std::nullopt : std::optional(fit.minSpeedKmh))},
        {"speed_max_kmh", Json(fit.used.empty() ? std::nullopt : std::optional(fit.maxSpeedKmh))},
        {"lap_km", Json(fit.meanLapKm)},
        {"mass_kg", Json(car.massKg)},
        {"efficiency", car.efficiency},
        {"air_density_kg_m3", car.airDensity},
        {"crr", Json(coefficients.rollingResistance)},
        {"cda_m2", Json(coefficients.dragAreaM2)},
        {"laps", used},
        {"left_out", leftOut}};
    const QJsonObject inputs{{"remaining_min", s.remainingMin},
                             {"capacity_ah", Json(s.capacityAh)},
                             {"charge_now_ah", Json(s.chargeNowAh)},
                             {"charge_now_pct", Json(s.chargeNowPct)},
                             {"target_soc_pct", s.targetSocPct},
                             {"target_ah", Json(s.targetAh)},
                             {"solar_w", Json(s.solarW)},
                             {"mean_main_v", Json(s.meanMainV)},
                             {"available_wh", Json(s.availableWh)}};
    const QJsonObject plan{{"speed_kmh", Json(s.speedKmh)},
                           {"laps", s.laps ? QJsonValue(*s.laps) : QJsonValue()},
                           {"lap_time_s", Json(s.lapTimeS)},
                           {"lap_budget_wh", Json(s.lapBudgetWh)},
                           {"standing_end_soc_pct", Json(s.standingEndSocPct)}};
    const QJsonObject all{
        {"model", model},
        {"inputs", inputs},
        {"plan", plan},
        {"table", table},
        {"warnings", warnings},
        {"missing", s.missing ? QJsonValue(MissingKey(*s.missing)) : QJsonValue()}};
    return QJsonDocument(all).toJson(QJsonDocument::Compact);
}

QString StrategyText(const EnergyFit& fit, const CarParameters& car, const Strategy& s) {
    const CarCoefficients coefficients = ApparentCoefficients(fit, car);
    QString text;
    const auto line = [&text](const QString& label, const QString& value) {
        text += label + QStringLiteral(": ") + value + u'\n';
    };
    line(QCoreApplication::translate("Strategy", "モデル"),
         fit.fitted()
             ? QStringLiteral("e = %1 + %2 v² Wh/km").arg(FixedText(fit.a, 3), FixedText(fit.b, 6))
             : FixedText(std::nullopt, 0));
    line(QStringLiteral("R²"), FixedText(fit.r2, 3));
    line(QCoreApplication::translate("Strategy", "使った周回"),
         fit.used.empty() ? QStringLiteral("0")
                          : QCoreApplication::translate("Strategy", "%1周 (%2～%3 km/h)")
                                .arg(fit.used.size())
                                .arg(FixedText(fit.minSpeedKmh, 1), FixedText(fit.maxSpeedKmh, 1)));
    for (const LeftOutLap& lap : fit.leftOut) {
        line(QCoreApplication::translate("Strategy", "除いた周回 %1").arg(lap.lap),
             LeftOutText(lap.reason));
    }
    line(QStringLiteral("Crr"), FixedText(coefficients.rollingResistance, 4));
    line(QStringLiteral("CdA"), FixedText(coefficients.dragAreaM2, 3, QStringLiteral("m²")));
    if (s.missing) {
        line(QCoreApplication::translate("Strategy", "作戦"), MissingText(*s.missing));
        return text;
    }
    line(QCoreApplication::translate("Strategy", "現在の残量"),
         FixedText(s.chargeNowAh, 2, QStringLiteral("Ah")) + QStringLiteral(" (") +
             FixedText(s.chargeNowPct, 1) + QStringLiteral(" %)"));
    line(QCoreApplication::translate("Strategy", "使えるエネルギー"),
         FixedText(s.availableWh, 0, QStringLiteral("Wh")));
    line(QCoreApplication::translate("Strategy", "一定速度"),
         FixedText(s.speedKmh, 1, QStringLiteral("km/h")));
    line(QCoreApplication::translate("Strategy", "周回数"),
         s.laps ? QString::number(*s.laps) : FixedText(std::nullopt, 0));
    line(QCoreApplication::translate("Strategy", "目標ラップタイム"),
         s.lapTimeS ? ClockText(*s.lapTimeS) : FixedText(std::nullopt, 0));
    line(QCoreApplication::translate("Strategy", "1周のエネルギー予算"),
         FixedText(s.lapBudgetWh, 1, QStringLiteral("Wh")));
    for (const StrategyWarning w : s.warnings)
        line(QCoreApplication::translate("Strategy", "注意"), WarningText(w, fit, s));
    if (s.table.empty()) return text;
    std::vector<QStringList> rows = {StrategyHeads()};
    for (const StrategyRow& row : s.table) rows.push_back(StrategyCells(row));
    return text + u'\n' + AlignedText(rows);
}

}  // namespace yb
