#pragma once
// A line and a clock that only move when the test moves them.
//
// FakeTime (support/FakeClock.h) is the exchange's clock and the line's schedule in one. FakeLine
// answers each command through a peer that says what comes back and when, at the pace of a
// 38400-baud line (one character every 260 µs) unless the peer holds a piece back. Coroutines
// resume right inside the events, so a whole download runs in one call of RunFake().

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <qcoro/qcorotask.h>

#include "serial/Line.h"
#include "sim/Logger.h"
#include "support/FakeClock.h"

namespace yb::test {

using namespace std::chrono_literals;
inline constexpr std::chrono::nanoseconds kCharTime{1'000'000'000LL / 3840};

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
    void discardInput() override {
        buffer_.clear();
        unread.clear();
    }
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
    // What the system holds that the program has not been told of yet: it comes with the next
    // character that arrives, unless the input is discarded first.
    std::string unread;

private:
    void arrive(const std::string& text) {
        if (!open_) return;
        buffer_ += std::exchange(unread, {}) + text;
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

    // The first request of `command` gets `first`'s answer, the later ones what they got before.
    void once(const std::string& command, Fault first) {
        const Fault later = faults.count(command) ? faults[command] : nullptr;
        faults[command] = [asked = std::make_shared<int>(0), first, later](const std::string& a) {
            if ((*asked)++ == 0) return first(a);
            return later ? later(a) : Reply{{0ns, a}};
        };
    }

    ybsim::Logger logger;
    std::map<std::string, Fault> faults;
};

}  // namespace yb::test
