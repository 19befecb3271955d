// Choosing, opening and closing the port, against the simulated logger.
#include <gtest/gtest.h>

#include "serial/PortNames.h"
#include "support/SimFixture.h"

using namespace yb;
using namespace yb::test;

namespace {

class PortControlTest : public SimLine {
protected:
    void SetUp() override {
        SimLine::SetUp();
        view.setText(Field::OpenCommBtn, "Open COM");
    }
    void TearDown() override {
        for (int n = 2; n <= 12; ++n) UnsetCom(n);
        SimLine::TearDown();
    }
    void Press() { control.OpenCommBtn_Click(); }
    void Type(const QString& name) {
        view.listIndex = -1;
        view.setText(Field::ComboCommPort, name);
    }
    void ExpectClosedShown() {
        EXPECT_FALSE(state.fCommOpen);
        EXPECT_FALSE(port.portOpen());
        EXPECT_EQ(view.text(Field::ComStatus), "closed...");
        EXPECT_EQ(view.text(Field::OpenCommBtn), "Open COM");
    }
};

TEST_F(PortControlTest, OpenSendsExactlyOneCarriageReturnAndShowsTheSettings) {
    view.setText(Field::OpenCommBtn, "Open COM");
    Press();
    EXPECT_TRUE(state.fCommOpen);
    EXPECT_TRUE(port.portOpen());
    EXPECT_EQ(port.commPort(), 1);
    EXPECT_EQ(view.text(Field::ComStatus), "38400,N,8,1");
    EXPECT_EQ(view.text(Field::OpenCommBtn), "Close COM");
    EXPECT_EQ(view.text(Field::Status), "");  // a successful open writes no message
    EXPECT_EQ(WaitForReceived(sim, 1), "\r");
    RunEventsFor(50);
    EXPECT_EQ(sim.received(), "\r");
    EXPECT_TRUE(sim.commands().empty());
}

TEST_F(PortControlTest, CloseAndOpenAgain) {
    OpenPort();
    Press();
    ExpectClosedShown();
    Press();
    EXPECT_TRUE(state.fCommOpen);
    EXPECT_EQ(view.text(Field::OpenCommBtn), "Close COM");
    EXPECT_EQ(WaitForReceived(sim, 1), "\r");
}

TEST_F(PortControlTest, CloseWhenThePortIsAlreadyClosedUnderneath) {
    OpenPort();
    port.setPortOpen(false);
    Press();
    ExpectClosedShown();
}

TEST_F(PortControlTest, TypedNamesAreReadAsTheNumberAfterCOM) {
    // Blanks are ignored, reading stops at the first other character, halves go to even.
    const std::pair<const char*, int> names[] = {
        {"COM12", 12}, {"COM 4", 4}, {"COM2x", 2}, {"COM2.5", 2}, {"COM3.5", 4}};
    for (const auto& [name, number] : names) {
        SCOPED_TRACE(name);
        PointComAt(number, sim.slavePath());
        Type(name);
        Press();
        EXPECT_TRUE(state.fCommOpen);
        EXPECT_EQ(port.commPort(), number);
        Press();
    }
}

TEST_F(PortControlTest, RefusedNamesLeaveThePortClosed) {
    const std::pair<const char*, const char*> names[] = {
        {"com3", "COM 設定エラー"}, {" COM3", "COM 設定エラー"}, {"PORT1", "COM 設定エラー"},
        {"COM", "Setting Error"},   {"COM0", "Setting Error"},   {"COM40000", "Setting Error"},
        {"COM-1", "Setting Error"}};
    for (const auto& [name, message] : names) {
        SCOPED_TRACE(name);
        view.setText(Field::Status, "");
        Type(name);
        Press();
        EXPECT_EQ(view.text(Field::Status), message);
        ExpectClosedShown();
    }
}

TEST_F(PortControlTest, MissingDeviceGivesSettingErrorAndTheNextPressRetries) {
    PointComAt(9, "/nonexistent/tty-yb");
    view.listIndex = 8;
    view.setText(Field::ComboCommPort, "COM9");
    Press();
    EXPECT_EQ(view.text(Field::Status), "Setting Error");
    EXPECT_FALSE(view.toolTips[Field::Status].isEmpty());  // the reason, for the curious
    ExpectClosedShown();

    PointComAt(9, sim.slavePath());
    Press();
    EXPECT_TRUE(state.fCommOpen);
    EXPECT_EQ(view.text(Field::Status), "Setting Error");  // stays until another message
    EXPECT_EQ(WaitForReceived(sim, 1), "\r");
}

TEST_F(PortControlTest, ListClickWhileOpenReopensOnTheNewNumberAndNothingElse) {
    ybsim::LoggerSim other(InstantOptions());
    other.start();
    PointComAt(2, other.slavePath());
    OpenPort();
    view.setText(Field::ComStatus, "comEvCTS");

    view.listIndex = 1;
    control.ComboCommPort_Click();

    EXPECT_EQ(port.commPort(), 2);
    EXPECT_TRUE(port.portOpen());
    EXPECT_TRUE(state.fCommOpen);
    EXPECT_EQ(view.text(Field::ComStatus), "comEvCTS");
    EXPECT_EQ(view.text(Field::OpenCommBtn), "Close COM");
    RunEventsFor(30);
    EXPECT_EQ(other.received(), "");  // no carriage return on a switch

    std::string ans;
    exchange.mSendCommandGetAns("?", ans, 100);
    EXPECT_EQ(ans, "OK\r");
    EXPECT_EQ(other.commands(), std::vector<std::string>{"?"});
    EXPECT_TRUE(sim.commands().empty());
}

TEST_F(PortControlTest, ListClickThatCannotReopenShowsThePortClosed) {
    OpenPort();
    PointComAt(3, "/nonexistent/tty-yb");
    view.listIndex = 2;
    control.ComboCommPort_Click();
    EXPECT_EQ(view.text(Field::Status), "Setting Error");
    ExpectClosedShown();
}

TEST_F(PortControlTest, ListClickWhileClosedOnlyChoosesTheNumber) {
    view.listIndex = 4;
    control.ComboCommPort_Click();
    EXPECT_EQ(port.commPort(), 5);
    EXPECT_FALSE(port.portOpen());
}

TEST(PortNames, UsbAdaptersComeFirstThenNameOrder) {
    EXPECT_EQ(OrderSerialPorts({"ttyS1", "ttyUSB1", "ttyS0", "ttyACM0", "ttyUSB0"}),
              QStringList({"ttyACM0", "ttyUSB0", "ttyUSB1", "ttyS0", "ttyS1"}));
}

TEST(PortNames, EnvironmentNamesTheDevice) {
    PointComAt(7, "/dev/pts/77");
    EXPECT_EQ(ResolveComPort(7), QString("/dev/pts/77"));
    EXPECT_TRUE(DescribeComPorts(7).contains("COM7: /dev/pts/77"));
    UnsetCom(7);
    EXPECT_EQ(ResolveComPort(0), std::nullopt);
}

}  // namespace
