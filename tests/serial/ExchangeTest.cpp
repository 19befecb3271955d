// Command exchanges, the connection check and serial events, against the simulated logger.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>

#include "serial/CommEvents.h"
#include "serial/ConnectionCheck.h"
#include "support/SimFixture.h"

using namespace yb;
using namespace yb::test;
using ybsim::Fault;

namespace {

const std::string k17 = "0123456789ABCDEF\r";

class ExchangeTest : public SimLine {};

TEST_F(ExchangeTest, ClosedPortSendsNothingAndLeavesTheAnswer) {
    using Exchange = void (CommandExchange::*)(const std::string&, std::string&);
    for (Exchange record :
         {&CommandExchange::mSendCommandGetAns_D1, &CommandExchange::mSendCommandGetAns_D2,
          &CommandExchange::mSendCommandGetAns_Lap}) {
        std::string ans = "stale";
        view.setText(Field::Status, "");
        (exchange.*record)("D10000", ans);
        EXPECT_EQ(ans, "stale");
        EXPECT_EQ(view.text(Field::Status), "CommPort Not Open...");
    }
    std::string ans = "stale";
    exchange.mSendCommandGetAns("?", ans, 100);
    EXPECT_EQ(ans, "stale");
    EXPECT_EQ(view.text(Field::Status), "CommPort Not Open...");
    EXPECT_EQ(sim.received(), "");
}

TEST_F(ExchangeTest, FixedWaitTakesTheWholeTimeAndTheWholeAnswer) {
    OpenPort();
    std::string ans;
    QElapsedTimer t;
    t.start();
    exchange.mSendCommandGetAns("?", ans, 100);
    EXPECT_GE(t.elapsed(), 100);
    EXPECT_EQ(ans, "OK\r");
    EXPECT_EQ(view.text(Field::Status), "Message Sent");
    EXPECT_EQ(sim.received(), "?\r");
    EXPECT_FALSE(exchange.Timer1.isActive());
    EXPECT_FALSE(exchange.fTimeOut);
    EXPECT_FALSE(exchange.InProgress());
}

TEST_F(ExchangeTest, LateAnswerIsNotTakenNowNorByTheNextExchange) {
    OpenPort();
    sim.addFault(Fault::late("?", 150));
    std::string ans = "x";
    exchange.mSendCommandGetAns("?", ans, 100);
    EXPECT_EQ(ans, "");
    RunEventsFor(100);  // the late OK arrives meanwhile
    sim.addFault(Fault::silence("?"));
    exchange.mSendCommandGetAns("?", ans, 100);
    EXPECT_EQ(ans, "");
}

TEST_F(ExchangeTest, LateAnswerIsDroppedByARecordRequest) {
    OpenPort();
    sim.addFault(Fault::late("T??", 150));
    std::string ans;
    exchange.mSendCommandGetAns("T??", ans, 100);
    EXPECT_EQ(ans, "");
    RunEventsFor(100);
    exchange.mSendCommandGetAns_D1("D10000", ans);
    EXPECT_EQ(ans, sim.mainRecord(0));
}

TEST_F(ExchangeTest, RecordAnswersCompleteAtTheirLength) {
    OpenPort();
    std::string ans;
    exchange.mSendCommandGetAns_D1("D10003", ans);
    EXPECT_EQ(ans, sim.mainRecord(3));
    EXPECT_LT(exchange.PollCount, 100);
    exchange.mSendCommandGetAns_D2("D20002", ans);
    EXPECT_EQ(ans, sim.tempRecord(2));
    exchange.mSendCommandGetAns_Lap("LD01", ans);
    EXPECT_EQ(ans, sim.lapRecord(1));
    EXPECT_EQ(ans.size(), 9u);
}

TEST_F(ExchangeTest, ShortRecordAnswersGiveNothingAfterThePollLimit) {
    OpenPort();
    sim.addFault(Fault::replace("D10000", k17.substr(1)));
    std::string ans = "x";
    exchange.mSendCommandGetAns_D1("D10000", ans);
    EXPECT_EQ(ans, "");
    EXPECT_EQ(exchange.PollCount, 100);

    sim.addFault(Fault::replace("LD01", "12345678"));
    exchange.mSendCommandGetAns_Lap("LD01", ans);
    EXPECT_EQ(ans, "");

    sim.addFault(Fault::silence("D20000"));
    exchange.mSendCommandGetAns_D2("D20000", ans);
    EXPECT_EQ(ans, "");
}

TEST_F(ExchangeTest, LongRecordAnswersArriveWhole) {
    OpenPort();
    sim.addFault(Fault::replace("D10000", k17 + "X"));
    std::string ans;
    exchange.mSendCommandGetAns_D1("D10000", ans);
    EXPECT_EQ(ans, k17 + "X");
}

TEST_F(ExchangeTest, WaitingCharactersAreNoAnswer) {
    OpenPort();
    sim.addFault(Fault::late("T?", 120, "GARBAGE\r"));
    std::string ans;
    exchange.mSendCommandGetAns("T?", ans, 100);
    RunEventsFor(60);
    exchange.mSendCommandGetAns("?", ans, 100);
    EXPECT_EQ(ans, "OK\r");
}

TEST_F(ExchangeTest, NestedExchangeIsRefused) {
    OpenPort();
    std::string inner = "untouched";
    bool refused = false;
    QTimer::singleShot(20, [&] {
        try {
            exchange.mSendCommandGetAns("T?", inner, 100);
        } catch (const ExchangeBusy&) {
            refused = true;
        }
    });
    std::string ans;
    exchange.mSendCommandGetAns("?", ans, 100);
    EXPECT_TRUE(refused);
    EXPECT_EQ(inner, "untouched");
    EXPECT_EQ(ans, "OK\r");
    EXPECT_EQ(sim.commands(), std::vector<std::string>{"?"});
}

class ConnectionCheckTest : public SimLine {};

TEST_F(ConnectionCheckTest, OnlyAnOkAtTheStartConfirms) {
    OpenPort();
    struct Case {
        Fault fault;
        bool confirmed;
        const char* text1;  // a failure shows the raw answer, a success keeps the line
    };
    const Case cases[] = {
        {Fault::replace("?", "OK\r"), true, "before"},
        {Fault::replace("?", "OK, more\r"), true, "before"},
        {Fault::replace("?", "ok\r"), false, "ok\r"},
        {Fault::silence("?"), false, ""},
        {Fault::late("?", 150), false, ""},
        {Fault::silence("?"), false, ""},  // the late OK of the row before is no answer
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault.answer);
        view.setText(Field::Text1, "before");
        sim.addFault(c.fault);
        TBB_Click(exchange, state, view);
        EXPECT_EQ(view.text(Field::Status),
                  c.confirmed ? "YB 接続確認できました" : "YB 接続確認できませんでした");
        EXPECT_EQ(view.text(Field::Text1), c.text1);
        RunEventsFor(60);
    }
    EXPECT_EQ(sim.commands().size(), std::size(cases));
}

TEST_F(ConnectionCheckTest, ClosedPortChangesNothingElse) {
    view.setText(Field::Text1, "keep");
    state.AnsStr = "keep";
    TBB_Click(exchange, state, view);
    EXPECT_EQ(view.text(Field::Status), "CommPort Not Open...");
    EXPECT_EQ(view.text(Field::Text1), "keep");
    EXPECT_EQ(state.AnsStr, "keep");
}

class LostPortTest : public SimLine {
protected:
    void SetUp() override {
        SimLine::SetUp();
        QObject::connect(&port, &CommPort::portLost,
                         [this](const QString& reason) { control.PortLost(reason); });
    }
};

TEST_F(LostPortTest, HangUpIsReportedAndTheDeviceCanBeOpenedAgain) {
    OpenPort();
    sim.hangUp();
    RunEventsFor(200);
    EXPECT_FALSE(state.fCommOpen);
    EXPECT_FALSE(port.portOpen());
    EXPECT_EQ(view.text(Field::ComStatus), "closed...");
    EXPECT_EQ(view.text(Field::OpenCommBtn), "Open COM");
    EXPECT_TRUE(view.text(Field::Status).startsWith("シリアルポートが使用できなくなりました"));

    sim.restart();
    PointComAt(1, sim.slavePath());
    control.OpenCommBtn_Click();
    EXPECT_TRUE(state.fCommOpen);
    std::string ans;
    exchange.mSendCommandGetAns("?", ans, 100);
    EXPECT_EQ(ans, "OK\r");
}

TEST_F(LostPortTest, HangUpDuringARecordRequestRaisesAPortError) {
    OpenPort();
    sim.addFault(Fault::hangUp("D1").onRecord(2));
    std::string ans;
    exchange.mSendCommandGetAns_D1("D10001", ans);
    EXPECT_EQ(ans, sim.mainRecord(1));
    EXPECT_THROW(
        {
            exchange.mSendCommandGetAns_D1("D10002", ans);
            exchange.mSendCommandGetAns_D1("D10003", ans);
        },
        PortError);
    EXPECT_FALSE(exchange.InProgress());
    RunEventsFor(50);
    EXPECT_FALSE(state.fCommOpen);
    EXPECT_EQ(view.text(Field::OpenCommBtn), "Open COM");
}

TEST(CommEvents, ListedCodesShowTheirTextWhereTheyBelong) {
    FakeView view;
    const int codes[] = {1004, 1006, 1008, 1001, 1009, 1010, 1011, 1, 3, 4, 5, 6, 7};
    const char* texts[] = {"comEventFrameError",
                           "comEventOverrunError",
                           "comEventRxOverError",
                           "comEventBreak",
                           "comEventRxParityError",
                           "comEventTxFull",
                           "comEventDCB",
                           "comEvSend",
                           "comEvCTS",
                           "comEvDSR",
                           "comEvCD",
                           "comEvRing",
                           "comEvEOF"};
    for (std::size_t i = 0; i < std::size(codes); ++i) {
        MSComm1_OnComm(codes[i], view);
        EXPECT_EQ(view.text(Field::ComStatus), texts[i]);
    }
    EXPECT_EQ(view.text(Field::Status), "");
    MSComm1_OnComm(2, view);
    EXPECT_EQ(view.text(Field::Status), "Message Received");
}

TEST(CommEvents, UnlistedCodesChangeNothing) {
    FakeView view;
    view.setText(Field::ComStatus, "38400,N,8,1");
    for (int code : {0, 8, 1002, 1003, 1005, 1007, 9999}) MSComm1_OnComm(code, view);
    EXPECT_EQ(view.text(Field::ComStatus), "38400,N,8,1");
    EXPECT_EQ(view.text(Field::Status), "");
}

TEST(CommEvents, CounterChangesBecomeEvents) {
    LineCounters before;
    LineCounters after = before;
    EXPECT_TRUE(CommEventsBetween(before, after).empty());
    after.frame = 2;
    after.cts = 1;
    after.bufOverrun = 1;
    EXPECT_EQ(CommEventsBetween(before, after),
              (std::vector<int>{CommEvent::Frame, CommEvent::RxOver, CommEvent::CTS}));
    after = before;
    after.parity = 1;
    after.brk = 1;
    after.overrun = 3;
    after.dsr = 1;
    after.cd = 1;
    after.ring = 1;
    EXPECT_EQ(CommEventsBetween(before, after),
              (std::vector<int>{CommEvent::Break, CommEvent::Overrun, CommEvent::RxParity,
                                CommEvent::DSR, CommEvent::CD, CommEvent::Ring}));
}

}  // namespace
