#pragma once
// The download: everything the logger holds into the store, stage by stage.
//
// It empties the store, reads the recording interval, then runs three stages in the order of its
// stage table (main data, the temperatures when the logger has the option, laps), each a count
// request and one request per record. Every answer is taken whole or not at all
// (download/Records.h): an answer refused ends the download, and what was stored before it stays.
// So the store only ever holds this download's records, each one as the logger sent it, and the
// interval they were recorded at. It reports typed progress to whoever runs it and returns its
// outcome: the completion text, the failure text of the request that failed, or the cancel text.
// Its first report carries the plan of what is to come (DownloadPlan), which is all a meter needs
// to know of the stages.
//
// With retries a refused answer costs one request instead of the download: the request is sent
// again once the line has fallen quiet, up to the number of retries, before its stage fails. A
// download that stopped early can be resumed: after checking that the logger still holds the
// same run, only what is missing is asked for.

#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <qcoro/qcorotask.h>

#include "download/RecordStore.h"
#include "download/Records.h"
#include "serial/LineExchange.h"
#include "serial/Outcome.h"
#include "settings/Settings.h"

namespace yb {

// The texts a download ends with, in the interface's language: "データ読出し完了...",
// "データ読出しを中止しました".
QString DownloadDoneText();
QString DownloadCancelledText();

// What a download or a resume still has to do as it starts: its stages in the order they run
// (the stage table's) and the command exchanges to come. Its first progress report carries it;
// whoever times the download (DownloadMeter) learns the stages from it and nothing else.
struct DownloadPlan {
    struct Step {
        Stage stage = Stage::Main;
        std::optional<int> count;  // the stage's records in all, when known (a resume's so far)
        int kept = 0;    // records a resume keeps from the download that stopped: done already
        int checks = 0;  // of those, the ones the resume asks for again (ResumeSample)
        // Until the count is known, its records are estimated as this many per record of the
        // first stage, at most `limit`; 0: not estimated.
        double perFirstStageRecord = 0.0;
        int limit = 0;
    };
    std::vector<Step> stages;
    // Command exchanges (each a fixed wait) still to come besides the count request of each stage
    // whose count is not known yet: the temperature probe, a resume's count checks. A stage that
    // is passed over (the logger lacks the option) sends no count request. The plan comes with
    // the interval read's answer: that one is done.
    int commands = 0;
};

struct DownloadProgress {
    enum class Event {
        IntervalRead,  // the recording interval was read (or its read failed): see `interval`
        CountKnown,    // the stage's count was accepted
        RecordStored,  // record `done` - 1 of the stage was stored
    };
    Event event = Event::CountKnown;
    Stage stage = Stage::Main;
    int done = 0;        // records of the stage stored so far
    int count = 0;       // the stage's count, once known
    std::string number;  // RecordStored: the record's number text ("0077", "0A")
    std::string answer;  // RecordStored: the answer as received, line end included
    SettingRead interval;
    std::optional<DownloadPlan> plan;  // on the first report of a download or a resume
    int commandsDone = 0;              // command exchanges (each a fixed wait) done so far
    int checked = 0;                   // records kept that a resume has asked for again so far
    int retries = 0;                   // requests sent again so far
    std::chrono::steady_clock::duration elapsed{};  // since the download started
};

// Characters on the line for one record of a stage: its request (command, number text and
// carriage return) and its answer (line end included).
std::size_t RecordLineChars(Stage stage);

using ProgressSink = std::function<void(const DownloadProgress&)>;

// Where a download that ended early stopped: with the store, what a resume needs.
struct DownloadStop {
    Stage stage = Stage::Main;  // the stage that was running; the stages before it finished
    bool counted = false;       // its count had been accepted (its records from stored() on miss)
    std::optional<bool> temperatureFitted;  // the temperature probe's verdict, once it was asked
};

struct DownloadOutcome : Outcome {
    DownloadStop stop;           // the stage running when it ended: where it stopped, if early
    int retries = 0;             // requests sent again after a refused answer
    bool loggerChanged = false;  // a resume found another run on the logger: nothing was asked for
    // A failure's request and what became of it, beside the fixed failure text: "D1 記録 57 /
    // 16100: 応答なし". Empty for anything but a failed request.
    QString detail;
};

struct DownloadOptions {
    // How often a request whose answer was refused is sent again; 0: the first refusal fails.
    int retries = 0;
    static constexpr int kMaxRetries = 10;
};

// What a resume shows when the logger no longer holds the run that was stopped:
// "ロガーのデータが変わっています。最初から読出してください。".
QString LoggerChangedText();

// Runs the whole download on the open port. With the port closed: Refused with
// "CommPort Not Open...", nothing sent, the store untouched. A cancel ends it before its next
// request, leaving the store as a failure at that request would. Expected endings (a refused
// answer, a lost port, a cancel) are outcomes; only a programming error throws.
QCoro::Task<DownloadOutcome> Download(LineExchange& line, RecordStore& store, ProgressSink report,
                                      DownloadOptions options = {});

// Continues the download that stopped at `stop` and left `store`. It asks the interval again, the
// count of every stage that had finished and of the stage where it stopped, and a sample of the
// records stored in each (ResumeSample); when any differs from the store (or a finished stage now
// has records where it had none), it ends Failed with LoggerChangedText(), loggerChanged set and
// the store as it was. Otherwise it asks only for the missing records of the stopped stage, runs
// the stages after it in full, and ends as a download ends. A stop before the main count was
// known is a download from the start.
QCoro::Task<DownloadOutcome> ResumeDownload(LineExchange& line, RecordStore& store,
                                            DownloadStop stop, ProgressSink report,
                                            DownloadOptions options = {});

// The records of a stage a resume asks for again, of the `stored` it keeps: all of them when
// there are at most kResumeSample, else kResumeSample spread evenly, the first and the last among
// them.
inline constexpr int kResumeSample = 16;
std::vector<int> ResumeSample(int stored);

// The plan of a download (`resumed` empty) or of a resume of `resumed` on `store`, the logger
// recording at `interval`: the stage table and where it stopped say what is still to come.
DownloadPlan PlanDownload(const RecordStore& store, const std::optional<DownloadStop>& resumed,
                          int interval);

// What the message line shows once a stage's count is known: "データ１:16100個".
QString StageCountText(Stage stage, int count);
// The line a stage's record box shows for a stored record: number text, " : ", the answer.
QString RecordLine(const DownloadProgress& stored);

}  // namespace yb
