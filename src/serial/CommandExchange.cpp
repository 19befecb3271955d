#include "serial/CommandExchange.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace yb {

namespace {

// Marks an exchange as running for as long as it is in scope, also when a PortError leaves it.
class ExchangeScope {
public:
    explicit ExchangeScope(bool& flag) : flag_(flag) {
        if (flag_) throw ExchangeBusy("another exchange is in progress");
        flag_ = true;
    }
    ~ExchangeScope() { flag_ = false; }
    ExchangeScope(const ExchangeScope&) = delete;
    ExchangeScope& operator=(const ExchangeScope&) = delete;

private:
    bool& flag_;
};

constexpr int kMainPauseMs = 5;
constexpr int kTempPauseMs = 3;
constexpr int kLapPauseMs = 5;

}  // namespace

CommandExchange::CommandExchange(CommPort& port, WindowState& state, View& view, QObject* parent)
    : QObject(parent), port_(port), state_(state), view_(view) {
    Timer1.setTimerType(Qt::PreciseTimer);
    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &CommandExchange::Timer1_Timer);
}

bool CommandExchange::PortClosed() {
    if (state_.fCommOpen) return false;
    view_.setText(Field::Status, QStringLiteral("CommPort Not Open..."));
    return true;
}

void CommandExchange::mSendCommandGetAns(const std::string& cmd, std::string& ans,
                                         std::int16_t tm) {
    if (PortClosed()) return;
    ExchangeScope scope(inProgress_);
    // Characters that came after an earlier exchange's time-out are no answer to this command.
    port_.discardInput();
    port_.output(cmd + state_.CmdTerminator);
    view_.setText(Field::Status, QStringLiteral("Message Sent"));
    WaitAnswer(tm);
    ans = port_.input();
}

void CommandExchange::WaitAnswer(std::int16_t tm) {
    QElapsedTimer elapsed;
    elapsed.start();
    StartTimeOut(tm);
    while (!abandoned_) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (!fTimeOut) continue;
        // The answer time-out never ends the wait early, however the timer is realised.
        const auto left = tm - elapsed.elapsed();
        if (left <= 0) break;
        StartTimeOut(static_cast<std::int16_t>(left));
    }
    StopTimeOut();
}

void CommandExchange::StartTimeOut(std::int16_t tm) {
    Timer1.stop();
    fTimeOut = false;
    Timer1.setInterval(tm);
    Timer1.start();
}

void CommandExchange::StopTimeOut() {
    fTimeOut = false;
    Timer1.stop();
}

void CommandExchange::Timer1_Timer() {
    fTimeOut = true;
    Timer1.stop();
}

void CommandExchange::mSendCommandGetAns_D1(const std::string& cmd, std::string& ans) {
    RecordExchange(cmd, ans, kMainRecordLength, kMainPauseMs);
}

void CommandExchange::mSendCommandGetAns_D2(const std::string& cmd, std::string& ans) {
    RecordExchange(cmd, ans, kTempRecordLength, kTempPauseMs);
}

void CommandExchange::mSendCommandGetAns_Lap(const std::string& cmd, std::string& ans) {
    RecordExchange(cmd, ans, kLapRecordLength, kLapPauseMs);
}

void CommandExchange::RecordExchange(const std::string& cmd, std::string& ans,
                                     std::size_t completeLength, int pauseMs) {
    if (PortClosed()) return;
    ExchangeScope scope(inProgress_);
    port_.discardInput();
    port_.output(cmd + state_.CmdTerminator);
    ans.clear();
    PollCount = 0;
    // Each poll waits at most its pause and reads as soon as characters arrive, so a record
    // costs little more than its time on the line.
    while (ans.size() < completeLength && PollCount < kPollLimit) {
        port_.waitForInput(pauseMs);
        ans += port_.input();
        ++PollCount;
    }
    if (ans.size() < completeLength || PollCount == kPollLimit) ans.clear();
}

}  // namespace yb
