#pragma once
// How far a download has got, how fast it goes and how long it still takes, from its progress
// reports. No widgets: the window shows the texts, anything else may too.
//
// The download's first report carries its plan (DownloadPlan): its stages in their order, the
// records each has when known, those a resume keeps (done already) and asks for again, and the
// command exchanges to come. The meter knows no stage order of its own: it times the plan.
//
// The time left is the line time of the requests still to come, scaled by the pace measured so
// far. Line time: every character of a record's request and answer at 10 bits and 38400 baud
// (a main record 7 + 17 characters, 6.25 ms), and the fixed wait of every command exchange still
// to come (100 ms each). Pace: the time taken so far divided by the line time of the requests
// this run has done; a USB adapter that holds each answer for its latency timer makes it about
// 3, and the estimate follows. A stage's records count once its count is known, so the total
// grows stage by stage; until the first stage's count is known there is no estimate. A stage
// the plan estimates (the temperatures, from the main count and the recording interval) counts
// that many until its own count is known, and a stage still uncounted when a later one is
// counted was passed over: its estimate and its count request go.
//
// The progress bar's fraction is the line time done over all of it, the records a resume keeps
// and estimates included, so a resume's bar starts where its work starts; it never goes back.

#include <QString>

#include <chrono>
#include <optional>
#include <vector>

#include "download/Download.h"

namespace yb {

struct MeterReading {
    int done = 0;   // records stored, kept ones included: all stages, or the stage asked for
    int total = 0;  // records of the stages whose count is known (or of the stage asked for)
    double seconds = 0.0;
    double recordsPerSecond = 0.0;
    std::optional<double> secondsLeft;
    int retries = 0;        // requests sent again after a refused answer
    double fraction = 0.0;  // of the whole download, 0 to 1; never less than an earlier reading's
};

class DownloadMeter {
public:
    using Duration = std::chrono::steady_clock::duration;
    // A display shows the reports at most this often (and at every count and stage end): twice
    // a second is enough for a bar, a rate and a time left, and each redraw of the window holds
    // back the request after the answer it follows (five a second cost a download 0.4 %).
    static constexpr std::chrono::milliseconds kDisplayInterval{500};

    // Takes one report of the running download; true when a display should show it now.
    bool take(const DownloadProgress& progress);
    // The download has ended after `elapsed`.
    void finish(Duration elapsed) { elapsed_ = elapsed; }
    MeterReading reading() const;
    // The same with the records of one stage only, as a line about that stage shows them.
    MeterReading reading(Stage stage) const;

    // Line time of one record's request and answer.
    static std::chrono::duration<double> RecordLineTime(Stage stage);

private:
    // A stage of the plan, as far as it has got.
    struct StageState {
        DownloadPlan::Step planned;
        bool counted = false;
        int count = 0;
        int done = 0;  // records stored, kept ones included
    };
    // Line time done and still to come, estimates included; of the done, what the plan started
    // with (records kept).
    struct LineTime {
        std::chrono::duration<double> done{}, left{}, kept{};
    };
    StageState* find(Stage stage);
    LineTime lineTime() const;
    bool estimating() const { return !stages_.empty() && stages_.front().counted; }

    std::vector<StageState> stages_;  // the plan's, in its order
    int commandsPlanned_ = 0;         // command exchanges to come as the plan came
    int commandsAtPlan_ = 0;          // command exchanges done by then
    int commandsDone_ = 0;            // command exchanges done
    int checked_ = 0;                 // records kept asked for again
    int retries_ = 0;
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
// What follows a download's ending wherever it is shown: the failed request's detail,
// RetriesText, and "  温度オプションなし" when the probe found no temperature option, so a skipped
// section is never silent.
QString OutcomeNotes(const DownloadOutcome& outcome);
// "残り m:ss", seconds rounded up.
QString TimeLeftText(double seconds);
// The line that stays once the download has ended, with how it ended (完了, 中止 or the failure
// text): "完了  読出し 17650 個  105.3 秒", and OutcomeNotes.
QString MeterSummary(const DownloadOutcome& outcome, const MeterReading& reading);

}  // namespace yb
