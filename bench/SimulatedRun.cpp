#include "SimulatedRun.h"

#include "download/Records.h"
#include "sim/Logger.h"

namespace yb::bench {

// The simulated logger's answers, decoded by the download's own decoders.
void FillSimulatedRun(RecordStore& data, const RunSize& size) {
    const ybsim::Logger logger({.seed = size.seed,
                                .mainCount = size.mainRows,
                                .tempCount = size.temperatureRows,
                                .lapCount = size.laps,
                                .interval = size.intervalS});
    data.clear();
    data.setInterval(static_cast<std::int16_t>(size.intervalS));
    data.setCount(Stage::Main, static_cast<std::int16_t>(size.mainRows));
    for (int i = 0; i < size.mainRows; ++i)
        data.storeMain(i, *DecodeMainRecord(logger.mainRecord(i)));
    data.setCount(Stage::Temperature, static_cast<std::int16_t>(size.temperatureRows));
    for (int j = 0; j < size.temperatureRows; ++j) {
        data.storeTemperature(j, *DecodeTempRecord(logger.tempRecord(j)));
    }
    data.setCount(Stage::Laps, static_cast<std::int16_t>(size.laps));
    for (int k = 0; k < size.laps; ++k) data.storeLap(k, *DecodeLapRecord(logger.lapRecord(k + 1)));
}

}  // namespace yb::bench
