#pragma once
// The viewer window: the charts of one run stacked on the left; on the right its summary beside
// the figures of the visible window, the lap start, the battery's capacity, a compared run and
// the lap table (a click zooms every chart to that lap). Opening files (also dropped ones and
// recent ones), exporting the report, the image of what is shown and its data in other tools'
// formats, from its menu; the strategy for the rest of the race in a window beside it. Each window
// holds its own copy of the run, so several can be open side by side. What it shows is its
// RunModel's, and every part of it draws from there; its controls change the model. Its size,
// splitters and hidden channels are remembered, and the battery capacity typed for a file. When
// the interface's language changes, the window is built again in it from the model.

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

#include "datafile/RunData.h"
#include "viewer/RunModel.h"

QT_BEGIN_NAMESPACE
class QDoubleSpinBox;
class QLabel;
class QMenu;
class QSplitter;
class QTabWidget;
class QTableWidget;
class QToolBar;
QT_END_NAMESPACE

namespace yb {

class ChartStack;

// The size a viewer window first takes on a screen whose free area is `freeArea`: 1280 x 820, or
// less to fit.
QSize FirstViewerSize(const QSize& freeArea);

class ViewerWindow : public QMainWindow {
    Q_OBJECT
public:
    // An empty viewer, waiting for a file.
    explicit ViewerWindow(QWidget* parent = nullptr);
    ~ViewerWindow() override;

    // Shows a run; `path` (the file it was read from, if any) goes to the recent files.
    void showRun(RunData run, const QString& path = {});
    const RunData* run() const { return model_.hasRun() ? &model_.run() : nullptr; }
    // What the window shows.
    RunModel& model() { return model_; }
    ChartStack* charts() const { return charts_; }
    QTableWidget* lapTable() const { return laps_; }
    // The visible window's figure of a summary key (RunSummary's JSON keys), as shown.
    QString windowFigure(const QString& key) const;
    QDoubleSpinBox* lapStartBox() const { return lapStart_; }
    QDoubleSpinBox* capacityBox() const { return capacity_; }

    // Opens a data file chosen in a dialog: in this window while it is empty, else in a new one.
    void openFile();
    // Opens the data file at `path` as openFile does; a refused file is told in a message box.
    bool openPath(const QString& path);
    // Lays the run of another data file over this one (a dialog chooses it when `path` is empty),
    // after those already laid over it (at most kMostOverlays).
    bool addComparison(const QString& path = {});
    // Lays a run over this one, as addComparison does; refused in a message box when one of the
    // two has no recording interval, or when kMostOverlays are laid over it already.
    bool layOver(RunData run);
    // The battery's initial capacity in Ah (the logger's setting, when known).
    void setBatteryCapacity(double ampHours);
    // Zooms every chart to the lap of the lap table's row.
    void zoomToLap(int row);
    // Puts a marker of `kind` at `x` on the time axis (minutes) and opens its text for editing.
    void addMarker(double x, const QString& kind);
    // The downloaded data shown was saved to `path`: the window is that file's from now on (its
    // title, and its markers and capacity in the file's notes).
    void takeSavedFile(const QString& path);
    QTableWidget* markerTable() const { return markers_; }
    // Opens the lap of the row laid over the best lap.
    QWidget* compareLap(int row);
    // Opens the strategy for the rest of the race (or brings it to the front).
    QWidget* openStrategy();
    // Asks for a file name and writes the report (.pdf) or the charts (.png) of what is shown.
    void exportRun(const QString& suffix);
    // The name proposed for an export: the data file's name and the visible window.
    QString exportName(const QString& suffix) const;
    // Asks whether the visible window or the whole run is meant (when not all of it is shown),
    // and for a file name, and writes the run's channels shown as CSV, Excel, MATLAB or JSON.
    void exportData();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildMenus();
    void retranslateFrame();
    void retranslate();
    // The charts, the side panel and the tool bar of the run, from the model.
    void buildRun();
    void showTitle();
    // The model's capacity for the file shown, in its notes (or, failing them, this computer's).
    void keepCapacity();
    QWidget* buildSidePanel();
    QWidget* buildFigures();
    void fitFigures();
    void buildControls();
    QWidget* buildLaps();
    QWidget* buildMarkers();
    void fillMarkers();
    void changeMarker(int row, const std::function<void(RunMarker&)>& change);
    // The marker of `row` at the time typed, in time order with the others; a time that does not
    // read as one of the run's is refused and the marker stays.
    void moveMarker(int row, const QString& time);
    // The markers in the run's notes file (and the library), when the run is a file's.
    void saveMarkers();
    // What follows the model.
    void fillLapTable();
    void showRangeFigures();
    void showSettings();
    void showOverlays();
    void fillRecentMenu();
    void saveLayout() const;

    RunModel model_;
    QPointer<QWidget> strategy_;
    ChartStack* charts_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QSplitter* sideSplitter_ = nullptr;
    QTableWidget* laps_ = nullptr;
    QTableWidget* markers_ = nullptr;
    QTabWidget* lowerTabs_ = nullptr;  // the lap table and the markers
    QString runPath_;                  // the data file shown, empty for a download not saved
    bool loadingNotes_ = false;        // the notes' markers are being shown, not changed
    QLabel* cursorLabel_ = nullptr;
    QLabel* hint_ = nullptr;
    QLabel* empty_ = nullptr;  // the central widget until a run is shown
    QToolBar* settingsBar_ = nullptr;
    bool retranslating_ = false;
    QLabel* windowTimes_ = nullptr;
    std::vector<std::pair<QString, QLabel*>> windowFigures_;
    QDoubleSpinBox* lapStart_ = nullptr;
    QDoubleSpinBox* capacity_ = nullptr;
    QWidget* overlayBox_ = nullptr;  // the runs laid over: their tones, names and offsets
    std::vector<QDoubleSpinBox*> overlayOffsets_;
    QMenu* recent_ = nullptr;
    QList<QAction*> runActions_;
    QAction* dropComparison_ = nullptr;
};

}  // namespace yb
