#pragma once
// A race as the logger records it, for benchmarks, screenshots and demonstrations: the car laps
// a circuit at varying speed with one pit stop, the sun rises and clouds pass, the battery makes
// up what the panel does not give, the pack voltage sags under load and falls as it empties.
// Values come in the logger's steps (hundredths of an ampere, tenths of a volt, whole km/h and
// degrees). Deterministic: the same size gives the same run.

#include "download/RecordStore.h"

namespace yb::bench {

struct RunSize {
    int intervalS = 2;     // 1, 2, 5 or 10
    int mainRows = 16100;  // up to 16100
    int temperatureRows = 537;
    int laps = 200;
};

void FillSimulatedRun(RecordStore& data, const RunSize& size);

}  // namespace yb::bench
