#include "SimulatedRun.h"

#include <QDateTime>
#include <QFile>
#include <cstdio>

#include "datafile/DataFile.h"
#include "datafile/ShiftJis.h"
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

QByteArray WriteFullDataFile(const QString& path) {
    RecordStore data;
    FillSimulatedRun(data, {5, 16100, 1350, 200});
    const QByteArray bytes =
        *EncodeShiftJis(*RenderDataFile(data, u',', path, QDateTime::currentDateTime()));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return {};
    std::printf("full data file: %d main, %d temperature, %d lap rows, %lld bytes\n",
                int{data.mainCount()}, int{data.tempCount()}, int{data.lapCount()},
                static_cast<long long>(bytes.size()));
    return bytes;
}

}  // namespace yb::bench
