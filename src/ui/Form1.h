#pragma once
// The program's main window: the controls at their places, and the handlers of their events.
//
// The controls sit in the client area (the central widget) at their fixed places; a menu bar
// above it offers the buttons' commands with their shortcuts, and a status bar below it shows a
// download's progress, its time left and a cancel button.
//
// The handlers keep the names of the controls' events and stay thin: each starts an operation of
// the session and shows its outcome in the controls. The session owns the port, the store and the
// running operation; the window shows what the session reports (commands sent, download progress,
// a lost port, serial events) as it happens. A menu item runs exactly what its button runs: it
// clicks the button.

#include <QMainWindow>
#include <QPointer>

#include <chrono>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "datafile/Dialogs.h"
#include "download/DownloadMeter.h"
#include "library/RunNotes.h"
#include "session/Session.h"

class QAbstractButton;
class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace yb {

class StatusLine;

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kClientWidthTwips = 7485;
    static constexpr int kClientHeightTwips = 5580;

    // `dialogs` answers the message boxes and the save dialog; by default real Qt dialogs.
    explicit Form1(QWidget* parent = nullptr, std::unique_ptr<Dialogs> dialogs = nullptr);
    ~Form1() override;

    void FormToCenter();

    // Handlers of the window's events.
    void Form_Load();
    void ComboCommPort_Click();
    void OpenCommBtn_Click();
    void MSComm1_OnComm(int commEvent);
    void TBB_Click();
    void DownLoadBtn_Click();
    void Command1_Click();
    void ClearB_Click();
    void QuitB_Click();
    void Command4_Click();
    void Command3_Click();
    void Command5_Click();
    void Command6_Click();
    void Command8_Click();
    void Command7_Click();
    void CancelB_Click();
    void mnuResume_Click();
    void mnuOpenFile_Click();
    void mnuGraph_Click();
    void mnuLibrary_Click();
    void mnuImport_Click();
    void mnuAbout_Click();

    // The program was asked to end from outside (Ctrl+C, SIGTERM, SIGHUP): ends what runs, closes
    // the port and the window, without a question; downloaded data not saved is lost.
    void Terminate();

    Session& session() { return *session_; }

signals:
    // The user ended the program (quit button, or close box); the port is closed by then.
    void programEnded();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Fills the port box's tooltip with what each COM entry means right when it is shown.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls(QWidget* client);
    void BuildSettingFrames(QWidget* client);
    void BuildStatusBar();
    void BuildMenus();
    // Every caption and menu text in the interface's language; on each change of it.
    void Retranslate();
    // A menu item that clicks `button`, captioned as the button is.
    void AddItem(QMenu* menu, const char* name, const QKeySequence& key, QAbstractButton* button);
    // A menu item with a handler of its own.
    QAction* AddHandlerItem(QMenu* menu, const char* name, const QKeySequence& key,
                            void (Form1::*handler)());
    void WireHandlers();
    // Index of the chosen entry of the port list; -1 when the user typed a name.
    int ComboListIndex() const;
    void ShowPortClosed();
    // Why the port could not be opened, in the status bar beside Status's "Setting Error".
    void ShowPortReason(const PortOutcome& outcome);
    void ShowProgress(const DownloadProgress& progress);
    void ShowRecordLine(const DownloadProgress& progress);
    // A download or a resume has ended: its text, the status bar's line, the menus.
    void ShowDownloadEnd(const DownloadOutcome& outcome);
    void ShowSettingRead(Setting setting, const SettingRead& read);
    void ShowOutcome(const Outcome& outcome);
    // A refusal because another operation runs: the click that asked for it is ignored.
    static bool Busy(const Outcome& outcome);
    // Starts an operation of the session and shows its outcome with `show`, unless busy.
    template <typename Result, typename Show>
    void Start(QCoro::Task<Result>&& operation, Show show);
    void ReadSetting(Setting setting);
    void WriteSetting(Setting setting);
    // Buttons and the port box that talk to the logger or change the port are off during a
    // download.
    void EnableLoggerControls(bool enabled);
    std::vector<QWidget*> LoggerControls() const;
    // Each item on exactly when its button would act; Open/Close COM shows the button's caption.
    void SyncMenus();
    void StartMeter();
    void ShowMeter();
    void EndMeter(const DownloadOutcome& outcome);
    QLineEdit* SettingBox(Setting setting) const;
    // Asks before unsaved data would be lost; true when the program may end.
    bool ConfirmEnd();
    // Ends what runs, closes the port and closes the window.
    void EndProgram();

    Session* session_ = nullptr;
    std::unique_ptr<Dialogs> dialogs_;
    bool ending_ = false;
    int lastComboIndex_ = 0;
    DownloadMeter meter_;
    std::chrono::steady_clock::time_point downloadStarted_;
    bool metering_ = false;
    // The last record stored that its line does not show yet: the lines follow the meter's pace.
    std::optional<DownloadProgress> unshownRecord_;
    QString portLoss_;                 // why the port was lost during the running operation
    bool portReasonShown_ = false;     // the status bar says why the port could not be opened
    QString savedAs_;  // where the data shown was saved, until a download replaces it
    // Viewers opened on the downloaded data before it was saved.
    std::vector<QPointer<QWidget>> unsavedViewers_;
    std::optional<double> batteryAh_;  // the battery capacity last read from the logger
    DownloadEnd lastDownload_;         // how the last download ended, for the library
    std::vector<std::pair<QAction*, QAbstractButton*>> buttonItems_;

    QLineEdit* Status = nullptr;
    QLabel* ComStatus = nullptr;
    QPlainTextEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPlainTextEdit* Text3 = nullptr;
    QPushButton* ClearB = nullptr;
    QComboBox* ComboCommPort = nullptr;
    QPushButton* OpenCommBtn = nullptr;
    QPushButton* TBB = nullptr;
    QPushButton* DownLoadBtn = nullptr;
    QPushButton* Command1 = nullptr;
    QCheckBox* Check_CSV = nullptr;
    QCheckBox* Check_Temp = nullptr;
    QPushButton* QuitB = nullptr;
    QGroupBox* Frame1 = nullptr;
    QPushButton* Command4 = nullptr;
    QLineEdit* Text5 = nullptr;
    QPushButton* Command3 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QPushButton* Command5 = nullptr;
    QLineEdit* Text6 = nullptr;
    QPushButton* Command6 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QPushButton* Command8 = nullptr;
    QLineEdit* Text7 = nullptr;
    QPushButton* Command7 = nullptr;

    // The status bar: the download's progress and its cancel button.
    StatusLine* MeterLabel = nullptr;
    QProgressBar* MeterBar = nullptr;
    QPushButton* CancelB = nullptr;

    // The menus, and the items that are not a button's.
    QMenu* mnuFile = nullptr;
    QMenu* mnuComm = nullptr;
    QMenu* mnuView = nullptr;
    QMenu* mnuLanguage = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuOpenFile = nullptr;
    QAction* mnuLibrary = nullptr;
    QAction* mnuImport = nullptr;
    QAction* mnuLibraryAdd = nullptr;
    QAction* mnuResume = nullptr;
    QAction* mnuRetries = nullptr;
    QAction* mnuGraph = nullptr;
    QAction* mnuAbout = nullptr;
};

}  // namespace yb
