#pragma once
// The intervals the logger records at: facts of the logger's recording that the interval setting
// checks a typed value against, the download's meter estimates from and the data file writes and
// reads as its interval texts. They live in the lowest layer that uses them, so that each of
// those takes them from here.

namespace yb {

// The intervals a main record is recorded at, in seconds.
inline constexpr int kRecordingIntervals[] = {1, 2, 5, 10};
constexpr bool IsRecordingInterval(double seconds) {
    for (const int known : kRecordingIntervals) {
        if (seconds == known) return true;
    }
    return false;
}

// The logger records a temperature every minute, every two minutes at the 10-second interval
// (also while the interval is unknown: every minute).
constexpr int TemperatureIntervalSeconds(int recordingSeconds) {
    return recordingSeconds == 10 ? 120 : 60;
}

}  // namespace yb
