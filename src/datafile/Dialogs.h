#pragma once
// The message boxes and the file dialogs of the save command and the main window.
//
// The main window implements this with real Qt dialogs; tests answer it from a script. Every box
// carries the program's title in its caption bar and no icon.

#include <QString>
#include <optional>

namespace yb {

struct SaveDialogSetup {
    QString filter;      // the one file type offered, e.g. "(CSVファイル) | *.csv"
    QString fileName;    // the name proposed
    QString title;       // the dialog's title
    QString initialDir;  // the folder shown first
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // OK box.
    virtual void message(const QString& text) = 0;
    // Yes/No box whose Yes throws something away: No (keep) is the default button and Esc's;
    // true when the user pressed Yes.
    virtual bool askYesNo(const QString& text) = 0;
    // Modal save dialog that confirms replacing an existing file itself and accepts only existing
    // folders. The full path chosen, or nullopt when the user cancelled.
    virtual std::optional<QString> askSaveFileName(const SaveDialogSetup& setup) = 0;
    // Modal dialog that chooses an existing file; nullopt when the user cancelled. Shells without
    // a file dialog choose nothing.
    virtual std::optional<QString> askOpenFileName(const QString& title, const QString& filter) {
        (void)title;
        (void)filter;
        return std::nullopt;
    }
};

}  // namespace yb
