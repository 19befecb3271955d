#pragma once
// Message boxes and the save dialog answered from a script.

#include <QStringList>

#include <optional>
#include <vector>

#include "datafile/Dialogs.h"

namespace yb::test {

class FakeDialogs : public Dialogs {
public:
    std::vector<QString> messages;
    std::vector<QString> questions;
    std::vector<SaveDialogSetup> setups;
    bool answerYes = true;
    // One answer per save dialog, in order; kCancel (or running out) cancels the dialog.
    static inline const QString kCancel = QStringLiteral("<cancel>");
    QStringList chosenFiles;

    void message(const QString& text) override { messages.push_back(text); }
    bool askYesNo(const QString& text) override {
        questions.push_back(text);
        return answerYes;
    }
    // Open dialogs take their answers from chosenFiles too.
    std::optional<QString> askOpenFileName(const QString&, const QString&) override {
        return askSaveFileName({});
    }
    std::optional<QString> askSaveFileName(const SaveDialogSetup& setup) override {
        setups.push_back(setup);
        const QString chosen = chosenFiles.isEmpty() ? kCancel : chosenFiles.takeFirst();
        if (chosen == kCancel) return std::nullopt;
        return chosen;
    }
};

}  // namespace yb::test
