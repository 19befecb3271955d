// The download meter: records done of the total known, the time left from the line time of what
// is still to come scaled by the measured pace, and when a display is due.
#include <gtest/gtest.h>

#include "download/DownloadMeter.h"

namespace yb::test {
namespace {

using Event = DownloadProgress::Event;
constexpr Stage M = Stage::Main, T = Stage::Temperature, L = Stage::Laps;

// A report `ms` into the download, after `commands` command exchanges: a stage's count
// (count >= 0) or its records done (done >= 0), else the interval read.
DownloadProgress At(double ms, Stage stage = M, int count = -1, int done = -1, int commands = 1) {
    DownloadProgress p;
    p.commandsDone = commands;
    p.event = count >= 0  ? Event::CountKnown
              : done >= 0 ? Event::RecordStored
                          : Event::IntervalRead;
    std::tie(p.stage, p.count, p.done) = std::tuple(stage, std::max(count, 0), std::max(done, 0));
    p.elapsed = std::chrono::duration_cast<DownloadMeter::Duration>(
        std::chrono::duration<double, std::milli>(ms));
    return p;
}

// A meter that has taken the first report of a download from the start, the logger recording at
// `interval` seconds (0: not known).
DownloadMeter Planned(int interval = 0) {
    DownloadMeter meter;
    DownloadProgress first = At(0);  // the interval read: one command exchange done
    first.plan = PlanDownload(RecordStore(), std::nullopt, interval);
    meter.take(first);
    return meter;
}

// Line time: a main record 6.25 ms, a temperature 10 and a lap 14 characters at 3840 a second,
// a count request 100 ms (T??, D1?, TMP?, D2?, L?; D2? only with temperatures).
TEST(DownloadMeter, TimeLeftIsTheLineTimeStillToComeAtTheMeasuredPace) {
    // The command exchanges done by each stage's count: T?? and D1?; TMP? and D2?; L?.
    const auto count = [](Stage s, int n, double ms, int commands) {
        return At(ms, s, n, -1, commands);
    };
    const auto stored = [](Stage s, int n, double ms, int commands) {
        return At(ms, s, -1, n, commands);
    };
    const std::vector<std::tuple<std::vector<DownloadProgress>, int, int, std::optional<double>>>
        rows{
            {{At(100)}, 0, 0, std::nullopt},  // nothing known before the main count
            {{At(100), count(M, 1000, 200, 2)}, 0, 1000, 6.25 + 0.3},
            {{At(100), count(M, 1000, 200, 2), stored(M, 400, 2700, 2)}, 400, 1000, 3.75 + 0.3},
            // an adapter holding each answer: 9 s for 2.7 s of line time
            {{At(100), count(M, 1000, 200, 2), stored(M, 400, 9000, 2)}, 400, 1000, 4.05 * 9 / 2.7},
            {{count(M, 1000, 200, 2), stored(M, 1000, 6450, 2), count(T, 96, 6650, 4)},
             1000,
             1096,
             96 / 384.0 + 0.1},
            // no temperatures: laps after four command exchanges, at twice the line's pace
            {{count(M, 1000, 200, 2), stored(M, 1000, 12900, 2), count(L, 10, 13300, 4),
              stored(L, 4, 13300 + 8 * 14 / 3.84, 4)},
             1004,
             1010,
             2 * 6 * 14 / 3840.0},
            {{count(M, 2, 200, 2), stored(M, 2, 300, 2), count(L, 0, 400, 4)}, 2, 2, 0.0},
        };
    for (const auto& [reports, done, total, left] : rows) {
        SCOPED_TRACE(testing::PrintToString(std::tuple(done, total, left)));
        DownloadMeter meter = Planned();
        for (const auto& r : reports) meter.take(r);
        const MeterReading reading = meter.reading();
        EXPECT_EQ(std::pair(reading.done, reading.total), std::pair(done, total));
        EXPECT_NEAR(reading.secondsLeft.value_or(-1), left.value_or(-1), 1e-6);
    }
}

// A full logger at the 5-second interval: the bar neither steps back nor stalls when the
// temperatures' count comes after the main records, and ends full.
TEST(DownloadMeter, FullLoggerBarNeverStepsBack) {
    DownloadMeter meter = Planned(5);
    std::vector<DownloadProgress> reports{At(100)};
    int commands = 2;
    for (const auto& [stage, count] :
         {std::pair(M, 16100), std::pair(T, 1350), std::pair(L, 200)}) {
        if (stage != M) commands += stage == T ? 2 : 1;
        reports.push_back(At(0, stage, count, -1, commands));
        for (int n = 1; n <= count; ++n) reports.push_back(At(0, stage, -1, n, commands));
    }
    double last = 0, atTemperatureCount = 0;
    for (const DownloadProgress& r : reports) {
        meter.take(r);
        const double fraction = meter.reading().fraction;
        ASSERT_GE(fraction, last);
        ASSERT_LT(fraction - last, 0.002) << r.done;  // no stage's count moves it at once
        if (r.stage == T && r.event == Event::CountKnown) atTemperatureCount = fraction;
        last = fraction;
    }
    EXPECT_DOUBLE_EQ(last, 1.0);
    // The temperatures' 3 % of the line time move the bar: they were counted in beforehand.
    EXPECT_GT(last - atTemperatureCount, 0.025);
}

TEST(DownloadMeter, DisplayIsDueAtCountsStageEndsAndEveryHalfSecond) {
    DownloadMeter meter = Planned();
    std::string due;
    for (const auto& r : {At(100), At(200, M, 9), At(210, M, -1, 1), At(699, M, -1, 2),
                          At(700, M, -1, 3), At(710, M, -1, 4), At(720, M, -1, 9), At(730, L, 2)}) {
        due += meter.take(r) ? 'y' : 'n';
    }
    EXPECT_EQ(due, "yynnynyy");
}

TEST(DownloadMeter, Texts) {
    const std::pair<double, const char*> left[] = {{0, "残り 0:00"},
                                                   {0.2, "残り 0:01"},
                                                   {59.5, "残り 1:00"},
                                                   {83, "残り 1:23"},
                                                   {3600, "残り 60:00"}};
    for (const auto& [seconds, text] : left) EXPECT_EQ(TimeLeftText(seconds), text);
    const MeterReading r{1234, 17650, 7.75, 159.6, 82.1};
    EXPECT_EQ(MeterText(r), "1234 / 17650 個  160 個/秒  残り 1:23");
    DownloadOutcome failed;
    failed.ending = Ending::Failed;
    failed.text = QStringLiteral("'D1+nnnn' コマンドエラー");
    EXPECT_EQ(MeterSummary(failed, r), "'D1+nnnn' コマンドエラー  読出し 1234 個  7.8 秒");
    failed.ending = Ending::Cancelled;
    EXPECT_EQ(MeterSummary(failed, r), "中止  読出し 1234 個  7.8 秒");
}

}  // namespace
}  // namespace yb::test
