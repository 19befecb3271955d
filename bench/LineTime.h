#pragma once
// Line time: what a download of a logger costs at the pace of a 38400-baud line, the limit no
// program can beat. Every request and answer character takes 10 bits; each of the five command
// requests (T??, D1?, TMP?, D2?, L?) waits its fixed 100 ms.

#include <cstddef>

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
