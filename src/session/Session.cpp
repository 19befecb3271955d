#include "session/Session.h"

#include <QCoreApplication>

#include <algorithm>

#include "serial/ValueRules.h"

namespace yb {

QString PortLostText(const QString& reason) {
    return QCoreApplication::translate("Session", "シリアルポートが使用できなくなりました: %1")
        .arg(reason);
}

QString ComNameErrorText() {
    return QCoreApplication::translate("Session", "COM 設定エラー");
}

QString ConnectedText() {
    return QCoreApplication::translate("Session", "YB 接続確認できました");
}

QString NotConnectedText() {
    return QCoreApplication::translate("Session", "YB 接続確認できませんでした");
}

// Marks an operation as running for as long as it is in scope.
class Session::OperationScope {
public:
    OperationScope(Session& session, Operation operation) : session_(session) {
        session_.running_ = operation;
        session_.line_->allowAgain();
        emit session_.operationChanged(operation);
    }
    ~OperationScope() {
        session_.running_ = Operation::None;
        emit session_.operationChanged(Operation::None);
    }
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;

private:
    Session& session_;
};

Session::Session(QObject* parent) : QObject(parent) {
    connect(&port_, &CommPort::commEvent, this, &Session::commEvent);
    // Before the exchange hears of it: the loss is reported first, then the operation that was
    // waiting ends with its own failure text.
    connect(&port_, &CommPort::portLost, this, &Session::onPortLost);
    line_ = std::make_unique<LineExchange>(port_);
    connect(line_.get(), &LineExchange::commandSent, this, &Session::commandSent);
}

Session::~Session() {
    shutdown();
}

void Session::cancel() {
    if (busy()) line_->cancel();
}

void Session::shutdown() {
    cancel();
    port_.close();
}

bool Session::unsaved() const {
    return store_.stored(Stage::Main) > 0 && store_.revision() != savedRevision_;
}

Outcome Session::closePort() {
    return runNow<Outcome>([this] {
        port_.close();
        return Outcome{};
    });
}

void Session::onPortLost(const QString& reason) {
    if (opening_) {
        lostWhileOpening_ = reason;  // the open reports it
        return;
    }
    emit portLost(PortLostText(reason));
}

template <typename Result, typename Body>
QCoro::Task<Result> Session::run(Operation operation, Body body) {
    if (busy()) {
        Result busy;
        busy.ending = Ending::Busy;
        co_return busy;
    }
    OperationScope scope(*this, operation);
    co_return co_await body();
}

template <typename Result, typename Body>
Result Session::runNow(Body body) {
    if (busy()) {
        Result busy;
        busy.ending = Ending::Busy;
        return busy;
    }
    return body();
}

PortOutcome Session::open(const PortAddress& address) {
    return runNow<PortOutcome>([&] {
        PortOutcome outcome;
        opening_ = true;
        lostWhileOpening_.clear();
        bool opened = false;
        bool ready = false;
        try {
            port_.open(address);
            opened = true;
            chosen_ = address;
            // A fresh line: nothing stale in the buffer, and one empty command line.
            port_.discardInput();
            ready = port_.output("\r");
            if (!ready)
                outcome.reason = QCoreApplication::translate(
                    "Session", "the port does not take what is written");
        } catch (const PortError& e) {
            outcome.reason = QString::fromStdString(e.what());
        }
        opening_ = false;
        if (ready && port_.portOpen()) return outcome;
        // Closed at the end, whatever happened on the way: one report of the real reason.
        port_.close();
        outcome.ending = Ending::Failed;
        if (!lostWhileOpening_.isEmpty()) outcome.reason = lostWhileOpening_;
        outcome.text = opened ? PortLostText(outcome.reason) : kSettingErrorText;
        return outcome;
    });
}

PortOutcome Session::openNamed(const QString& name) {
    if (!name.startsWith(QLatin1String("COM"))) {
        PortOutcome refused;
        refused.ending = Ending::Refused;
        refused.text = ComNameErrorText();
        return refused;
    }
    const auto number = RoundToInt16(LeadingNumberValue(name.mid(3).toStdString()));
    if (!number) {
        PortOutcome failed;
        failed.ending = Ending::Failed;
        failed.text = kSettingErrorText;
        failed.reason = QCoreApplication::translate("Session", "port number out of range");
        return failed;
    }
    return open(PortAddress{*number, {}});
}

PortOutcome Session::openDevice(const QString& device) {
    return open(PortAddress{0, device});
}

PortOutcome Session::choosePort(int number) {
    return runNow<PortOutcome>([&] {
        PortOutcome outcome;
        chosen_ = PortAddress{number, {}};
        if (!port_.portOpen()) return outcome;
        try {
            port_.open(chosen_, port_.settings());
        } catch (const PortError& e) {
            port_.close();
            outcome.ending = Ending::Failed;
            outcome.text = kSettingErrorText;
            outcome.reason = QString::fromStdString(e.what());
        }
        return outcome;
    });
}

QCoro::Task<CheckOutcome> Session::checkConnection() {
    return run<CheckOutcome>(Operation::CheckConnection, [this]() -> QCoro::Task<CheckOutcome> {
        CheckOutcome outcome;
        if (!portOpen()) {
            outcome.ending = Ending::Refused;
            outcome.text = kPortNotOpenText;
            co_return outcome;
        }
        const Answer answer = co_await line_->ask("?");
        if (answer.state == Answer::State::Cancelled) {
            outcome.ending = Ending::Cancelled;
            co_return outcome;
        }
        outcome.answer = answer.text;
        const bool ok = answer.answered() && BeginsWithOK(answer.text);
        outcome.ending = ok ? Ending::Done : Ending::Failed;
        outcome.text = ok ? ConnectedText() : NotConnectedText();
        co_return outcome;
    });
}

QCoro::Task<SettingRead> Session::readSetting(Setting setting) {
    return run<SettingRead>(Operation::ReadSetting,
                            [this, setting] { return ReadSetting(setting, *line_); });
}

QCoro::Task<Outcome> Session::writeSetting(Setting setting, QString text) {
    return run<Outcome>(Operation::WriteSetting, [this, setting, text = std::move(text)] {
        return WriteSetting(setting, text, *line_);
    });
}

QCoro::Task<DownloadOutcome> Session::download() {
    return run<DownloadOutcome>(Operation::Download, [this]() -> QCoro::Task<DownloadOutcome> {
        const auto report = [this](const DownloadProgress& p) { emit downloadProgress(p); };
        DownloadOutcome outcome = co_await Download(*line_, store_, report, options_);
        co_return noteEnd(std::move(outcome));
    });
}

QCoro::Task<DownloadOutcome> Session::resume() {
    return run<DownloadOutcome>(Operation::Download, [this]() -> QCoro::Task<DownloadOutcome> {
        const auto report = [this](const DownloadProgress& p) { emit downloadProgress(p); };
        const DownloadStop stop = stopped_.value_or(DownloadStop{});
        DownloadOutcome outcome = co_await ResumeDownload(*line_, store_, stop, report, options_);
        co_return noteEnd(std::move(outcome));
    });
}

DownloadOutcome Session::noteEnd(DownloadOutcome outcome) {
    if (outcome.done()) {
        stopped_.reset();
    } else if (outcome.ending != Ending::Refused) {
        stopped_ = outcome.stop;
    }
    return outcome;
}

Outcome Session::adoptStopped(const RecordStore& store, const DownloadStop& stop) {
    return runNow<Outcome>([&] {
        store_ = store;
        stopped_ = stop;
        markSaved();  // what came from a file is saved there
        return Outcome{};
    });
}

void Session::setRetries(int retries) {
    options_.retries = std::clamp(retries, 0, DownloadOptions::kMaxRetries);
}

}  // namespace yb
