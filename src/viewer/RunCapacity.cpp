#include "viewer/RunCapacity.h"

#include <QFileInfo>
#include <QSettings>
#include <QUrl>

#include "library/Library.h"

namespace yb {

namespace {

// Where this computer remembers a capacity that the file's notes could not take (and where an
// earlier version remembered every one): a key per file, its absolute path escaped so that its
// separators make no groups.
QString SettingsKey(const QString& path) {
    return QStringLiteral("capacity/") +
           QString::fromLatin1(QUrl::toPercentEncoding(QFileInfo(path).absoluteFilePath()));
}

std::optional<double> Positive(std::optional<double> ampHours) {
    if (ampHours && *ampHours > 0.0) return ampHours;
    return std::nullopt;
}

QSettings Remembered() {
    return QSettings(QStringLiteral("yb-downloader"), QStringLiteral("viewer"));
}

}  // namespace

std::optional<double> RememberedCapacity(const QString& path) {
    if (const auto here = Positive(Remembered().value(SettingsKey(path), 0.0).toDouble())) {
        return here;
    }
    return Positive(NotesOfFile(path).batteryAh);
}

FileResult RememberCapacity(const QString& path, std::optional<double> ampHours) {
    ampHours = Positive(ampHours);
    QString unread;
    RunNotes notes = NotesOfFile(path, &unread);
    FileResult kept = unread.isEmpty() ? FileResult{} : FileResult::Failed(unread);
    if (kept.ok && notes.batteryAh != ampHours) {
        notes.batteryAh = ampHours;
        kept = SaveNotesOfFile(path, notes);
    }
    if (kept.ok || !ampHours) {
        Remembered().remove(SettingsKey(path));
    } else {
        Remembered().setValue(SettingsKey(path), *ampHours);
    }
    return kept;
}

}  // namespace yb
