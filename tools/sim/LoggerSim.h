// A simulated YB logger on a pseudo-terminal: the program under test opens slavePath() as its
// serial port and talks to it as to the real logger, at the pace of a 38400-baud 8N1 line.
//
//     ybsim::LoggerSim sim({.seed = 7, .mainCount = 120});
//     sim.start();                       // throws std::system_error when no pty can be had
//     open(sim.slavePath().c_str(), O_RDWR | O_NOCTTY);
//     sim.addFault(ybsim::Fault::silence("D1").onRecord(5));
//     sim.waitForCommands(3, 1s);  sim.commands();  sim.received();
//
// Answers go out one character per character time, so a program that reads early sees part of
// an answer. With Options::adapterLatencyMs they come as a USB adapter with a latency timer
// delivers them instead: held, then in one burst.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "sim/Logger.h"

namespace ybsim {

enum class FaultAction {
    Silence,    // no answer; the command is not carried out
    Late,       // the answer (or the given text) after delayMs
    Replace,    // the given text instead of the answer, sent exactly as given
    LineError,  // the answer with the character at errorAt turned into 0xFF (framing error)
    HangUp,     // the line drops as the command arrives: the pty is closed, nothing answered
};

// A fault rule. It matches a command exactly, or, with onRecord(), a record command prefix
// ("D1", "D2", "LD") followed by the hexadecimal record index (or lap number for "LD"). The
// command "" matches the lone carriage return the program sends after opening the port, which
// is otherwise not answered.
struct Fault {
    std::string command;
    long record = -1;
    FaultAction action = FaultAction::Silence;
    std::string answer;
    int delayMs = 0;
    std::size_t errorAt = 0;
    bool always = false;

    static Fault silence(std::string cmd) { return make(std::move(cmd), FaultAction::Silence); }
    static Fault late(std::string cmd, int ms, std::string answer = {}) {
        Fault f = make(std::move(cmd), FaultAction::Late);
        f.delayMs = ms;
        f.answer = std::move(answer);
        return f;
    }
    static Fault replace(std::string cmd, std::string answer) {
        Fault f = make(std::move(cmd), FaultAction::Replace);
        f.answer = std::move(answer);
        return f;
    }
    static Fault lineError(std::string cmd, std::size_t at = 0) {
        Fault f = make(std::move(cmd), FaultAction::LineError);
        f.errorAt = at;
        return f;
    }
    static Fault hangUp(std::string cmd) { return make(std::move(cmd), FaultAction::HangUp); }
    // `count` random bytes of any value (carriage returns too) instead of the answer.
    static Fault garbage(std::string cmd, std::size_t count, std::uint32_t seed = 1) {
        std::mt19937 draw(seed);
        std::string text(count, '\0');
        for (char& c : text) c = static_cast<char>(draw() & 0xFF);
        return replace(std::move(cmd), std::move(text));
    }

    Fault onRecord(long index) const {
        Fault f = *this;
        f.record = index;
        return f;
    }
    // By default a rule fires once and is then dropped; this keeps it for every match.
    Fault everyTime() const {
        Fault f = *this;
        f.always = true;
        return f;
    }
    bool matches(const std::string& cmd) const;

private:
    static Fault make(std::string cmd, FaultAction action) {
        Fault f;
        f.command = std::move(cmd);
        f.action = action;
        return f;
    }
};

class LoggerSim {
public:
    using Clock = std::chrono::steady_clock;
    // Line time of one character: 10 bits at 38400 baud.
    static constexpr std::chrono::nanoseconds kCharTime{1'000'000'000LL / 3840};

    explicit LoggerSim(const Options& options = {});
    ~LoggerSim();
    LoggerSim(const LoggerSim&) = delete;
    LoggerSim& operator=(const LoggerSim&) = delete;

    // Opens a pseudo-terminal (if none is open) and starts answering. Throws std::system_error.
    void start();
    // Stops answering and closes the pseudo-terminal.
    void stop();
    // The line drops now: the master side is closed, the program's reads fail.
    void hangUp() { stop(); }
    // A fresh pseudo-terminal (new slave path) with the same memory and current settings.
    void restart();
    // True while the pseudo-terminal is open and being answered.
    bool isUp() const { return up_; }
    std::string slavePath() const;

    void addFault(const Fault& fault);
    void clearFaults();

    // Every byte received (carriage returns and line feeds included) since start or clearReceived.
    std::string received() const;
    // Every complete, non-empty command received, without its carriage return.
    std::vector<std::string> commands() const;
    void clearReceived();
    // For each command that came after an answer, the time from the answer's last character
    // leaving to the command's carriage return arriving: the client's turn-around, since start or
    // clearReceived.
    std::vector<std::chrono::nanoseconds> turnarounds() const;
    bool waitForCommands(std::size_t count, std::chrono::milliseconds timeout) const;

    // Exact answers of the logger's records, carriage return included.
    std::string mainRecord(long i) const;
    std::string tempRecord(long i) const;
    std::string lapRecord(long lap) const;  // lap from 1
    MainValues mainValues(long i) const;
    int temperature(long i) const;
    LapValues lapValues(long lap) const;

    long mainCount() const;
    long tempCount() const;
    long lapCount() const;
    bool tempFitted() const;
    int interval() const;
    std::uint32_t tyreMm() const;
    std::uint16_t batteryCah() const;

private:
    struct Reply {
        bool send = true;
        bool hangUp = false;
        std::string text;
        std::chrono::milliseconds delay{0};
    };

    // Runs `read` on the logger's memory under the state lock.
    template <typename Read>
    auto locked(Read read) const {
        std::lock_guard lock(stateMutex_);
        return read(logger_);
    }

    void openPty();
    void closePty();
    void run();
    Reply handle(const std::string& cmd);
    bool transmit(const std::string& text, Clock::time_point start);
    Clock::time_point deliveredAt(Clock::time_point start, std::size_t index) const;
    bool writeAll(const char* data, std::size_t size);
    bool sleepUntil(Clock::time_point when) const;

    const bool instant_;
    const std::chrono::nanoseconds latency_;
    const long badAnswerEvery_;
    const long lateAnswerEvery_;
    const std::chrono::milliseconds lateAnswer_;
    std::mt19937 noise_;  // under stateMutex_
    mutable std::mutex stateMutex_;  // logger_, faults_
    Logger logger_;
    std::vector<Fault> faults_;

    mutable std::mutex ioMutex_;  // received_, commands_, turnarounds_, slavePath_
    mutable std::condition_variable commandArrived_;
    std::string received_;
    std::vector<std::string> commands_;
    std::vector<std::chrono::nanoseconds> turnarounds_;
    std::string slavePath_;

    int master_ = -1;
    int slave_ = -1;
    std::thread worker_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> up_{false};
};

}  // namespace ybsim
