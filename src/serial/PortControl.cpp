#include "serial/PortControl.h"

#include "serial/ValueRules.h"

namespace yb {

namespace {
const QString kOpenCaption = QStringLiteral("Open COM");
const QString kCloseCaption = QStringLiteral("Close COM");
const QString kClosed = QStringLiteral("closed...");
const QString kSettingError = QStringLiteral("Setting Error");
}  // namespace

PortControl::PortControl(CommPort& port, WindowState& state, View& view)
    : port_(port), state_(state), view_(view) {}

void PortControl::ShowClosed() {
    view_.setText(Field::ComStatus, kClosed);
    view_.setText(Field::OpenCommBtn, kOpenCaption);
}

void PortControl::OpenCommBtn_Click() {
    if (view_.text(Field::OpenCommBtn) == kOpenCaption) {
        if (!state_.fCommOpen) OpenCommPort();
        if (state_.fCommOpen) {
            ResetCommLine();
            view_.setText(Field::ComStatus, port_.settings());
            view_.setText(Field::OpenCommBtn, kCloseCaption);
            return;
        }
    }
    CloseCommPort();
    ShowClosed();
}

void PortControl::OpenCommPort() {
    try {
        port_.setPortOpen(false);
        const int index = view_.comboListIndex();
        const QString name =
            index < 0 ? view_.text(Field::ComboCommPort) : QStringLiteral("COM%1").arg(index + 1);
        if (!name.startsWith(QLatin1String("COM"))) {
            view_.setText(Field::Status, QStringLiteral("COM 設定エラー"));
            return;
        }
        const auto number = RoundToInt16(LeadingNumberValue(name.mid(3).toStdString()));
        if (!number) throw PortError("port number out of range");
        port_.setCommPort(*number);
        port_.setSettings(kLineSettings);
        port_.setPortOpen(true);
        port_.discardInput();
        state_.fCommOpen = true;
        view_.setToolTip(Field::Status, QString());
    } catch (const std::exception& e) {
        state_.fCommOpen = false;
        view_.setText(Field::Status, kSettingError);
        view_.setToolTip(Field::Status, QString::fromStdString(e.what()));
    }
}

void PortControl::CloseCommPort() {
    state_.fCommOpen = false;
    port_.setPortOpen(false);
}

void PortControl::ResetCommLine() {
    if (!port_.portOpen()) return;
    try {
        port_.input();
        port_.output(state_.CmdTerminator);
    } catch (const PortError& e) {
        PortLost(QString::fromStdString(e.what()));
    }
}

void PortControl::ComboCommPort_Click() {
    const int number = view_.comboListIndex() + 1;
    if (!port_.portOpen()) {
        if (number >= 1) port_.setCommPort(number);
        return;
    }
    try {
        port_.setPortOpen(false);
        port_.setCommPort(number);
        port_.setPortOpen(true);
    } catch (const std::exception& e) {
        CloseCommPort();
        ShowClosed();
        view_.setText(Field::Status, kSettingError);
        view_.setToolTip(Field::Status, QString::fromStdString(e.what()));
    }
}

void PortControl::PortLost(const QString& reason) {
    CloseCommPort();
    ShowClosed();
    view_.setText(Field::Status,
                  QStringLiteral("シリアルポートが使用できなくなりました: ") + reason);
}

}  // namespace yb
