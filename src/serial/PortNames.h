#pragma once
// Which device a COM number means on this computer.
//
// On Windows COM n is the port itself. Elsewhere COM n is the device named by the environment
// variable YB_COM<n> when it is set (YB_COM1=/dev/pts/3), otherwise the n-th serial port the
// system reports: USB adapters first (ttyUSB*, ttyACM*, cu.usb*, in name order), then the others
// in name order.

#include <QString>
#include <QStringList>

#include <optional>

namespace yb {

// System port names (ttyS0, ttyUSB1, ...) in the order COM numbers are given to them.
QStringList OrderSerialPorts(QStringList names);

// The device path or port name for COM n, nullopt when there is none.
std::optional<QString> ResolveComPort(int n);

// One line per COM number 1..count saying what it resolves to right now.
QString DescribeComPorts(int count);

}  // namespace yb
