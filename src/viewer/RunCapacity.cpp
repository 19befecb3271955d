#include "viewer/RunCapacity.h"

#include <QFileInfo>
#include <QSettings>
#include <QUrl>

#include "library/Library.h"

namespace yb {

namespace {

// Where a capacity typed before the notes kept it is still found: a key per file, its absolute
// path escaped so that its separators make no groups.
QString EarlierKey(const QString& path) {
    return QStringLiteral("capacity/") +
           QString::fromLatin1(QUrl::toPercentEncoding(QFileInfo(path).absoluteFilePath()));
}

std::optional<double> Positive(std::optional<double> ampHours) {
    if (ampHours && *ampHours > 0.0) return ampHours;
    return std::nullopt;
}

}  // namespace

std::optional<double> RememberedCapacity(const QString& path) {
    if (const std::optional<double> noted = Positive(NotesOfFile(path).batteryAh)) return noted;
    const QSettings earlier(QStringLiteral("yb-downloader"), QStringLiteral("viewer"));
    return Positive(earlier.value(EarlierKey(path), 0.0).toDouble());
}

FileResult RememberCapacity(const QString& path, std::optional<double> ampHours) {
    QString unread;
    RunNotes notes = NotesOfFile(path, &unread);
    if (!unread.isEmpty()) return FileResult::Failed(unread);
    ampHours = Positive(ampHours);
    if (notes.batteryAh != ampHours) {
        notes.batteryAh = ampHours;
        if (FileResult saved = SaveNotesOfFile(path, notes); !saved.ok) return saved;
    }
    QSettings(QStringLiteral("yb-downloader"), QStringLiteral("viewer")).remove(EarlierKey(path));
    return {};
}

}  // namespace yb
