#include "analysis/RunEnergy.h"

#include <QCoreApplication>

namespace yb {

std::optional<double> MotorWatts(const RunData& run, int mainRow) {
    const auto row = static_cast<std::size_t>(mainRow);
    const auto& solar = run.channel(MainChannel::SolarW)[row];
    const auto& battery = run.channel(MainChannel::BatteryW)[row];
    if (!solar || !battery) return std::nullopt;
    return *solar + *battery;
}

std::optional<double> MeanOf(const RunData& run, MainChannel column, int first, int end) {
    const std::vector<MainValue>& values = run.channel(column);
    double sum = 0.0;
    int count = 0;
    for (int i = std::max(first, 0); i < end && i < run.mainRows(); ++i) {
        if (const MainValue value = values[static_cast<std::size_t>(i)]) {
            sum += *value;
            ++count;
        }
    }
    if (count == 0) return std::nullopt;
    return sum / count;
}

std::optional<double> RunEnergy::last(EnergyChannel c, int rowEnd) const {
    const std::vector<MainValue>& values = channel(c);
    const auto end =
        rowEnd < 0 ? values.size() : std::min(values.size(), static_cast<std::size_t>(rowEnd));
    for (std::size_t i = end; i > 0; --i) {
        if (values[i - 1]) return *values[i - 1];
    }
    return std::nullopt;
}

RunEnergy DeriveEnergy(const RunData& run, std::optional<double> capacityAh) {
    RunEnergy energy;
    const auto rows = static_cast<std::size_t>(run.mainRows());
    for (auto& column : energy.columns) column.assign(rows, std::nullopt);
    energy.meanMainV = MeanOf(run, MainChannel::MainV, 0, run.mainRows());
    if (!run.intervalS) return energy;
    if (capacityAh && *capacityAh > 0.0) energy.capacityAh = capacityAh;
    const double hours = *run.intervalS / 3600.0;

    // Each running total with the row's own term, or unknown at a row without it.
    struct Total {
        double sum = 0.0;
        void add(MainValue& out, std::optional<double> term, double hours) {
            if (!term) return;
            sum += *term * hours;
            out = sum;
        }
    };
    Total solar, battery, motor, charge;
    const auto column = [&energy](EnergyChannel c) -> auto& {
        return energy.columns[static_cast<std::size_t>(c)];
    };
    for (std::size_t i = 0; i < rows; ++i) {
        solar.add(column(EnergyChannel::SolarWh)[i], run.channel(MainChannel::SolarW)[i], hours);
        battery.add(column(EnergyChannel::BatteryWh)[i], run.channel(MainChannel::BatteryW)[i],
                    hours);
        motor.add(column(EnergyChannel::MotorWh)[i], MotorWatts(run, static_cast<int>(i)), hours);
        if (!energy.capacityAh) continue;
        MainValue used;
        charge.add(used, run.channel(MainChannel::BatteryA)[i], hours);
        if (!used) continue;
        const double ampHours = *energy.capacityAh - *used;
        column(EnergyChannel::RemainingAh)[i] = ampHours;
        column(EnergyChannel::RemainingPct)[i] = ampHours / *energy.capacityAh * 100.0;
        if (energy.meanMainV) column(EnergyChannel::RemainingWh)[i] = ampHours * *energy.meanMainV;
    }
    return energy;
}

namespace {

struct ChargeItem {
    const char* key;
    const char* label;
    const char* unit;
    int decimals;
    std::optional<EnergyChannel> channel;  // none: the capacity
};
constexpr ChargeItem kChargeItems[] = {
    {"capacity_ah", QT_TRANSLATE_NOOP("RunEnergy", "バッテリー初期容量"), "Ah", 2, {}},
    {"charge_end_ah", QT_TRANSLATE_NOOP("RunEnergy", "終了時の残量"), "Ah", 2,
     EnergyChannel::RemainingAh},
    {"charge_end_pct", QT_TRANSLATE_NOOP("RunEnergy", "終了時の充電状態"), "%", 1,
     EnergyChannel::RemainingPct},
    {"charge_end_wh", QT_TRANSLATE_NOOP("RunEnergy", "終了時の蓄電量"), "Wh", 0,
     EnergyChannel::RemainingWh},
};

std::optional<double> ChargeValue(const RunEnergy& energy, const ChargeItem& item, int rowEnd) {
    return item.channel ? energy.last(*item.channel, rowEnd) : energy.capacityAh;
}

}  // namespace

std::vector<SummaryLine> ChargeLines(const RunEnergy& energy, int rowEnd) {
    std::vector<SummaryLine> lines;
    for (const ChargeItem& item : kChargeItems) {
        const std::optional<double> value = ChargeValue(energy, item, rowEnd);
        const QString text = value || energy.capacityAh
                                 ? FixedText(value, item.decimals, QLatin1String(item.unit))
                                 : QCoreApplication::translate("RunEnergy", "未設定");
        lines.push_back(
            {QLatin1String(item.key), QCoreApplication::translate("RunEnergy", item.label), text});
    }
    return lines;
}

std::vector<SummaryFigure> ChargeFigures(const RunEnergy& energy, int rowEnd) {
    std::vector<SummaryFigure> figures;
    for (const ChargeItem& item : kChargeItems)
        figures.push_back({item.key, ChargeValue(energy, item, rowEnd)});
    return figures;
}

QByteArray SummaryJson(const RunSummary& summary, const RunEnergy& energy, int rowEnd) {
    QByteArray json = SummaryJson(summary);
    json.chop(1);  // its closing brace: the battery's members follow
    for (const SummaryFigure& figure : ChargeFigures(energy, rowEnd))
        json += ", \"" + QByteArray(figure.key) + "\": " + JsonValue(figure.value);
    return json + '}';
}

}  // namespace yb
