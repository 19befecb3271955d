#pragma once
// A session talking to a simulated logger on a pseudo-terminal that COM1 resolves to.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <exception>
#include <optional>

#include <memory>
#include <string>
#include <vector>

#include <qcoro/qcorotask.h>

#include "session/Session.h"
#include "sim/LoggerSim.h"

namespace yb::test {

inline void PointComAt(int n, const std::string& path) {
    qputenv(QStringLiteral("YB_COM%1").arg(n).toLatin1().constData(),
            QByteArray::fromStdString(path));
}

namespace detail {
template <typename T>
QCoro::Task<> Finish(QCoro::Task<T>& task, std::optional<T>& result, std::exception_ptr& error,
                     QEventLoop& loop, bool& done) {
    try {
        result.emplace(co_await task);
    } catch (...) {
        error = std::current_exception();
    }
    done = true;
    loop.quit();
}
}  // namespace detail

// Runs the event loop until the task ends; its result, or its exception rethrown.
template <typename T>
T Await(QCoro::Task<T>&& task) {
    std::optional<T> result;
    std::exception_ptr error;
    QEventLoop loop;
    bool done = false;
    auto finishing = detail::Finish(task, result, error, loop, done);
    if (!done) loop.exec();
    if (error) std::rethrow_exception(error);
    return std::move(*result);
}

// Runs the event loop until `done` holds or `ms` milliseconds have passed; whether it holds. The
// loop sleeps between looks: nothing spins.
template <typename Done>
bool RunUntil(Done done, int ms = 5000) {
    if (done()) return true;
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (done()) loop.quit();
    });
    look.start(1);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

// Lets the event loop run for `ms` milliseconds.
inline void Idle(int ms) {
    RunUntil([] { return false; }, ms);
}

// The commands the logger received, space-separated.
inline std::string Sent(const ybsim::LoggerSim& sim) {
    std::string all;
    for (const auto& c : sim.commands()) all += (all.empty() ? "" : " ") + c;
    return all;
}

inline ybsim::Options Holding(long main, long temp, long laps, bool instant = true) {
    ybsim::Options o;
    o.mainCount = main;
    o.tempCount = temp;
    o.lapCount = laps;
    o.instant = instant;
    return o;
}

class SessionOnSim : public ::testing::Test {
protected:
    // A fresh logger (COM1) with these faults, the session's port open on it, nothing received.
    void Connect(const ybsim::Options& options, const std::vector<ybsim::Fault>& faults = {}) {
        session.closePort();
        sim = std::make_unique<ybsim::LoggerSim>(options);
        sim->start();
        for (const auto& fault : faults) sim->addFault(fault);
        PointComAt(1, sim->slavePath());
        ASSERT_TRUE(session.openNamed(QStringLiteral("COM1")).done());
        ASSERT_TRUE(RunUntil([&] { return sim->received() == "\r"; }));
        sim->clearReceived();
    }
    std::string Sent() const { return test::Sent(*sim); }

    // Declared first so that it outlives the session that talks to it.
    std::unique_ptr<ybsim::LoggerSim> sim;
    Session session;
};

}  // namespace yb::test
