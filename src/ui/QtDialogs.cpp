#include "ui/QtDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace yb {

void QtDialogs::message(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, window_->windowTitle(), text, QMessageBox::Ok, window_);
    box.exec();
}

bool QtDialogs::askYesNo(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, window_->windowTitle(), text,
                    QMessageBox::Yes | QMessageBox::No, window_);
    // Every question asks whether to throw something away (unsaved data, a file): Enter and Esc
    // keep it.
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtDialogs::askSaveFileName(const SaveDialogSetup& setup) {
    QFileDialog dialog(window_, setup.title, setup.initialDir, QtFilter(setup.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);  // the folder must exist; the file need not
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setDirectory(setup.initialDir);
    dialog.selectFile(setup.fileName);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return QString();
    // The path as the user knows it (backslashes on Windows): it appears in the file and Status.
    return QDir::toNativeSeparators(chosen.first());
}

std::optional<QString> QtDialogs::askOpenFileName(const QString& title, const QString& filter) {
    const QString path = QFileDialog::getOpenFileName(window_, title, QString(), filter);
    if (path.isEmpty()) return std::nullopt;
    return path;
}

QString QtDialogs::QtFilter(const QString& filter) {
    const int bar = filter.indexOf(QLatin1Char('|'));
    if (bar < 0) return filter;
    const QString description = filter.left(bar).trimmed();
    const QString pattern = filter.mid(bar + 1).trimmed();
    return QStringLiteral("%1 (%2)").arg(description, pattern);
}

}  // namespace yb
