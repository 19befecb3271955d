#pragma once
// One command line to the logger and the text that comes back, awaited on the event loop.
//
// There are two kinds of exchange. A command exchange (counts, the temperature probe, the
// settings, the connection check) waits a fixed time and then takes whatever arrived. A record
// exchange (one record of a download) is complete at the first line end the logger sends (CR or
// LF), and gives up at its deadline: never earlier, and never because the line fell quiet, so a
// line end held back by a USB adapter still ends its own answer and never the next one. Both
// empty the receive buffer before they write, so a late answer to an earlier command is never
// taken for this one's. Between the stages of a download, settle() lets the line fall quiet and
// throws away what came, so a stray character after a stage's last record cannot open the next
// stage's answer.
//
// The exchange keeps account of the answers the line owes: every request written is owed one
// answer, and every line end that arrives, whenever and wherever it is taken, pays the oldest. A
// request whose answer did not come in its time may still be answered later; drain() waits for
// such answers (and throws them away) before the next request goes out, so a late answer is never
// taken for another request's. An answer that has not come by the late-answer limit is given up
// on; a line end that arrives when nothing is owed any more (surplus()) then says that one may
// have come inside another request's answer after all.
//
// An exchange returns its answer with how it ended: answered, timed out, cancelled or the port
// lost. These are the expected endings and are values, not exceptions. Asking for a second
// exchange while one waits is a programming error (ExchangeBusy).
//
// Nothing here blocks or runs a nested event loop: an exchange suspends its coroutine until
// characters arrive, its time is up, the port fails, or it is cancelled.

#include <QObject>

#include <chrono>
#include <coroutine>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include <qcoro/qcorotask.h>

#include "serial/Line.h"
#include "serial/ValueRules.h"

namespace yb {

// An exchange was asked for while another one was still waiting.
class ExchangeBusy : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

struct Answer {
    enum class State {
        Answered,   // a command exchange's whole wait passed with characters in; a record
                    // answer reached its line end
        TimedOut,   // nothing (command) or no line end (record) by the deadline
        Cancelled,  // the running operation was cancelled; nothing more is sent
        PortLost,   // the port was closed or failed before the answer was complete
    };
    State state = State::Answered;
    // What arrived: a record answer up to and including its line end; otherwise everything.
    std::string text;

    bool answered() const { return state == State::Answered; }
    // Cancelled or port lost: the operation cannot go on.
    bool interrupted() const { return state == State::Cancelled || state == State::PortLost; }
};

// How long the logger may take for one record answer: 100 polls of 5 ms for main data and laps,
// 100 of 3 ms for temperatures.
inline constexpr std::chrono::milliseconds kMainRecordDeadline{500};
inline constexpr std::chrono::milliseconds kTempRecordDeadline{300};
inline constexpr std::chrono::milliseconds kLapRecordDeadline{500};

// Resumes the one coroutine waiting on it (co_await wakeup.wait()), right inside fire().
class Wakeup {
public:
    // Awaiters are passed around by value; they only point at the wakeup.
    struct Awaiter {
        Wakeup* wakeup;
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> waiting) noexcept { wakeup->waiting_ = waiting; }
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
    using TimePoint = LineClock::TimePoint;
    static constexpr std::chrono::milliseconds kCommandWait{100};
    // Two character times at 38400 baud: a line this quiet has finished sending.
    static constexpr std::chrono::microseconds kQuietLine{521};
    // settle() gives up waiting for a quiet line after this long.
    static constexpr std::chrono::milliseconds kSettleLimit{20};
    // How long after its request an answer may still come before drain() gives it up: four
    // main-record deadlines, twenty command waits.
    static constexpr std::chrono::milliseconds kLateAnswerLimit{2000};

    // `clock` times the waits; the steady clock when none is given.
    explicit LineExchange(Line& line, std::unique_ptr<LineClock> clock = nullptr,
                          QObject* parent = nullptr);

    // Sends `command` and its carriage return, waits `wait`, then returns every character that
    // arrived: Answered, or TimedOut when none did. Emits commandSent() once the command is
    // written.
    QCoro::Task<Answer> ask(std::string command, std::chrono::milliseconds wait = kCommandWait);

    // Sends a record request; Answered at the first line end (the text ends with it), TimedOut
    // when none came by `deadline` (the text holds what came). Whatever follows the line end is
    // left for the next exchange to throw away. `whileWaiting`, if given, runs right after the
    // request is written, while its answer is on its way.
    QCoro::Task<Answer> askRecord(std::string command, std::chrono::milliseconds deadline,
                                  std::function<void()> whileWaiting = {});

    // Waits until nothing has arrived for `quiet` (at most `limit`), taking and throwing away what
    // came. Answered (with that text), Cancelled or PortLost.
    QCoro::Task<Answer> settle(std::chrono::microseconds quiet = kQuietLine,
                               std::chrono::milliseconds limit = kSettleLimit);

    // Waits `wait` without sending anything and returns what arrived: Answered, or TimedOut when
    // nothing did.
    QCoro::Task<Answer> listen(std::chrono::milliseconds wait);

    // Waits until the line has paid every answer it owes, or until each one still owed is
    // kLateAnswerLimit past its request, taking and throwing away what comes. Those still owed
    // then are given up (givenUp()). Answered (with what came), Cancelled or PortLost.
    QCoro::Task<Answer> drain();

    // Answers owed: requests written whose answer's line end has not arrived.
    int owed() const { return static_cast<int>(owed_.size()); }
    // Answers drain() gave up on since the account was opened; they may still come.
    int givenUp() const { return givenUp_; }
    // Line ends that arrived when no answer was owed, since the account was opened: noise, or an
    // answer that was given up on.
    int surplus() const { return surplus_; }
    // Opens a fresh account: nothing owed, given up or surplus.
    void openAccount();
    // The last request may rightly go unanswered (silence is an answer to it): nothing is owed
    // for it.
    void forgiveLast();

    bool portOpen() const { return line_.portOpen(); }
    bool busy() const { return busy_; }
    // The clock the exchanges are timed by.
    TimePoint now() const { return clock_->now(); }

    // Ends the waiting exchange at once (Cancelled), and every later one before it writes, until
    // allowAgain().
    void cancel();
    void allowAgain() { cancelled_ = false; }
    bool cancelled() const { return cancelled_; }

signals:
    // A command exchange has written its command and now waits for the answer.
    void commandSent();

private:
    class BusyScope;
    // Empties the buffer and writes the command; the ending when it cannot be sent.
    std::optional<Answer::State> send(std::string_view command);
    // Why the exchange cannot go on, if it cannot.
    std::optional<Answer::State> interruption() const;
    // Takes what arrived, notes when, and pays the owed answers its line ends complete.
    std::string take();
    // Suspends until characters arrive, `until` passes, the port fails or the exchange is
    // cancelled.
    Wakeup::Awaiter waitUntil(TimePoint until);

    Line& line_;
    std::unique_ptr<LineClock> clock_;
    Wakeup wakeup_;
    TimePoint lastArrival_ = TimePoint::min();
    std::deque<TimePoint> owed_;  // when each owed request was written, oldest first
    int givenUp_ = 0;
    int surplus_ = 0;
    bool busy_ = false;
    bool cancelled_ = false;
};

}  // namespace yb
