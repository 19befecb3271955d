#include "serial/LineExchange.h"

#include <algorithm>

namespace yb {

// Marks an exchange as running for as long as it is in scope.
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

LineExchange::LineExchange(Line& line, std::unique_ptr<LineClock> clock, QObject* parent)
    : QObject(parent), line_(line), clock_(std::move(clock)) {
    if (!clock_) clock_ = std::make_unique<SteadyLineClock>();
    const auto wake = [this] { wakeup_.fire(); };
    clock_->onWake = wake;
    connect(&line_, &Line::readyRead, this, wake);
    connect(&line_, &Line::portLost, this, wake);
}

void LineExchange::cancel() {
    cancelled_ = true;
    clock_->stopWake();
    wakeup_.fire();
}

std::optional<Answer::State> LineExchange::interruption() const {
    if (cancelled_) return Answer::State::Cancelled;
    if (!line_.portOpen()) return Answer::State::PortLost;
    return std::nullopt;
}

std::optional<Answer::State> LineExchange::send(std::string_view command) {
    if (auto ended = interruption()) return ended;
    // Stale characters are no answer, but their line ends are still paid.
    take();
    line_.discardInput();
    std::string text(command);
    text += '\r';
    if (!line_.output(text)) return Answer::State::PortLost;
    owed_.push_back(clock_->now());
    return std::nullopt;
}

std::string LineExchange::take() {
    std::string more = line_.input();
    if (more.empty()) return more;
    lastArrival_ = clock_->now();
    for (const char c : more) {
        if (!IsLineEnd(c)) continue;
        if (owed_.empty()) {
            ++surplus_;
        } else {
            owed_.pop_front();
        }
    }
    return more;
}

void LineExchange::openAccount() {
    owed_.clear();
    givenUp_ = 0;
    surplus_ = 0;
}

void LineExchange::forgiveLast() {
    if (!owed_.empty()) owed_.pop_back();
}

Wakeup::Awaiter LineExchange::waitUntil(TimePoint until) {
    clock_->wakeAt(until);
    return wakeup_.wait();
}

QCoro::Task<Answer> LineExchange::ask(std::string command, std::chrono::milliseconds wait) {
    BusyScope scope(busy_);
    if (auto ended = send(command)) co_return Answer{*ended, {}};
    emit commandSent();
    // The whole wait, however early the answer is complete: the logger's answers to these
    // commands have no fixed length.
    const auto end = clock_->now() + wait;
    for (;;) {
        if (auto ended = interruption()) {
            clock_->stopWake();
            co_return Answer{*ended, {}};
        }
        if (clock_->now() >= end) break;
        co_await waitUntil(end);
    }
    clock_->stopWake();
    std::string text = take();
    co_return Answer{text.empty() ? Answer::State::TimedOut : Answer::State::Answered,
                     std::move(text)};
}

QCoro::Task<Answer> LineExchange::askRecord(std::string command, std::chrono::milliseconds deadline,
                                            std::function<void()> whileWaiting) {
    BusyScope scope(busy_);
    if (auto ended = send(command)) co_return Answer{*ended, {}};
    if (whileWaiting) whileWaiting();
    const auto until = clock_->now() + deadline;
    Answer answer{Answer::State::TimedOut, {}};
    for (;;) {
        answer.text += take();
        const auto end = std::find_if(answer.text.begin(), answer.text.end(), IsLineEnd);
        if (end != answer.text.end()) {
            // Whatever came after the line end belongs to no answer.
            answer.text.erase(end + 1, answer.text.end());
            answer.state = Answer::State::Answered;
            break;
        }
        if (auto ended = interruption()) {
            answer.state = *ended;
            break;
        }
        if (clock_->now() >= until) break;
        co_await waitUntil(until);
    }
    clock_->stopWake();
    co_return answer;
}

QCoro::Task<Answer> LineExchange::settle(std::chrono::microseconds quiet,
                                         std::chrono::milliseconds limit) {
    BusyScope scope(busy_);
    const auto giveUp = clock_->now() + limit;
    Answer settled;
    for (;;) {
        if (auto ended = interruption()) {
            settled.state = *ended;
            break;
        }
        settled.text += take();
        const auto now = clock_->now();
        const auto quietFrom = lastArrival_ + quiet;
        if (now >= quietFrom || now >= giveUp) break;
        co_await waitUntil(std::min(quietFrom, giveUp));
    }
    clock_->stopWake();
    co_return settled;
}

QCoro::Task<Answer> LineExchange::listen(std::chrono::milliseconds wait) {
    BusyScope scope(busy_);
    const auto end = clock_->now() + wait;
    Answer heard;
    for (;;) {
        if (auto ended = interruption()) {
            heard.state = *ended;
            break;
        }
        heard.text += take();
        if (clock_->now() >= end) {
            heard.state = heard.text.empty() ? Answer::State::TimedOut : Answer::State::Answered;
            break;
        }
        co_await waitUntil(end);
    }
    clock_->stopWake();
    co_return heard;
}

QCoro::Task<Answer> LineExchange::drain() {
    BusyScope scope(busy_);
    Answer drained;
    for (;;) {
        if (auto ended = interruption()) {
            drained.state = *ended;
            break;
        }
        drained.text += take();
        if (owed_.empty()) break;
        const auto now = clock_->now();
        while (!owed_.empty() && now >= owed_.front() + kLateAnswerLimit) {
            owed_.pop_front();
            ++givenUp_;
        }
        if (owed_.empty()) break;
        co_await waitUntil(owed_.front() + kLateAnswerLimit);
    }
    clock_->stopWake();
    co_return drained;
}

}  // namespace yb
