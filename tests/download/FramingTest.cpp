// What a download stores when the line misbehaves, on a fake line at the line's pace: noise before,
// inside and after a record, line ends held back, garbled counts, stray characters between the
// stages. Whatever happens, the download either succeeds with exactly what the logger holds or
// fails with every stored record the logger's own, and nothing of an earlier run beside them.
#include <gtest/gtest.h>

#include <array>

#include "download/Download.h"
#include "download/DownloadMeter.h"
#include "support/FakeLine.h"
#include "support/SimSession.h"
#include "support/Stores.h"

namespace yb::test {
namespace {

const QString kDone = QStringLiteral("データ読出し完了...");
const std::map<Stage, QString> kRecordFailure{
    {Stage::Main, QStringLiteral("'D1+nnnn' コマンドエラー")},
    {Stage::Temperature, QStringLiteral("'D2+nnnn' コマンドエラー")},
    {Stage::Laps, QStringLiteral("'LD+nn' コマンドエラー")}};

// The request of record `index` of a stage ("D10002", "LD03").
std::string RecordCommand(Stage stage, long index) {
    switch (stage) {
        case Stage::Main:
            return "D1" + ybsim::hexField(index, 4);
        case Stage::Temperature:
            return "D2" + ybsim::hexField(index, 4);
        case Stage::Laps:
            break;
    }
    return "LD" + ybsim::hexField(index + 1, 2);
}

class Framing : public ::testing::Test {
protected:
    void Logger(const ybsim::Options& options) { peer = std::make_unique<LoggerPeer>(options); }
    void Once(const std::string& command, Reply reply) {
        peer->once(command, [reply](const std::string&) { return reply; });
    }
    // A download with `retries`; `inTurn`: the logger answers one request at a time.
    DownloadOutcome Run(int retries = 0, bool inTurn = false) {
        auto clock = std::make_unique<FakeTime>();
        FakeTime& time = *clock;
        FakeLine line(time, [this](const std::string& command) { return (*peer)(command); });
        line.inTurn = inTurn;
        LineExchange exchange(line, std::move(clock));
        commandsAtCount.clear();
        const DownloadOutcome outcome =
            RunFake(time, Download(
                              exchange, data,
                              [this](const DownloadProgress& p) {
                                  if (p.event == DownloadProgress::Event::CountKnown) {
                                      commandsAtCount.push_back(p.commandsDone);
                                  }
                              },
                              DownloadOptions{retries}));
        commands = line.commands;
        return outcome;
    }
    const ybsim::Logger& logger() const { return peer->logger; }

    std::array<long, 3> OwnRecords() const { return test::OwnRecords(data, logger()); }
    void ExpectComplete(const DownloadOutcome& outcome) const {
        EXPECT_EQ(outcome.text, kDone);
        EXPECT_EQ(OwnRecords(),
                  (std::array{logger().mainCount(), logger().tempCount(), logger().lapCount()}));
        EXPECT_EQ(data.interval(), logger().interval());
    }

    std::unique_ptr<LoggerPeer> peer;
    RecordStore data;
    std::vector<std::string> commands;
    std::vector<int> commandsAtCount;  // command exchanges done when each stage's count came
};

// One character of noise before a record, inside it, a letter in place of a digit, or noise
// after its line end; the line end itself late by 0, 1, 4 or 16 ms (USB adapters deliver in 1 ms
// frames, a 16 ms latency timer is common). At the last record of each stage, where a late line
// end used to open the next stage's answer, and at the first main record.
TEST_F(Framing, NoiseAroundARecordNeverShiftsItNorInventsAValue) {
    using Shape = std::function<Reply(const std::string& body, std::chrono::milliseconds late)>;
    const std::map<std::string, Shape> shapes{
        {"before",
         [](auto& body, auto late) {
             return Reply{{0ns, "7" + body}, {late, "\r"}};
         }},
        {"inside",
         [](auto& body, auto late) {
             return Reply{{0ns, body.substr(0, 1) + "7" + body.substr(1)}, {late, "\r"}};
         }},
        {"letter",
         [](auto& body, auto late) {
             return Reply{{0ns, "G" + body.substr(1)}, {late, "\r"}};
         }},
        {"after", [](auto& body, auto late) {
             return Reply{{0ns, body}, {late, "\r"}, {0ns, "7"}};
         }}};
    const std::pair<Stage, long> places[] = {
        {Stage::Main, 0}, {Stage::Main, 3}, {Stage::Temperature, 2}, {Stage::Laps, 2}};
    for (const auto& [where, shape] : shapes) {
        for (const auto& [stage, index] : places) {
            for (const auto late : {0ms, 1ms, 4ms, 16ms}) {
                SCOPED_TRACE(where + " " + RecordCommand(stage, index) + " " +
                             std::to_string(late.count()) + " ms");
                Logger(Holding(4, 3, 3));
                const std::string command = RecordCommand(stage, index);
                peer->faults[command] = [&, late = late](const std::string& answer) {
                    return shape(answer.substr(0, answer.size() - 1), late);
                };
                const DownloadOutcome outcome = Run();
                const auto kept = OwnRecords();
                if (where != "after") {
                    // Refused where it came: the records before it stay, nothing after it.
                    EXPECT_EQ(outcome.text, kRecordFailure.at(stage));
                    EXPECT_EQ(commands.back(), command);
                    EXPECT_EQ(kept[static_cast<int>(stage)], index);
                } else if (index == 0) {
                    // The noise falls into the next record's answer, which is refused in turn.
                    EXPECT_EQ(outcome.text, kRecordFailure.at(stage));
                    EXPECT_EQ(kept[0], 1);
                } else {
                    ExpectComplete(outcome);  // the stage boundary lets the line settle first
                }
            }
        }
    }
}

// A stray character right after each stage's last record, or the line end of every answer held
// back by one USB frame: the download completes with exactly what the logger holds.
TEST_F(Framing, StrayCharactersBetweenStagesAndLateLineEndsStillGiveTheExactRun) {
    for (const Stage stage : {Stage::Main, Stage::Temperature, Stage::Laps}) {
        SCOPED_TRACE(static_cast<int>(stage));
        Logger(Holding(4, 3, 3));
        peer->faults[RecordCommand(stage, 2 + (stage == Stage::Main))] = [](const std::string& a) {
            return Reply{{0ns, a}, {0ns, "\n"}};
        };
        ExpectComplete(Run());
    }
    Logger(Holding(30, 10, 5));
    const LoggerPeer::Fault heldBack = [](const std::string& a) {
        return Reply{{0ns, a.substr(0, a.size() - 1)}, {1ms, "\r"}};
    };
    for (const auto& command : {"T??", "D1?", "TMP?", "D2?", "L?"})
        peer->faults[command] = heldBack;
    for (const Stage stage : {Stage::Main, Stage::Temperature, Stage::Laps}) {
        for (long i = 0; i < 30; ++i) peer->faults[RecordCommand(stage, i)] = heldBack;
    }
    ExpectComplete(Run());
}

// A count answer with anything but its hexadecimal digits and the line end fails its stage: no
// section is ever silently empty.
TEST_F(Framing, GarbledCountsFailTheirStage) {
    const std::tuple<std::string, std::string, QString, std::array<long, 3>> cases[] = {
        {"D1?", "0X28\r", "'D1?' コマンドエラー", {0, 0, 0}},
        {"D1?", " 028\r", "'D1?' コマンドエラー", {0, 0, 0}},
        {"D1?", "0004\r\n", "'D1?' コマンドエラー", {0, 0, 0}},
        {"D2?", "0X0A\r", "'D2?' コマンドエラー", {4, 0, 0}},
        {"L?", "X5\r", "'L2?' コマンドエラー", {4, 3, 0}},
        {"L?", "1Z\r", "'L2?' コマンドエラー", {4, 3, 0}},
        {"D1?", "3EE5\r", "'D1?' コマンドエラー", {0, 0, 0}},
        {"L?", "C9\r", "'L?' コマンドエラー", {4, 3, 0}}};
    for (const auto& [command, answer, text, kept] : cases) {
        SCOPED_TRACE(command + " " + answer);
        Logger(Holding(4, 3, 3));
        peer->faults[command] = [answer = answer](const std::string&) {
            return Reply{{0ns, answer}};
        };
        EXPECT_EQ(Run().text, text);
        EXPECT_EQ(commands.back(), command);
        EXPECT_EQ(OwnRecords(), kept);
        EXPECT_EQ(data.mainCount(), kept[0]);  // a refused count is never stored
    }
}

// The store keeps the interval only from an answer of two hexadecimal digits and the line end;
// the download goes on either way and the file then says the interval is unknown.
TEST_F(Framing, IntervalOnlyFromAWellFormedAnswer) {
    for (const auto& [answer, kept] :
         {std::pair("0A\r", 10), std::pair("057\r", 0), std::pair("5\r", 0), std::pair("", 0)}) {
        SCOPED_TRACE(answer);
        Logger(Holding(2, 2, 2));
        peer->faults["T??"] = [a = std::string(answer)](const std::string&) {
            return Reply{{0ns, a}};
        };
        EXPECT_EQ(Run().text, kDone);
        EXPECT_EQ(data.interval(), kept);
    }
}

// The probe's verdict comes only from a clean answer: "OK" says there is a temperature option;
// silence, "NG" or "ok" that there is none, and the status line says so. Anything the line may
// have spoiled (noise in front of "OK", a partial one, an answer after the wait) is no verdict:
// without retries the download fails, with them it asks again and gets the whole run. A stray
// character after the last main record, held back by an adapter, never opens the answer.
TEST_F(Framing, TemperatureProbe) {
    const std::tuple<const char*, Reply, std::optional<bool>> cases[] = {
        {"OK", {{0ns, "OK\r"}}, true},
        {"NG", {{0ns, "NG\r"}}, false},
        {"ok", {{0ns, "ok\r"}}, false},
        {"silence", {}, false},
        {"late", {{110ms, "OK\r"}}, std::nullopt},
        {"XOK", {{0ns, "XOK\r"}}, std::nullopt},
        {" OK", {{0ns, " OK\r"}}, std::nullopt},
        {"O K", {{0ns, "O K\r"}}, std::nullopt},
        {"OKAY", {{0ns, "OKAY"}}, std::nullopt},
        {"O", {{0ns, "O"}}, std::nullopt},
        {"framing error", {{0ns, "O\xFFK\r"}}, std::nullopt},
        {"spoiled NG", {{0ns, "N\xFFG\r"}}, std::nullopt},
    };
    for (const auto& [name, reply, fitted] : cases) {
        for (const int retries : {0, 3}) {
            SCOPED_TRACE(std::string(name) + " retries " + std::to_string(retries));
            Logger(Holding(2, 2, 2));
            Once("TMP?", reply);
            const DownloadOutcome outcome = Run(retries);
            if (!fitted && !retries) {
                EXPECT_EQ(outcome.text, QStringLiteral("'TMP?' コマンドエラー"));
                EXPECT_EQ(OwnRecords(), (std::array{2L, 0L, 0L}));
                continue;
            }
            EXPECT_EQ(outcome.text, kDone);
            const bool has = fitted.value_or(true);
            EXPECT_EQ(OwnRecords(), (std::array{2L, has ? 2L : 0L, 2L}));
            EXPECT_EQ(OutcomeNotes(outcome).contains(QStringLiteral("温度オプションなし")), !has);
        }
    }
    // A stray character after the last main record, held back for an adapter's latency timer.
    for (const auto held : {3ms, 16ms}) {
        Logger(Holding(2, 2, 2));
        const std::string last = RecordCommand(Stage::Main, 1);
        Once(last, Reply{{0ns, peer->logger.answer(last)}, {held, "X", true}});
        ExpectComplete(Run());
    }
}

// A download that fails after a complete one: the store holds this run's records and empty rows,
// never an earlier run's (the logger has been cleared and holds fewer records now).
TEST_F(Framing, AFailedDownloadKeepsNothingOfTheRunBefore) {
    Logger(Holding(12, 6, 4));
    ExpectComplete(Run());
    ybsim::Options next = Holding(8, 5, 3);
    next.seed = 99;
    next.interval = 2;
    Logger(next);
    peer->faults["D10005"] = [](const std::string&) { return Reply{}; };
    EXPECT_EQ(Run().text, kRecordFailure.at(Stage::Main));
    EXPECT_EQ(OwnRecords(), (std::array{5L, 0L, 0L}));
    EXPECT_EQ(std::tuple(data.mainCount(), data.tempCount(), data.lapCount()), std::tuple(8, 0, 0));
    EXPECT_EQ(data.interval(), 2);
}

// An answer that comes after its request was given up on, to every kind of request, by just over
// one wait, one and a half and three; from a logger that answers each request in its own time
// and from one that answers in turn (a late answer holds back every answer after it). With
// retries the download is the logger's exact run; without, it fails where it always did, every
// stored row the logger's own.
TEST_F(Framing, LateAnswersNeverShiftARow) {
    const std::tuple<std::string, std::chrono::milliseconds, QString> requests[] = {
        {"T??", LineExchange::kCommandWait, {}},
        {"D1?", LineExchange::kCommandWait, QStringLiteral("'D1?' コマンドエラー")},
        {"D2?", LineExchange::kCommandWait, QStringLiteral("'D2?' コマンドエラー")},
        {"L?", LineExchange::kCommandWait, QStringLiteral("'L2?' コマンドエラー")},
        {RecordCommand(Stage::Main, 2), kMainRecordDeadline, kRecordFailure.at(Stage::Main)},
        {RecordCommand(Stage::Temperature, 1), kTempRecordDeadline,
         kRecordFailure.at(Stage::Temperature)},
        {RecordCommand(Stage::Laps, 3), kLapRecordDeadline, kRecordFailure.at(Stage::Laps)}};
    for (const auto& [command, wait, failure] : requests) {
        for (const double late : {1.01, 1.5, 3.0}) {
            for (const bool inTurn : {false, true}) {
                for (const int retries : {3, 0}) {
                    SCOPED_TRACE(command + " late " + std::to_string(late) +
                                 (inTurn ? " in turn" : "") + " retries " +
                                 std::to_string(retries));
                    Logger(Holding(6, 4, 4));
                    const auto delay =
                        std::chrono::duration_cast<std::chrono::nanoseconds>(wait * late);
                    const std::string answer = peer->logger.answer(command);
                    Once(command, Reply{{delay, answer}});
                    const DownloadOutcome outcome = Run(retries, inTurn);
                    if (retries) {
                        ExpectComplete(outcome);
                        continue;
                    }
                    OwnRecords();  // whatever is stored is the logger's own
                    // the interval read goes on without one, as it always did
                    EXPECT_TRUE(command == "T??" ? data.interval() == 0 : outcome.text == failure);
                }
            }
        }
    }
}

// Several late answers in one stage, to records equal to their neighbours (where a row taken from
// the wrong answer would hold a right-looking value and shift the rows after it), and an answer
// later than the line waits for any: the logger's exact run, or a failure that keeps only rows
// proven the logger's own.
TEST_F(Framing, LateAnswersAmongIdenticalRecordsAndBeyondTheLimit) {
    const auto main = [](long i) { return RecordCommand(Stage::Main, i); };
    for (const bool inTurn : {false, true}) {
        SCOPED_TRACE(inTurn);
        Logger(Holding(12, 4, 4));
        const std::string same = peer->logger.answer(main(3));
        for (long i = 4; i <= 6; ++i)
            peer->faults[main(i)] = [same](auto&) { return Reply{{0ns, same}}; };
        Once(main(4), Reply{{600ms, same}});
        Once(main(6), Reply{{1500ms, same}});
        Once(main(9), Reply{{550ms, peer->logger.answer(main(9))}});
        const DownloadOutcome outcome = Run(3, inTurn);
        EXPECT_EQ(outcome.text, kDone);
        RecordStore own = data;  // rows 4 to 6 checked against what the logger answered
        for (long i = 4; i <= 6; ++i) {
            EXPECT_EQ(data.main(int(i)), *DecodeMainRecord(same));
            own.storeMain(int(i), *DecodeMainRecord(peer->logger.answer(main(i))));
        }
        EXPECT_EQ(test::OwnRecords(own, logger()), (std::array{12L, 4L, 4L}));
    }
    // Later than the line waits for any answer: one that comes in one piece (as an adapter hands
    // it on) at every moment of a record's time, and one that shifts the laps in turn, where no
    // request follows the last one.
    const auto lap = [](long i) { return RecordCommand(Stage::Laps, i); };
    std::vector<std::tuple<ybsim::Options, std::string, std::chrono::nanoseconds, bool>> beyond;
    for (int k = 0; k < 14; ++k) {  // 2500 to 2506 ms, in each logger's timing
        beyond.emplace_back(Holding(400, 4, 4), main(2), 2500ms + k / 2 * 1ms, k % 2 == 1);
    }
    beyond.emplace_back(Holding(4, 4, 200), lap(1), 2500ms, true);
    beyond.emplace_back(Holding(400, 4, 4), main(2), 4000ms, false);
    for (const auto& [holding, command, late, inTurn] : beyond) {
        SCOPED_TRACE(command + " " + std::to_string(late.count()) + (inTurn ? " in turn" : ""));
        Logger(holding);
        Once(command, Reply{{late, peer->logger.answer(command), true}});
        const DownloadOutcome outcome = Run(3, inTurn);
        const auto kept = OwnRecords();
        if (outcome.text != kDone) {
            EXPECT_EQ(
                outcome.text,
                QStringLiteral("応答が遅れて届きました。ずれたおそれのあるデータは破棄しました"));
            const Stage stage = command == lap(1) ? Stage::Laps : Stage::Main;
            EXPECT_EQ(data.stored(stage), kept[static_cast<int>(stage)]);
            EXPECT_EQ(outcome.stop.stage, stage);
        } else {
            EXPECT_EQ(kept, (std::array{logger().mainCount(), 4L, logger().lapCount()}));
        }
    }
}

}  // namespace
}  // namespace yb::test
