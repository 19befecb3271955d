#pragma once
// The one window of the program: every control, the serial port, the answer time-out, the
// logged-data store and the shared flags belong to it. Its handlers keep the names of the
// controls' events and only hand the work to the operations of the subsystems.

#include <QWidget>

#include <memory>

#include "download/Download.h"
#include "download/LoggedData.h"
#include "export/Dialogs.h"
#include "serial/CommPort.h"
#include "serial/CommandExchange.h"
#include "serial/PortControl.h"
#include "serial/View.h"
#include "serial/WindowState.h"
#include "settings/Settings.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace yb {

class Form1 : public QWidget, public View {
    Q_OBJECT
public:
    static constexpr int kClientWidthTwips = 7485;
    static constexpr int kClientHeightTwips = 5580;

    // `dialogs` answers the message boxes and the save dialog; by default real Qt dialogs.
    explicit Form1(QWidget* parent = nullptr, std::unique_ptr<Dialogs> dialogs = nullptr);
    ~Form1() override;

    // View
    QString text(Field field) const override;
    void setText(Field field, const QString& text) override;
    void setToolTip(Field field, const QString& text) override;
    int comboListIndex() const override;

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

    // State, reachable for the tests that drive the window.
    WindowState& state() { return state_; }
    LoggedData& data() { return *data_; }
    CommPort& port() { return *MSComm1; }
    CommandExchange& exchange() { return *exchange_; }

signals:
    // The user ended the program (quit button, or close box); the port is closed by then.
    void programEnded();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Fills the port box's tooltip with what each COM entry means right when it is shown.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void WireHandlers();
    // True while an exchange waits for its answer: commands that would talk to the logger or
    // touch the port are ignored then.
    bool Busy() const { return exchange_->InProgress(); }
    QWidget* widgetFor(Field field) const;
    SettingsContext settingsContext();
    void ReadSettingUnlessBusy(Setting setting);
    void WriteSettingUnlessBusy(Setting setting);
    // Asks before unsaved data would be lost; true when the program may end.
    bool ConfirmEnd();
    // Closes the port, ends any waiting exchange and closes the window.
    void EndProgram();

    WindowState state_;
    std::unique_ptr<LoggedData> data_;
    CommPort* MSComm1 = nullptr;
    CommandExchange* exchange_ = nullptr;
    std::unique_ptr<PortControl> portControl_;
    std::unique_ptr<Dialogs> dialogs_;
    bool ending_ = false;
    int lastComboIndex_ = 0;

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
};

}  // namespace yb
