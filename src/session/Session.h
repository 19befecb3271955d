#pragma once
// One connection to a logger: the port, the store and the operation that runs on them.
//
// The window, the command line and the tests are shells around a session: they open the port,
// start operations and show what the session reports. Operations are coroutines on the event loop
// (they suspend while the line is busy, nothing blocks) and only one runs at a time: a second one
// is refused (Ending::Busy, no text) and sends nothing. cancel() ends the running operation at
// its next wait; destroying the session cancels it and closes the port, so no operation outlives
// its session.

#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <string>

#include <qcoro/qcorotask.h>

#include "download/Download.h"
#include "download/RecordStore.h"
#include "serial/CommPort.h"
#include "serial/LineExchange.h"
#include "serial/Outcome.h"
#include "settings/Settings.h"

namespace yb {

// The same in every language, as the serial status texts are.
inline const QString kSettingErrorText = QStringLiteral("Setting Error");
// In the interface's language: "COM 設定エラー", "YB 接続確認できました",
// "YB 接続確認できませんでした".
QString ComNameErrorText();
QString ConnectedText();
QString NotConnectedText();

// The message for a port that failed underneath (adapter unplugged, I/O error), in the
// interface's language.
QString PortLostText(const QString& reason);

enum class Operation { None, CheckConnection, ReadSetting, WriteSetting, Download };

struct PortOutcome : Outcome {
    QString reason;  // why the port could not be opened, in the system's words
};

struct CheckOutcome : Outcome {
    std::string answer;  // the logger's answer as received ("" when none)
};

class Session : public QObject {
    Q_OBJECT
public:
    explicit Session(QObject* parent = nullptr);
    ~Session() override;

    // Opens the port a name of the port box stands for ("COM3"; blanks and a fraction are read as
    // the number is), at 38400,N,8,1, empties the receive buffer and sends one carriage return.
    // Refused with "COM 設定エラー" when the name does not begin with "COM"; Failed with
    // "Setting Error" and a reason when the port cannot be opened, or with the port-lost text when
    // the line drops during the open. Either way the port ends open or closed, never in between.
    PortOutcome openNamed(const QString& name);
    // The same for a device path or system port name ("/dev/ttyUSB0", "COM3" on Windows).
    PortOutcome openDevice(const QString& device);
    // Busy while an operation talks to the logger: the port stays open from a request to its
    // answer.
    Outcome closePort();
    // A port number chosen from the list: while open, the port is reopened on that number (Failed,
    // closed, "Setting Error" when that fails); while closed it is only remembered.
    PortOutcome choosePort(int number);
    bool portOpen() const { return port_.portOpen(); }
    // "38400,N,8,1", as the port was opened.
    QString lineSettings() const { return port_.settings().text(); }
    // The port the next open without a name of its own goes to, and the open port's.
    const PortAddress& chosenPort() const { return chosen_; }

    QCoro::Task<CheckOutcome> checkConnection();
    QCoro::Task<SettingRead> readSetting(Setting setting);
    QCoro::Task<Outcome> writeSetting(Setting setting, QString text);
    QCoro::Task<DownloadOutcome> download();
    // Continues the last download where it stopped (download/Download.h: ResumeDownload); only
    // while canResume(). A download from the start when there is nothing to continue.
    QCoro::Task<DownloadOutcome> resume();
    // Puts a download that stopped elsewhere (a partial data file read back) in the store, so
    // that resume() continues it. Busy while an operation runs.
    Outcome adoptStopped(const RecordStore& store, const DownloadStop& stop);
    // The last download ended early (a failure or a cancel) and can be continued.
    bool canResume() const { return stopped_.has_value(); }
    // Where the last download stopped, when it ended early.
    const std::optional<DownloadStop>& stopped() const { return stopped_; }
    // How often a download sends a request again after a refused answer (0 to
    // DownloadOptions::kMaxRetries).
    void setRetries(int retries);
    int retries() const { return options_.retries; }

    Operation running() const { return running_; }
    bool busy() const { return running_ != Operation::None; }
    // Ends the running operation at its next wait; nothing more is sent.
    void cancel();
    // Cancels what runs and closes the port: the end of the program.
    void shutdown();

    // What the last download fetched; only the download changes it.
    const RecordStore& store() const { return store_; }
    // Downloaded records wait to be saved: a download stored main records that have not been
    // saved since (markSaved).
    bool unsaved() const;
    void markSaved() { savedRevision_ = store_.revision(); }
    const CommPort& port() const { return port_; }

signals:
    // A command exchange has written its command: the window shows "Message Sent".
    void commandSent();
    void downloadProgress(const yb::DownloadProgress& progress);
    // An operation started (its kind) or ended (Operation::None).
    void operationChanged(yb::Operation running);
    // The port failed underneath and is closed now; `text` is the message for the user.
    void portLost(const QString& text);
    void commEvent(int code);

private:
    class OperationScope;
    // Runs `body` as the session's one operation; while another runs, refused (Ending::Busy,
    // no text) and nothing is sent.
    template <typename Result, typename Body>
    QCoro::Task<Result> run(Operation operation, Body body);
    // The same for what happens at once (opening and switching the port).
    template <typename Result, typename Body>
    Result runNow(Body body);
    PortOutcome open(const PortAddress& address);
    void onPortLost(const QString& reason);

    // Notes how a download or resume ended: where it stopped, or that it completed.
    DownloadOutcome noteEnd(DownloadOutcome outcome);

    RecordStore store_;
    std::optional<DownloadStop> stopped_;
    DownloadOptions options_;
    std::uint64_t savedRevision_ = store_.revision();
    CommPort port_;
    std::unique_ptr<LineExchange> line_;
    PortAddress chosen_;
    Operation running_ = Operation::None;
    bool opening_ = false;
    QString lostWhileOpening_;
};

}  // namespace yb
