#pragma once
// The run library's window: one row per run (RunColumns), sortable by every column; a filter box
// over every text field, the file and the markers, and filters for the download date, track,
// driver, tag and complete or partial runs, with the number of runs shown. The selected run's
// notes are edited in a side panel and saved in its notes file and the index. A run opens in the
// viewer; two to eight open overlaid in one viewer. A trend charts one figure of the runs shown
// against their download time (a click on a point opens that run); the laps of the runs shown
// stand in one sortable table. A run whose file has gone is shown as missing and can be located
// again; one whose file changed is flagged. Folders are imported with a progress dialog (time
// left, cancel).

#include <QMainWindow>
#include <memory>
#include <vector>

#include "library/Library.h"

QT_BEGIN_NAMESPACE
class QChartView;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QDateTimeEdit;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScatterSeries;
class QTabWidget;
class QTableView;
QT_END_NAMESPACE

namespace yb {

class SortedTable;

class LibraryWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit LibraryWindow(std::unique_ptr<RunIndex> index, QWidget* parent = nullptr);
    ~LibraryWindow() override;

    RunIndex& index() { return *index_; }
    // Lists the runs again as the filters choose them.
    void reload();
    const std::vector<IndexedRun>& shown() const { return runs_; }
    // The runs selected in the list, in the list's order.
    std::vector<const IndexedRun*> selectedRuns() const;

    // Opens the selected runs: one in a viewer, two to eight overlaid in one.
    void openSelected();
    // Asks for a folder and imports every data file under it.
    void importFolder();
    // Imports the files and folders named, with a progress dialog; the report in a message box.
    void importPaths(const QStringList& paths);

    // The parts a test drives.
    QLineEdit* filterBox() const { return filter_; }
    QTableView* runTable() const { return table_; }
    QTabWidget* tabs() const { return tabs_; }
    QChartView* trendView() const { return trend_; }
    QScatterSeries* trendPoints() const { return trendPoints_; }
    QLineEdit* eventBox() const { return event_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* overlayButton() const { return overlay_; }
    QLabel* countLabel() const { return count_; }

signals:
    // A viewer was opened on runs of the library.
    void viewerOpened(QWidget* viewer);

private:
    QWidget* buildFilters();
    QWidget* buildNotesPanel();
    QWidget* buildTrend();
    QWidget* buildLaps();
    void fillChoices();
    RunFilter filter() const;
    void showSelected();
    void saveNotes();
    void locate();
    void showTrend();
    void showLaps();
    void openRuns(const std::vector<const IndexedRun*>& runs);

    std::unique_ptr<RunIndex> index_;
    std::vector<IndexedRun> runs_;
    std::vector<IndexedRun::State> states_;  // each run's, looked at when listed
    std::vector<IndexedLap> laps_;
    std::vector<const IndexedRun*> lapRuns_;  // each lap's run
    bool lapsStale_ = true;
    SortedTable* runModel_ = nullptr;
    SortedTable* lapModel_ = nullptr;

    QLineEdit* filter_ = nullptr;
    QComboBox* track_ = nullptr;
    QComboBox* driver_ = nullptr;
    QComboBox* tag_ = nullptr;
    QComboBox* completeness_ = nullptr;
    QCheckBox* useSince_ = nullptr;
    QCheckBox* useUntil_ = nullptr;
    QDateEdit* since_ = nullptr;
    QDateEdit* until_ = nullptr;
    QLabel* count_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QTableView* table_ = nullptr;
    QTableView* lapTable_ = nullptr;
    QDoubleSpinBox* slowest_ = nullptr;  // the laps' average speed shown, 0: any
    QDoubleSpinBox* fastest_ = nullptr;
    QComboBox* figure_ = nullptr;
    QChartView* trend_ = nullptr;
    QScatterSeries* trendPoints_ = nullptr;
    std::vector<qint64> trendRuns_;  // the run of each point

    QLabel* file_ = nullptr;
    QLineEdit* event_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* trackEdit_ = nullptr;
    QLineEdit* drivers_ = nullptr;
    QLineEdit* conditions_ = nullptr;
    QLineEdit* tags_ = nullptr;
    QPlainTextEdit* notes_ = nullptr;
    QDoubleSpinBox* battery_ = nullptr;
    QCheckBox* hasStart_ = nullptr;
    QDateTimeEdit* start_ = nullptr;
    QLabel* download_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* locate_ = nullptr;
    QPushButton* open_ = nullptr;
    QPushButton* overlay_ = nullptr;
};

// Opens the library's window on the index at LibraryPath(`libraryOption`); it deletes itself
// when closed. nullptr when the index cannot be opened: then *error says why. A note on an index
// made again is shown in the window's status bar.
LibraryWindow* OpenLibraryWindow(QWidget* parent = nullptr, const QString& libraryOption = {},
                                 QString* error = nullptr);

}  // namespace yb
