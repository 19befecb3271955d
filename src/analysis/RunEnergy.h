#pragma once
// Channels derived from the main rows: the energy taken in and given out since the first record,
// and the battery's state of charge. Each is one value per main row (the running total up to and
// including that row), unknown where the row lacks what it is formed from; every one is unknown
// when the recording interval I is.
//
//   solar energy    sum of Solar_Watt x I / 3600                  Wh
//   battery energy  sum of Battery_Watt x I / 3600                Wh (discharge positive)
//   motor energy    sum of (Solar_Watt + Battery_Watt) x I / 3600 Wh: what the panel and the
//                   battery together gave the drive
//   charge          C - sum of Battery[A] x I / 3600              Ah, C the initial capacity
//   state of charge charge / C x 100                              %
//   stored energy   charge x the run's mean Main_Volt             Wh
//
// The three charge channels are unknown without the initial capacity (the data file does not
// hold the logger's setting).

#include <QStringView>

#include <array>
#include <optional>
#include <vector>

#include "datafile/RunData.h"
#include "datafile/RunSummary.h"

namespace yb {

enum class EnergyChannel { SolarWh, BatteryWh, MotorWh, RemainingAh, RemainingPct, RemainingWh };
inline constexpr int kEnergyChannels = 6;

// Each channel's stable English name (as a main column's, datafile/Format.h) and its unit.
struct EnergyColumn {
    QStringView name;
    QStringView unit;
};
inline constexpr std::array<EnergyColumn, kEnergyChannels> kEnergyColumns{{
    {u"solar_wh", u"Wh"},
    {u"battery_wh", u"Wh"},
    {u"motor_wh", u"Wh"},
    {u"remaining_ah", u"Ah"},
    {u"remaining_pct", u"%"},
    {u"remaining_wh", u"Wh"},
}};
inline constexpr const EnergyColumn& ColumnOf(EnergyChannel channel) {
    return kEnergyColumns[static_cast<std::size_t>(channel)];
}

struct RunEnergy {
    std::array<std::vector<MainValue>, kEnergyChannels> columns;
    std::optional<double> capacityAh;  // C
    std::optional<double> meanMainV;   // over the rows that hold a main voltage

    const std::vector<MainValue>& channel(EnergyChannel c) const {
        return columns[static_cast<std::size_t>(c)];
    }
    // The last known value of a channel in the rows before `rowEnd` (all rows by default).
    std::optional<double> last(EnergyChannel c, int rowEnd = -1) const;
};

RunEnergy DeriveEnergy(const RunData& run, std::optional<double> capacityAh);

// The power the drive drew in a main row: Solar_Watt + Battery_Watt; unknown when either is.
std::optional<double> MotorWatts(const RunData& run, int mainRow);

// The mean of a main column over the rows [first, end) that hold it; unknown when none does.
std::optional<double> MeanOf(const RunData& run, MainChannel column, int first, int end);

// The battery at the end of the main rows [0, rowEnd) as the summary's lines: the initial
// capacity ("capacity_ah"), and the charge ("charge_end_ah"), state of charge ("charge_end_pct")
// and stored energy ("charge_end_wh") at the last row that knows them; "未設定" (not set) without
// a capacity.
std::vector<SummaryLine> ChargeLines(const RunEnergy& energy, int rowEnd);
// The same figures by their keys, unrounded, for JSON and the exports.
std::vector<SummaryFigure> ChargeFigures(const RunEnergy& energy, int rowEnd);
// `summary --json`: SummaryJson with the battery's figures at the end of the rows [0, rowEnd)
// ("capacity_ah": 20, ...), null when unknown.
QByteArray SummaryJson(const RunSummary& summary, const RunEnergy& energy, int rowEnd);

}  // namespace yb
