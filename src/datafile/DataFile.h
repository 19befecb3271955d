#pragma once
// The data file: the store as one Shift-JIS text file, comma- or tab-separated, laid out as
// datafile/Format.h says. The temperature section is written for a temperature count of 1 or
// more, the lap section for a lap count of 1 or more.

#include <QChar>
#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

#include "datafile/FileResult.h"
#include "datafile/Format.h"  // the columns and their number patterns
#include "download/RecordStore.h"

namespace yb {

// The local date and time at the moment of writing; replaceable so tests can fix it.
using Clock = std::function<QDateTime()>;

// Whether the store holds main data: a main count other than 0. A store without is not saved (a
// negative count is: its file holds no rows).
bool HoldsMainData(const RecordStore& store);
// Shown when it is not, in the interface's language: "データ１がありません".
QString NoMainDataText();

// Shown whenever a data file could not be written, in the interface's language:
// "データファイルを保存出来ませんでした".
QString SaveFailedText();

// The whole text of the data file for the store as it is now. `now` goes into line 2 as
// yyyy/MM/dd H:mm:ss, `path` unchanged into line 3.
//
// nullopt when the store cannot be written: a count whose rows run past an array's capacity
// (possible when a download stored a count above the limit), or a count of -32768.
std::optional<QString> RenderDataFile(const RecordStore& store, QChar delimiter,
                                      const QString& path, const QDateTime& now);

// Whether a data file was written, and if not, why, with the system's own words for a failed file
// operation ("cannot create /data/YB_Data.csv: Permission denied").
using WriteOutcome = FileResult;

// Writes the data file at `path`: commas when `csv`, tabs otherwise. Shows nothing; the caller
// reports a failure. The file appears only when complete and on the disk: it is written beside
// the target under a temporary name, synced, and moved over the target at the end. On any
// failure (store past capacity, no converter, folder missing, no permission, disk full, a sync
// that fails) the target keeps its old content and no temporary file stays behind. An empty
// clock means the system clock.
WriteOutcome WriteDataFile(const RecordStore& store, bool csv, const QString& path,
                           const Clock& clock = {});

}  // namespace yb
