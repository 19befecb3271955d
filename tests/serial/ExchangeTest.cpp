// The exchanges' rules about time, on a line and a clock the test moves: what completes an answer,
// when an exchange gives up, what a quiet line is. No test here waits on the wall clock.
#include <gtest/gtest.h>

#include "serial/LineExchange.h"
#include "support/FakeLine.h"

namespace yb::test {
namespace {

const std::string kRecord = "00C8FF9C03E87D3C\r";  // a main record as the logger sends it

class Exchange : public ::testing::Test {
protected:
    Exchange() {
        auto clock = std::make_unique<FakeTime>();
        time = clock.get();
        line = std::make_unique<FakeLine>(*time, [this](const std::string& command) {
            const auto reply = replies.find(command);
            return reply == replies.end() ? Reply{} : reply->second;
        });
        exchange = std::make_unique<LineExchange>(*line, std::move(clock));
    }
    Answer Ask(const std::string& command) { return RunFake(*time, exchange->ask(command)); }
    Answer Record(const std::string& command) {
        return RunFake(*time, exchange->askRecord(command, kMainRecordDeadline));
    }
    // Time since `from`, in microseconds.
    long Since(LineClock::TimePoint from) const {
        return std::chrono::duration_cast<std::chrono::microseconds>(time->now() - from).count();
    }

    FakeTime* time = nullptr;
    std::map<std::string, Reply> replies;
    std::unique_ptr<FakeLine> line;
    std::unique_ptr<LineExchange> exchange;
};

TEST_F(Exchange, CommandWaitsItsWholeTimeAndTakesOnlyWhatArrivedWithin) {
    replies["?"] = {{0ns, "OK\r"}};
    replies["T?"] = {{150ms, "0708\r"}};
    replies["T??"] = {{0ns, "01\r"}};
    int sent = 0;
    QObject::connect(exchange.get(), &LineExchange::commandSent, [&] { ++sent; });
    auto start = time->now();
    const Answer ok = Ask("?");
    EXPECT_EQ(std::tuple(ok.state, ok.text, Since(start)),
              std::tuple(Answer::State::Answered, "OK\r", 100'000L));
    EXPECT_EQ(sent, 1);
    // An answer after the wait is no answer, and the next exchange does not take it either.
    const Answer late = Ask("T?");
    EXPECT_EQ(std::tuple(late.state, late.text), std::tuple(Answer::State::TimedOut, ""));
    time->runTo(time->now() + 100ms);
    line->unread = "0708\r";  // in the system still, when the next request goes out
    EXPECT_EQ(Ask("T??").text, "01\r");
    EXPECT_EQ(line->written, "?\rT?\rT??\r");
}

// A record answer is complete at its first line end, the instant it arrives, however long the
// line end was held back (a USB adapter's frames, its latency timer) and whatever came before it.
// Whatever follows the line end belongs to no answer.
TEST_F(Exchange, RecordIsCompleteAtItsLineEndNeverEarlier) {
    const std::string digits = kRecord.substr(0, 16);
    const std::tuple<Reply, std::string, std::chrono::nanoseconds> cases[] = {
        {{{0ns, kRecord}}, kRecord, 24 * kCharTime},
        {{{0ns, digits}, {1ms, "\r"}}, kRecord, 24 * kCharTime + 1ms},
        {{{0ns, digits}, {16ms, "\r"}}, kRecord, 24 * kCharTime + 16ms},
        {{{0ns, "7" + digits}, {4ms, "\r"}}, "7" + kRecord, 25 * kCharTime + 4ms},
        {{{0ns, kRecord + "7"}}, kRecord, 24 * kCharTime},
        {{{0ns, kRecord + "7", true}}, kRecord, 25 * kCharTime},  // in one burst with the next
        {{{0ns, digits + "\n"}}, digits + "\n", 24 * kCharTime},
        {{{350ms, kRecord}}, kRecord, 24 * kCharTime + 350ms},  // late, within its 500 ms
    };
    for (const auto& [reply, text, completeAfter] : cases) {
        SCOPED_TRACE(text);
        replies["D10001"] = reply;
        const auto start = time->now();
        const Answer answer = Record("D10001");
        EXPECT_EQ(std::tuple(answer.state, answer.text), std::tuple(Answer::State::Answered, text));
        EXPECT_EQ(time->now() - start, completeAfter);
        time->runTo(time->now() + 1s);
    }
}

// Without a line end an answer is never complete, however many characters came or however quiet
// the line fell: it times out at its deadline with what came. What arrives after the deadline is
// thrown away by the next exchange.
TEST_F(Exchange, RecordWithoutItsLineEndTimesOutAtItsDeadline) {
    const std::string digits = kRecord.substr(0, 16);
    replies["D10001"] = {{0ns, digits}};
    replies["D10002"] = {{0ns, digits + "7777"}};
    replies["D10003"] = {{520ms, kRecord}};
    replies["D10004"] = {{0ns, kRecord}};
    for (const auto& [command, text] : {std::pair("D10001", digits),
                                        std::pair("D10002", digits + "7777"),
                                        std::pair("D10003", std::string())}) {
        const auto start = time->now();
        const Answer answer = Record(command);
        EXPECT_EQ(std::tuple(answer.state, answer.text, Since(start)),
                  std::tuple(Answer::State::TimedOut, text, 500'000L));
    }
    EXPECT_EQ(Record("D10004").text, kRecord);  // not the late answer to D10003
}

// settle() lets the line fall quiet for two character times and throws away what came; a line
// that never falls quiet is given up on after 20 ms.
TEST_F(Exchange, SettleWaitsForAQuietLineAndThrowsAwayWhatCame) {
    replies["D10001"] = {{0ns, kRecord + "7"}};
    replies["D10002"] = {{0ns, kRecord + std::string(200, '7')}};
    auto start = time->now();
    RunFake(*time, exchange->settle());
    EXPECT_EQ(Since(start), 0);  // a line that has been quiet all along
    EXPECT_EQ(Record("D10001").text, kRecord);
    start = time->now();
    Answer settled = RunFake(*time, exchange->settle());
    EXPECT_EQ(std::tuple(settled.state, settled.text), std::tuple(Answer::State::Answered, "7"));
    EXPECT_GE(Since(start), 521 + 260);  // two character times after the stray character
    EXPECT_EQ(line->input(), "");

    EXPECT_EQ(Record("D10002").text, kRecord);
    start = time->now();
    settled = RunFake(*time, exchange->settle());
    EXPECT_EQ(Since(start), 20'000);
}

TEST_F(Exchange, CancelAndLostPortEndTheWaitBusyIsAProgrammingError) {
    replies["?"] = {{0ns, "OK\r"}};
    auto waiting = exchange->askRecord("D10001", kMainRecordDeadline);
    EXPECT_THROW(RunFake(*time, exchange->ask("?")), ExchangeBusy);
    time->runTo(time->now() + 10ms);
    exchange->cancel();
    EXPECT_EQ(RunFake(*time, std::move(waiting)).state, Answer::State::Cancelled);
    EXPECT_EQ(Ask("?").state, Answer::State::Cancelled);  // nothing more is sent
    exchange->allowAgain();
    EXPECT_EQ(Ask("?").text, "OK\r");
    EXPECT_EQ(line->written, "D10001\r?\r");

    waiting = exchange->askRecord("D10002", kMainRecordDeadline);
    time->runTo(time->now() + 10ms);
    line->drop();
    EXPECT_EQ(RunFake(*time, std::move(waiting)).state, Answer::State::PortLost);
    EXPECT_EQ(Ask("?").state, Answer::State::PortLost);
    EXPECT_EQ(line->written, "D10001\r?\rD10002\r");
}

}  // namespace
}  // namespace yb::test
