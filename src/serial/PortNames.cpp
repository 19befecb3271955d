#include "serial/PortNames.h"

#include <QHash>
#include <QSerialPortInfo>
#include <QtGlobal>

#include <algorithm>

namespace yb {

namespace {

bool IsUsbAdapter(const QString& name) {
    return name.startsWith(QLatin1String("ttyUSB")) || name.startsWith(QLatin1String("ttyACM")) ||
           name.startsWith(QLatin1String("cu.usb")) || name.startsWith(QLatin1String("tty.usb"));
}

}  // namespace

QStringList OrderSerialPorts(QStringList names) {
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const bool usbA = IsUsbAdapter(a);
        const bool usbB = IsUsbAdapter(b);
        if (usbA != usbB) return usbA;
        return a < b;
    });
    return names;
}

std::optional<QString> ResolveComPort(int n) {
    if (n < 1) return std::nullopt;
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(n);
#else
    const QByteArray fromEnv = qgetenv(QStringLiteral("YB_COM%1").arg(n).toLatin1().constData());
    if (!fromEnv.isEmpty()) return QString::fromLocal8Bit(fromEnv);

    QStringList names;
    QHash<QString, QString> locations;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        names << info.portName();
        locations.insert(info.portName(), info.systemLocation());
    }
    const QStringList ordered = OrderSerialPorts(names);
    if (n > ordered.size()) return std::nullopt;
    return locations.value(ordered.at(n - 1));
#endif
}

QString DescribeComPorts(int count) {
    QStringList lines;
    for (int n = 1; n <= count; ++n) {
        const auto device = ResolveComPort(n);
        lines << QStringLiteral("COM%1: %2").arg(n).arg(device ? *device : QStringLiteral("-"));
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace yb
