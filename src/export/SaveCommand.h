#pragma once
// The save command: the "データ保存" button, its save dialog and the overwrite question.

#include <QString>

#include "download/LoggedData.h"
#include "export/DataFile.h"

namespace yb {

class Dialogs;
class View;

// Writes the data file at `fname` (commas when `csv`, tabs otherwise). A file that already holds
// data is only replaced after the user said Yes to "<fname> に上書きしますか？". True when the
// file was written; false when the user declined (nothing touched) or the write failed (already
// reported).
bool SaveDataFile(const LoggedData& data, bool csv, const QString& fname, Dialogs& dialogs,
                  const Clock& clock = {});

// Click of the save button. Refuses when no main data is held (DataCount1 is 0; a negative count
// goes on), lets the user choose a file starting in `programDir` with the proposal that follows
// the CSV choice, saves, and on success reports the path in Status and marks the data as saved.
// The delimiter follows `csv`, never the extension of the chosen name.
void Command1_Click(LoggedData& data, bool csv, View& view, Dialogs& dialogs,
                    const QString& programDir, const Clock& clock = {});

}  // namespace yb
