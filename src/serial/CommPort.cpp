#include "serial/CommPort.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "serial/PortNames.h"

#ifdef Q_OS_LINUX
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace yb {

namespace {

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
    close();
}

QString LineSettings::text() const {
    char letter = 'N';
    switch (parity) {
        case QSerialPort::EvenParity: letter = 'E'; break;
        case QSerialPort::OddParity: letter = 'O'; break;
        case QSerialPort::SpaceParity: letter = 'S'; break;
        case QSerialPort::MarkParity: letter = 'M'; break;
        default: break;
    }
    const QString stop = stopBits == QSerialPort::OneStop          ? QStringLiteral("1")
                         : stopBits == QSerialPort::OneAndHalfStop ? QStringLiteral("1.5")
                                                                   : QStringLiteral("2");
    return QStringLiteral("%1,%2,%3,%4").arg(baud).arg(QLatin1Char(letter)).arg(dataBits).arg(stop);
}

void CommPort::close() {
    lineWatch_.stop();
    if (serial_.isOpen()) serial_.close();
}

void CommPort::open(const PortAddress& address, const LineSettings& settings) {
    close();
    address_ = address;
    settings_ = settings;
    std::optional<QString> device = address.device;
    if (address.device.isEmpty()) {
        if (address.number < 1 || address.number > kMaxPortNumber) {
            throw PortError(QCoreApplication::translate("CommPort", "invalid port number %1")
                                .arg(address.number)
                                .toStdString());
        }
        device = ResolveComPort(address.number);
        if (!device) {
            throw PortError(QCoreApplication::translate("CommPort", "COM%1: no such serial port")
                                .arg(address.number)
                                .toStdString());
        }
    }
    // The port lock is named after the device: a link must not make a second name for it.
    if (QDir::isAbsolutePath(*device)) {
        const QString canonical = QFileInfo(*device).canonicalFilePath();
        if (!canonical.isEmpty()) device = canonical;
    }
    serial_.setPortName(*device);
    openedDevice_ = *device;
    serial_.setBaudRate(settings.baud);
    serial_.setParity(settings.parity);
    serial_.setDataBits(settings.dataBits);
    serial_.setStopBits(settings.stopBits);
    serial_.setFlowControl(QSerialPort::NoFlowControl);
    if (!serial_.open(QIODevice::ReadWrite)) {
        QString reason = *device + QStringLiteral(": ") + serial_.errorString();
#ifdef Q_OS_UNIX
        if (serial_.error() == QSerialPort::PermissionError) {
            reason = QCoreApplication::translate(
                         "CommPort",
                         "%1 (in use by another program, or the user is not in the "
                         "dialout group)")
                         .arg(reason);
        }
#endif
        throw PortError(reason.toStdString());
    }
    if (serial_.baudRate() != settings.baud) {
        serial_.close();
        throw PortError(
            QCoreApplication::translate("CommPort", "%1: the port refuses the line settings")
                .arg(*device)
                .toStdString());
    }
    // A refusal changes nothing: the port works as it is.
    lowLatency_ = lowLatencyRequest_ && lowLatencyRequest_(serial_.handle());
    countersSupported_ = readLineCounters(counters_);
    if (countersSupported_) lineWatch_.start();
    emit opened();
}

std::string CommPort::input() {
    if (!serial_.isOpen()) return {};
    // What the port has buffered, read straight into the text: readAll() would make room for a
    // whole buffer's worth (32 KiB) each time, on the way from an answer to the next request.
    const qint64 available = serial_.bytesAvailable();
    if (available <= 0) return {};
    std::string text(static_cast<std::size_t>(available), '\0');
    const qint64 got = serial_.read(text.data(), available);
    text.resize(static_cast<std::size_t>(std::max<qint64>(got, 0)));
    return text;
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
    // Drops what the system holds and what the port has buffered alike.
    serial_.clear(QSerialPort::Input);
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
