#pragma once
// How far a download has got, how fast it goes and how long it still takes, from its progress
// reports. No widgets: the window shows the texts, anything else may too.
//
// The time left is the line time of the requests still to come, scaled by the pace measured so
// far. Line time: every character of a record's request and answer at 10 bits and 38400 baud
// (a main record 7 + 17 characters, 6.25 ms), and the fixed wait of every count request still to
// come (T??, D1?, TMP?, D2?, L?: 100 ms each). Pace: the time taken so far divided by the line
// time of the requests already done; a USB adapter that holds each answer for its latency timer
// makes it about 3, and the estimate follows. A stage's records count once its count is known,
// so the total grows stage by stage; until the main count is known there is no estimate. The
// temperatures, not counted yet, are estimated from the main count and the recording interval
// (a temperature a minute, two at the 10-second interval), as long as the logger may have them.
//
// The progress bar's fraction is the line time done over all of it, estimates included; it never
// goes back (a lap count that comes in adds a little line time, and the bar waits for it).

#include <QString>

#include <array>
#include <chrono>
#include <optional>

#include "download/Download.h"

namespace yb {

struct MeterReading {
    int done = 0;   // records stored, all stages
    int total = 0;  // records of the stages whose count is known
    double seconds = 0.0;
    double recordsPerSecond = 0.0;
    std::optional<double> secondsLeft;
    int retries = 0;  // requests sent again after a refused answer
    double fraction = 0.0;  // of the whole download, 0 to 1; never less than an earlier reading's
};

class DownloadMeter {
public:
    using Duration = std::chrono::steady_clock::duration;
    // A display shows the reports at most this often (and at every count and stage end).
    static constexpr std::chrono::milliseconds kDisplayInterval{50};

    // Takes one report of the running download; true when a display should show it now.
    bool take(const DownloadProgress& progress);
    // The download has ended after `elapsed`.
    void finish(Duration elapsed) { elapsed_ = elapsed; }
    MeterReading reading() const;

    // Line time of one record's request and answer.
    static std::chrono::duration<double> RecordLineTime(Stage stage);

private:
    struct StageState {
        bool counted = false;
        int count = 0;
        int done = 0;
    };
    // Line time done and still to come, estimates included.
    struct LineTime {
        std::chrono::duration<double> done{}, left{};
    };
    static int Index(Stage stage) { return static_cast<int>(stage); }
    LineTime lineTime() const;

    std::array<StageState, 3> stages_{};
    int commandsDone_ = 0;  // command exchanges of the download done
    int retries_ = 0;
    std::optional<int> interval_;  // the recording interval read, seconds
    Duration elapsed_{};
    std::optional<Duration> lastShown_;
    double fraction_ = 0.0;
};

// The texts below are in the interface's language.
// "1234 / 17650 個  160 個/秒  残り 1:23" (the time left once there is an estimate), and
// "  再試行 2 回" once a request was sent again.
QString MeterText(const MeterReading& reading);
// "  再試行 n 回" for retries above 0, else nothing.
QString RetriesText(int retries);
// What follows a download's ending wherever it is shown: RetriesText, and "  温度オプションなし"
// when the probe found no temperature option, so a skipped section is never silent.
QString OutcomeNotes(const DownloadOutcome& outcome);
// "残り m:ss", seconds rounded up.
QString TimeLeftText(double seconds);
// The line that stays once the download has ended, with how it ended (完了, 中止 or the failure
// text): "完了  読出し 17650 個  105.3 秒", and OutcomeNotes.
QString MeterSummary(const DownloadOutcome& outcome, const MeterReading& reading);

}  // namespace yb
