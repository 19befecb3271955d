#include "SimulatedRun.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace yb::bench {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kStartHour = 9.0;   // the race starts at nine in the morning
constexpr double kPitStopS = 300.0;  // one stop of five minutes, half way
constexpr double kMeanSpeedKmh = 52.0;

float Step(double value, double step) {
    return static_cast<float>(std::round(value / step) * step);
}

class Race {
public:
    Race(const RunSize& size, std::mt19937& random) {
        const double span = static_cast<double>(size.mainRows) * size.intervalS;
        const int laps = std::max(size.laps, 1);
        const double mean = std::max(20.0, (span - kPitStopS) / (laps + 0.3));
        lapKm_ = kMeanSpeedKmh / 3.6 * mean / 1000.0;
        std::normal_distribution<double> spread(0.0, 0.035);
        double start = 0.0;
        for (int k = 0; k < laps; ++k) {
            // Slower in the first laps (traffic), steady after; the pit lap carries the stop.
            double seconds = mean * (1.0 + spread(random) + (k < 3 ? 0.08 : 0.0));
            if (k == laps / 2) seconds += kPitStopS;
            starts_.push_back(start);
            times_.push_back(std::round(seconds));
            start += times_.back();
        }
        starts_.push_back(start);
    }

    // Speed at time t: three corners per lap; standing in the pit; standing after the flag.
    double speedKmh(double t) const {
        const auto it = std::upper_bound(starts_.begin(), starts_.end(), t);
        if (it == starts_.begin() || it == starts_.end()) return 0.0;
        const std::size_t k = static_cast<std::size_t>(it - starts_.begin()) - 1;
        double moving = times_[k];
        double into = t - starts_[k];
        if (k == times_.size() / 2) {
            moving -= kPitStopS;
            if (into > moving * 0.9 && into < moving * 0.9 + kPitStopS) return 0.0;
            if (into >= moving * 0.9 + kPitStopS) into -= kPitStopS;
        }
        const double phase = into / moving;
        const double average = lapKm_ * 1000.0 / moving * 3.6;
        return std::max(0.0, average * (1.0 + 0.22 * std::sin(2 * kPi * 3 * phase) +
                                        0.07 * std::sin(2 * kPi * 7 * phase + 1.0)));
    }

    const std::vector<double>& lapTimes() const { return times_; }
    double lapStart(std::size_t k) const { return starts_[k]; }

private:
    double lapKm_ = 0.0;
    std::vector<double> starts_;
    std::vector<double> times_;
};

// Sunlight on the panel, 0..1: the sun's height over the day, passing clouds.
double Sunlight(double t) {
    const double hour = std::fmod(kStartHour + t / 3600.0, 24.0);
    const double sun = std::max(0.0, std::sin(kPi * (hour - 6.0) / 12.5));
    const double clouds = std::max(0.0, std::sin(t / 1300.0) * std::sin(t / 530.0 + 1.0));
    return sun * (1.0 - 0.45 * clouds);
}

// The motor's electrical power at a speed: rolling and air resistance over the drive's losses.
double MotorWatts(double kmh) {
    return kmh <= 0.0 ? 0.0 : 1.1 * kmh + 0.0048 * kmh * kmh * kmh;
}

}  // namespace

void FillSimulatedRun(RecordStore& data, const RunSize& size) {
    data.clear();
    std::mt19937 random(20240804);
    std::normal_distribution<double> noise(0.0, 1.0);
    const Race race(size, random);
    const double span = static_cast<double>(size.mainRows) * size.intervalS;

    data.setInterval(static_cast<std::int16_t>(size.intervalS));
    data.setCount(Stage::Main, static_cast<std::int16_t>(size.mainRows));
    for (int i = 0; i < size.mainRows; ++i) {
        const double t = static_cast<double>(i) * size.intervalS;
        const double kmh = std::round(race.speedKmh(t));
        const double soc = 1.0 - 0.55 * t / span;
        const double solarA = std::max(0.0, 7.6 * Sunlight(t) + 0.06 * noise(random));
        double volts = 92.0 + 11.0 * soc;
        const double motorA = MotorWatts(kmh) * (1.0 + 0.04 * noise(random)) / volts;
        const double batteryA = motorA - solarA;
        volts += -0.32 * batteryA + 0.08 * noise(random);
        const float subVolts = Step(12.5 + 0.25 * std::sin(t / 900.0) + 0.04 * noise(random), 0.1);
        data.storeMain(i, {Step(solarA, 0.01), Step(batteryA, 0.01), Step(volts, 0.1), subVolts,
                           static_cast<float>(kmh)});
    }

    // The motor controller warms with the sun and the load, and cools in the pit.
    const int temperatureStep = size.intervalS == 10 ? 120 : 60;
    data.setCount(Stage::Temperature, static_cast<std::int16_t>(size.temperatureRows));
    for (int j = 0; j < size.temperatureRows; ++j) {
        const double t = static_cast<double>(j) * temperatureStep;
        const double load = MotorWatts(race.speedKmh(t)) / 1000.0;
        data.storeTemperature(j, static_cast<std::int16_t>(std::lround(
                                     24.0 + 9.0 * Sunlight(t) + 11.0 * load + 0.7 * noise(random))));
    }

    data.setCount(Stage::Laps, static_cast<std::int16_t>(size.laps));
    for (int k = 0; k < size.laps; ++k) {
        const auto lap = static_cast<std::size_t>(k);
        double wh = 0.0;
        for (double s = 0.0; s < race.lapTimes()[lap]; s += 1.0) {
            wh += MotorWatts(race.speedKmh(race.lapStart(lap) + s)) / 3600.0;
        }
        data.storeLap(k, {static_cast<std::int16_t>(race.lapTimes()[lap]), Step(wh, 0.1)});
    }
}

}  // namespace yb::bench
