#pragma once
// The battery's initial capacity a data file's run is shown with: typed for that file (in the
// viewer or with --capacity), or the logger's setting when the file was saved from a download.
// Kept in the file's notes (and so in the run library); where they cannot take it (damaged, or in
// a folder that cannot be written), remembered by this computer. The one place that knows where
// it is.

#include <QString>
#include <optional>

#include "datafile/FileResult.h"

namespace yb {

std::optional<double> RememberedCapacity(const QString& path);
// Forgets the file's capacity when `ampHours` is none (or 0 or less). Notes that cannot be read
// are left as they are; when the notes do not take it, the failure says why (the capacity is
// remembered all the same).
FileResult RememberCapacity(const QString& path, std::optional<double> ampHours);

}  // namespace yb
