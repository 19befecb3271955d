#include "sim/LoggerSim.h"

#include <fcntl.h>
#include <poll.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <utility>

namespace ybsim {

namespace {

constexpr int kPollMs = 10;  // how long the worker waits at most before it looks at stopping_

[[noreturn]] void throwErrno(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

timespec toTimespec(LoggerSim::Clock::time_point when) {
    auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(when.time_since_epoch()).count();
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
    ts.tv_nsec = static_cast<long>(ns % 1'000'000'000);
    return ts;
}

bool isHex(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
    });
}

}  // namespace

bool Fault::matches(const std::string& cmd) const {
    if (record < 0) return cmd == command;
    if (!cmd.starts_with(command)) return false;
    std::string rest = cmd.substr(command.size());
    if (!isHex(rest) || rest.size() > 8) return false;
    return std::strtol(rest.c_str(), nullptr, 16) == record;
}

LoggerSim::LoggerSim(const Options& options)
    : instant_(options.instant),
      latency_(std::chrono::milliseconds(std::max(0, options.adapterLatencyMs))),
      badAnswerEvery_(std::max(0L, options.badAnswerEvery)),
      lateAnswerEvery_(std::max(0L, options.lateAnswerEvery)),
      lateAnswer_(std::max(0, options.lateAnswerMs)),
      noise_(options.seed ^ 0x5EEDu),
      logger_(options) {}

LoggerSim::~LoggerSim() {
    stop();
}

void LoggerSim::openPty() {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) throwErrno("posix_openpt");
    char name[256];
    if (grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0) {
        int err = errno;
        ::close(master);
        errno = err;
        throwErrno("grantpt/unlockpt/ptsname");
    }
    // Our own slave descriptor stays open for the pty's whole life, so the master never sees a
    // hang-up while the program has the port closed. It is never read.
    int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        int err = errno;
        ::close(master);
        errno = err;
        throwErrno("open pty slave");
    }
    termios tio{};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, B38400);
    cfsetospeed(&tio, B38400);
    tcsetattr(slave, TCSANOW, &tio);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    // A program started meanwhile (the tests run the downloader) holds neither end: the line
    // drops for it when this side closes.
    fcntl(master, F_SETFD, FD_CLOEXEC);

    master_ = master;
    slave_ = slave;
    std::lock_guard lock(ioMutex_);
    slavePath_ = name;
}

void LoggerSim::closePty() {
    up_ = false;  // before the close, so whoever sees the line drop also sees isUp() false
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
    master_ = slave_ = -1;
}

void LoggerSim::start() {
    if (worker_.joinable()) {
        if (up_) return;
        worker_.join();  // the worker ended by a hang-up rule
    }
    if (master_ < 0) openPty();
    stopping_ = false;
    up_ = true;
    worker_ = std::thread([this] { run(); });
}

void LoggerSim::stop() {
    stopping_ = true;
    if (worker_.joinable()) worker_.join();
    closePty();
    stopping_ = false;
}

void LoggerSim::restart() {
    stop();
    start();
}

std::string LoggerSim::slavePath() const {
    std::lock_guard lock(ioMutex_);
    return slavePath_;
}

void LoggerSim::addFault(const Fault& fault) {
    std::lock_guard lock(stateMutex_);
    faults_.push_back(fault);
}

void LoggerSim::clearFaults() {
    std::lock_guard lock(stateMutex_);
    faults_.clear();
}

std::string LoggerSim::received() const {
    std::lock_guard lock(ioMutex_);
    return received_;
}

std::vector<std::chrono::nanoseconds> LoggerSim::turnarounds() const {
    std::lock_guard lock(ioMutex_);
    return turnarounds_;
}

std::vector<std::string> LoggerSim::commands() const {
    std::lock_guard lock(ioMutex_);
    return commands_;
}

void LoggerSim::clearReceived() {
    std::lock_guard lock(ioMutex_);
    received_.clear();
    turnarounds_.clear();
    commands_.clear();
}

bool LoggerSim::waitForCommands(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(ioMutex_);
    return commandArrived_.wait_for(lock, timeout, [&] { return commands_.size() >= count; });
}

// The worker: reads the master, cuts commands at carriage returns and answers each in turn.
// While it answers it does not read; whatever the program sends meanwhile waits in the pty.
void LoggerSim::run() {
#ifdef __linux__
    // A UART shifts each character out on time. Linux lets a sleeping thread wake up to 50 µs
    // late by default (its timer slack), which would put that much dead time after every answer.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
    std::string pending;
    Clock::time_point answered{};  // when the last answer's last character left; {}: none since
    char buf[512];
    while (!stopping_) {
        pollfd pfd{master_, POLLIN, 0};
        int ready = ::poll(&pfd, 1, kPollMs);
        if (ready <= 0) continue;
        ssize_t n = ::read(master_, buf, sizeof buf);
        if (n <= 0) continue;
        {
            std::lock_guard lock(ioMutex_);
            received_.append(buf, static_cast<std::size_t>(n));
        }
        for (ssize_t i = 0; i < n && !stopping_; ++i) {
            char c = buf[i];
            if (c == '\n') continue;
            if (c != '\r') {
                pending += c;
                continue;
            }
            const auto arrived = Clock::now();
            const std::string line = std::exchange(pending, {});
            const Reply reply = handle(line);
            if (!line.empty()) {
                std::lock_guard lock(ioMutex_);
                commands_.push_back(line);
                if (answered != Clock::time_point{}) turnarounds_.push_back(arrived - answered);
            }
            answered = {};
            commandArrived_.notify_all();
            if (reply.hangUp) {
                closePty();
                return;
            }
            if (!reply.send) continue;
            // A late answer starts after its delay; any other once the command's own characters
            // would have left the line.
            auto start = arrived + reply.delay;
            if (!instant_ && reply.delay.count() == 0) {
                start += kCharTime * static_cast<long>(line.size() + 1);
            }
            if (!transmit(reply.text, start)) return;
            answered = Clock::now();
        }
    }
}

// Carries out one command under the fault rules. Settings change here, before any pacing, so a
// test that saw the command arrive also sees its effect. An empty line is answered only by a rule.
LoggerSim::Reply LoggerSim::handle(const std::string& cmd) {
    std::lock_guard lock(stateMutex_);
    auto rule = std::find_if(faults_.begin(), faults_.end(),
                             [&](const Fault& f) { return f.matches(cmd); });
    const auto answer = [&] { return cmd.empty() ? std::string() : logger_.answer(cmd); };
    Reply reply;
    if (rule == faults_.end()) {
        reply.text = answer();
        reply.send = !cmd.empty();
        // The line's noise: one character of the answer (never its line end) spoiled.
        if (badAnswerEvery_ > 0 && reply.text.size() > 1 &&
            noise_() % static_cast<unsigned long>(badAnswerEvery_) == 0) {
            reply.text[noise_() % (reply.text.size() - 1)] = '\xFF';  // a framing error
        }
        if (lateAnswerEvery_ > 0 && noise_() % static_cast<unsigned long>(lateAnswerEvery_) == 0) {
            reply.delay = lateAnswer_;
        }
        return reply;
    }
    Fault fault = *rule;
    if (!fault.always) faults_.erase(rule);

    switch (fault.action) {
        case FaultAction::Silence:
            reply.send = false;
            break;
        case FaultAction::HangUp:
            reply.send = false;
            reply.hangUp = true;
            break;
        case FaultAction::Late:
            reply.text = answer();
            if (!fault.answer.empty()) reply.text = fault.answer;
            reply.delay = std::chrono::milliseconds(fault.delayMs);
            break;
        case FaultAction::Replace:
            answer();
            reply.text = fault.answer;
            break;
        case FaultAction::LineError:
            reply.text = answer();
            if (!reply.text.empty()) {
                reply.text[std::min(fault.errorAt, reply.text.size() - 1)] = '\xFF';
            }
            break;
    }
    return reply;
}

// When character `index` of an answer that starts at `start` reaches the program. On the line
// each character is complete one character time after the one before (instantly, all are there
// at `start`). An adapter with a latency timer holds what it has received and hands it on when
// its timer runs out: `latency` after the first character, and every `latency` after that.
LoggerSim::Clock::time_point LoggerSim::deliveredAt(Clock::time_point start,
                                                    std::size_t index) const {
    const auto charTime = instant_ ? std::chrono::nanoseconds(0) : kCharTime;
    const auto first = start + charTime;
    const auto sinceFirst = charTime * static_cast<long>(index);
    if (latency_.count() == 0) return first + sinceFirst;
    const auto ticks =
        std::max<long>(1, (sinceFirst + latency_ - std::chrono::nanoseconds(1)) / latency_);
    return first + latency_ * ticks;
}

// Sends each character when it is due. The schedule is absolute: whatever has fallen due by the
// time the worker wakes goes out in one write, so wake-up latencies never add up; on an idle
// machine that is one character per character time.
bool LoggerSim::transmit(const std::string& text, Clock::time_point start) {
    for (std::size_t sent = 0; sent < text.size();) {
        if (!sleepUntil(deliveredAt(start, sent))) return false;
        const auto now = Clock::now();
        std::size_t due = sent + 1;
        while (due < text.size() && deliveredAt(start, due) <= now) ++due;
        if (!writeAll(text.data() + sent, due - sent)) return false;
        sent = due;
    }
    return true;
}

bool LoggerSim::writeAll(const char* data, std::size_t size) {
    while (size > 0) {
        if (stopping_) return false;
        ssize_t n = ::write(master_, data, size);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd pfd{master_, POLLOUT, 0};
            ::poll(&pfd, 1, kPollMs);  // the program is not reading; wait for room
        } else {
            return false;
        }
    }
    return true;
}

// Sleeps until the given time; false when stop() interrupted the wait.
bool LoggerSim::sleepUntil(Clock::time_point when) const {
    while (!stopping_) {
        auto now = Clock::now();
        if (now >= when) return true;
        auto step = std::min(when, now + std::chrono::milliseconds(kPollMs));
        timespec ts = toTimespec(step);
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr);
    }
    return false;
}

std::string LoggerSim::mainRecord(long i) const {
    return locked([&](const Logger& l) { return l.mainRecord(i); });
}
std::string LoggerSim::tempRecord(long i) const {
    return locked([&](const Logger& l) { return l.tempRecord(i); });
}
std::string LoggerSim::lapRecord(long lap) const {
    return locked([&](const Logger& l) { return l.lapRecord(lap); });
}
MainValues LoggerSim::mainValues(long i) const {
    return locked([&](const Logger& l) { return l.mainValues(i); });
}
int LoggerSim::temperature(long i) const {
    return locked([&](const Logger& l) { return l.temperature(i); });
}
LapValues LoggerSim::lapValues(long lap) const {
    return locked([&](const Logger& l) { return l.lapValues(lap); });
}
long LoggerSim::mainCount() const {
    return locked([&](const Logger& l) { return l.mainCount(); });
}
long LoggerSim::tempCount() const {
    return locked([&](const Logger& l) { return l.tempCount(); });
}
long LoggerSim::lapCount() const {
    return locked([&](const Logger& l) { return l.lapCount(); });
}
bool LoggerSim::tempFitted() const {
    return locked([&](const Logger& l) { return l.tempFitted(); });
}
int LoggerSim::interval() const {
    return locked([&](const Logger& l) { return l.interval(); });
}
std::uint32_t LoggerSim::tyreMm() const {
    return locked([&](const Logger& l) { return l.tyreMm(); });
}
std::uint16_t LoggerSim::batteryCah() const {
    return locked([&](const Logger& l) { return l.batteryCah(); });
}

}  // namespace ybsim
