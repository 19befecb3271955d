#pragma once
// One command line to the logger and the text that comes back, awaited on the event loop.
//
// There are two kinds of exchange. A command exchange (counts, the temperature probe, the
// settings, the connection check) waits a fixed time and then takes whatever arrived. A record
// exchange (one record of a download) completes as soon as the answer has its length and ends
// with the logger's line end, or gives up at its deadline. Both empty the receive buffer before
// they write, so a late answer to an earlier command is never taken for this one's.
//
// Nothing here blocks or runs a nested event loop: an exchange suspends its coroutine until
// characters arrive, its time is up, the port fails, or it is cancelled. Only one exchange runs
// at a time (ExchangeBusy otherwise). Port failures (PortError) and cancellation
// (ExchangeCancelled) reach the caller as exceptions, which each operation turns into its own
// failure text.

#include <QObject>
#include <QTimer>

#include <chrono>
#include <coroutine>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>

#include <qcoro/qcorotask.h>

#include "serial/CommPort.h"

namespace yb {

// An exchange was asked for while another one was still waiting.
class ExchangeBusy : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// The running operation was cancelled; nothing more is sent.
class ExchangeCancelled : public std::runtime_error {
public:
    ExchangeCancelled() : std::runtime_error("cancelled") {}
};

// What makes a record answer complete: its exact length, and how long the logger may take.
struct RecordAnswer {
    std::size_t length;
    std::chrono::milliseconds deadline;
};

// Main-data and lap records may take 100 polls of 5 ms, temperature records 100 of 3 ms.
inline constexpr RecordAnswer kMainRecordAnswer{17, std::chrono::milliseconds(500)};
inline constexpr RecordAnswer kTempRecordAnswer{3, std::chrono::milliseconds(300)};
inline constexpr RecordAnswer kLapRecordAnswer{9, std::chrono::milliseconds(500)};

// Resumes the one coroutine waiting on it (co_await wakeup.wait()), right inside fire().
class Wakeup {
public:
    // Awaiters are passed around by value; they only point at the wakeup.
    struct Awaiter {
        Wakeup* wakeup;
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> waiting) noexcept {
            wakeup->waiting_ = waiting;
        }
        void await_resume() const noexcept {}
    };

    Awaiter wait() { return Awaiter{this}; }
    void fire() {
        if (auto waiting = std::exchange(waiting_, nullptr)) waiting.resume();
    }

private:
    std::coroutine_handle<> waiting_;
};

class LineExchange : public QObject {
    Q_OBJECT
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kCommandWait{100};
    // Two character times at 38400 baud: a line this quiet has finished sending.
    static constexpr std::chrono::microseconds kQuietLine{521};

    explicit LineExchange(CommPort& port, QObject* parent = nullptr);

    // Sends `command` and its carriage return, waits `wait`, then returns every character that
    // arrived (possibly none). Emits commandSent() once the command is written.
    QCoro::Task<std::string> ask(std::string command, std::chrono::milliseconds wait = kCommandWait);

    // Sends a record request. The answer is complete once it holds exactly `shape.length`
    // characters, the last of them not a hexadecimal digit (the logger's line end). An answer that
    // reaches its length without that ending, or grows past it, is read until the line has been
    // quiet for two character times and returned as it is, for the caller's length test to refuse.
    // An answer still short at the deadline gives "". `whileWaiting`, if given, runs right after
    // the request is written, while its answer is on its way.
    QCoro::Task<std::string> askRecord(std::string command, RecordAnswer shape,
                                       std::function<void()> whileWaiting = {});

    bool portOpen() const { return port_.portOpen(); }
    bool busy() const { return busy_; }

    // Ends the waiting exchange at once with ExchangeCancelled, and every later one before it
    // writes, until allowAgain().
    void cancel();
    void allowAgain() { cancelled_ = false; }
    bool cancelled() const { return cancelled_; }

signals:
    // A command exchange has written its command and now waits for the answer.
    void commandSent();

private:
    class BusyScope;
    void send(const std::string& command);
    // Suspends until characters arrive, `until` passes, the port fails or the exchange is
    // cancelled.
    Wakeup::Awaiter waitUntil(Clock::time_point until);
    void throwIfCancelled() const;

    CommPort& port_;
    QTimer timer_;
    Clock::time_point timerUntil_;  // what the running timer wakes for
    Wakeup wakeup_;
    bool busy_ = false;
    bool cancelled_ = false;
};

}  // namespace yb
