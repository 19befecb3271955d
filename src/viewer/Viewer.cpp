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
                           std::optional<double> batteryAh) {
    ViewerWindow* window = NewWindow(parent);
    window->showRun(
        RunDataFromStore(store, QCoreApplication::translate("Viewer", "ダウンロードしたデータ")));
    if (batteryAh) window->setBatteryCapacity(*batteryAh);
    window->show();
    return window;
}

void StoreViewerSaved(QWidget* viewer, const QString& path) {
    if (auto* window = qobject_cast<ViewerWindow*>(viewer)) window->takeSavedFile(path);
}

QWidget* OpenViewerOnFile(const QString& path, QWidget* parent, QString* error,
                          std::optional<double> batteryAh) {
    return OpenViewerOnFiles({path}, parent, error, batteryAh);
}

QWidget* OpenViewerOnFiles(const QStringList& paths, QWidget* parent, QString* error,
                           std::optional<double> batteryAh) {
    std::vector<RunData> runs;
    for (const QString& path : paths) {
        DataFileReadResult result = ReadDataFileAt(path);
        if (!result.run) {
            if (error) *error = result.errorText();
            return nullptr;
        }
        if (!runs.empty() &&
            result.run->intervalS.has_value() != runs.front().intervalS.has_value()) {
            if (error)
                *error = ViewerWindow::tr(
                    "記録間隔が不明なファイルと分かっているファイルは重ねられません。");
            return nullptr;
        }
        runs.push_back(std::move(*result.run));
    }
    if (runs.empty() || runs.size() > kMostOverlays + 1) return nullptr;
    ViewerWindow* window = NewWindow(parent);
    window->showRun(std::move(runs.front()), paths.front());
    for (std::size_t i = 1; i < runs.size(); ++i) window->layOver(std::move(runs[i]));
    if (batteryAh) window->setBatteryCapacity(*batteryAh);
    window->show();
    return window;
}

}  // namespace yb
