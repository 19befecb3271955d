// The race the simulated logger holds: one coherent run for the counts it is given.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

#include "sim/Logger.h"

using ybsim::Logger, ybsim::Options;

namespace {

bool InRange(int value, int lo, int hi) {
    return value >= lo && value <= hi;
}

}  // namespace

TEST(Race, FillsTheSpanOfTheMainRecordsWithLapsThatHaveATimeADistanceAndEnergy) {
    const Options rows[] = {
        {},  // the demo's: an hour at 5 s
        {.mainCount = 4, .tempCount = 3, .lapCount = 3, .interval = 1},
        {.seed = 9, .mainCount = 4, .tempCount = 3, .lapCount = 3},
        {.mainCount = 600, .tempCount = 40, .lapCount = 12, .interval = 2},
        {.mainCount = 16100, .tempCount = 1350, .lapCount = 200},
        {.mainCount = 16100, .tempCount = 1350, .lapCount = 200, .interval = 10}};
    for (const Options& o : rows) {
        SCOPED_TRACE(testing::Message() << o.mainCount << "/" << o.tempCount << "/" << o.lapCount
                                        << " at " << o.interval << " s");
        const Logger logger(o);
        ASSERT_EQ(std::tuple(logger.mainCount(), logger.tempCount(), logger.lapCount()),
                  std::tuple(o.mainCount, o.tempCount, o.lapCount));
        bool standing = false;
        for (long i = 0; i < o.mainCount; ++i) {
            const auto& v = logger.mainValues(i);
            ASSERT_TRUE(InRange(v.solarCentiA, 0, 800) && InRange(v.batteryCentiA, -2000, 3000) &&
                        InRange(v.mainDeciV, 900, 1100) && InRange(v.subDeciV, 110, 140) &&
                        InRange(v.speedKmh, 0, 120))
                << i;
            standing = standing || (v.speedKmh == 0 && v.batteryCentiA < -100);  // charging
        }
        EXPECT_TRUE(standing || o.mainCount * o.interval < 3600) << "a pit stop in a long race";
        // The lap table as the viewer makes it: each lap's main records by their times.
        long start = 0;
        for (long lap = 1; lap <= o.lapCount; ++lap) {
            const auto& v = logger.lapValues(lap);
            double km = 0, wh = 0;
            for (long i = (start + o.interval - 1) / o.interval; i * o.interval < start + v.seconds;
                 ++i) {
                const auto& r = logger.mainValues(i);
                km += r.speedKmh * o.interval / 3600.0;
                wh += (r.solarCentiA + r.batteryCentiA) * r.mainDeciV * o.interval / 3.6e6;
            }
            ASSERT_TRUE(v.seconds > 0 && km > 0 && v.energyDWh > 0) << lap;
            EXPECT_TRUE(v.seconds <= 120 || std::abs(v.energyDWh / 10.0 - wh) < 0.1 * wh) << lap;
            start += v.seconds;
        }
        EXPECT_EQ(start, o.mainCount * o.interval);
    }
    // The demo's temperatures cover its main records' time, one each minute. A seed gives the
    // same race every time, another seed another.
    const Logger demo(Options{});
    EXPECT_EQ(demo.tempCount() * 60, demo.mainCount() * demo.interval());
    const auto records = [](const Logger& logger) {
        std::string all;
        for (long i = 0; i < logger.mainCount(); ++i) all += logger.mainRecord(i);
        for (long i = 0; i < logger.tempCount(); ++i) all += logger.tempRecord(i);
        for (long lap = 1; lap <= logger.lapCount(); ++lap) all += logger.lapRecord(lap);
        return all;
    };
    EXPECT_EQ(records(Logger(Options{})), records(demo));
    EXPECT_NE(records(Logger({.seed = 2})), records(demo));
}
