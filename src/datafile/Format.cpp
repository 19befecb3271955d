#include "datafile/Format.h"

#include "settings/Settings.h"

namespace yb {

QString IntervalText(int seconds) {
    if (IsRecordingInterval(seconds)) return QStringLiteral("%1秒間隔").arg(seconds);
    return QStringLiteral("?秒間隔:不明");
}

bool ReadIntervalText(QStringView text, std::optional<int>& seconds) {
    for (const int known : kRecordingIntervals) {
        if (text == IntervalText(known)) {
            seconds = known;
            return true;
        }
    }
    seconds.reset();
    return text == IntervalText(0);
}

QString TemperatureIntervalText(int recordingSeconds) {
    return QStringLiteral("%1分間隔").arg(TemperatureIntervalSeconds(recordingSeconds) / 60);
}

std::optional<int> ReadTemperatureIntervalText(QStringView text) {
    for (const int recording : {1, 10}) {
        if (text == TemperatureIntervalText(recording)) return TemperatureIntervalSeconds(recording);
    }
    return std::nullopt;
}

}  // namespace yb
