#pragma once
// The last step before a QSaveFile's commit: what was written reaches the disk.

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include "datafile/FileResult.h"

namespace yb {

// Hands the bytes written to `file` so far (flush it first) to the disk and waits until they are
// there (fsync, FlushFileBuffers). A file system that only now finds no room (network and FUSE
// file systems) fails here instead of leaving a short file. False when it failed; errno (or the
// system's last error) tells why.
bool SyncToDisk(QFileDevice& file);

// Writes `bytes` as the whole of the file at `path`, which appears only complete and on the disk:
// written beside it under a temporary name, synced, then renamed over it. On any failure the
// file keeps its old content and no temporary file stays behind; the reason names the path.
FileResult WriteWholeFile(const QString& path, const QByteArray& bytes);

}  // namespace yb
