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

class CommPort : public Line {
    Q_OBJECT
public:
    static constexpr int kMaxPortNumber = 255;

    explicit CommPort(QObject* parent = nullptr);
    ~CommPort() override;

    // Port number n means the device ResolveComPort(n); 1 to kMaxPortNumber, else PortError.
    void setCommPort(int n);
    int commPort() const { return portNumber_; }
    // A device path (or system port name) instead of a port number; "" goes back to the number.
    void setDevice(const QString& device) { device_ = device; }

    // Line settings as "baud,parity,data bits,stop bits", for example "38400,N,8,1".
    void setSettings(const QString& settings);
    QString settings() const { return settings_; }

    // Opens or closes the port. Opening throws PortError (with a reason) when the device does
    // not exist, is in use or refuses the settings. Closing a closed port does nothing.
    void setPortOpen(bool open);
    bool portOpen() const override { return serial_.isOpen(); }

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
    int portNumber_ = 1;
    QString device_;
    QString openedDevice_;  // the device the port was last opened on, by its canonical path
    QString settings_ = QStringLiteral("9600,N,8,1");
};

}  // namespace yb
