#include "viewer/RunCapacity.h"

#include <QFileInfo>
#include <QSettings>
#include <QUrl>

namespace yb {

namespace {

// A key per file: its absolute path, escaped, so that its separators make no groups.
QString CapacityKey(const QString& path) {
    return QStringLiteral("capacity/") +
           QString::fromLatin1(QUrl::toPercentEncoding(QFileInfo(path).absoluteFilePath()));
}

}  // namespace

std::optional<double> RememberedCapacity(const QString& path) {
    const QSettings remembered(QStringLiteral("yb-downloader"), QStringLiteral("viewer"));
    const double ampHours = remembered.value(CapacityKey(path), 0.0).toDouble();
    if (!(ampHours > 0.0)) return std::nullopt;
    return ampHours;
}

void RememberCapacity(const QString& path, std::optional<double> ampHours) {
    QSettings remembered(QStringLiteral("yb-downloader"), QStringLiteral("viewer"));
    if (ampHours && *ampHours > 0.0) {
        remembered.setValue(CapacityKey(path), *ampHours);
    } else {
        remembered.remove(CapacityKey(path));
    }
}

}  // namespace yb
