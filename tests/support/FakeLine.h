#pragma once
// A line and a clock that only move when the test moves them.
//
// FakeTime is the exchange's clock and the line's schedule in one: characters arrive and the
// exchange wakes up in the order of their instants, and nothing waits on the wall clock. FakeLine
// answers each command through a peer that says what comes back and when, at the pace of a
// 38400-baud line (one character every 260 µs) unless the peer holds a piece back. Coroutines
// resume right inside the events, so a whole download runs in one call of RunFake().

#include <gtest/gtest.h>

#include <chrono>
#include <exception>
#include <stdexcept>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <qcoro/qcorotask.h>

#include "serial/Line.h"
#include "sim/Logger.h"

namespace yb::test {

using namespace std::chrono_literals;
inline constexpr std::chrono::nanoseconds kCharTime{1'000'000'000LL / 3840};

class FakeTime : public LineClock {
public:
    TimePoint now() const override { return now_; }
    void wakeAt(TimePoint when) override { wake_ = when; }
    void stopWake() override { wake_.reset(); }

    void at(TimePoint when, std::function<void()> event) {
        events_.emplace(when, std::move(event));
    }
    // Runs the earliest event, a delivery or the wake-up; false when nothing is left.
    bool step() {
        const bool delivery = !events_.empty() && (!wake_ || events_.begin()->first <= *wake_);
        if (delivery) {
            auto event = events_.extract(events_.begin());
            now_ = std::max(now_, event.key());
            event.mapped()();
            return true;
        }
        if (!wake_) return false;
        now_ = std::max(now_, *std::exchange(wake_, std::nullopt));
        if (onWake) onWake();
        return true;
    }
    // Moves time on to `when`, running everything due by then.
    void runTo(TimePoint when) {
        while ((!events_.empty() && events_.begin()->first <= when) || (wake_ && *wake_ <= when)) {
            step();
        }
        now_ = std::max(now_, when);
    }

private:
    TimePoint now_ = TimePoint(1h);  // any instant; the steady clock's are not near its zero
    std::optional<TimePoint> wake_;
    std::multimap<TimePoint, std::function<void()>> events_;
};

// Runs until the task has ended; its result, or its exception rethrown. Throws when time runs out
// of events first.
template <typename T>
T RunFake(FakeTime& time, QCoro::Task<T>&& task) {
    std::optional<T> result;
    std::exception_ptr error;
    auto keep = [](QCoro::Task<T>& t, std::optional<T>& r, std::exception_ptr& e) -> QCoro::Task<> {
        try {
            r.emplace(co_await t);
        } catch (...) {
            e = std::current_exception();
        }
    }(task, result, error);
    while (!result && !error && time.step()) {
    }
    if (error) std::rethrow_exception(error);
    if (!result) throw std::logic_error("the task never ended");
    return std::move(*result);
}

// What comes back for a command: pieces of text, each starting `after` the end of the piece
// before it (the first: after the command has left the line), one character per character time,
// or all at once when `burst` (as a USB adapter hands on what it held).
struct Piece {
    std::chrono::nanoseconds after{0};
    std::string text;
    bool burst = false;
};
using Reply = std::vector<Piece>;

class FakeLine : public Line {
public:
    using Peer = std::function<Reply(const std::string& command)>;

    FakeLine(FakeTime& time, Peer peer) : time_(time), peer_(std::move(peer)) {}

    bool portOpen() const override { return open_; }
    std::string input() override { return std::exchange(buffer_, {}); }
    void discardInput() override { buffer_.clear(); }
    bool output(std::string_view text) override {
        if (!open_) return false;
        written += text;
        for (char c : text) {
            if (c != '\r') {
                pending_ += c;
                continue;
            }
            const std::string command = std::exchange(pending_, {});
            commands.push_back(command);
            auto start = time_.now() + kCharTime * static_cast<long>(command.size() + 1);
            if (inTurn) start = std::max(start, busyUntil_);
            for (const Piece& piece : peer_(command)) {
                start += piece.after;
                if (piece.burst) {
                    start += kCharTime * static_cast<long>(piece.text.size());
                    time_.at(start, [this, text = piece.text] { arrive(text); });
                    continue;
                }
                for (char answered : piece.text) {
                    start += kCharTime;
                    time_.at(start, [this, answered] { arrive(std::string(1, answered)); });
                }
            }
            busyUntil_ = start;
        }
        return true;
    }
    // The line fails underneath: closed, reported once.
    void drop() {
        open_ = false;
        buffer_.clear();
        emit portLost(QStringLiteral("fake: the line dropped"));
    }

    std::string written;
    std::vector<std::string> commands;
    // The peer answers in turn, as a logger does: an answer starts no earlier than the end of the
    // one before, so a late answer holds back every answer after it. Otherwise each answer
    // keeps its own time, and a late one may come in the middle of any later one.
    bool inTurn = false;

private:
    void arrive(const std::string& text) {
        if (!open_) return;
        buffer_ += text;
        emit readyRead();
    }

    FakeTime& time_;
    Peer peer_;
    bool open_ = true;
    std::string buffer_;
    std::string pending_;
    FakeTime::TimePoint busyUntil_{};
};

// A simulated logger's memory behind a fake line. A fault turns the logger's answer to one
// command into what the line delivers instead; without one the answer comes whole, on time.
struct LoggerPeer {
    using Fault = std::function<Reply(const std::string& answer)>;

    explicit LoggerPeer(const ybsim::Options& options) : logger(options) {}
    Reply operator()(const std::string& command) {
        const std::string answer = logger.answer(command);
        const auto fault = faults.find(command);
        if (fault == faults.end()) return {{0ns, answer}};
        return fault->second(answer);
    }

    ybsim::Logger logger;
    std::map<std::string, Fault> faults;
};

}  // namespace yb::test
