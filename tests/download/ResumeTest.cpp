// Retries and resume on a fake line: a refused answer costs one request when retries are on, and
// a stopped download continues with only what is missing, once the logger is shown to hold the
// same run.
#include <gtest/gtest.h>

#include <map>

#include "download/Download.h"
#include "download/DownloadMeter.h"
#include "support/FakeLine.h"
#include "support/SimSession.h"
#include "support/Stores.h"

namespace yb::test {
namespace {

const QString kDone = QStringLiteral("データ読出し完了...");

// The answer of the first request of `command` replaced by what a bad line makes of it.
using Spoil = std::function<Reply(const std::string& answer)>;
const std::map<std::string, Spoil> kSpoiled{
    {"silent", [](const std::string&) { return Reply{}; }},
    // Noise before the answer and after its line end: the repeat waits for the line to be quiet.
    {"longer",
     [](const std::string& a) {
         return Reply{{0ns, "7" + a + "77777777"}};
     }},
    {"letter",
     [](const std::string& a) {
         return Reply{{0ns, "G" + a.substr(1)}};
     }},
    {"framing error",
     [](const std::string& a) {
         return Reply{{0ns, "\xFF" + a.substr(1)}};
     }},
};

class Resume : public ::testing::Test {
protected:
    void Logger(const ybsim::Options& options) {
        peer = std::make_unique<LoggerPeer>(options);
        time = nullptr;
    }
    // Runs a download, or a resume of `stop`, on a fresh line to the same logger.
    DownloadOutcome Run(int retries, std::optional<DownloadStop> stop = {}) {
        auto clock = std::make_unique<FakeTime>();
        time = clock.get();
        line = std::make_unique<FakeLine>(*time, [this](const std::string& c) {
            if (onCommand) onCommand(c);
            return (*peer)(c);
        });
        exchange = std::make_unique<LineExchange>(*line, std::move(clock));
        const DownloadOptions options{retries};
        return stop ? RunFake(*time, ResumeDownload(*exchange, store, *stop, progress, options))
                    : RunFake(*time, Download(*exchange, store, progress, options));
    }
    std::array<long, 3> Own() const { return OwnRecords(store, peer->logger); }
    std::array<long, 3> All() const {
        return {peer->logger.mainCount(), peer->logger.tempCount(), peer->logger.lapCount()};
    }

    std::unique_ptr<LoggerPeer> peer;
    RecordStore store;
    FakeTime* time = nullptr;
    std::unique_ptr<FakeLine> line;
    std::unique_ptr<LineExchange> exchange;
    std::function<void(const std::string&)> onCommand;
    ProgressSink progress;
};

// A bad answer of each kind to each kind of request: with retries on, one extra request and the
// exact run (an answer that never came may still come: the stages after it end by asking their
// last records again); off, the failure it always was (the interval read goes on, the interval
// unknown).
TEST_F(Resume, RetriesCostOneRequestPerBadAnswer) {
    const std::pair<std::string, QString> requests[] = {
        {"T??", kDone},
        {"TMP?", QStringLiteral("'TMP?' コマンドエラー")},
        {"D1?", QStringLiteral("'D1?' コマンドエラー")},
        {"D10002", QStringLiteral("'D1+nnnn' コマンドエラー")},
        {"D2?", QStringLiteral("'D2?' コマンドエラー")},
        {"D20001", QStringLiteral("'D2+nnnn' コマンドエラー")},
        {"L?", QStringLiteral("'L2?' コマンドエラー")},
        {"LD02", QStringLiteral("'LD+nn' コマンドエラー")}};
    for (const auto& [command, failure] : requests) {
        for (const auto& [kind, spoil] : kSpoiled) {
            // No answer to the probe is its verdict: no option.
            if (command == "TMP?" && kind == "silent") continue;
            for (const int retries : {1, 0}) {
                SCOPED_TRACE(command + " " + kind + " retries " + std::to_string(retries));
                Logger(Holding(4, 3, 3));
                peer->once(command, spoil);
                const DownloadOutcome outcome = Run(retries);
                const auto asked =
                    std::count(line->commands.begin(), line->commands.end(), command);
                if (retries) {
                    EXPECT_EQ(outcome.text, kDone);
                    EXPECT_EQ(Own(), All());
                    EXPECT_EQ(store.interval(), 5);
                    EXPECT_EQ(outcome.retries, 1);
                    if (kind != "silent") {
                        EXPECT_EQ(asked, 2);
                        EXPECT_EQ(line->commands.size(), 5 + 4 + 3 + 3 + 1u);
                    }
                } else {
                    EXPECT_EQ(outcome.text, failure);
                    EXPECT_EQ(std::tuple(asked, outcome.retries), std::tuple(1, 0));
                    if (command == "T??") {
                        EXPECT_EQ(store.interval(), 0);
                    }
                }
            }
        }
    }
    // A garbled count, and as many bad answers as there are retries.
    Logger(Holding(4, 3, 3));
    peer->once("D2?", [](const std::string&) { return Reply{{0ns, "0X03\r"}}; });
    EXPECT_EQ(Run(1).text, kDone);
    Logger(Holding(4, 3, 3));
    peer->faults["D10001"] = kSpoiled.at("letter");
    EXPECT_EQ(Run(2).text, QStringLiteral("'D1+nnnn' コマンドエラー"));
    EXPECT_EQ(std::count(line->commands.begin(), line->commands.end(), "D10001"), 3);
    // With retries, an interval that the repeats did not bring ends the download.
    Logger(Holding(4, 3, 3));
    peer->faults["T??"] = kSpoiled.at("letter");
    EXPECT_EQ(Run(2).text, QStringLiteral("データ記録時間間隔の読出しに失敗しました。"));
    EXPECT_EQ(store.mainCount(), 0);
}

// Stopped in each stage (a failure, a cancel, a line that failed to answer), the download goes on
// where it stopped: the records it keeps asked for again (all of them, there are so few), then
// only what is missing.
TEST_F(Resume, ContinuesWhereItStoppedAskingNothingTwiceButTheCheck) {
    // where it stops, how, and what the resume asks first: the counts, the records kept (M: the
    // five main records, T: the three temperatures), then what is missing
    const std::string M = "D10000 D10001 D10002 D10003 D10004", T = "D20000 D20001 D20002";
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"D10003", "silent", "T?? D1? " + M + " TMP?"},
        {"D1?", "silent", "T?? D1? D10000"},
        {"TMP?", "cancel", "T?? D1? " + M + " TMP? D2? D20000"},
        {"D20001", "letter", "T?? D1? D2? " + M + " " + T + " L?"},
        {"L?", "longer", "T?? D1? TMP? D2? " + M + " " + T + " L? LD01"},
        {"LD03", "cancel", "T?? D1? TMP? D2? L? " + M + " " + T + " LD01 LD02 LD03"},
    };
    for (const auto& [at, how, resumed] : cases) {
        SCOPED_TRACE(at + " " + how);
        Logger(Holding(5, 3, 3));
        if (how == "cancel") {
            onCommand = [this, at = at](const std::string& c) {
                if (c == at) exchange->cancel();
            };
        } else {
            peer->once(at, kSpoiled.at(how));
        }
        const DownloadOutcome stopped = Run(0);
        ASSERT_NE(stopped.text, kDone);
        onCommand = nullptr;
        // The records the first run got an answer to: all but its last request.
        const std::vector<std::string> first(line->commands.begin(), line->commands.end() - 1);
        const long kept = store.stored(Stage::Main) + store.stored(Stage::Temperature) +
                          store.stored(Stage::Laps);
        const DownloadOutcome outcome = Run(0, stopped.stop);
        EXPECT_EQ(outcome.text, kDone);
        EXPECT_EQ(Own(), All());
        // Its first requests, in order, and no record asked for in both runs but the check.
        const std::vector<std::string>& again = line->commands;
        std::string asked;
        for (const std::string& c : again) asked += (asked.empty() ? "" : " ") + c;
        EXPECT_EQ(asked.substr(0, resumed.size()), resumed);
        long twice = 0;
        for (const std::string& c : again) {
            const bool record = c.size() > 3 && c.back() != '?';
            twice += record && std::count(first.begin(), first.end(), c) > 0;
        }
        EXPECT_EQ(twice, kept);
    }
}

// A logger that holds another run now: the interval, a count, or one of the records kept differ
// (the whole run, or one record early in a section), and nothing in the store changes.
TEST_F(Resume, RefusedWhenTheLoggerHoldsAnotherRun) {
    const std::tuple<std::string, std::string> changes[] = {
        {"T??", "0A\r"},    {"D1?", "0006\r"},     {"D2?", "0004\r"},
        {"L?", "04\r"},     {"record", ""},        {"D10001", "0001000200030405\r"},
        {"D20000", "7F\r"}, {"LD01", "00110022\r"}};
    for (const auto& [command, answer] : changes) {
        SCOPED_TRACE(command);
        Logger(Holding(5, 3, 3));
        peer->once("LD02", kSpoiled.at("silent"));
        const DownloadOutcome stopped = Run(0);
        ASSERT_EQ(stopped.stop.stage, Stage::Laps);
        if (command == "record") {
            ybsim::Options other = Holding(5, 3, 3);
            other.seed = 9;  // another run of the same size
            Logger(other);
        } else {
            peer->faults[command] = [answer = answer](const std::string&) {
                return Reply{{0ns, answer}};
            };
        }
        const auto revision = store.revision();
        const DownloadOutcome outcome = Run(0, stopped.stop);
        EXPECT_EQ(outcome.text, LoggerChangedText());
        EXPECT_EQ(store.revision(), revision);
        EXPECT_EQ(outcome.stop.stage, Stage::Laps);  // it may still be resumed
    }
}

// A resume of a download stopped in each stage, counted or not, on the meter: the bar starts at
// the share of the line time the records kept took, never steps back and ends full; the time left
// is shown from the first report on (once the main count is known) within 10 % of the time the
// resume still takes; a stage's line counts that stage's records only.
TEST_F(Resume, MeterTimesTheResumeFromWhereItStopped) {
    using Seconds = std::chrono::duration<double>;
    const std::tuple<std::string, Stage, bool> stops[] = {
        {"D1?", Stage::Main, false},        {"D10080", Stage::Main, true},
        {"D2?", Stage::Temperature, false}, {"D20011", Stage::Temperature, true},
        {"L?", Stage::Laps, false},         {"LD03", Stage::Laps, true},
    };
    for (const auto& [at, stage, counted] : stops) {
        SCOPED_TRACE(at);
        // 240 main records at 5 s: the 20 temperatures the meter expects before their count.
        Logger(Holding(240, 20, 4));
        peer->once(at, kSpoiled.at("silent"));
        const DownloadStop stop = Run(0).stop;
        ASSERT_EQ(std::pair(stop.stage, stop.counted), std::pair(stage, counted));
        Seconds kept{};
        for (const Stage s : {Stage::Main, Stage::Temperature, Stage::Laps}) {
            kept += store.stored(s) * DownloadMeter::RecordLineTime(s);
        }
        DownloadMeter meter;
        std::vector<std::pair<MeterReading, Seconds>> readings;  // and the time they came
        progress = [&](const DownloadProgress& p) {
            meter.take(p);
            readings.emplace_back(meter.reading(), p.elapsed);
            if (p.event == DownloadProgress::Event::IntervalRead) return;
            const MeterReading own = meter.reading(p.stage);
            EXPECT_EQ(std::pair(own.done, own.total),
                      std::pair(store.stored(p.stage), int(store.count(p.stage))));
        };
        ASSERT_EQ(Run(0, stop).text, kDone);
        progress = nullptr;
        const Seconds took = readings.back().second;
        const auto first = std::find_if(readings.begin(), readings.end(),
                                        [](const auto& r) { return r.first.secondsLeft; });
        ASSERT_NE(first, readings.end());
        const Seconds left = took - first->second;
        EXPECT_NEAR(first->first.secondsLeft.value(), left.count(), 0.1 * left.count());
        // The first report comes after the interval read; with nothing kept, nothing is known
        // before the main count.
        const Seconds read = readings.front().second;
        const double start = kept.count() > 0 ? (kept + read) / (kept + took) : 0.0;
        EXPECT_NEAR(readings.front().first.fraction, start, 0.02);
        for (std::size_t i = 1; i < readings.size(); ++i) {
            ASSERT_GE(readings[i].first.fraction, readings[i - 1].first.fraction) << i;
        }
        EXPECT_DOUBLE_EQ(readings.back().first.fraction, 1.0);
    }
}

}  // namespace
}  // namespace yb::test
