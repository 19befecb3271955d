#pragma once
// Entries of the data viewer's window for the main window and the command line (the report's is
// viewer/Report.h).

#include <QString>
#include <QStringList>
#include <optional>

#include "download/RecordStore.h"

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace yb {

// The files the open dialogs offer: data files, or any file.
QString DataFileFilter();

// Opens an empty viewer window; it deletes itself when closed.
QWidget* OpenViewer(QWidget* parent = nullptr);

// Opens a viewer window on the downloaded data, captioned "ダウンロードしたデータ". The window
// copies what it shows: the store may change afterwards. With a parent the window closes with it.
// The window deletes itself when closed. `batteryAh`: the logger's battery capacity setting,
// when it is known (it fills the viewer's capacity box).
QWidget* OpenViewerOnStore(const RecordStore& store, QWidget* parent = nullptr,
                           std::optional<double> batteryAh = std::nullopt);
// The data a viewer of OpenViewerOnStore shows has been saved to `path` (nothing when the
// viewer has gone): it is that file's from now on, captioned with its name, its markers and
// capacity kept in the file's notes.
void StoreViewerSaved(QWidget* viewer, const QString& path);

// Opens a viewer window on a data file, captioned with the file's name. nullptr when the file is
// refused; then *error (if given) holds "FILE:LINE: message". The battery's capacity is the one
// remembered for the file, or `batteryAh`, which is then remembered for it.
QWidget* OpenViewerOnFile(const QString& path, QWidget* parent = nullptr,
                          QString* error = nullptr,
                          std::optional<double> batteryAh = std::nullopt);

// Opens one viewer window on the first data file with the others laid over it (at most
// kMostOverlays), each from the start of its own time axis, the first's capacity as
// OpenViewerOnFile's. nullptr when a file is refused or the files cannot be laid over each other;
// then *error says why.
QWidget* OpenViewerOnFiles(const QStringList& paths, QWidget* parent = nullptr,
                           QString* error = nullptr,
                           std::optional<double> batteryAh = std::nullopt);

}  // namespace yb
