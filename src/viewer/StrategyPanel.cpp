#include "viewer/StrategyPanel.h"

#include <QChart>
#include <QChartView>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QScatterSeries>
#include <QScreen>
#include <QTableWidget>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "datafile/Printable.h"
#include "viewer/Palette.h"
#include "viewer/RunCharts.h"

namespace yb {

namespace {

using namespace palette;

struct BoxDesign {
    double min, max, step;
    int decimals;
    const char* suffix;
};
// In the order of StrategyPanel::Input; a box at its minimum shows its special text (unset).
constexpr BoxDesign kBoxes[] = {
    {1, 100000, 10, 0, " min"}, {0, 99.99, 1, 2, " Ah"},       {-1, 100, 1, 1, " %"},
    {0, 100, 5, 1, " %"},       {-1, 20000, 50, 0, " W"},      {0, 5000, 10, 0, " kg"},
    {0.05, 1, 0.01, 2, ""},     {0.5, 1.5, 0.01, 3, " kg/m³"},
};

// Rows of a label and a value as a two-column rich text table.
QString Rows(const std::vector<std::pair<QString, QString>>& rows) {
    QString html = QStringLiteral("<table cellspacing=2>");
    for (const auto& [label, value] : rows) {
        html += QStringLiteral(
                    "<tr><td style='color:%1; padding-right:12px'>%2</td><td "
                    "align=right><b>%3</b></td></tr>")
                    .arg(kLabel.name(), label.toHtmlEscaped(), value.toHtmlEscaped());
    }
    return html + QStringLiteral("</table>");
}

}  // namespace

StrategyPanel::StrategyPanel(RunModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QGridLayout(this);

    inputBox_ = new QGroupBox;
    auto* form = new QGridLayout(inputBox_);
    for (int i = 0; i < 8; ++i) {
        const BoxDesign& design = kBoxes[i];
        auto* box = inputs_[i] = new QDoubleSpinBox;
        box->setRange(design.min, design.max);
        box->setSingleStep(design.step);
        box->setDecimals(design.decimals);
        box->setSuffix(QString::fromUtf8(design.suffix));
        box->setKeyboardTracking(false);
        box->setMinimumWidth(150);
        connect(box, &QDoubleSpinBox::valueChanged, this,
                [this, i](double value) { take(static_cast<Input>(i), value); });
        captions_[i] = new QLabel;
        captions_[i]->setBuddy(box);
        form->addWidget(captions_[i], i, 0);
        form->addWidget(box, i, 1);
    }
    form->setRowStretch(8, 1);
    layout->addWidget(inputBox_, 0, 0, 2, 1);

    answerBox_ = new QGroupBox;
    auto* answer = new QVBoxLayout(answerBox_);
    answer_ = new QLabel;
    QFont big = answer_->font();
    big.setPointSize(big.pointSize() + 8);
    big.setBold(true);
    answer_->setFont(big);
    answer_->setStyleSheet(QStringLiteral("color: %1").arg(kWindowFigure.name()));
    answer_->setWordWrap(true);
    answer->addWidget(answer_);
    figures_ = new QLabel;
    answer->addWidget(figures_);
    warnings_ = new QLabel;
    warnings_->setWordWrap(true);
    warnings_->setStyleSheet(QStringLiteral("color: %1; font-weight: bold").arg(kWarning.name()));
    answer->addWidget(warnings_);
    table_ = new QTableWidget(0, 4);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    // Every row of the table in view, compact.
    const int row = table_->fontMetrics().height() + 6;
    table_->verticalHeader()->setDefaultSectionSize(row);
    table_->setMinimumHeight(row * (2 * kStrategyRows + 1) +
                             table_->horizontalHeader()->sizeHint().height() + 4);
    table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    answer->addWidget(table_, 1);
    layout->addWidget(answerBox_, 0, 1, 2, 1);

    modelBox_ = new QGroupBox;
    auto* modelLayout = new QHBoxLayout(modelBox_);
    modelFigures_ = new QLabel;
    modelFigures_->setWordWrap(true);
    modelFigures_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    modelFigures_->setMinimumWidth(300);
    modelLayout->addWidget(modelFigures_);
    chart_ = NewChart();
    chart_->setMargins(QMargins(4, 6, 4, 4));
    chart_->addAxis(MakeValueAxis(QString(), kAxisText), Qt::AlignBottom);
    chart_->addAxis(MakeValueAxis(QString(), kMotor), Qt::AlignLeft);
    auto* view = new QChartView(chart_);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(220);
    modelLayout->addWidget(view, 1);
    layout->addWidget(modelBox_, 2, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(2, 1);

    const QRect free =
        (screen() ? screen() : QGuiApplication::primaryScreen())->availableGeometry();
    resize(QSize(1040, 700).boundedTo(free.size() - QSize(16, 40)));
    connect(&model_, &RunModel::strategyChanged, this, &StrategyPanel::render);
    retranslate();
}

void StrategyPanel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QWidget::changeEvent(event);
}

void StrategyPanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void StrategyPanel::retranslate() {
    setWindowTitle(tr("残りのレースの作戦 — %1").arg(Printable(model_.run().title)));
    inputBox_->setTitle(tr("条件"));
    answerBox_->setTitle(tr("一定で走る速度"));
    modelBox_->setTitle(tr("周回から求めたエネルギーモデル  e = a + b v²"));
    const QString captions[] = {tr("残り時間(&R)"),         tr("バッテリー初期容量(&C)"),
                                tr("現在の残量(&N)"),       tr("目標残量 (終了時)(&G)"),
                                tr("予想ソーラー電力(&S)"), tr("車両質量(&M)"),
                                tr("駆動効率(&E)"),         tr("空気密度(&A)")};
    for (int i = 0; i < 8; ++i) captions_[i]->setText(captions[i]);
    inputs_[Remaining]->setSuffix(tr(" 分"));
    inputs_[Capacity]->setSpecialValueText(tr("未設定"));
    inputs_[Mass]->setSpecialValueText(tr("未設定"));
    inputs_[SocNow]->setToolTip(tr("空欄 (最小値) のときは記録の終了時の残量を使います。"));
    inputs_[Solar]->setToolTip(
        tr("空欄 (最小値) のときは記録の最後の1時間の平均ソーラー電力を使います。"));
    inputs_[Mass]->setToolTip(tr("転がり抵抗係数を出すのに使います。"));
    table_->setHorizontalHeaderLabels(StrategyHeads());
    chart_->axes(Qt::Horizontal).front()->setTitleText(tr("周回の平均速度 [km/h]"));
    chart_->axes(Qt::Vertical).front()->setTitleText(QStringLiteral("e [Wh/km]"));
    render();
}

void StrategyPanel::take(Input which, double value) {
    if (which == Capacity) {
        model_.setBatteryAh(value);
        return;
    }
    StrategyInputs inputs = model_.strategyInputs();
    const bool unset = value <= kBoxes[which].min;
    switch (which) {
        case Remaining:
            inputs.remainingMin = value;
            break;
        case SocNow:
            inputs.socNowPct = unset ? std::nullopt : std::optional(value);
            break;
        case Target:
            inputs.targetSocPct = value;
            break;
        case Solar:
            inputs.solarW = unset ? std::nullopt : std::optional(value);
            break;
        case Mass:
            inputs.car.massKg = unset ? std::nullopt : std::optional(value);
            break;
        case Efficiency:
            inputs.car.efficiency = value;
            break;
        case AirDensity:
            inputs.car.airDensity = value;
            break;
        case Capacity:
            break;
    }
    model_.setStrategyInputs(inputs);
}

QString StrategyPanel::answerText() const {
    return answer_->text();
}

void StrategyPanel::render() {
    const StrategyInputs& in = model_.strategyInputs();
    const Strategy& s = model_.strategy();
    const RunState state = StateAt(model_.run(), model_.energy(), model_.run().mainRows());
    const double values[] = {in.remainingMin,           model_.batteryAh().value_or(0.0),
                             in.socNowPct.value_or(-1), in.targetSocPct,
                             in.solarW.value_or(-1),    in.car.massKg.value_or(0.0),
                             in.car.efficiency,         in.car.airDensity};
    for (int i = 0; i < 8; ++i) {
        const QSignalBlocker quiet(inputs_[i]);
        inputs_[i]->setValue(values[i]);
    }
    const QString endPct = state.chargeAh && state.capacityAh
                               ? FixedText(*state.chargeAh / *state.capacityAh * 100, 1, "%")
                               : FixedText(std::nullopt, 1);
    inputs_[SocNow]->setSpecialValueText(tr("記録の終了時 (%1)").arg(endPct));
    inputs_[Solar]->setSpecialValueText(
        tr("最後の1時間の平均 (%1)").arg(FixedText(state.lastHourSolarW, 0, "W")));

    if (s.missing) {
        answer_->setText(MissingText(*s.missing));
    } else if (s.speedKmh) {
        answer_->setText(FixedText(s.speedKmh, 1, QStringLiteral("km/h")));
    } else {
        answer_->setText(tr("答えなし"));
    }
    std::vector<std::pair<QString, QString>> rows;
    if (!s.missing) {
        rows = {{tr("周回数"), s.laps ? QString::number(*s.laps) : FixedText(std::nullopt, 0)},
                {tr("目標ラップタイム"),
                 s.lapTimeS ? ClockText(*s.lapTimeS) : FixedText(std::nullopt, 0)},
                {tr("1周のエネルギー予算 (モーター)"), FixedText(s.lapBudgetWh, 1, "Wh")},
                {tr("使えるエネルギー"), FixedText(s.availableWh, 0, "Wh")},
                {tr("現在の残量"), FixedText(s.chargeNowAh, 2, "Ah") + QStringLiteral(" (") +
                                       FixedText(s.chargeNowPct, 1, "%") + u')'},
                {tr("ソーラー電力"), FixedText(s.solarW, 0, "W")},
                {tr("平均メイン電圧"), FixedText(s.meanMainV, 1, "V")},
                {tr("1周の距離"), FixedText(s.lapKm, 3, "km")}};
    }
    figures_->setText(Rows(rows));
    QStringList warnings;
    for (const StrategyWarning w : s.warnings)
        warnings << WarningText(w, model_.energyFit(), s).toHtmlEscaped();
    warnings_->setText(warnings.join(QStringLiteral("<br>")));
    warnings_->setVisible(!warnings.isEmpty());

    table_->setRowCount(static_cast<int>(s.table.size()));
    for (int r = 0; r < table_->rowCount(); ++r) {
        const StrategyRow& row = s.table[static_cast<std::size_t>(r)];
        const QStringList cells = StrategyCells(row);
        const bool answerRow = s.speedKmh && std::abs(row.speedKmh - *s.speedKmh) < 1e-9;
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment((c == 3 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
            QFont font = item->font();
            font.setBold(answerRow);
            item->setFont(font);
            if (row.flatAfterMin || !row.keepsTarget) item->setForeground(kWarning);
            if (answerRow) item->setBackground(kBestLap);
            table_->setItem(r, c, item);
        }
    }
    renderModel();
    renderChart();
}

void StrategyPanel::renderModel() {
    const EnergyFit& fit = model_.energyFit();
    const CarCoefficients c = ApparentCoefficients(fit, model_.strategyInputs().car);
    std::vector<std::pair<QString, QString>> rows = {
        {QStringLiteral("a"), FixedText(fit.a, 3, "Wh/km")},
        {QStringLiteral("b"), FixedText(fit.b, 6, "Wh·h²/km³")},
        {QStringLiteral("R²"), FixedText(fit.r2, 3)},
        {tr("使った周回"), QString::number(fit.used.size())},
        {tr("速度の範囲"), fit.used.empty()
                               ? FixedText(std::nullopt, 1)
                               : FixedText(fit.minSpeedKmh, 1) + QStringLiteral(" – ") +
                                     FixedText(fit.maxSpeedKmh, 1, "km/h")},
        {tr("転がり抵抗係数 Crr"), FixedText(c.rollingResistance, 4)},
        {tr("空気抵抗 CdA"), FixedText(c.dragAreaM2, 3, "m²")}};
    QString left;
    for (const LeftOutLap& lap : fit.leftOut) {
        if (!left.isEmpty()) left += QStringLiteral("<br>");
        left += tr("第%1周: %2").arg(lap.lap).arg(LeftOutText(lap.reason).toHtmlEscaped());
    }
    modelFigures_->setText(Rows(rows) + (left.isEmpty() ? QString()
                                                        : QStringLiteral("<p><b>") +
                                                              tr("除いた周回").toHtmlEscaped() +
                                                              QStringLiteral("</b><br>") + left));
}

void StrategyPanel::renderChart() {
    const EnergyFit& fit = model_.energyFit();
    const Strategy& s = model_.strategy();
    chart_->removeAllSeries();
    auto* laps = new QScatterSeries;
    laps->setName(tr("周回"));
    laps->setMarkerSize(7);
    laps->setColor(kBattery);
    laps->setBorderColor(kBattery);
    double low = INFINITY, high = -INFINITY, top = 0;
    for (const ModelLap& lap : fit.used) {
        laps->append(lap.speedKmh, lap.whPerKm);
        low = std::min(low, lap.speedKmh);
        high = std::max(high, lap.speedKmh);
        top = std::max(top, lap.whPerKm);
    }
    if (s.speedKmh) {
        low = std::min(low, *s.speedKmh);
        high = std::max(high, *s.speedKmh);
    }
    if (!(low <= high)) low = 0, high = 100;
    const double margin = std::max(5.0, (high - low) * 0.15);  // the curve beyond the laps
    low = std::max(0.0, low - margin);
    high += margin;
    chart_->addSeries(laps);
    if (fit.fitted()) {
        auto* curve = new QLineSeries;
        curve->setName(tr("モデル"));
        curve->setPen(QPen(kMotor, 1.6));
        for (int k = 0; k <= 60; ++k) {
            const double v = low + (high - low) * k / 60;
            curve->append(v, fit.whPerKm(v));
            top = std::max(top, fit.whPerKm(v));
        }
        chart_->addSeries(curve);
    }
    if (s.speedKmh && fit.fitted()) {
        auto* answer = new QScatterSeries;
        answer->setName(tr("答え %1 km/h").arg(*s.speedKmh, 0, 'f', 1));
        answer->setMarkerSize(12);
        answer->setColor(kSpeed);
        answer->setBorderColor(kSpeed);
        answer->append(*s.speedKmh, fit.whPerKm(*s.speedKmh));
        chart_->addSeries(answer);
    }
    for (QAbstractSeries* series : chart_->series()) {
        for (QAbstractAxis* axis : chart_->axes()) series->attachAxis(axis);
    }
    FitValueAxis(static_cast<QValueAxis*>(chart_->axes(Qt::Horizontal).front()), low, high);
    FitValueAxis(static_cast<QValueAxis*>(chart_->axes(Qt::Vertical).front()), 0.0, top);
}

}  // namespace yb
