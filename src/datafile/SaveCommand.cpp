#include "datafile/SaveCommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "datafile/Dialogs.h"
#include "datafile/Printable.h"

namespace yb {

namespace {

// Whether a file can be made in `folder`: tried, as permissions alone do not tell (access
// control lists, read-only file systems, Windows' protected folders).
bool CanMakeFileIn(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("yb-downloader-XXXXXX.tmp")));
    return probe.open();
}

}  // namespace

bool SaveDataFile(const RecordStore& store, bool csv, const QString& fname, Dialogs& dialogs,
                  const Clock& clock) {
    // Only a file with content is worth a question; an empty one is simply written.
    const QFileInfo existing(fname);
    if (existing.isFile() && existing.size() > 0 &&
        !dialogs.askYesNo(QCoreApplication::translate("SaveCommand", "%1 に上書きしますか？")
                              .arg(Printable(fname)))) {
        return false;
    }
    if (WriteDataFile(store, csv, fname, clock).ok) return true;
    dialogs.message(SaveFailedText());
    return false;
}

QString SaveDialogFolder(const QString& lastSavedDir) {
    if (CanMakeFileIn(lastSavedDir)) return lastSavedDir;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QString DefaultDataFileName(bool csv, const QDateTime& at) {
    return QStringLiteral("YB_Data_") + at.toString(QStringLiteral("yyyyMMdd_HHmmss")) +
           (csv ? QStringLiteral(".csv") : QStringLiteral(".txt"));
}

std::optional<SavedFile> SaveDataWithDialog(const RecordStore& store, bool csv, Dialogs& dialogs,
                                            const QString& folder, const Clock& clock) {
    if (!HoldsMainData(store)) {
        dialogs.message(NoMainDataText());
        return std::nullopt;
    }

    // Set up afresh on every press: no folder or name of an earlier press is carried over.
    SaveDialogSetup setup;
    setup.filter = csv ? QCoreApplication::translate("SaveCommand", "(CSVファイル) | *.csv")
                       : QCoreApplication::translate("SaveCommand", "(テキストファイル) | *.txt");
    setup.fileName = DefaultDataFileName(csv, clock ? clock() : QDateTime::currentDateTime());
    setup.title = QCoreApplication::translate("SaveCommand", "データファイル");
    setup.initialDir = folder;

    const std::optional<QString> chosen = dialogs.askSaveFileName(setup);
    if (!chosen || chosen->isEmpty()) return std::nullopt;
    if (!SaveDataFile(store, csv, *chosen, dialogs, clock)) return std::nullopt;
    return SavedFile{*chosen,
                     QCoreApplication::translate("SaveCommand", "データファイルに保存しました : %1")
                         .arg(Printable(*chosen))};
}

}  // namespace yb
