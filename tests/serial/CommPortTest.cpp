// The real port against the simulated logger: what every open asks of the driver, the lock that
// keeps a second program off a device it reaches through another name, and what a request finds
// waiting.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

#include "serial/CommPort.h"
#include "sim/LoggerSim.h"

namespace yb {
namespace {

class Port : public ::testing::Test {
protected:
    void SetUp() override { sim.start(); }
    static void Open(CommPort& port, const std::string& device) {
        port.open(PortAddress{0, QString::fromStdString(device)});
    }
    ybsim::LoggerSim sim{ybsim::Options{.instant = true}};
};

// Every open asks the driver of the port just opened for low latency. The pseudo-terminal refuses
// (it has no serial settings), and the port works as before.
TEST_F(Port, OpenAsksForLowLatencyARefusalLeavesThePortWorking) {
    CommPort port;
    std::vector<std::string> asked;  // the device each request went to
    port.setLowLatencyRequest([&](PortHandle handle) {
        asked.emplace_back(::ttyname(handle));
        return RequestLowLatency(handle);
    });
    Open(port, sim.slavePath());
    EXPECT_EQ(asked, std::vector<std::string>{sim.slavePath()});
    EXPECT_FALSE(port.lowLatency());
    EXPECT_TRUE(port.output("?\r"));
    EXPECT_TRUE(sim.waitForCommands(1, std::chrono::seconds(5)));
}

// A device is locked by its own name, whichever name opened it: a link to a device that is open
// already does not open it a second time, nor the other way round.
TEST_F(Port, ADeviceOpenThroughALinkIsLockedForItsOwnNameToo) {
    QTemporaryDir dir;
    const std::string link = dir.filePath(QStringLiteral("ttyYB")).toStdString();
    ASSERT_EQ(::symlink(sim.slavePath().c_str(), link.c_str()), 0);
    for (const auto& [first, second] : {std::pair(link, sim.slavePath()),
                                        std::pair(sim.slavePath(), link)}) {
        SCOPED_TRACE(first);
        CommPort a, b;
        Open(a, first);
        EXPECT_THROW(Open(b, second), PortError);
        EXPECT_FALSE(b.portOpen());
    }
}

// An answer that came in before a request is dropped by the request's flush, whether it still waits
// in the system or in the port's own buffer; what comes after is read whole.
TEST_F(Port, TheFlushBeforeARequestDropsWhatThePortHasReadAlready) {
    CommPort port;
    Open(port, sim.slavePath());
    int arrivals = 0;
    QObject::connect(&port, &Line::readyRead, [&] { ++arrivals; });
    const auto arrived = [&] {
        const int before = arrivals;
        const QDeadlineTimer deadline(5000);
        while (arrivals == before && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        return arrivals > before;
    };
    const auto answerTo = [&](std::string_view request) {
        EXPECT_TRUE(port.output(request));
        std::string text;
        while (text.find('\r') == std::string::npos && arrived()) text += port.input();
        return text;
    };
    const std::string first = answerTo("T??\r");
    ASSERT_FALSE(first.empty());

    ASSERT_TRUE(port.output("T??\r"));
    ASSERT_TRUE(arrived());  // in the port's buffer now
    port.discardInput();
    EXPECT_EQ(port.input(), "");
    EXPECT_EQ(answerTo("T??\r"), first);
}

}  // namespace
}  // namespace yb
