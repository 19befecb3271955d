#include "download/LoggedData.h"

namespace yb {

void LoggedData::InitData() {
    Data1Solar.fill(kMainEmpty);
    Data1Battery.fill(kMainEmpty);
    Data1SubVolt.fill(kMainEmpty);
    Data1MainVolt.fill(kMainEmpty);
    Data1Speed.fill(kMainEmpty);
    Data2Temp.fill(kTempEmpty);
    DataCount1 = 0;
    DataCount2 = 0;
    LapCount = 0;
    LapTime.fill(kLapTimeEmpty);
    LapMotorWh.fill(kLapWhEmpty);
}

}  // namespace yb
