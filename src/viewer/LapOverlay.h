#pragma once
// One lap laid over a reference lap (the best lap unless another is chosen): speed and motor
// power against the time or the distance since each lap's start, so both start together, the
// time the lap loses (above 0) or gains against the reference at each point, and the difference
// in lap time. A cursor follows the pointer and reads both laps at its place. A window of its own
// beside the viewer; its lists choose the laps; Esc closes it; Ctrl+S writes it as a PNG image.
// It draws the laps of a RunModel, and follows a change of their start.

#include <QWidget>
#include <vector>

#include "analysis/LapTrace.h"
#include "datafile/FileResult.h"
#include "datafile/RunSummary.h"
#include "viewer/RunModel.h"

QT_BEGIN_NAMESPACE
class QChart;
class QChartView;
class QComboBox;
class QGraphicsLineItem;
class QLabel;
class QPushButton;
class QRadioButton;
QT_END_NAMESPACE

namespace yb {

class LapOverlay : public QWidget {
    Q_OBJECT
public:
    // The model outlives the overlay (its window is the overlay's parent).
    LapOverlay(const RunModel& model, int lap, QWidget* parent = nullptr);

    // Lays lap number `lap` over the reference lap.
    void showLap(int lap);
    // The speed chart (0), the motor power chart (1) and the time difference (2).
    static constexpr int kCharts = 3;
    QChart* chart(int index) const { return charts_[index]; }
    QChartView* view(int index) const { return views_[index]; }
    QRadioButton* distanceButton() const { return byDistance_; }
    QComboBox* referenceBox() const { return reference_; }
    QString differenceText() const;
    // Both laps at the cursor, empty while it is off the charts.
    QString cursorText() const;
    // Writes the overlay's charts and its difference as a PNG image at `path`.
    FileResult exportImage(const QString& path);

protected:
    void changeEvent(QEvent* event) override;
    // Esc closes it, Ctrl+S asks for a file name and exports.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    const LapFigures* find(int lap) const;
    const LapFigures* referenceLap() const;
    // Every text in the interface's language.
    void retranslate();
    void redraw();
    // Lines the charts' plot areas up under each other.
    void alignCharts();
    void moveCursor(double x);
    void hideCursor();
    void exportWithDialog();

    const RunModel& model_;
    int lap_ = 0;
    QLabel* lapLabel_ = nullptr;
    QComboBox* choice_ = nullptr;
    QLabel* referenceLabel_ = nullptr;
    QComboBox* reference_ = nullptr;
    QLabel* axisLabel_ = nullptr;
    QRadioButton* byTime_ = nullptr;
    QRadioButton* byDistance_ = nullptr;
    QPushButton* export_ = nullptr;
    QLabel* difference_ = nullptr;
    QLabel* readout_ = nullptr;
    QChart* charts_[kCharts] = {};
    QChartView* views_[kCharts] = {};
    QGraphicsLineItem* cursors_[kCharts] = {};
    // The lines shown, a chart's in the order drawn: (chart, name, points) for the read-out.
    struct Shown {
        int chart;
        QString name;
        QList<QPointF> points;
    };
    std::vector<Shown> shown_;
};

}  // namespace yb
