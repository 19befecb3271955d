// The session's port handling and connection check against the simulated logger.
#include "serial/PortNames.h"
#include "support/SimSession.h"

namespace yb::test {
namespace {

using ybsim::Fault;

class SessionTest : public SessionOnSim {
protected:
    void SetUp() override { Connect(Holding(1, 1, 1)); }
};

// Typed names are read as the number after "COM": blanks ignored, reading stops at the first
// other character, halves go to even. Other names are refused or fail, and the port ends closed.
TEST_F(SessionTest, PortNamesOpenTheirNumberOrFail) {
    const std::tuple<const char*, int, QString> names[] = {
        {"COM12", 12, ""},
        {"COM 4", 4, ""},
        {"COM2x", 2, ""},
        {"COM3.5", 4, ""},
        {"com3", 0, "COM 設定エラー"},
        {" COM3", 0, "COM 設定エラー"},
        {"COM", 0, "Setting Error"},
        {"COM40000", 0, "Setting Error"},
        {"COM9", 0, "Setting Error"}};  // no such device
    PointComAt(9, "/nonexistent/tty-yb");
    for (const auto& [name, number, text] : names) {
        SCOPED_TRACE(name);
        if (number) PointComAt(number, sim->slavePath());
        sim->clearReceived();
        const PortOutcome outcome = session.openNamed(QString::fromLatin1(name));
        EXPECT_EQ(outcome.text, text);
        EXPECT_EQ(session.portOpen(), number != 0);
        EXPECT_EQ(outcome.reason.isEmpty(), text != "Setting Error");  // the reason, for the curious
        if (number) {
            EXPECT_EQ(session.chosenPort().number, number);
            EXPECT_EQ(session.lineSettings(), "38400,N,8,1");
            EXPECT_TRUE(RunUntil([&] { return sim->received() == "\r"; }));
        }
        session.closePort();
    }
}

// The line drops right after the port opened: the open ends closed with one report, the real
// reason, and no lost-port signal besides.
TEST_F(SessionTest, LineDroppingDuringTheOpenEndsClosedWithOneReport) {
    session.closePort();
    int lostReports = 0;
    QObject::connect(&session, &Session::portLost, [&] { ++lostReports; });
    QString lostReason;  // what the port itself found
    QObject::connect(&session.port(), &CommPort::portLost,
                     [&](const QString& r) { lostReason = r; });
    const auto hook = QObject::connect(&session.port(), &CommPort::opened, [&] { sim->hangUp(); });
    const PortOutcome outcome = session.openNamed(QStringLiteral("COM1"));
    QObject::disconnect(hook);
    EXPECT_FALSE(session.portOpen());
    EXPECT_EQ(outcome.ending, Ending::Failed);
    EXPECT_FALSE(lostReason.isEmpty());
    EXPECT_EQ(outcome.reason, lostReason);  // not the failed write that followed
    EXPECT_EQ(outcome.text,
              QStringLiteral("シリアルポートが使用できなくなりました: ") + lostReason);
    Idle(100);
    EXPECT_EQ(lostReports, 0);
    EXPECT_EQ(Await(session.checkConnection()).text, QStringLiteral("CommPort Not Open..."));
    // Once the device is back, the port opens again.
    sim->restart();
    PointComAt(1, sim->slavePath());
    EXPECT_TRUE(session.openNamed(QStringLiteral("COM1")).done());
}

// A list choice while open moves the port to the new number without the line reset; a lost line
// is reported once, and the port opens again once the device is back.
TEST_F(SessionTest, ChoosingAnotherPortAndLosingTheLine) {
    ybsim::LoggerSim other(Holding(1, 1, 1));
    other.start();
    PointComAt(2, other.slavePath());
    EXPECT_TRUE(session.choosePort(2).done());
    EXPECT_TRUE(session.portOpen());
    EXPECT_EQ(Await(session.checkConnection()).text, QStringLiteral("YB 接続確認できました"));
    EXPECT_EQ(other.received(), "?\r");  // no carriage return of its own on a switch
    EXPECT_EQ(sim->received(), "");
    PointComAt(3, "/nonexistent/tty-yb");
    const PortOutcome failed = session.choosePort(3);
    EXPECT_EQ(std::tuple(failed.text, session.portOpen()),
              std::tuple(QStringLiteral("Setting Error"), false));

    Connect(Holding(1, 1, 1));
    QStringList lost;
    QObject::connect(&session, &Session::portLost, [&](const QString& text) { lost << text; });
    sim->hangUp();
    EXPECT_TRUE(RunUntil([&] { return !session.portOpen(); }));
    Idle(100);
    ASSERT_EQ(lost.size(), 1);
    EXPECT_TRUE(lost[0].startsWith(QStringLiteral("シリアルポートが使用できなくなりました: ")));
    sim->restart();
    PointComAt(1, sim->slavePath());
    EXPECT_TRUE(session.openNamed(QStringLiteral("COM1")).done());
}

}  // namespace
}  // namespace yb::test
