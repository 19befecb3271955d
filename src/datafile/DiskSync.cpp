#include "datafile/DiskSync.h"

#include <QCoreApplication>
#include <QSaveFile>

#include <memory>

#include "datafile/Printable.h"

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace yb {

bool SyncToDisk(QFileDevice& file) {
#ifdef Q_OS_WIN
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
    return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle);
#else
    return ::fsync(file.handle()) == 0;
#endif
}

FileResult WriteFilesAtomically(const std::vector<FileBytes>& files) {
    // QSaveFile writes beside the target and renames over it on commit; an uncommitted file is
    // discarded on destruction. It refuses an existing file that is not writable, and it never
    // falls back to writing the target in place. Unbuffered, so that a short write (a full disk)
    // shows in write()'s count. commit() ignores a failed flush or sync, so both are done here.
    const auto failed = [](const char* what, const QString& path, const QString& why) {
        return FileResult::Failed(
            QCoreApplication::translate("DataFile", what).arg(Printable(path), why));
    };
    std::vector<std::unique_ptr<QSaveFile>> written;
    for (const auto& [path, bytes] : files) {
        auto& file = written.emplace_back(std::make_unique<QSaveFile>(path));
        if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return failed(QT_TRANSLATE_NOOP("DataFile", "cannot create %1: %2"), path,
                          file->errorString());
        if (file->write(bytes) != bytes.size() || !file->flush())
            return failed(QT_TRANSLATE_NOOP("DataFile", "cannot write %1: %2"), path,
                          file->errorString());
        if (!SyncToDisk(*file))
            return failed(QT_TRANSLATE_NOOP("DataFile", "cannot write %1: %2"), path,
                          qt_error_string());
    }
    for (auto& file : written) {
        if (!file->commit())
            return failed(QT_TRANSLATE_NOOP("DataFile", "cannot replace %1: %2"), file->fileName(),
                          file->errorString());
    }
    return {};
}

FileResult WriteWholeFile(const QString& path, const QByteArray& bytes) {
    return WriteFilesAtomically({{path, bytes}});
}

}  // namespace yb
