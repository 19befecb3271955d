// The energy model fitted to laps made from a known a and b, the strategy against figures worked
// out by hand, and the time difference of hand-built laps.

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

#include "analysis/EnergyModel.h"
#include "analysis/LapTrace.h"
#include "analysis/Strategy.h"

namespace yb::test {
namespace {

constexpr double kA = 10.0, kB = 0.002;  // Wh/km, Wh/km per (km/h)²

// A lap of `km` at v km/h using e = a + b v² (times 1 + noise).
LapFigures Lap(int n, double v, double km = 3.0, double noise = 0.0) {
    const double e = (kA + kB * v * v) * (1 + noise);
    return {n, km / v * 3600, e * km, 0.0, km, v, 0.0, e};
}

std::vector<LapFigures> Laps(std::initializer_list<double> speeds, double noise = 0.0) {
    std::vector<LapFigures> laps;
    for (const double v : speeds) {
        const int n = static_cast<int>(laps.size()) + 1;
        laps.push_back(Lap(n, v, 3.0, n % 2 ? noise : -noise));
    }
    return laps;
}

TEST(EnergyModel, RecoversAAndBAndNoiseLowersR2) {
    double r2 = 1.0 + 1e-12;
    for (const double noise : {0.0, 0.02, 0.05, 0.15}) {
        const EnergyFit fit = FitEnergyModel(Laps({40, 45, 50, 55, 60, 65, 70, 75}, noise));
        ASSERT_TRUE(fit.fitted());
        if (noise == 0.0) {
            EXPECT_NEAR(*fit.a, kA, kA * 0.01);
            EXPECT_NEAR(*fit.b, kB, kB * 0.01);
        }
        EXPECT_LT(*fit.r2, r2) << noise;
        r2 = *fit.r2;
        EXPECT_EQ(fit.used.size(), 8u);
        EXPECT_EQ(std::pair(fit.minSpeedKmh, fit.maxSpeedKmh), std::pair(40.0, 75.0));
    }
    // A car of 300 kg, Crr 0.008, CdA 0.12 m² (η 0.9, ρ 1.2): its a and b, and back.
    const double a = 0.008 * 300 * 9.80665 / (3.6 * 0.9), b = 1.2 * 0.12 / (2 * 46.656 * 0.9);
    std::vector<LapFigures> laps;
    for (const double v : {40.0, 60.0, 80.0})
        laps.push_back({1, 100, (a + b * v * v) * 2, 0, 2, v, 0, a + b * v * v});
    const CarCoefficients c = ApparentCoefficients(FitEnergyModel(laps), {300.0, 0.9, 1.2});
    EXPECT_NEAR(*c.rollingResistance, 0.008, 1e-9);
    EXPECT_NEAR(*c.dragAreaM2, 0.12, 1e-9);
    EXPECT_FALSE(ApparentCoefficients(FitEnergyModel(laps), {}).rollingResistance);
}

// Laps that give no point, each with its reason; too few points give no model.
TEST(EnergyModel, LeavesOutLapsAndNeedsTwoSpeeds) {
    std::vector<LapFigures> laps = Laps({50, 60, 55, 45});
    laps[1].time_s.reset();      // no time
    laps[2].motor_wh.reset();    // no energy
    laps[3].distance_km = 0.0;   // no speed recorded
    laps.push_back(Lap(5, 20));  // 540 s against a median of 216: a pit stop
    const EnergyFit fit = FitEnergyModel(laps);
    ASSERT_EQ(fit.leftOut.size(), 4u);
    const LapLeftOut reasons[] = {LapLeftOut::NoTime, LapLeftOut::NoEnergy, LapLeftOut::NoDistance,
                                  LapLeftOut::Pit};
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(fit.leftOut[i].reason, reasons[i]) << i;
    EXPECT_EQ(fit.used.size(), 1u);
    EXPECT_FALSE(fit.fitted());  // one lap
    EXPECT_FALSE(FitEnergyModel({}).fitted());
    EXPECT_FALSE(FitEnergyModel(Laps({50, 50, 50})).fitted());  // one speed
}

// 100 Ah, 60 Ah now at 100 V, 250 W of sun, two hours left; the model of 10 + 0.002 v² from laps
// of 3 km at 40 to 70 km/h. At 60 km/h the drive draws 600 + 432 = 1032 W: two hours take
// 2064 Wh, 500 of them from the sun, 1564 Wh = 15.64 Ah from the battery, so a target of 44.36 %
// gives 60 km/h, 40 laps of 3:00 and 3 x 17.2 = 51.6 Wh a lap.
TEST(Strategy, HandWorkedCases) {
    const EnergyFit fit = FitEnergyModel(Laps({40, 50, 60, 70}));
    const RunState state{100.0, 60.0, 100.0, 250.0};
    StrategyInputs in;
    in.remainingMin = 120;
    in.targetSocPct = 44.36;
    Strategy s = PlanStrategy(fit, state, in);
    ASSERT_FALSE(s.missing);
    EXPECT_NEAR(*s.speedKmh, 60.0, 1e-6);
    EXPECT_EQ(*s.laps, 40);
    EXPECT_NEAR(*s.lapTimeS, 180.0, 1e-5);
    EXPECT_NEAR(*s.lapBudgetWh, 51.6, 1e-6);
    EXPECT_TRUE(s.warnings.empty());
    ASSERT_EQ(s.table.size(), 9u);
    // 62 km/h: 620 + 476.656 W, 846.656 W from the battery: 43.07 Ah left, below the target.
    EXPECT_NEAR(s.table[5].endChargeAh, 60 - 846.656 * 2 / 100, 1e-6);
    EXPECT_FALSE(s.table[5].keepsTarget);
    EXPECT_TRUE(s.table[3].keepsTarget);
    EXPECT_EQ(s.table[3].laps, 38);  // 58 km/h x 2 h / 3 km

    // Little charge and no sun: 500 Wh over 2 h, 250 W, about 23 km/h (below the laps' speeds);
    // 8 km/h faster, the battery is flat after 5 Ah x 100 V / P.
    s = PlanStrategy(fit, {100.0, 5.0, 100.0, 0.0}, {120, 0, {}, {}, {}});
    EXPECT_TRUE(s.warns(StrategyWarning::Extrapolation));
    EXPECT_NEAR(*s.speedKmh * (kA + kB * *s.speedKmh * *s.speedKmh), 250.0, 1e-6);
    for (const StrategyRow& row : s.table)
        EXPECT_EQ(row.flatAfterMin.has_value(), row.endChargeAh < -1e-6) << row.speedKmh;
    const StrategyRow& fast = s.table.back();
    EXPECT_NEAR(*fast.flatAfterMin,
                500 / (kA * fast.speedKmh + kB * std::pow(fast.speedKmh, 3)) * 60, 1e-6);

    // 20 Ah now, 50 % wanted: standing still ends at 25 % (5 Ah of sun): no answer, a warning.
    s = PlanStrategy(fit, {100.0, 20.0, 100.0, 250.0}, {120, 50, {}, {}, {}});
    EXPECT_TRUE(s.warns(StrategyWarning::Unreachable));
    EXPECT_FALSE(s.speedKmh);
    EXPECT_NEAR(*s.standingEndSocPct, 25.0, 1e-9);
    // Three laps fit a weak model; the typed charge and sun replace the run's.
    s = PlanStrategy(FitEnergyModel(Laps({40, 50, 60})), state, {120, 0, 1000.0, 50.0, {}});
    EXPECT_TRUE(s.warns(StrategyWarning::WeakFit));
    EXPECT_EQ(std::pair(*s.chargeNowAh, *s.solarW), std::pair(50.0, 1000.0));
    // What is missing is said.
    EXPECT_EQ(PlanStrategy(fit, {{}, 60.0, 100.0, 250.0}, in).missing, StrategyMissing::Capacity);
    EXPECT_EQ(PlanStrategy(FitEnergyModel({}), state, in).missing, StrategyMissing::Model);
    const QJsonObject json =
        QJsonDocument::fromJson(StrategyJson(fit, {}, PlanStrategy(fit, state, in))).object();
    const QJsonObject model = json["model"].toObject();
    EXPECT_NEAR(model["a_wh_per_km"].toDouble(), kA, 1e-6);
    EXPECT_EQ(model["laps_used"].toInt(), 4);
    EXPECT_TRUE(model["crr"].isNull());
    EXPECT_NEAR(json["plan"].toObject()["speed_kmh"].toDouble(), 60.0, 1e-6);
}

// Three laps of 0.1 km every second: 36 km/h for 10 s twice, then 30 km/h for 12 s.
TEST(LapTrace, TimeDifferenceOfHandBuiltLaps) {
    RunData run;
    run.intervalS = 1;
    for (auto& column : run.main) column.assign(32, std::nullopt);
    auto& speed = run.main[static_cast<std::size_t>(MainChannel::SpeedKmh)];
    for (std::size_t i = 0; i < 32; ++i) speed[i] = i < 20 ? 36 : 30;
    run.laps = {{1, 10, 1.0}, {2, 10, 1.0}, {3, 12, 1.0}};
    const std::vector<LapFigures> laps = LapTable(run, 0.0);
    const auto first = LapTrace(run, laps[0]), second = LapTrace(run, laps[1]);
    ASSERT_EQ(first.size(), 11u);
    EXPECT_NEAR(first.back().distanceKm, 0.1, 1e-12);
    for (const TimeGap& gap : TimeDifference(second, first)) EXPECT_NEAR(gap.gapS, 0.0, 1e-9);
    // 1/30 - 1/36 h a km behind: 20 s/km, a straight line to 2 s at 0.1 km.
    const std::vector<TimeGap> slower = TimeDifference(LapTrace(run, laps[2]), first);
    ASSERT_EQ(slower.size(), 13u);
    for (const TimeGap& gap : slower) EXPECT_NEAR(gap.gapS, gap.distanceKm * 20, 1e-9);
    EXPECT_TRUE(TimeDifference({}, first).empty());
    run.intervalS.reset();  // no time: no trace
    EXPECT_TRUE(LapTrace(run, laps[0]).empty());
}

}  // namespace
}  // namespace yb::test
