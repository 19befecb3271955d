#pragma once
// The save command: the save dialog, the overwrite question and the data file.

#include <QString>

#include <optional>

#include "datafile/DataFile.h"
#include "download/RecordStore.h"

namespace yb {

class Dialogs;

// Writes the data file at `fname` (commas when `csv`, tabs otherwise). A file that already holds
// data is only replaced after the user said Yes to "<fname> に上書きしますか？". True when the
// file was written; false when the user declined (nothing touched) or the write failed (then
// SaveFailedText() has been shown).
bool SaveDataFile(const RecordStore& store, bool csv, const QString& fname, Dialogs& dialogs,
                  const Clock& clock = {});

// The folder the save dialog opens in: the folder saved to last (remembered by the window) when
// a file can be made there, else the user's documents folder (the home folder when there is
// none).
QString SaveDialogFolder(const QString& lastSavedDir);

// The name a data file is given unless the user names it: YB_Data_yyyyMMdd_HHmmss.csv (.txt), at
// `at`'s local time.
QString DefaultDataFileName(bool csv, const QDateTime& at);

struct SavedFile {
    QString path;     // the file written
    QString message;  // for the user: "データファイルに保存しました : " and the path
};

// Saves the store where the user chooses. Refuses with NoMainDataText() when the store holds no
// main data (HoldsMainData), lets the user choose a file starting in `folder` with the proposal
// that follows the CSV choice, saves, and on success returns what was saved; nullopt otherwise.
// The delimiter follows `csv`, never the extension of the chosen name. The texts are in the
// interface's language.
std::optional<SavedFile> SaveDataWithDialog(const RecordStore& store, bool csv, Dialogs& dialogs,
                                            const QString& folder, const Clock& clock = {});

}  // namespace yb
