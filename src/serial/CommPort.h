#pragma once
// The serial port with the properties the system uses: the real line under the exchanges.
//
// Everything happens on the event loop: nothing here blocks. A write is pushed towards the line
// at once; what the system has not taken yet goes out as soon as the line takes it. Received
// characters are announced by readyRead(). A port that fails underneath (adapter unplugged, I/O
// error) is closed here and reported once through portLost(); on a closed port reads give
// nothing and writes fail.
//
// A device is opened by its canonical path, so that the system's port lock is the same whether
// it was reached through a symbolic link or not: two programs never share one device.
//
// Opening also asks the driver for low latency: USB serial adapters with a latency timer (FTDI
// chips: 16 ms by default) otherwise hold every short answer up to that long, which makes a
// download three times slower than the line.

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "serial/CommEvents.h"
#include "serial/Line.h"

namespace yb {

class PortError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The system's handle of an open port: a file descriptor, or a Windows HANDLE.
using PortHandle = decltype(std::declval<const QSerialPort&>().handle());

// Asks the driver of an open port to hand over received characters at once (Linux: the
// ASYNC_LOW_LATENCY flag, which needs no privileges; FTDI adapters then set their latency timer to
// 1 ms). True when the driver took it. Drivers without the setting (pseudo-terminals, some
// adapters) refuse and nothing changes; other systems always refuse (Windows keeps the latency
// timer in the port's driver settings).
bool RequestLowLatency(PortHandle handle);

// Line settings of a port. The default is the logger's line: 38400 baud, no parity, 8 data bits,
// 1 stop bit. There is never any flow control.
struct LineSettings {
    qint32 baud = 38400;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;

    // "baud,parity,data bits,stop bits" as the window shows it: "38400,N,8,1".
    QString text() const;
    bool operator==(const LineSettings&) const = default;
};

// Which port: COM number n (the device ResolveComPort(n) names), or a device path or system port
// name, which then stands instead of the number.
struct PortAddress {
    int number = 1;
    QString device;
};

class CommPort : public Line {
    Q_OBJECT
public:
    static constexpr int kMaxPortNumber = 255;

    explicit CommPort(QObject* parent = nullptr);
    ~CommPort() override;

    // Opens the port at `address` with `settings`, closing it first when it is open. Throws
    // PortError (with a reason) when a port number lies outside 1 to kMaxPortNumber, the device
    // does not exist, is in use or refuses the settings; the port is closed then.
    void open(const PortAddress& address, const LineSettings& settings = {});
    // Closing a closed port does nothing.
    void close();
    bool portOpen() const override { return serial_.isOpen(); }
    // The port and settings of the last open.
    const PortAddress& address() const { return address_; }
    const LineSettings& settings() const { return settings_; }

    std::string input() override;
    bool output(std::string_view text) override;
    // Throws away every received character, the system's buffer included.
    void discardInput() override;

    // What every open asks of the driver; RequestLowLatency unless replaced (tests watch it).
    using LowLatencyRequest = std::function<bool(PortHandle)>;
    void setLowLatencyRequest(LowLatencyRequest request) {
        lowLatencyRequest_ = std::move(request);
    }
    // Whether the driver granted low latency at the last open.
    bool lowLatency() const { return lowLatency_; }

signals:
    // The port has just been opened, before anything was written to it.
    void opened();
    void commEvent(int code);

private:
    void onError(QSerialPort::SerialPortError error);
    void pollLineCounters();
    bool readLineCounters(LineCounters& counters) const;

    QSerialPort serial_;
    QTimer lineWatch_;
    LineCounters counters_;
    bool countersSupported_ = false;
    LowLatencyRequest lowLatencyRequest_ = &RequestLowLatency;
    bool lowLatency_ = false;
    PortAddress address_;
    LineSettings settings_;
    QString openedDevice_;  // the device the port was last opened on, by its canonical path
};

}  // namespace yb
