#pragma once
// A simulated logger on a pseudo-terminal that COM1 resolves to, and the serial objects of the
// window around it, for tests that talk to a logger.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <memory>

#include "serial/CommPort.h"
#include "serial/CommandExchange.h"
#include "serial/PortControl.h"
#include "serial/WindowState.h"
#include "sim/LoggerSim.h"
#include "support/FakeView.h"

namespace yb::test {

inline void PointComAt(int n, const std::string& path) {
    qputenv(QStringLiteral("YB_COM%1").arg(n).toLatin1().constData(),
            QByteArray::fromStdString(path));
}

inline void UnsetCom(int n) {
    qunsetenv(QStringLiteral("YB_COM%1").arg(n).toLatin1().constData());
}

// Runs window events for `ms` milliseconds.
inline void RunEventsFor(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Waits until the logger has received at least `count` bytes; returns what it received.
inline std::string WaitForReceived(const ybsim::LoggerSim& sim, std::size_t count, int ms = 1000) {
    QElapsedTimer t;
    t.start();
    while (sim.received().size() < count && t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    }
    return sim.received();
}

class SimLine : public ::testing::Test {
protected:
    explicit SimLine(ybsim::Options options = InstantOptions()) : sim(options) {}

    static ybsim::Options InstantOptions() {
        ybsim::Options o;
        o.instant = true;
        return o;
    }

    void SetUp() override {
        sim.start();
        PointComAt(1, sim.slavePath());
    }
    void TearDown() override {
        port.setPortOpen(false);
        UnsetCom(1);
    }

    // Opens COM1 the way the open button does and forgets the carriage return it sends.
    void OpenPort() {
        view.setText(Field::OpenCommBtn, QStringLiteral("Open COM"));
        view.listIndex = 0;
        control.OpenCommBtn_Click();
        ASSERT_TRUE(state.fCommOpen) << view.text(Field::Status).toStdString();
        ASSERT_EQ(WaitForReceived(sim, 1), "\r");
        sim.clearReceived();
    }

    ybsim::LoggerSim sim;
    CommPort port;
    WindowState state;
    FakeView view;
    PortControl control{port, state, view};
    CommandExchange exchange{port, state, view};
};

}  // namespace yb::test
