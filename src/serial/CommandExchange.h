#pragma once
// One command line to the logger and the text that comes back.
//
// mSendCommandGetAns waits a fixed time while window events keep running, then takes whatever
// arrived. The three record exchanges (main-data, temperature and lap records) poll the line
// without running window events and return as soon as the answer is complete.
//
// Exchanges never overlap: all of them share the time-out timer and the line. InProgress() is
// true from an exchange's write to its last read; the window ignores every command that would
// start another exchange or close the port meanwhile. Port failures (PortError) pass through to
// the calling command.

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <stdexcept>
#include <string>

#include "serial/CommPort.h"
#include "serial/View.h"
#include "serial/WindowState.h"

namespace yb {

// An exchange was asked for while another one was still waiting.
class ExchangeBusy : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

class CommandExchange : public QObject {
    Q_OBJECT
public:
    static constexpr int kPollLimit = 100;
    static constexpr int kMainRecordLength = 17;
    static constexpr int kTempRecordLength = 3;
    static constexpr int kLapRecordLength = 9;

    CommandExchange(CommPort& port, WindowState& state, View& view, QObject* parent = nullptr);

    // Sends cmd, waits `tm` milliseconds while window events run, then sets `ans` to every
    // character that arrived. With the port closed: "CommPort Not Open..." and `ans` unchanged.
    void mSendCommandGetAns(const std::string& cmd, std::string& ans, std::int16_t tm);
    // Record requests: `ans` receives the answer once it has 17 (main data), 3 (temperature) or
    // 9 (lap) characters, or "" when it is still short after the poll limit.
    void mSendCommandGetAns_D1(const std::string& cmd, std::string& ans);
    void mSendCommandGetAns_D2(const std::string& cmd, std::string& ans);
    void mSendCommandGetAns_Lap(const std::string& cmd, std::string& ans);

    bool InProgress() const { return inProgress_; }
    // Ends a running wait at once; used when the program quits in the middle of an exchange.
    void Abandon() { abandoned_ = true; }

    // Tick of the time-out timer.
    void Timer1_Timer();

    QTimer Timer1;               // one-shot answer time-out
    bool fTimeOut = false;       // the time-out has expired
    std::int16_t PollCount = 0;  // polls made by the running record request

private:
    void WaitAnswer(std::int16_t tm);
    void StartTimeOut(std::int16_t tm);
    void StopTimeOut();
    void RecordExchange(const std::string& cmd, std::string& ans, std::size_t completeLength,
                        int pauseMs);
    bool PortClosed();

    CommPort& port_;
    WindowState& state_;
    View& view_;
    bool inProgress_ = false;
    bool abandoned_ = false;
};

}  // namespace yb
