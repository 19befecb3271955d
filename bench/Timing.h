#pragma once
// Times a step over several runs, for the benchmarks' figures.

#include <QElapsedTimer>

#include <algorithm>
#include <numeric>
#include <vector>

struct Figures {
    double mean;  // milliseconds
    double min;
    double max;
};

template <typename Step>
Figures Time(int runs, Step step) {
    std::vector<double> ms;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        step();
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return {std::accumulate(ms.begin(), ms.end(), 0.0) / runs,
            *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end())};
}
