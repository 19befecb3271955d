#pragma once
// The message boxes and the file dialogs of the main window, as real Qt dialogs.

#include <QWidget>

#include "datafile/Dialogs.h"

namespace yb {

class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* window) : window_(window) {}

    void message(const QString& text) override;
    bool askYesNo(const QString& text) override;
    std::optional<QString> askSaveFileName(const SaveDialogSetup& setup) override;
    std::optional<QString> askOpenFileName(const QString& title, const QString& filter) override;

    // "(CSVファイル) | *.csv" (description, bar, pattern) in the form a Qt file dialog takes.
    static QString QtFilter(const QString& filter);

private:
    QWidget* window_;
};

}  // namespace yb
