#pragma once
// Entries of the data viewer for the main window and the command line.

#include <QString>

#include "cli/ExitCodes.h"
#include "download/LoggedData.h"

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace yb {

// Opens a viewer window on the downloaded data, captioned "ダウンロードしたデータ". The window
// copies what it shows: the store may change afterwards. With a parent the window closes with it.
// The window deletes itself when closed.
QWidget* OpenViewerOnStore(const LoggedData& data, QWidget* parent = nullptr);

// Opens a viewer window on a data file, captioned with the file's name. nullptr when the file is
// refused; then *error (if given) holds "FILE:LINE: message".
QWidget* OpenViewerOnFile(const QString& path, QWidget* parent = nullptr, QString* error = nullptr);

// `view [FILE...]`: opens a viewer on each FILE (an empty viewer without one) and runs until every
// viewer window is closed. Needs a QApplication.
int RunViewCommand(const QStringList& files);

// `report FILE [-o OUT]`: writes the PDF report (OUT ending .pdf; by default FILE with .pdf) or
// the charts as one image (OUT ending .png). Needs a QApplication; the offscreen platform serves.
int RunReportCommand(const QString& file, const QString& out);

// `summary FILE [--json]`: prints the run summary on stdout, as labelled lines or as one JSON
// object.
int RunSummaryCommand(const QString& file, bool json);

}  // namespace yb
