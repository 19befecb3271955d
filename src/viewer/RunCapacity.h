#pragma once
// The battery's initial capacity a data file's run is shown with: typed for that file (in the
// viewer or with --capacity), or the logger's setting when the file was saved from a download.
// Remembered per file, by its absolute path, beside the viewer's other settings; the one place
// that knows where it is kept.

#include <QString>
#include <optional>

namespace yb {

std::optional<double> RememberedCapacity(const QString& path);
// Forgets the file's capacity when `ampHours` is none (or 0 or less).
void RememberCapacity(const QString& path, std::optional<double> ampHours);

}  // namespace yb
