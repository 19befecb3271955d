// Command and record exchanges against the simulated logger, at the line's pace where the pace
// matters.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <unistd.h>

#include "serial/LineExchange.h"
#include "support/SimSession.h"

namespace yb::test {
namespace {

using ybsim::Fault;
using namespace std::chrono_literals;

class Exchange : public ::testing::Test {
protected:
    void Start(bool instant, const std::vector<Fault>& faults = {}) {
        auto options = Holding(20, 5, 5, instant);
        sim = std::make_unique<ybsim::LoggerSim>(options);
        sim->start();
        for (const auto& f : faults) sim->addFault(f);
        port.setDevice(QString::fromStdString(sim->slavePath()));
        port.setSettings(kLineSettings);
        port.setPortOpen(true);
    }
    std::string Ask(const std::string& command) { return Await(line.ask(command)); }
    std::string Record(const std::string& command, RecordAnswer shape = kMainRecordAnswer) {
        return Await(line.askRecord(command, shape));
    }

    std::unique_ptr<ybsim::LoggerSim> sim;
    CommPort port;
    LineExchange line{port};
};

TEST_F(Exchange, CommandWaitsItsWholeTimeAndTakesWhatArrived) {
    Start(true, {Fault::late("T?", 150)});
    QElapsedTimer t;
    t.start();
    int sent = 0;
    QObject::connect(&line, &LineExchange::commandSent, [&] { ++sent; });
    EXPECT_EQ(Ask("?"), "OK\r");
    EXPECT_GE(t.elapsed(), 100);  // never less than the wait, however early the answer came
    EXPECT_EQ(sent, 1);
    // An answer after the wait is no answer, and the next exchange does not take it either.
    EXPECT_EQ(Ask("T?"), "");
    Idle(100);
    EXPECT_EQ(Ask("T??"), "01\r");
    EXPECT_EQ(sim->received(), "?\rT?\rT??\r");
}

// At the line's pace, the answer arrives character by character: the exchange returns a complete
// record, and refuses one that is too long even when the first 17 characters look complete.
TEST_F(Exchange, RecordIsCompleteWithItsLengthAndItsLineEnd) {
    const ybsim::Logger logger(Holding(20, 5, 5));
    const std::string record = logger.mainRecord(3);
    Start(false, {Fault::replace("D1", "7" + record).onRecord(4),
                  Fault::replace("D1", record.substr(0, 16)).onRecord(5),
                  Fault::replace("D1", record.substr(0, 16) + "AB").onRecord(6),
                  Fault::replace("D1", record.substr(0, 16) + "A").onRecord(7),
                  Fault::replace("D2", "1F\r").onRecord(1), Fault::late("D10008", 350),
                  Fault::late("LD01", 520)});
    EXPECT_EQ(Record("D10003"), record);
    EXPECT_EQ(Record("D10004"), "7" + record);   // one character too many: the caller refuses it
    EXPECT_EQ(Record("D10005"), "");             // short at the deadline
    EXPECT_EQ(Record("D10006"), record.substr(0, 16) + "AB");
    EXPECT_EQ(Record("D10007"), record.substr(0, 16) + "A");  // length reached, line quiet
    // Late, yet within its 500 ms.
    EXPECT_EQ(Record("D10008"), logger.mainRecord(8));
    EXPECT_EQ(Record("D20001", kTempRecordAnswer), "1F\r");
    EXPECT_EQ(Record("LD01", kLapRecordAnswer), "");  // after its deadline
    Idle(100);
    EXPECT_EQ(Record("D10003"), record);  // the late lap answer was thrown away
}

TEST_F(Exchange, CancelEndsTheWaitAndStopsLaterWritesBusyRefusesASecond) {
    Start(true, {Fault::silence("D10001")});
    auto waiting = line.askRecord("D10001", kMainRecordAnswer);
    EXPECT_THROW(Await(line.ask("?")), ExchangeBusy);
    line.cancel();
    EXPECT_THROW(Await(std::move(waiting)), ExchangeCancelled);
    EXPECT_THROW(Await(line.ask("?")), ExchangeCancelled);
    line.allowAgain();
    EXPECT_EQ(Ask("?"), "OK\r");
    EXPECT_EQ(sim->received(), "D10001\r?\r");
}

// Every open asks the driver of the port just opened for low latency. The pseudo-terminal refuses
// (it has no serial settings), and the port works as before.
TEST_F(Exchange, OpenAsksForLowLatencyARefusalLeavesThePortWorking) {
    std::vector<std::string> asked;  // the device each request went to
    port.setLowLatencyRequest([&](PortHandle handle) {
        asked.emplace_back(::ttyname(handle));
        return RequestLowLatency(handle);
    });
    Start(true);
    EXPECT_EQ(asked, std::vector<std::string>{sim->slavePath()});
    EXPECT_FALSE(port.lowLatency());
    EXPECT_EQ(Ask("?"), "OK\r");
}

TEST_F(Exchange, LostLineFailsTheExchangeAndTheNext) {
    Start(true, {Fault::hangUp("D10002")});
    EXPECT_THROW(Record("D10002"), PortError);
    EXPECT_FALSE(port.portOpen());
    EXPECT_THROW(Ask("?"), PortError);
}

}  // namespace
}  // namespace yb::test
