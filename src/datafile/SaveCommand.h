#pragma once
// The save command: the save dialog, the overwrite question and the data file.

#include <QString>

#include <optional>

#include "download/RecordStore.h"
#include "datafile/DataFile.h"

namespace yb {

class Dialogs;

// Writes the data file at `fname` (commas when `csv`, tabs otherwise). A file that already holds
// data is only replaced after the user said Yes to "<fname> に上書きしますか？". True when the
// file was written; false when the user declined (nothing touched) or the write failed (then
// kSaveFailedText has been shown).
bool SaveDataFile(const RecordStore& store, bool csv, const QString& fname, Dialogs& dialogs,
                  const Clock& clock = {});

// Saves the store where the user chooses. Refuses when no main data is held (the main count is 0;
// a negative count goes on), lets the user choose a file starting in `programDir` with the
// proposal that follows the CSV choice, saves, and on success returns the message for the user ("データファイルに保存しました : " and the path); nullopt otherwise. The
// delimiter follows `csv`, never the extension of the chosen name.
std::optional<QString> SaveDataWithDialog(const RecordStore& store, bool csv, Dialogs& dialogs,
                                          const QString& programDir, const Clock& clock = {});

}  // namespace yb
