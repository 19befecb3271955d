#pragma once
// Line time: what a download of a logger costs at the pace of a 38400-baud line, the limit no
// program can beat. Every request and answer character takes 10 bits; each of the five command
// requests (T??, D1?, TMP?, D2?, L?) waits its fixed 100 ms.

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <vector>

#include "sim/LoggerSim.h"

constexpr double kCharSeconds = 10.0 / 38400.0;
constexpr double kCommandWaitSeconds = 0.100;
// Characters of each record's request and answer: main 7 + 17, temperature 7 + 3, lap 5 + 9.
constexpr std::size_t kMainRecordChars = 24, kTempRecordChars = 10, kLapRecordChars = 14;
// The five command requests and their answers.
constexpr std::size_t kCommandChars = (4 + 4 + 5 + 4 + 3) + (3 + 5 + 3 + 5 + 3);

// The line-time limit of a download of main/temp/laps records.
constexpr double LineTimeLimit(long main, long temp, long laps) {
    return static_cast<double>(static_cast<std::size_t>(main) * kMainRecordChars +
                               static_cast<std::size_t>(temp) * kTempRecordChars +
                               static_cast<std::size_t>(laps) * kLapRecordChars + kCommandChars) *
               kCharSeconds +
           5 * kCommandWaitSeconds;
}

inline double LineTimeLimit(const ybsim::LoggerSim& sim) {
    return LineTimeLimit(sim.mainCount(), sim.tempCount(), sim.lapCount());
}

// A full logger: 16100 main records, 1350 temperatures, 200 laps.
constexpr double kFullLineTimeLimit = LineTimeLimit(16100, 1350, 200);

// The client's turn-around in microseconds, median and mean: from an answer's last character
// leaving the logger to the next request's carriage return reaching it. Per record, the part of a
// download's time above the line's own that is the program's. The fixed waits of the command
// requests (100 ms) are left out.
struct Turnaround {
    double medianUs = 0.0;
    double meanUs = 0.0;
    double p99Us = 0.0;  // 99th percentile: the stalls
};

// The middle of `sorted`, the mean of the middle two when their number is even.
inline double Median(const std::vector<double>& sorted) {
    const std::size_t half = sorted.size() / 2;
    return sorted.size() % 2 ? sorted[half] : (sorted[half - 1] + sorted[half]) / 2.0;
}

inline Turnaround RecordTurnaround(const ybsim::LoggerSim& sim) {
    std::vector<double> us;
    for (const auto t : sim.turnarounds()) {
        const double u = std::chrono::duration<double, std::micro>(t).count();
        if (u < 50'000.0) us.push_back(u);
    }
    if (us.empty()) return {};
    Turnaround result;
    for (const double u : us) result.meanUs += u / static_cast<double>(us.size());
    std::sort(us.begin(), us.end());
    result.medianUs = Median(us);
    result.p99Us = us[us.size() * 99 / 100];
    return result;
}
