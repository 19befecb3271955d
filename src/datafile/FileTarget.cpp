#include "datafile/FileTarget.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace yb {

FileResult CheckTarget(const QString& path, bool replace) {
    const QFileInfo target(path);  // follows a symbolic link to what it names
    if (target.exists()) {
        if (target.isDir()) {
            return FileResult::Failed(
                QCoreApplication::translate("FileTarget", "a folder: the file needs a name"));
        }
        if (!target.isFile()) {
            return FileResult::Failed(QCoreApplication::translate(
                "FileTarget", "not a regular file: nothing is written there"));
        }
        if (!replace) {
            return FileResult::Failed(
                QCoreApplication::translate("FileTarget", "the file exists; --force replaces it"));
        }
        constexpr auto kWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
        if (!target.isWritable() || !(target.permissions() & kWrite)) {
            return FileResult::Failed(QCoreApplication::translate(
                "FileTarget", "the file is read-only: it is not replaced"));
        }
    }
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir() || !folder.isWritable()) {
        return FileResult::Failed(QCoreApplication::translate(
            "FileTarget", "the folder does not exist or cannot be written"));
    }
    return {};
}

}  // namespace yb
