#include "datafile/DiskSync.h"

#include <QCoreApplication>
#include <QSaveFile>

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

FileResult WriteWholeFile(const QString& path, const QByteArray& bytes) {
    // QSaveFile writes beside the target and renames over it on commit; an uncommitted file is
    // discarded on destruction. It refuses an existing file that is not writable, and it never
    // falls back to writing the target in place. Unbuffered, so that a short write (a full disk)
    // shows in write()'s count. commit() ignores a failed flush or sync, so both are done here.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return FileResult::Failed(QCoreApplication::translate("DataFile", "cannot create %1: %2")
                                      .arg(Printable(path), file.errorString()));
    }
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = QCoreApplication::translate("DataFile", "cannot write %1: %2")
                                   .arg(Printable(path), file.errorString());
        file.cancelWriting();
        return FileResult::Failed(reason);
    }
    if (!SyncToDisk(file)) {
        const QString reason = QCoreApplication::translate("DataFile", "cannot write %1: %2")
                                   .arg(Printable(path), qt_error_string());
        file.cancelWriting();
        return FileResult::Failed(reason);
    }
    if (!file.commit()) {
        return FileResult::Failed(QCoreApplication::translate("DataFile", "cannot replace %1: %2")
                                      .arg(Printable(path), file.errorString()));
    }
    return {};
}

}  // namespace yb
