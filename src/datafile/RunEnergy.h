#pragma once
// Channels derived from the main rows: the energy taken in and given out since the first record,
// and the charge left in the battery. Each is one value per main row (the running total up to and
// including that row), unknown where the row lacks what it is formed from; every one is unknown
// when the recording interval I is.
//
//   solar energy    sum of Solar_Watt x I / 3600                  Wh
//   battery energy  sum of Battery_Watt x I / 3600                Wh (discharge positive)
//   motor energy    sum of (Solar_Watt + Battery_Watt) x I / 3600 Wh: what the panel and the
//                   battery together gave the drive
//   remaining       initial capacity - sum of Battery[A] x I / 3600  Ah (unknown without the
//                   initial capacity: the data file does not hold the logger's setting)

#include <QStringView>

#include <array>
#include <optional>
#include <vector>

#include "datafile/RunData.h"

namespace yb {

enum class EnergyChannel { SolarWh, BatteryWh, MotorWh, RemainingAh };
inline constexpr int kEnergyChannels = 4;

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
}};
inline constexpr const EnergyColumn& ColumnOf(EnergyChannel channel) {
    return kEnergyColumns[static_cast<std::size_t>(channel)];
}

struct RunEnergy {
    std::array<std::vector<MainValue>, kEnergyChannels> columns;

    const std::vector<MainValue>& channel(EnergyChannel c) const {
        return columns[static_cast<std::size_t>(c)];
    }
};

RunEnergy DeriveEnergy(const RunData& run, std::optional<double> initialAh);

// The power the drive drew in a main row: Solar_Watt + Battery_Watt; unknown when either is.
std::optional<double> MotorWatts(const RunData& run, int mainRow);

}  // namespace yb
