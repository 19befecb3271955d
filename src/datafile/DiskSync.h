#pragma once
// Files written whole or not at all: beside the target under a temporary name, flushed, handed
// to the disk, and only then renamed over it.

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <utility>
#include <vector>

#include "datafile/FileResult.h"

namespace yb {

// Hands the bytes written to `file` so far (flush it first) to the disk and waits until they are
// there (fsync, FlushFileBuffers). A file system that only now finds no room (network and FUSE
// file systems) fails here instead of leaving a short file. False when it failed; errno (or the
// system's last error) tells why.
bool SyncToDisk(QFileDevice& file);

// Writes each file's bytes at its path through a QSaveFile: every file is written and synced
// before the first is renamed over its target, so a failure on any of them (no permission, a
// full disk, a sync that fails) leaves every target as it was and no temporary file behind; only
// a rename that fails after an earlier one went through leaves that earlier file new. The reason
// names the path in the system's words ("cannot create /data/YB_Data.csv: Permission denied").
using FileBytes = std::pair<QString, QByteArray>;
FileResult WriteFilesAtomically(const std::vector<FileBytes>& files);
// Writes `bytes` as the whole of the file at `path`, which appears only complete and on the disk:
// written beside it under a temporary name, synced, then renamed over it. On any failure the
// file keeps its old content and no temporary file stays behind; the reason names the path.
FileResult WriteWholeFile(const QString& path, const QByteArray& bytes);

}  // namespace yb
