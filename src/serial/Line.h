#pragma once
// What the exchanges need of the line to the logger, and of the clock that times them.
//
// CommPort is the real line and SteadyLineClock the real clock; tests put a scripted line and a
// clock they move by hand in their place, so that every rule about time (line ends, deadlines,
// quiet lines) is checked without waiting on the wall clock.

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace yb {

class Line : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual bool portOpen() const = 0;
    // Every character received and not yet taken, removed from the buffer; "" when nothing waits
    // or the line is closed.
    virtual std::string input() = 0;
    // Writes the text and pushes it onto the line; false when the line is closed or failed.
    virtual bool output(std::string_view text) = 0;
    // Throws away every character received and not yet taken.
    virtual void discardInput() = 0;

signals:
    void readyRead();
    // The line failed underneath and is closed now; `reason` in the system's words.
    void portLost(const QString& reason);
};

class LineClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~LineClock() = default;
    virtual TimePoint now() const = 0;
    // Runs the wake-up once `when` has come (at once when it has passed); replaces the instant
    // set before.
    virtual void wakeAt(TimePoint when) = 0;
    virtual void stopWake() = 0;

    std::function<void()> onWake;
};

// The steady clock, with a precise timer on the event loop for the wake-up.
class SteadyLineClock : public LineClock {
public:
    SteadyLineClock();
    TimePoint now() const override { return std::chrono::steady_clock::now(); }
    void wakeAt(TimePoint when) override;
    void stopWake() override { timer_.stop(); }

private:
    QTimer timer_;
    TimePoint timerUntil_;
};

}  // namespace yb
