#pragma once
// The last step before a QSaveFile's commit: what was written reaches the disk.

#include <QFileDevice>

namespace yb {

// Hands the bytes written to `file` so far (flush it first) to the disk and waits until they are
// there (fsync, FlushFileBuffers). A file system that only now finds no room (network and FUSE
// file systems) fails here instead of leaving a short file. False when it failed; errno (or the
// system's last error) tells why.
bool SyncToDisk(QFileDevice& file);

}  // namespace yb
