#include "viewer/Viewer.h"

#include <QCoreApplication>

#include "datafile/DataFileReader.h"
#include "viewer/ViewerWindow.h"

namespace yb {

namespace {

ViewerWindow* NewWindow(QWidget* parent) {
    auto* window = new ViewerWindow(parent);
    // A child of the main window, but a window of its own that closes with it.
    if (parent) window->setWindowFlag(Qt::Window);
    return window;
}

}  // namespace

QWidget* OpenViewer(QWidget* parent) {
    ViewerWindow* window = NewWindow(parent);
    window->show();
    return window;
}

QWidget* OpenViewerOnStore(const RecordStore& store, QWidget* parent,
                           std::optional<double> batteryAh, const QString& title) {
    ViewerWindow* window = NewWindow(parent);
    window->showRun(RunDataFromStore(
        store,
        title.isEmpty() ? QCoreApplication::translate("Viewer", "ダウンロードしたデータ") : title));
    if (batteryAh) window->setBatteryCapacity(*batteryAh);
    window->show();
    return window;
}

QWidget* OpenViewerOnFile(const QString& path, QWidget* parent, QString* error,
                          std::optional<double> batteryAh) {
    DataFileReadResult result = ReadDataFileAt(path);
    if (!result.run) {
        if (error) *error = result.errorText();
        return nullptr;
    }
    ViewerWindow* window = NewWindow(parent);
    window->showRun(std::move(*result.run), path);
    if (batteryAh) window->setBatteryCapacity(*batteryAh);
    window->show();
    return window;
}

}  // namespace yb
