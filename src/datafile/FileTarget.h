#pragma once
// Where a file the program writes may go: the data file of `download -o`, the report of
// `report -o` and the viewer's export. Asked before anything is written (for a download before
// the port is opened), so that nothing is made for a place that cannot take it.

#include <QString>

#include "datafile/FileResult.h"

namespace yb {

// Whether a file can be written at `path`, and if not, why. Refused: a folder; anything but a
// regular file, also when a symbolic link names it (a device or a pipe would be written to, or,
// as root, replaced by a regular file); an existing file when `replace` is false; a read-only
// file (by its permissions, which bind even root, who may write it all the same); a folder that
// does not exist or cannot be written. Whatever is refused is left as it was.
FileResult CheckTarget(const QString& path, bool replace);

}  // namespace yb
