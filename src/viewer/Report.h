#pragma once
// The run on paper: an A4 PDF report (the file's name and date, the summary as text that can be
// searched and copied, the charts, the lap table), or the charts alone as one PNG image.
// Draws with Qt Charts, so it needs a QApplication; the offscreen platform serves, no display is
// needed.

#include <QString>

#include "datafile/RunData.h"

namespace yb {

// Writes the report of `run` to `path`: a PDF when the path ends with ".pdf", the charts as one
// PNG image when it ends with ".png" (either case). The file appears only complete and on the
// disk: written under a temporary name in the target's folder, synced, then renamed over the
// target; on any failure an existing file keeps its content. Returns an empty text on success,
// otherwise what went wrong (without the path).
QString WriteRunReport(const RunData& run, const QString& path);

}  // namespace yb
