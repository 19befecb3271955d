#pragma once
// One lap laid over the best lap: speed and motor power against the time since each lap's start,
// so both start together, and the difference in lap time. A window of its own beside the viewer;
// its list chooses the lap; Esc closes it. It draws the laps of a RunModel, and follows a change of
// their start.

#include <QWidget>

#include "datafile/RunSummary.h"
#include "viewer/RunModel.h"

QT_BEGIN_NAMESPACE
class QChart;
class QComboBox;
class QLabel;
QT_END_NAMESPACE

namespace yb {

class LapOverlay : public QWidget {
    Q_OBJECT
public:
    // The model outlives the overlay (its window is the overlay's parent).
    LapOverlay(const RunModel& model, int lap, QWidget* parent = nullptr);

    // Lays lap number `lap` over the best lap.
    void showLap(int lap);
    // The speed chart (0) and the motor power chart (1).
    QChart* chart(int index) const { return charts_[index]; }
    QString differenceText() const;

protected:
    void changeEvent(QEvent* event) override;
    // Esc closes it.
    void keyPressEvent(QKeyEvent* event) override;

private:
    const LapFigures* find(int lap) const;
    // Every text in the interface's language.
    void retranslate();

    const RunModel& model_;
    int lap_ = 0;
    QLabel* lapLabel_ = nullptr;
    QComboBox* choice_ = nullptr;
    QLabel* difference_ = nullptr;
    QChart* charts_[2] = {nullptr, nullptr};
};

}  // namespace yb
