#pragma once
// The strategy for the rest of the race, as a window beside the viewer: what the team types (the
// time left, the charge now and the charge wanted at the flag, the solar power expected, the
// battery's capacity, the car's mass, efficiency and air density) on the left; the speed to hold,
// its laps, lap time and energy per lap, the warnings and the table of speeds around it on the
// right; below them the energy model fitted to the laps, its figures, the laps left out and a
// chart of the laps' energy per km against their speed with the model's curve. Everything it
// shows is the RunModel's (its strategy inputs, capacity and laps); its boxes change the model.
// Esc closes it.

#include <QWidget>

#include "viewer/RunModel.h"

QT_BEGIN_NAMESPACE
class QChart;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QTableWidget;
QT_END_NAMESPACE

namespace yb {

class StrategyPanel : public QWidget {
    Q_OBJECT
public:
    // The model outlives the panel (its window is the panel's parent).
    explicit StrategyPanel(RunModel& model, QWidget* parent = nullptr);

    // The boxes, in the order shown: time left, capacity, charge now, charge wanted, solar
    // power, mass, efficiency, air density.
    enum Input { Remaining, Capacity, SocNow, Target, Solar, Mass, Efficiency, AirDensity };
    QDoubleSpinBox* input(Input which) const { return inputs_[which]; }
    // The answer as shown: the speed, or why there is none.
    QString answerText() const;
    QTableWidget* table() const { return table_; }
    QChart* chart() const { return chart_; }

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void retranslate();
    // Everything from the model.
    void render();
    void renderModel();
    void renderChart();
    // A box's value into the model's inputs.
    void take(Input which, double value);

    RunModel& model_;
    QDoubleSpinBox* inputs_[8] = {};
    QLabel* captions_[8] = {};
    QGroupBox* inputBox_ = nullptr;
    QGroupBox* answerBox_ = nullptr;
    QGroupBox* modelBox_ = nullptr;
    QLabel* answer_ = nullptr;
    QLabel* figures_ = nullptr;
    QLabel* warnings_ = nullptr;
    QLabel* modelFigures_ = nullptr;
    QTableWidget* table_ = nullptr;
    QChart* chart_ = nullptr;
};

}  // namespace yb
