#pragma once
// The run on paper: an A4 PDF report (the file's name and date, the summary as text that can be
// searched and copied, the figures of the window shown, the charts, the lap table), or the charts
// alone as one PNG image. Both show what a RunModel holds, as the viewer does: its time window
// (named in the title), the channels not hidden, the lap markers and lap table from its lap
// start, the remaining charge from its capacity, the runs laid over it. Draws with Qt Charts, so
// it needs a QApplication; the offscreen platform serves, no display is needed.

#include <QImage>
#include <QString>
#include <vector>

#include "datafile/FileResult.h"
#include "viewer/RunModel.h"

namespace yb {

// Writes the report of the model's run as the model shows it to `path`: a PDF when the path ends
// with ".pdf", the charts as one PNG image when it ends with ".png" (either case). The file appears
// only complete and on the disk: written under a temporary name in the target's folder, synced,
// then renamed over the target; on any failure an existing file keeps its content. The reason of a
// failure does not name the path.
FileResult WriteRunReport(const RunModel& model, const QString& path);

// Writes an image as a PNG file at `path`, as WriteRunReport writes its files.
FileResult WriteImage(const QImage& image, const QString& path);

// The name a report or image is given by default, without a suffix: the data file's name without
// its own, and the window when it is not the whole run ("YB_Data_0h10m-0h40m30s",
// "YB_Data_rec100-200" when the interval is unknown).
QString ReportBaseName(const RunModel& model);

// How the report's lap table falls on pages: the rows per column of each page, for `laps` rows in
// `columns` columns, `firstPageRows` rows of room on the page where the table starts and
// `pageRows` on a new page. The last page's rows are balanced over its columns, and it holds at
// least kFewestLapRows rows per column when the table is longer than that: the page before gives
// up rows rather than leave a few alone. A table that finds fewer than kFewestLapRows rows of room
// starts on a new page.
inline constexpr int kFewestLapRows = 6;
std::vector<int> LapTablePages(int laps, int columns, int firstPageRows, int pageRows);

}  // namespace yb
