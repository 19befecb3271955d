#pragma once
// Choosing, opening and closing the serial port.
//
// The caption of the open/close button is the state the user sees ("Open COM" while closed,
// "Close COM" while open); fCommOpen is what every command tests before it talks to the logger.
// Both, and the settings label, always tell the truth about the port.

#include <QString>

#include "serial/CommPort.h"
#include "serial/View.h"
#include "serial/WindowState.h"

namespace yb {

inline const QString kLineSettings = QStringLiteral("38400,N,8,1");

class PortControl {
public:
    PortControl(CommPort& port, WindowState& state, View& view);

    void OpenCommBtn_Click();
    void ComboCommPort_Click();

    // Configures and opens the port named in the port box; fCommOpen becomes true on success.
    void OpenCommPort();
    // Clears fCommOpen and closes the port if it is open.
    void CloseCommPort();
    // Empties the receive buffer and sends one carriage return (right after an open).
    void ResetCommLine();
    // The port failed underneath (adapter unplugged, I/O error) and has been closed.
    void PortLost(const QString& reason);

private:
    void ShowClosed();

    CommPort& port_;
    WindowState& state_;
    View& view_;
};

}  // namespace yb
