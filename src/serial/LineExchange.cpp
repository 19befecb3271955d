#include "serial/LineExchange.h"

#include <algorithm>

namespace yb {

namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

}  // namespace

// Marks an exchange as running for as long as it is in scope, also when an exception leaves it.
class LineExchange::BusyScope {
public:
    explicit BusyScope(bool& flag) : flag_(flag) {
        if (flag_) throw ExchangeBusy("another exchange is in progress");
        flag_ = true;
    }
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag_;
};

LineExchange::LineExchange(CommPort& port, QObject* parent) : QObject(parent), port_(port) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    const auto wake = [this] { wakeup_.fire(); };
    connect(&timer_, &QTimer::timeout, this, wake);
    connect(&port_, &CommPort::readyRead, this, wake);
    connect(&port_, &CommPort::portLost, this, wake);
}

void LineExchange::cancel() {
    cancelled_ = true;
    timer_.stop();
    wakeup_.fire();
}

void LineExchange::throwIfCancelled() const {
    if (cancelled_) throw ExchangeCancelled();
}

void LineExchange::send(const std::string& command) {
    throwIfCancelled();
    port_.discardInput();
    port_.output(command + '\r');
}

Wakeup::Awaiter LineExchange::waitUntil(Clock::time_point until) {
    // Characters of one answer arrive one by one: the timer is only set again when the instant
    // to wake at changes.
    if (!timer_.isActive() || until != timerUntil_) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
        timer_.start(std::max<std::chrono::milliseconds>(left, std::chrono::milliseconds(0)));
        timerUntil_ = until;
    }
    return wakeup_.wait();
}

QCoro::Task<std::string> LineExchange::ask(std::string command, std::chrono::milliseconds wait) {
    BusyScope scope(busy_);
    send(command);
    emit commandSent();
    // The whole wait, however early the answer is complete: the logger's answers to these
    // commands have no fixed length.
    const auto end = Clock::now() + wait;
    while (Clock::now() < end) {
        co_await waitUntil(end);
        throwIfCancelled();
        if (!port_.portOpen()) break;  // the read below reports the failure
    }
    timer_.stop();
    co_return port_.input();
}

QCoro::Task<std::string> LineExchange::askRecord(std::string command, RecordAnswer shape,
                                                 std::function<void()> whileWaiting) {
    BusyScope scope(busy_);
    send(command);
    if (whileWaiting) whileWaiting();
    const auto deadline = Clock::now() + shape.deadline;
    std::string answer;
    auto lastArrival = Clock::now();
    for (;;) {
        std::string more = port_.input();
        const auto now = Clock::now();
        if (!more.empty()) {
            answer += more;
            lastArrival = now;
        }
        if (answer.size() == shape.length && !IsHexDigit(answer.back())) break;
        if (now >= deadline) break;
        auto until = deadline;
        if (answer.size() >= shape.length) {
            // Too long, or not ended yet: wait for the line to fall quiet, then let the caller
            // judge what came.
            const auto quiet = lastArrival + kQuietLine;
            if (now >= quiet) break;
            until = std::min(until, quiet);
        }
        co_await waitUntil(until);
        throwIfCancelled();
    }
    timer_.stop();
    if (answer.size() < shape.length) answer.clear();
    co_return answer;
}

}  // namespace yb
