#include "sim/Race.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace ybsim {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kMeanSpeedKmh = 52.0;
constexpr double kUnrecordedLapS = 240.0;  // the laps of a run that records none
constexpr double kLongestLapS = 3600.0;
constexpr double kPitStopS = 300.0;
constexpr double kPitHour = 13.0;   // the pit stop's time of day
constexpr double kPitLaneAt = 0.9;  // the pit lane leaves the track this far into its lap
constexpr double kLaunchS = 12.0;   // pulling away from standing, a change of pace: time constant
constexpr double kBrakeS = 4.0;     // stopping in the pit lane: time constant
constexpr double kMassKg = 300.0;   // car and driver
constexpr double kDriveEfficiency = 0.9;

// Deterministic draws: the same seed gives the same draws with every standard library.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : rng_(seed) {}
    double uniform() { return static_cast<double>(rng_()) / 4294967296.0; }
    // Mean 0, deviation 1, nearly normal: the sum of four uniform draws.
    double normal() {
        return (uniform() + uniform() + uniform() + uniform() - 2.0) * std::numbers::sqrt3;
    }

private:
    std::mt19937 rng_;
};

// Three corners a lap: where (as a part of the lap) and how much slower than the straights.
struct Corner {
    double at, dip;
};
constexpr Corner kCorners[] = {{0.12, 0.45}, {0.47, 0.3}, {0.74, 0.4}};
constexpr double kBrakingS = 3.0;        // braking into a corner: time constant
constexpr double kPullingS = 12.0;       // accelerating out of it
constexpr double kFullCornersS = 240.0;  // shorter laps have shallower corners

// e^(-x / timeConstant), 0 from far away.
double Fading(double x, double timeConstant) {
    return std::exp(-std::min(x / timeConstant, 50.0));
}

double Rising(double seconds, double timeConstant) {
    return 1.0 - Fading(seconds, timeConstant);
}

// The corners of a lap that takes `moving` seconds: the speed at a point of the lap relative to
// the lap's average.
class LapShape {
public:
    explicit LapShape(double moving)
        : braking_(kBrakingS / moving),
          pulling_(kPullingS / moving),
          depth_(std::min(1.0, moving / kFullCornersS)) {
        // A corner's dip over the whole lap, from the lap's middle before it to the middle after.
        const auto whole = [](double width) { return width * Rising(0.5, width); };
        for (const Corner& corner : kCorners) {
            mean_ -= depth_ * corner.dip * (whole(braking_) + whole(pulling_));
        }
    }
    double operator()(double phase) const {
        double shape = 1.0;
        for (const Corner& corner : kCorners) {
            double x = phase - corner.at;
            x -= std::round(x);  // to the nearest passage of the corner
            shape -= depth_ * corner.dip * (x < 0 ? Fading(-x, braking_) : Fading(x, pulling_));
        }
        return shape / mean_;
    }

private:
    double braking_, pulling_, depth_;
    double mean_ = 1.0;
};

// The motor's electrical power at a speed of `kmh`, half a second after `before` and before
// `after`: rolling and air resistance, and the acceleration, over the drive's losses. Braking is
// mechanical.
double MotorWatts(double before, double kmh, double after) {
    if (kmh <= 0.0) return 0.0;
    const double accel = std::clamp((after - before) / 3.6, -3.0, 3.0);
    return std::max(
        0.0, 1.1 * kmh + 0.0048 * kmh * kmh * kmh + kMassKg * accel * kmh / 3.6 / kDriveEfficiency);
}

// The laps of the run and the car's speed at any time of it.
class Course {
public:
    Course(Noise& noise, double span, long lapCount) {
        const long laps =
            lapCount > 0 ? lapCount : std::max(1L, std::lround(span / kUnrecordedLapS));
        const auto n = static_cast<double>(laps);
        pitS_ = span >= 4 * kPitStopS && span / n >= 60.0
                    ? std::round(std::min(kPitStopS, span / 12))
                    : 0.0;
        double driven = std::min(span, n * kLongestLapS + pitS_);
        if (driven < n) driven = n;  // one second a lap at least
        const double moving = driven - pitS_;
        const double lapKm = kMeanSpeedKmh * moving / n / 3600.0;

        // Slower in the first laps (traffic), steady after, apart from the driver's spread.
        std::vector<double> weights(static_cast<std::size_t>(laps), 1.0);
        if (moving / n >= 20.0) {
            for (std::size_t k = 0; k < weights.size(); ++k) {
                weights[k] =
                    std::clamp(1.0 + 0.035 * noise.normal() + (k < 3 ? 0.08 : 0.0), 0.9, 1.2);
            }
        }
        double total = 0.0;
        for (const double w : weights) total += w;
        pitLap_ = weights.size() / 2;
        double sum = 0.0;
        bounds_.push_back(0.0);
        for (std::size_t k = 0; k < weights.size(); ++k) {
            sum += weights[k];
            bounds_.push_back(std::round(moving * sum / total + (k >= pitLap_ ? pitS_ : 0.0)));
            const double lapMoving = bounds_[k + 1] - bounds_[k] - (k == pitLap_ ? pitS_ : 0.0);
            laps_.push_back(Lap{lapMoving, lapKm * 3600.0 / lapMoving, LapShape(lapMoving)});
        }
    }

    const std::vector<double>& bounds() const { return bounds_; }
    // The pit stop's start, or half the course without one.
    double pitStart() const {
        return pitS_ > 0 ? bounds_[pitLap_] + kPitLaneAt * laps_[pitLap_].moving
                         : bounds_.back() / 2;
    }

    // A rolling start; standing in the pit and after the last lap.
    double kmh(double t) const {
        const auto next = std::upper_bound(bounds_.begin(), bounds_.end(), t);
        if (next == bounds_.begin() || next == bounds_.end()) return 0.0;
        const auto k = static_cast<std::size_t>(next - bounds_.begin()) - 1;
        const Lap& lap = laps_[k];
        double into = t - bounds_[k];
        double pace = 1.0;
        if (k == pitLap_ && pitS_ > 0) {
            const double pitAt = kPitLaneAt * lap.moving;
            if (into >= pitAt && into < pitAt + pitS_) return 0.0;
            if (into < pitAt) {
                pace *= Rising(pitAt - into, kBrakeS);
            } else {
                into -= pitS_;
                pace *= Rising(into - pitAt, kLaunchS);
            }
        }
        // The driver changes pace over the first seconds of a lap, not at the line.
        double kmh = lap.kmh;
        if (k > 0) kmh += (laps_[k - 1].kmh - kmh) * Fading(into, kLaunchS);
        return kmh * lap.shape(into / lap.moving) * pace;
    }

    double motorWatts(double t) const {
        const double v = kmh(t);
        return MotorWatts(t >= 0.5 ? kmh(t - 0.5) : v, v, kmh(t + 0.5));  // a rolling start
    }

    // The motor's energy on lap k, in steps of a second.
    double lapWh(std::size_t k) const {
        double wh = 0.0;
        double before = kmh(bounds_[k]);
        for (double t = bounds_[k] + 0.5; t < bounds_[k + 1]; t += 1.0) {
            const double after = kmh(t + 0.5);
            wh += MotorWatts(before, kmh(t), after) / 3600.0;
            before = after;
        }
        return wh;
    }

private:
    struct Lap {
        double moving;  // s on the track, the pit stop not counted
        double kmh;     // average speed on the track
        LapShape shape;
    };

    std::vector<double> bounds_;  // lap k runs from bounds_[k] to bounds_[k + 1], in s
    std::vector<Lap> laps_;
    std::size_t pitLap_ = 0;
    double pitS_ = 0.0;
};

// Sunlight on the panel, 0 .. 1: the sun's height over the day, passing clouds.
class Sky {
public:
    Sky(Noise& noise, double startHour)
        : startHour_(startHour),
          phase1_(2 * kPi * noise.uniform()),
          phase2_(2 * kPi * noise.uniform()) {}
    double sunlight(double t) const {
        const double hour = std::fmod(startHour_ + t / 3600.0, 24.0);
        const double sun = std::max(0.0, std::sin(kPi * (hour - 6.0) / 12.5));
        const double clouds =
            std::max(0.0, std::sin(t / 1300.0 + phase1_) * std::sin(t / 530.0 + phase2_));
        return sun * (1.0 - 0.45 * clouds);
    }

private:
    double startHour_, phase1_, phase2_;
};

int Units(double value, double perUnit, int lo, int hi) {
    return static_cast<int>(std::clamp(std::lround(value * perUnit), long{lo}, long{hi}));
}

}  // namespace

RaceRecords SimulateRace(std::uint32_t seed, long mainCount, long tempCount, long lapCount,
                         int intervalS) {
    Noise noise(seed);
    const int step = std::max(1, intervalS);
    const double span = static_cast<double>(std::max(0L, mainCount)) * step;
    const Course course(noise, span, lapCount);
    const double startHour = std::fmod(kPitHour - course.pitStart() / 3600.0, 24.0) + 24.0;
    const Sky sky(noise, startHour);

    RaceRecords race;
    race.main.resize(static_cast<std::size_t>(std::max(0L, mainCount)));
    for (std::size_t i = 0; i < race.main.size(); ++i) {
        const double t = static_cast<double>(i) * step;
        const double kmh = course.kmh(t);
        const double watts = course.motorWatts(t) * (1.0 + 0.03 * noise.normal());
        const double sun = sky.sunlight(t);
        const double solarA = sun > 0.0 ? std::max(0.0, 7.6 * sun + 0.05 * noise.normal()) : 0.0;
        // The pack's open-circuit voltage falls as it empties; its resistance sags it under load.
        const double openVolts = 92.0 + 11.0 * (1.0 - 0.55 * t / std::max(span, 1.0));
        double volts = openVolts;
        double motorA = 0.0;
        for (int pass = 0; pass < 2; ++pass) {
            motorA = watts / volts;
            volts = openVolts - 0.32 * (motorA - solarA);
        }
        const double subVolts =
            12.5 + 0.25 * std::sin(t / 900.0) - 0.01 * motorA + 0.04 * noise.normal();
        const double speed = kmh > 0.0 ? kmh + 0.4 * noise.normal() : 0.0;
        race.main[i] =
            MainValues{Units(solarA, 100, 0, 800), Units(motorA - solarA, 100, -2000, 3000),
                       Units(volts + 0.08 * noise.normal(), 10, 900, 1100),
                       Units(subVolts, 10, 110, 140), Units(speed, 1, 0, 120)};
    }

    // The motor controller warms with the sun and the last minute's load; it cools in the pit.
    race.temperatures.resize(static_cast<std::size_t>(std::max(0L, tempCount)));
    for (std::size_t j = 0; j < race.temperatures.size(); ++j) {
        const double t = static_cast<double>(j) * TemperatureStepS(intervalS);
        double kw = 0.0;
        for (int s = 0; s < 60; s += 5) kw += course.motorWatts(t - s) / 12000.0;
        race.temperatures[j] =
            Units(24.0 + 9.0 * sky.sunlight(t) + 11.0 * kw + 0.7 * noise.normal(), 1, -128, 127);
    }

    const auto& bounds = course.bounds();
    const auto laps = static_cast<std::size_t>(std::max(0L, lapCount));
    for (std::size_t k = 0; k < laps; ++k) {
        race.laps.push_back(LapValues{Units(bounds[k + 1] - bounds[k], 1, 1, 32767),
                                      Units(course.lapWh(k), 10, 1, 32767)});
    }
    return race;
}

}  // namespace ybsim
