#pragma once
// The viewer window: the charts of one run stacked on the left, its summary and lap table on the
// right; opening files, exporting the report and the image from its menu. Each window holds its
// own copy of the run, so several can be open side by side to compare runs.

#include <QMainWindow>
#include <memory>

#include "datafile/RunData.h"

QT_BEGIN_NAMESPACE
class QLabel;
class QTableWidget;
QT_END_NAMESPACE

namespace yb {

class ChartStack;

class ViewerWindow : public QMainWindow {
    Q_OBJECT
public:
    // An empty viewer, waiting for a file.
    explicit ViewerWindow(QWidget* parent = nullptr);

    void showRun(RunData run);
    const RunData* run() const { return run_.get(); }
    ChartStack* charts() const { return charts_; }
    QTableWidget* lapTable() const { return laps_; }

    // Opens a data file chosen in a dialog: in this window while it is empty, else in a new one.
    void openFile();
    // Asks for a file name and writes the report (.pdf) or the charts (.png).
    void exportRun(const QString& suffix);

private:
    QWidget* buildSidePanel();

    std::shared_ptr<const RunData> run_;
    ChartStack* charts_ = nullptr;
    QTableWidget* laps_ = nullptr;
    QLabel* cursorLabel_ = nullptr;
    QList<QAction*> runActions_;
};

}  // namespace yb
