#include "datafile/SaveCommand.h"

#include <QFileInfo>

#include "datafile/Dialogs.h"

namespace yb {

bool SaveDataFile(const RecordStore& store, bool csv, const QString& fname, Dialogs& dialogs,
                  const Clock& clock) {
    // Only a file with content is worth a question; an empty one is simply written.
    const QFileInfo existing(fname);
    if (existing.isFile() && existing.size() > 0 &&
        !dialogs.askYesNo(fname + QStringLiteral(" に上書きしますか？"))) {
        return false;
    }
    if (WriteDataFile(store, csv, fname, clock).ok) return true;
    dialogs.message(kSaveFailedText);
    return false;
}

std::optional<QString> SaveDataWithDialog(const RecordStore& store, bool csv, Dialogs& dialogs,
                                          const QString& programDir, const Clock& clock) {
    if (store.mainCount() == 0) {
        dialogs.message(QStringLiteral("データ１がありません"));
        return std::nullopt;
    }

    // Set up afresh on every press: no folder or name of an earlier press is carried over.
    SaveDialogSetup setup;
    setup.filter = csv ? QStringLiteral("(CSVファイル) | *.csv")
                       : QStringLiteral("(テキストファイル) | *.txt");
    setup.fileName = csv ? QStringLiteral("YB_Data.csv") : QStringLiteral("YB_Data.txt");
    setup.title = QStringLiteral("データファイル");
    setup.initialDir = programDir;

    const std::optional<QString> chosen = dialogs.askSaveFileName(setup);
    if (!chosen || chosen->isEmpty()) return std::nullopt;
    if (!SaveDataFile(store, csv, *chosen, dialogs, clock)) return std::nullopt;
    return QStringLiteral("データファイルに保存しました : ") + *chosen;
}

}  // namespace yb
