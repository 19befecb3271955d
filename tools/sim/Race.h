// The race the simulated logger holds: one run for the counts and the interval it is given.
//
// The main records span count × interval seconds. The laps fill that span: their times add up
// to it (the last one ends with the data), the first laps slower in traffic, the lap half way
// with a pit stop, at one in the afternoon. On each lap the car brakes into three corners,
// accelerates out of them and cruises between; the motor's power is rolling and air resistance
// plus the acceleration; the panel's current follows the sun and passing clouds; the battery
// gives what the panel does not (and is charged by it in the pit); the pack voltage sags under
// load and falls as the pack empties. A lap's energy is the motor's energy on that lap. The
// temperatures are taken at the data file's temperature interval from the same start.
//
// A run too short for its laps gives every lap one second; a lap is at most about an hour, and
// the car stands after the last lap when the laps cannot fill the span.
#pragma once

#include <cstdint>
#include <vector>

namespace ybsim {

// Raw values of one main-data record, as the logger measured them.
struct MainValues {
    int solarCentiA;    // 0 .. 800
    int batteryCentiA;  // -2000 .. 3000 (negative: charging)
    int mainDeciV;      // 900 .. 1100
    int subDeciV;       // 110 .. 140
    int speedKmh;       // 0 .. 120
};

struct LapValues {
    int seconds;    // 1 .. 32767 (a race's laps: minutes)
    int energyDWh;  // tenths of Wh, 1 .. 32767
};

struct RaceRecords {
    std::vector<MainValues> main;
    std::vector<int> temperatures;  // °C, -128 .. 127 (a race's: 20 .. 50)
    std::vector<LapValues> laps;
};

// The same arguments give the same records.
RaceRecords SimulateRace(std::uint32_t seed, long mainCount, long tempCount, long lapCount,
                         int intervalS);

// The data file's temperature interval at a recording interval, in seconds.
constexpr int TemperatureStepS(int intervalS) {
    return intervalS == 10 ? 120 : 60;
}

}  // namespace ybsim
