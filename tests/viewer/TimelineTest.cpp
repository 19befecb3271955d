// The viewer's time axis without widgets: where rows lie, which rows a range holds, where a pan
// stops, lap marks, and the points a line keeps at a width.

#include <gtest/gtest.h>

#include "viewer/Timeline.h"

namespace yb::test {
namespace {

// `rows` main rows every `interval` seconds (none: unknown) and `temperatures` rows a minute.
RunData Rows(std::optional<int> interval, int rows, int temperatures) {
    RunData run;
    run.intervalS = interval;
    for (auto& column : run.main) column.assign(static_cast<std::size_t>(rows), 1.0);
    run.temperatures.assign(static_cast<std::size_t>(temperatures), 20);
    return run;
}

TEST(Timeline, RowsOnTheAxisAndTheirTexts) {
    const struct {
        RunData run;
        double start, end, x;
        std::optional<int> row;  // the main row nearest to x
        const char* instant;
    } cases[] = {
        {Rows(2, 4000, 2), 0, 3999 * 2 / 60.0, 1.5, 45, "0:01:30"},
        {Rows(2, 4000, 2), 0, 3999 * 2 / 60.0, 134, std::nullopt, "2:14:00"},
        {Rows(2, 10, 5), 0, 4, 0.26, 8, "0:00:16"},  // the temperatures reach further
        {Rows(std::nullopt, 100, 3), 1, 100, 42, 41, "記録 42"},
        {Rows(std::nullopt, 0, 0), 1, 2, 1, std::nullopt, "記録 1"},
    };
    for (const auto& c : cases) {
        const RunTimeline timeline(c.run);
        EXPECT_EQ(timeline.start(), c.start);
        EXPECT_DOUBLE_EQ(timeline.end(), c.end);
        EXPECT_EQ(timeline.mainRowAt(c.x), c.row) << c.x;
        EXPECT_EQ(timeline.instantText(c.x).toStdString(), c.instant);
    }
    const RunTimeline minutes(Rows(60, 101, 0)), records(Rows(std::nullopt, 300, 0));
    EXPECT_EQ(RangeText(minutes, 10, 40), QStringLiteral("0:10:00 – 0:40:00"));
    EXPECT_EQ(RangeText(records, 100, 200), QStringLiteral("記録 100 – 記録 200"));
    EXPECT_TRUE(WholeRun(minutes, 0, 100) && WholeRun(minutes, -1, 101));
    EXPECT_FALSE(WholeRun(minutes, 0, 99.9) || WholeRun(records, 1.5, 300));
}

// Row i of Rows(60, ...) lies at minute i; temperature row j at minute j.
TEST(Timeline, RowsShownFromTheStartUpToTheEndAndTheLastRowAtTheRunsEnd) {
    const RunData known = Rows(60, 101, 3), unknown = Rows(std::nullopt, 100, 3);
    const struct {
        const RunData& run;
        double min, max;
        int mainFirst, mainEnd, temperatureFirst, temperatureEnd;
    } cases[] = {
        {known, 0, 10, 0, 10, 0, 3},     {known, 1.5, 2, 2, 2, 2, 2},
        {known, 10, 100, 10, 101, 3, 3}, {known, 99.5, 100, 100, 101, 3, 3},
        {unknown, 10, 20, 9, 19, 0, 0},  {unknown, 10, 100, 9, 100, 0, 0},
    };
    for (const auto& c : cases) {
        const RowWindow rows = RowsShown(c.run, c.min, c.max);
        EXPECT_EQ(
            std::tuple(rows.mainFirst, rows.mainEnd, rows.temperatureFirst, rows.temperatureEnd),
            std::tuple(c.mainFirst, c.mainEnd, c.temperatureFirst, c.temperatureEnd))
            << c.min << " " << c.max;
    }
}

TEST(Timeline, APanStopsAtTheRunsEndsKeepingItsWidth) {
    const RunTimeline timeline(Rows(60, 101, 0));  // 0 to 100 minutes
    const std::pair<TimeRange, TimeRange> cases[] = {
        {{10, 20}, {10, 20}}, {{-5, 5}, {0, 10}}, {{95, 105}, {90, 100}}, {{-10, 200}, {0, 100}}};
    for (const auto& [asked, fitted] : cases) {
        EXPECT_EQ(FitRange(timeline, asked.first, asked.second), fitted) << asked.first;
    }
    std::vector<LapFigures> laps(3);  // the third after a lap without a time: no start
    for (std::size_t i = 0; i < 3; ++i) laps[i].lap = static_cast<int>(i) + 1;
    laps[0].start_s = 0.0;
    laps[1].start_s = 183.0;
    EXPECT_EQ(LapMarks(laps, true), (std::vector<std::pair<double, int>>{{0, 1}, {3.05, 2}}));
    EXPECT_TRUE(LapMarks(laps, false).empty());
}

// A lowest and a highest point per column, in time order, and the points just outside the range.
TEST(Timeline, ThinnedKeepsEveryPeakAndTheNeighboursOfTheRange) {
    QList<QPointF> all;
    for (int x = 0; x < 100; ++x) all.append({1.0 * x, x % 10 == 3 ? 50.0 : x % 10 == 7 ? -50 : 0});
    const struct {
        double min, max;
        int pixels;
        std::vector<double> xs;
    } cases[] = {
        {2, 5, 100, {1, 2, 3, 4, 5}},  // few enough: all of them
        {10, 90, 4, {9, 13, 17, 33, 37, 53, 57, 73, 77, 90}},
    };
    for (const auto& c : cases) {
        std::vector<double> xs;
        for (const QPointF& p : Thinned(all, c.min, c.max, c.pixels)) xs.push_back(p.x());
        EXPECT_EQ(xs, c.xs) << c.min;
    }
}

}  // namespace
}  // namespace yb::test
