#include "serial/CommPort.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include "serial/PortNames.h"

#ifdef Q_OS_LINUX
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif
#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace yb {

namespace {

struct LineSettings {
    qint32 baud = 0;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

LineSettings ParseSettings(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4) throw PortError("invalid line settings: " + text.toStdString());
    LineSettings s;
    bool ok = false;
    s.baud = parts[0].trimmed().toInt(&ok);
    if (!ok || s.baud <= 0) throw PortError("invalid baud rate: " + text.toStdString());

    const QString parity = parts[1].trimmed().toUpper();
    if (parity == QLatin1String("N"))
        s.parity = QSerialPort::NoParity;
    else if (parity == QLatin1String("E"))
        s.parity = QSerialPort::EvenParity;
    else if (parity == QLatin1String("O"))
        s.parity = QSerialPort::OddParity;
    else if (parity == QLatin1String("M"))
        s.parity = QSerialPort::MarkParity;
    else if (parity == QLatin1String("S"))
        s.parity = QSerialPort::SpaceParity;
    else
        throw PortError("invalid parity: " + text.toStdString());

    const int bits = parts[2].trimmed().toInt(&ok);
    if (!ok || bits < 5 || bits > 8) throw PortError("invalid data bits: " + text.toStdString());
    s.dataBits = static_cast<QSerialPort::DataBits>(bits);

    const QString stop = parts[3].trimmed();
    if (stop == QLatin1String("1"))
        s.stopBits = QSerialPort::OneStop;
    else if (stop == QLatin1String("1.5"))
        s.stopBits = QSerialPort::OneAndHalfStop;
    else if (stop == QLatin1String("2"))
        s.stopBits = QSerialPort::TwoStop;
    else
        throw PortError("invalid stop bits: " + text.toStdString());
    return s;
}

constexpr int kLineWatchMs = 50;

}  // namespace

bool RequestLowLatency(PortHandle handle) {
#if defined(Q_OS_LINUX)
    serial_struct serial{};
    if (::ioctl(handle, TIOCGSERIAL, &serial) != 0) return false;
    if (serial.flags & ASYNC_LOW_LATENCY) return true;
    serial.flags |= ASYNC_LOW_LATENCY;
    return ::ioctl(handle, TIOCSSERIAL, &serial) == 0;
#else
    (void)handle;
    return false;
#endif
}

CommPort::CommPort(QObject* parent) : Line(parent) {
    connect(&serial_, &QSerialPort::errorOccurred, this, &CommPort::onError);
    connect(&serial_, &QSerialPort::readyRead, this, &Line::readyRead);
    lineWatch_.setInterval(kLineWatchMs);
    connect(&lineWatch_, &QTimer::timeout, this, &CommPort::pollLineCounters);
}

CommPort::~CommPort() {
    lineWatch_.stop();
    if (serial_.isOpen()) serial_.close();
}

void CommPort::setCommPort(int n) {
    if (n < 1 || n > kMaxPortNumber) throw PortError("invalid port number " + std::to_string(n));
    portNumber_ = n;
    device_.clear();
}

void CommPort::setSettings(const QString& settings) {
    const LineSettings s = ParseSettings(settings);
    if (serial_.isOpen()) {
        if (!serial_.setBaudRate(s.baud) || !serial_.setParity(s.parity) ||
            !serial_.setDataBits(s.dataBits) || !serial_.setStopBits(s.stopBits)) {
            throw PortError("the port refuses the settings " + settings.toStdString());
        }
    }
    settings_ = settings;
}

void CommPort::setPortOpen(bool open) {
    if (!open) {
        lineWatch_.stop();
        if (serial_.isOpen()) serial_.close();
        return;
    }
    if (serial_.isOpen()) return;

    std::optional<QString> device =
        device_.isEmpty() ? ResolveComPort(portNumber_) : std::optional<QString>(device_);
    if (!device) {
        throw PortError("COM" + std::to_string(portNumber_) + ": no such serial port");
    }
    // The port lock is named after the device: a link must not make a second name for it.
    if (QDir::isAbsolutePath(*device)) {
        const QString canonical = QFileInfo(*device).canonicalFilePath();
        if (!canonical.isEmpty()) device = canonical;
    }
    const LineSettings s = ParseSettings(settings_);
    serial_.setPortName(*device);
    openedDevice_ = *device;
    serial_.setBaudRate(s.baud);
    serial_.setParity(s.parity);
    serial_.setDataBits(s.dataBits);
    serial_.setStopBits(s.stopBits);
    serial_.setFlowControl(QSerialPort::NoFlowControl);
    if (!serial_.open(QIODevice::ReadWrite)) {
        std::string reason = device->toStdString() + ": " + serial_.errorString().toStdString();
#ifdef Q_OS_UNIX
        if (serial_.error() == QSerialPort::PermissionError) {
            reason += " (in use by another program, or the user is not in the dialout group)";
        }
#endif
        throw PortError(reason);
    }
    if (serial_.baudRate() != s.baud) {
        serial_.close();
        throw PortError(device->toStdString() + ": the port refuses the line settings");
    }
    // A refusal changes nothing: the port works as it is.
    lowLatency_ = lowLatencyRequest_ && lowLatencyRequest_(serial_.handle());
    countersSupported_ = readLineCounters(counters_);
    if (countersSupported_) lineWatch_.start();
    emit opened();
}

std::string CommPort::input() {
    if (!serial_.isOpen()) return {};
    return serial_.readAll().toStdString();
}

bool CommPort::output(std::string_view text) {
    if (!serial_.isOpen()) return false;
    const auto size = static_cast<qint64>(text.size());
    if (serial_.write(text.data(), size) != size) return false;
    // Hands the command to the system now rather than on the next turn of the event loop; what
    // the system cannot take at once is written by the event loop. A failure here closes the
    // port (onError).
    serial_.flush();
    return serial_.isOpen();
}

void CommPort::discardInput() {
    if (!serial_.isOpen()) return;
    serial_.clear(QSerialPort::Input);
    serial_.readAll();
}

void CommPort::onError(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::ResourceError:
        case QSerialPort::ReadError:
        case QSerialPort::WriteError:
            break;
        default:
            return;  // open failures are reported by setPortOpen; the rest is not fatal
    }
    if (!serial_.isOpen()) return;
    const QString reason = QStringLiteral("%1: %2").arg(openedDevice_, serial_.errorString());
    // A port that has gone away keeps raising errors until it is closed.
    lineWatch_.stop();
    serial_.close();
    emit portLost(reason);
}

void CommPort::pollLineCounters() {
    if (!serial_.isOpen()) return;
    LineCounters now;
    if (!readLineCounters(now)) return;
    const auto codes = CommEventsBetween(counters_, now);
    counters_ = now;
    for (int code : codes) emit commEvent(code);
}

bool CommPort::readLineCounters(LineCounters& counters) const {
#if defined(Q_OS_LINUX)
    serial_icounter_struct ic{};
    if (::ioctl(static_cast<int>(serial_.handle()), TIOCGICOUNT, &ic) != 0) return false;
    counters.frame = static_cast<std::uint32_t>(ic.frame);
    counters.overrun = static_cast<std::uint32_t>(ic.overrun);
    counters.parity = static_cast<std::uint32_t>(ic.parity);
    counters.brk = static_cast<std::uint32_t>(ic.brk);
    counters.bufOverrun = static_cast<std::uint32_t>(ic.buf_overrun);
    counters.cts = static_cast<std::uint32_t>(ic.cts);
    counters.dsr = static_cast<std::uint32_t>(ic.dsr);
    counters.ring = static_cast<std::uint32_t>(ic.rng);
    counters.cd = static_cast<std::uint32_t>(ic.dcd);
    return true;
#elif defined(Q_OS_WIN)
    // Windows reports line errors as flags that reading clears, and line signals as states:
    // turn both into running totals so that the same comparison finds the events.
    DWORD errors = 0;
    COMSTAT stat{};
    if (!ClearCommError(serial_.handle(), &errors, &stat)) return false;
    DWORD modem = 0;
    if (!GetCommModemStatus(serial_.handle(), &modem)) return false;
    counters = counters_;
    if (errors & CE_FRAME) ++counters.frame;
    if (errors & CE_OVERRUN) ++counters.overrun;
    if (errors & CE_RXPARITY) ++counters.parity;
    if (errors & CE_BREAK) ++counters.brk;
    if (errors & CE_RXOVER) ++counters.bufOverrun;
    counters.cts = (modem & MS_CTS_ON) ? 1 : 0;
    counters.dsr = (modem & MS_DSR_ON) ? 1 : 0;
    counters.ring = (modem & MS_RING_ON) ? 1 : 0;
    counters.cd = (modem & MS_RLSD_ON) ? 1 : 0;
    return true;
#else
    (void)counters;
    return false;
#endif
}

}  // namespace yb
