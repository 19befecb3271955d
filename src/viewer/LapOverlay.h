#pragma once
// One lap laid over the best lap: speed and motor power against the time since each lap's start,
// so both start together, and the difference in lap time. A window of its own beside the viewer;
// its list chooses the lap.

#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "datafile/RunSummary.h"

QT_BEGIN_NAMESPACE
class QChart;
class QComboBox;
class QLabel;
QT_END_NAMESPACE

namespace yb {

class LapOverlay : public QWidget {
    Q_OBJECT
public:
    LapOverlay(std::shared_ptr<const RunData> run, std::vector<LapFigures> laps,
               std::optional<int> bestLap, int lap, QWidget* parent = nullptr);

    // Lays lap number `lap` over the best lap.
    void showLap(int lap);
    // The speed chart (0) and the motor power chart (1).
    QChart* chart(int index) const { return charts_[index]; }
    QString differenceText() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    const LapFigures* find(int lap) const;
    // Every text in the interface's language.
    void retranslate();

    std::shared_ptr<const RunData> run_;
    std::vector<LapFigures> laps_;
    std::optional<int> bestLap_;
    int lap_ = 0;
    QLabel* lapLabel_ = nullptr;
    QComboBox* choice_ = nullptr;
    QLabel* difference_ = nullptr;
    QChart* charts_[2] = {nullptr, nullptr};
};

}  // namespace yb
