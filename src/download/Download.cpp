#include "download/Download.h"

#include <QCoreApplication>

#include <algorithm>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "serial/ValueRules.h"

namespace yb {

namespace {

using StoreRecord = bool (*)(RecordStore& store, int slot, std::string_view answer);

// One stage of the download: a count request, then one request per record. The three stages
// differ only in what this table holds, and run in its order.
struct DownloadStage {
    Stage stage;
    bool optional;                       // asked for only when the probe finds the logger's option
    const char* countCommand;            // a command exchange
    std::int16_t limit;                  // a higher count ends the download and is not stored
    const char* countLengthFailure;      // count answer refused (or none)
    const char* countLimitFailure;       // count above the limit
    const char* countText;               // message line once the count is known (%1: the count)
    const char* recordPrefix;            // record command: prefix and number text
    int numberWidth;                     // hexadecimal digits of the number text
    int numberBase;                      // number of the first record (laps count from 1)
    std::size_t answerChars;             // characters of a record answer, line end included
    std::chrono::milliseconds deadline;  // how long the logger may take for one record
    const char* recordFailure;           // record answer refused (or none)
    StoreRecord store;                   // answer into slot i of the store; false: refused
    // Records the logger holds per record of the first stage at a recording interval, as long as
    // the count is not known; nullptr: no estimate.
    double (*perFirstStageRecord)(int interval);
};

// A temperature a minute (two at the 10-second interval) beside the main records.
double TemperaturesPerMainRecord(int interval) {
    return static_cast<double>(interval) / TemperatureIntervalSeconds(interval);
}

bool StoreMain(RecordStore& store, int slot, std::string_view answer) {
    const auto record = DecodeMainRecord(answer);
    if (record) store.storeMain(slot, *record);
    return record.has_value();
}

bool StoreTemp(RecordStore& store, int slot, std::string_view answer) {
    const auto temperature = DecodeTempRecord(answer);
    if (temperature) store.storeTemperature(slot, *temperature);
    return temperature.has_value();
}

bool StoreLap(RecordStore& store, int slot, std::string_view answer) {
    const auto lap = DecodeLapRecord(answer);
    if (lap) store.storeLap(slot, *lap);
    return lap.has_value();
}

const DownloadStage kStages[] = {
    {
        .stage = Stage::Main,
        .optional = false,
        .countCommand = "D1?",
        .limit = RecordStore::kMainLimit,
        .countLengthFailure = QT_TRANSLATE_NOOP("Download", "'D1?' コマンドエラー"),
        .countLimitFailure = QT_TRANSLATE_NOOP("Download", "'D1?' コマンドエラー"),
        .countText = QT_TRANSLATE_NOOP("Download", "データ１:%1個"),
        .recordPrefix = "D1",
        .numberWidth = 4,
        .numberBase = 0,
        .answerChars = kMainRecordChars,
        .deadline = kMainRecordDeadline,
        .recordFailure = QT_TRANSLATE_NOOP("Download", "'D1+nnnn' コマンドエラー"),
        .store = &StoreMain,
        .perFirstStageRecord = nullptr,
    },
    {
        .stage = Stage::Temperature,
        .optional = true,
        .countCommand = "D2?",
        .limit = RecordStore::kTempLimit,
        .countLengthFailure = QT_TRANSLATE_NOOP("Download", "'D2?' コマンドエラー"),
        .countLimitFailure = QT_TRANSLATE_NOOP("Download", "'D2?' コマンドエラー"),
        .countText = QT_TRANSLATE_NOOP("Download", "温度データ:%1個"),
        .recordPrefix = "D2",
        .numberWidth = 4,
        .numberBase = 0,
        .answerChars = kTempRecordChars,
        .deadline = kTempRecordDeadline,
        .recordFailure = QT_TRANSLATE_NOOP("Download", "'D2+nnnn' コマンドエラー"),
        .store = &StoreTemp,
        .perFirstStageRecord = &TemperaturesPerMainRecord,
    },
    {
        .stage = Stage::Laps,
        .optional = false,
        .countCommand = "L?",
        .limit = RecordStore::kLapLimit,
        .countLengthFailure = QT_TRANSLATE_NOOP("Download", "'L2?' コマンドエラー"),
        .countLimitFailure = QT_TRANSLATE_NOOP("Download", "'L?' コマンドエラー"),
        .countText = QT_TRANSLATE_NOOP("Download", "周回データ:%1個"),
        .recordPrefix = "LD",
        .numberWidth = 2,
        .numberBase = 1,
        .answerChars = kLapRecordChars,
        .deadline = kLapRecordDeadline,
        .recordFailure = QT_TRANSLATE_NOOP("Download", "'LD+nn' コマンドエラー"),
        .store = &StoreLap,
        .perFirstStageRecord = nullptr,
    },
};

// The request a download is making, for a failure's detail.
struct Asking {
    const char* command = "";              // the command, or a record command's prefix
    const DownloadStage* stage = nullptr;  // a record of this stage
    int slot = 0;
    int count = 0;
};

// "D1 記録 57 / 16100: 応答なし", "L?: 不正な応答 (3 文字)".
QString AskingText(const Asking& asking, const Answer& answer) {
    QString request = QString::fromLatin1(asking.command);
    if (asking.stage) {
        request = QCoreApplication::translate("Download", "%1 記録 %2 / %3")
                      .arg(request)
                      .arg(asking.slot + 1)
                      .arg(asking.count);
    }
    QString what;
    switch (answer.state) {
        case Answer::State::TimedOut:
            what = answer.text.empty()
                       ? QCoreApplication::translate("Download", "応答なし")
                       : QCoreApplication::translate("Download", "行末のない応答 (%1 文字)")
                             .arg(answer.text.size());
            break;
        case Answer::State::PortLost:
            what = QCoreApplication::translate("Download", "ポートが使えなくなりました");
            break;
        default:
            what = QCoreApplication::translate("Download", "不正な応答 (%1 文字)")
                       .arg(answer.text.size());
            break;
    }
    return request + QStringLiteral(": ") + what;
}

const DownloadStage& StageOf(Stage stage) {
    return *std::find_if(std::begin(kStages), std::end(kStages),
                         [stage](const DownloadStage& s) { return s.stage == stage; });
}

// Where a stage comes in the download.
int Order(Stage stage) {
    return static_cast<int>(&StageOf(stage) - kStages);
}
bool Before(Stage a, Stage b) {
    return Order(a) < Order(b);
}

const char* const kProbeFailure = QT_TRANSLATE_NOOP("Download", "'TMP?' コマンドエラー");
const char* const kLateAnswerFailure =
    QT_TRANSLATE_NOOP("Download", "応答が遅れて届きました。ずれたおそれのあるデータは破棄しました");

// The probe waits for a line this quiet before it asks, and listens this long after a silent
// wait: a USB adapter holds back what it received for up to its latency timer (16 ms is common).
constexpr std::chrono::milliseconds kProbeQuiet{20};
constexpr std::chrono::milliseconds kProbeSettleLimit{200};

// Whether `answer` decodes to what slot `slot` of a stage holds; nullopt when it is refused.
std::optional<bool> SameAsStored(const RecordStore& store, Stage stage, int slot,
                                 std::string_view answer) {
    switch (stage) {
        case Stage::Main:
            if (const auto record = DecodeMainRecord(answer)) return *record == store.main(slot);
            break;
        case Stage::Temperature:
            if (const auto t = DecodeTempRecord(answer)) return *t == store.temperature(slot);
            break;
        case Stage::Laps:
            if (const auto lap = DecodeLapRecord(answer)) return *lap == store.lap(slot);
            break;
    }
    return std::nullopt;
}

// Whether two slots of a stage hold the same record.
bool SameSlots(const RecordStore& store, Stage stage, int a, int b) {
    switch (stage) {
        case Stage::Main:
            return store.main(a) == store.main(b);
        case Stage::Temperature:
            return store.temperature(a) == store.temperature(b);
        case Stage::Laps:
            break;
    }
    return store.lap(a) == store.lap(b);
}

// A text of the stage table in the interface's language.
QString Message(const char* text) {
    return QCoreApplication::translate("Download", text);
}

// One download run, from the start or resumed: the stages share the line, the store, the
// progress sink, the clock and the retries.
class DownloadRun {
public:
    DownloadRun(LineExchange& line, RecordStore& store, ProgressSink report,
                DownloadOptions options)
        : line_(line), store_(store), report_(std::move(report)), options_(options) {}

    QCoro::Task<DownloadOutcome> run();
    QCoro::Task<DownloadOutcome> resume(DownloadStop stop);

private:
    // A request and its answer; `accepted` when the answer was taken. `misaligned`: an answer
    // given up on came after all, so an answer taken since may have been that one.
    struct Reply {
        Answer answer;
        bool accepted = false;
        bool misaligned = false;
    };
    // Where the download was when an answer was first given up on: from there on, an answer
    // taken may be a late one, until the stage ends proven aligned.
    struct Risk {
        DownloadStop stop;
        int stored = 0;   // records of that stage stored by then
        int surplus = 0;  // line ends that had come when nothing was owed, by then
    };
    // Sends a request until `accept` takes its answer: at most 1 + retries times, the line
    // settled before each repeat. With retries, every answer still owed for an earlier request
    // is waited for first (drainOwed). A cancel or a lost port ends it at once.
    template <typename Send, typename Accept>
    QCoro::Task<Reply> request(Send send, Accept accept);
    // Waits for the answers the line still owes; notes where the download is when one is given
    // up on.
    QCoro::Task<Answer> drainOwed();
    // An answer given up on has come since: an answer taken after it may have been that one.
    bool misaligned() const { return risk_ && line_.surplus() > risk_->surplus; }
    // Asks again for record `slot` of a stage: whether the logger's answer is the record stored
    // there, or the outcome that ends the download.
    QCoro::Task<std::variant<bool, DownloadOutcome>> askAgain(const DownloadStage& stage, int slot);
    // After a stage in which an answer was given up on: asks again for its last records, back to
    // where two stored neighbours differ, so that a row taken from a late answer (and every row
    // after it) shows. Nothing, or the outcome that ends the download.
    QCoro::Task<std::optional<DownloadOutcome>> confirmTail(const DownloadStage& stage);
    // A command exchange of the download; counted for the progress reports.
    QCoro::Task<Answer> ask(const char* command) {
        Answer answer = co_await line_.ask(command);
        ++commandsDone_;
        co_return answer;
    }

    // The recording interval the logger reports; 0 when its answer is not well-formed (with
    // retries, the download ends instead). Reported as the interval read.
    QCoro::Task<std::variant<std::int16_t, DownloadOutcome>> readInterval();
    // The stage's count, accepted and within its limit, or the outcome that ends the download.
    QCoro::Task<std::variant<std::int16_t, DownloadOutcome>> askCount(const DownloadStage& stage);
    // Counts a stage and stores its count.
    QCoro::Task<DownloadOutcome> countStage(const DownloadStage& stage);
    // Asks for the stage's records from `first` on to its stored count.
    QCoro::Task<DownloadOutcome> fetchRecords(const DownloadStage& stage, int first);
    // The temperature probe before an optional stage: true when the logger has the option;
    // nullopt with `ended` set when the download ends here.
    QCoro::Task<std::optional<bool>> probe(const DownloadStage& stage, DownloadOutcome& ended);
    // The stages of the table from position `first` on, each in full.
    QCoro::Task<DownloadOutcome> runStagesFrom(int first);
    // Whether the logger still holds the run the store holds up to `stop`: Done, Failed with
    // LoggerChangedText(), or how the line ended the check.
    QCoro::Task<DownloadOutcome> checkUnchanged(const DownloadStop& stop);

    void report(DownloadProgress progress) {
        // The first report says what is to come, once the interval is known.
        if (!planned_) progress.plan = PlanDownload(store_, resumed_, interval_);
        planned_ = true;
        progress.commandsDone = commandsDone_;
        progress.checked = checked_;
        progress.retries = retries_;
        if (progress.event != DownloadProgress::Event::RecordStored) {
            progress.elapsed = line_.now() - started_;
        }
        if (report_) report_(progress);
    }
    DownloadOutcome end(Ending ending, const QString& text) {
        DownloadOutcome outcome;
        outcome.ending = ending;
        outcome.text = text;
        outcome.stop = stop_;
        outcome.retries = retries_;
        return outcome;
    }
    DownloadOutcome failed(const char* text) { return end(Ending::Failed, Message(text)); }
    DownloadOutcome changed() {
        DownloadOutcome outcome = end(Ending::Failed, LoggerChangedText());
        outcome.loggerChanged = true;
        return outcome;
    }
    // How the download ends when the line is interrupted: cancelled, or failed with `failure`.
    DownloadOutcome interrupted(const Answer& answer, const char* failure) {
        if (answer.state == Answer::State::Cancelled) {
            return end(Ending::Cancelled, DownloadCancelledText());
        }
        return failed(failure);
    }
    // How the download ends when a request's answer was not taken. A misaligned line keeps only
    // what was stored before the first answer given up on.
    DownloadOutcome notTaken(const Reply& reply, const char* failure) {
        DownloadOutcome outcome;
        if (reply.misaligned) {
            rollBack();
            outcome = failed(kLateAnswerFailure);
        } else {
            outcome = interrupted(reply.answer, failure);
        }
        if (outcome.ending == Ending::Failed) outcome.detail = AskingText(asking_, reply.answer);
        return outcome;
    }
    // The request under way, for a failure's detail: a command, or a record of a stage.
    void asking(const char* command) { asking_ = Asking{command, nullptr, 0, 0}; }
    void asking(const DownloadStage& stage, int slot) {
        asking_ = Asking{stage.recordPrefix, &stage, slot, store_.count(stage.stage)};
    }
    // Everything taken since the line first gave up on an answer goes: that stage's records from
    // there on, and every later stage's count and records. The download stopped there.
    void rollBack() {
        // A resume's check keeps what the store holds: it refuses, and changes nothing.
        if (checking_) return;
        const Risk& from = *risk_;
        for (const DownloadStage& s : kStages) {
            const Stage stage = s.stage;
            if (Before(stage, from.stop.stage)) continue;
            const bool first = stage == from.stop.stage;
            store_.truncate(stage, first ? from.stored : 0);
            if (!first || !from.stop.counted) store_.setCount(stage, 0);
        }
        stop_ = from.stop;
    }

    LineExchange& line_;
    RecordStore& store_;
    ProgressSink report_;
    DownloadOptions options_;
    DownloadStop stop_;  // where the download is: where it stopped once it ends early
    std::optional<Risk> risk_;
    Asking asking_;
    bool checking_ = false;                // a resume is checking the logger against the store
    std::optional<DownloadStop> resumed_;  // where the download that a resume continues stopped
    int interval_ = 0;                     // the recording interval read, for the plan
    bool planned_ = false;                 // the plan was reported
    int commandsDone_ = 0;
    int checked_ = 0;  // records kept asked for again
    int retries_ = 0;
    LineClock::TimePoint started_ = line_.now();
};

template <typename Send, typename Accept>
QCoro::Task<DownloadRun::Reply> DownloadRun::request(Send send, Accept accept) {
    for (int attempt = 0;; ++attempt) {
        Reply reply;
        // With retries, an answer still owed for an earlier request must not be taken for this
        // one's. (Checked here: the clean line's path awaits nothing more per request.)
        if (options_.retries > 0 && line_.owed() > 0) {
            reply.answer = co_await drainOwed();
            if (reply.answer.interrupted()) co_return reply;
        }
        if ((reply.misaligned = misaligned())) co_return reply;
        reply.answer = co_await send();
        if (reply.answer.interrupted()) co_return reply;
        if ((reply.misaligned = misaligned())) co_return reply;
        reply.accepted = reply.answer.answered() && accept(reply.answer.text);
        if (reply.accepted || attempt >= options_.retries) co_return reply;
        ++retries_;
        // What is left of the refused answer must not open the next one.
        Reply settled;
        settled.answer = co_await line_.settle();
        if (settled.answer.interrupted()) co_return settled;
    }
}

QCoro::Task<Answer> DownloadRun::drainOwed() {
    const int givenUp = line_.givenUp();
    Answer drained = co_await line_.drain();
    if (line_.givenUp() > givenUp && !risk_) {
        risk_ = Risk{stop_, store_.stored(stop_.stage), line_.surplus()};
    }
    co_return drained;
}

QCoro::Task<std::variant<bool, DownloadOutcome>> DownloadRun::askAgain(const DownloadStage& stage,
                                                                       int slot) {
    const std::string command =
        stage.recordPrefix +
        HexText(static_cast<std::uint32_t>(slot + stage.numberBase), stage.numberWidth);
    std::optional<bool> same;
    asking(stage, slot);
    const auto send = [&] { return line_.askRecord(command, stage.deadline); };
    const auto accept = [&](const std::string& answer) {
        return (same = SameAsStored(store_, stage.stage, slot, answer)).has_value();
    };
    const Reply reply = co_await request(send, accept);
    if (!reply.accepted) co_return notTaken(reply, stage.recordFailure);
    co_return *same;
}

QCoro::Task<std::optional<DownloadOutcome>> DownloadRun::confirmTail(const DownloadStage& stage) {
    if (!risk_) co_return std::nullopt;
    const int first = risk_->stop.stage == stage.stage ? risk_->stored : 0;
    for (int slot = store_.stored(stage.stage) - 1; slot >= first; --slot) {
        auto same = co_await askAgain(stage, slot);
        if (auto* ended = std::get_if<DownloadOutcome>(&same)) co_return *ended;
        if (!std::get<bool>(same)) {
            rollBack();
            co_return failed(kLateAnswerFailure);
        }
        // A row taken from a late answer shifts every row after it by one: where two
        // neighbours differ and the later one is the logger's, no row from here on was shifted.
        if (slot + 1 < store_.stored(stage.stage) &&
            !SameSlots(store_, stage.stage, slot, slot + 1))
            break;
    }
    co_return std::nullopt;
}

QCoro::Task<std::variant<std::int16_t, DownloadOutcome>> DownloadRun::readInterval() {
    DownloadProgress progress;
    progress.event = DownloadProgress::Event::IntervalRead;
    std::optional<std::int16_t> interval;
    asking("T??");
    const auto send = [&]() -> QCoro::Task<Answer> {
        progress.interval = co_await ReadSetting(Setting::RecordingInterval, line_);
        ++commandsDone_;
        Answer answer;
        if (progress.interval.ending == Ending::Cancelled) answer.state = Answer::State::Cancelled;
        answer.text = progress.interval.answer;
        co_return answer;
    };
    const auto accept = [&](const std::string& answer) {
        return (interval = DecodeInterval(answer)).has_value();
    };
    const Reply reply = co_await request(send, accept);
    if (reply.answer.state == Answer::State::Cancelled) {
        co_return end(Ending::Cancelled, DownloadCancelledText());
    }
    interval_ = interval.value_or(0);
    report(progress);
    // The read reports its own failures; without retries a download goes on whatever it found,
    // as it always did. With them, an interval that the repeats did not bring is a failure: the
    // line is known to be troubled, and every record's time hangs on it.
    if (!reply.accepted && options_.retries > 0 && !reply.answer.interrupted()) {
        if (!reply.misaligned) {
            co_return end(Ending::Failed, ReadFailedText(Setting::RecordingInterval));
        }
        rollBack();
        co_return failed(kLateAnswerFailure);
    }
    co_return interval.value_or(0);
}

QCoro::Task<std::variant<std::int16_t, DownloadOutcome>> DownloadRun::askCount(
    const DownloadStage& stage) {
    // A stray character after the last stage's last record must not open this count's answer.
    const Answer settled = co_await line_.settle();
    if (settled.interrupted()) co_return interrupted(settled, stage.countLengthFailure);
    std::optional<std::int16_t> count;
    asking(stage.countCommand);
    const auto send = [&] { return ask(stage.countCommand); };
    const auto accept = [&](const std::string& answer) {
        return (count = DecodeCount(stage.stage, answer)).has_value();
    };
    const Reply reply = co_await request(send, accept);
    if (!reply.accepted) co_return notTaken(reply, stage.countLengthFailure);
    // Not stored: the store keeps the count that goes with its records.
    if (*count > stage.limit) co_return failed(stage.countLimitFailure);
    co_return *count;
}

QCoro::Task<DownloadOutcome> DownloadRun::countStage(const DownloadStage& stage) {
    stop_ = DownloadStop{stage.stage, false, stop_.temperatureFitted};
    auto count = co_await askCount(stage);
    if (auto* ended = std::get_if<DownloadOutcome>(&count)) co_return *ended;
    store_.setCount(stage.stage, std::get<std::int16_t>(count));
    stop_.counted = true;
    DownloadProgress progress;
    progress.event = DownloadProgress::Event::CountKnown;
    progress.stage = stage.stage;
    progress.count = store_.count(stage.stage);
    report(progress);
    co_return end(Ending::Done, {});
}

QCoro::Task<DownloadOutcome> DownloadRun::fetchRecords(const DownloadStage& stage, int first) {
    stop_ = DownloadStop{stage.stage, true, stop_.temperatureFitted};
    // A stored record is reported once the next request is on the line, so that showing it
    // never holds up the download.
    std::optional<DownloadProgress> unreported;
    const auto reportStored = [&] {
        if (unreported) report(*std::exchange(unreported, std::nullopt));
    };
    DownloadProgress progress;
    progress.event = DownloadProgress::Event::RecordStored;
    progress.stage = stage.stage;
    progress.count = store_.count(stage.stage);
    for (int i = first; i < progress.count; ++i) {
        std::string number =
            HexText(static_cast<std::uint32_t>(i + stage.numberBase), stage.numberWidth);
        const std::string command = stage.recordPrefix + number;
        asking(stage, i);
        const auto send = [&] { return line_.askRecord(command, stage.deadline, reportStored); };
        const auto accept = [&](const std::string& answer) {
            return stage.store(store_, i, answer);
        };
        const Reply reply = co_await request(send, accept);
        if (!reply.accepted) {
            reportStored();
            co_return notTaken(reply, stage.recordFailure);
        }
        progress.done = i + 1;
        progress.number = std::move(number);
        progress.answer = reply.answer.text;
        progress.elapsed = line_.now() - started_;
        unreported = progress;
    }
    reportStored();
    if (auto ended = co_await confirmTail(stage)) co_return *ended;
    co_return end(Ending::Done, {});
}

QCoro::Task<std::optional<bool>> DownloadRun::probe(const DownloadStage& stage,
                                                    DownloadOutcome& ended) {
    stop_ = DownloadStop{stage.stage, false, std::nullopt};
    // A stray character after the last record, held back by an adapter, must not open the
    // probe's answer: that would make an "OK" a no, and the temperatures would go missing.
    const Answer settled = co_await line_.settle(kProbeQuiet, kProbeSettleLimit);
    if (settled.interrupted()) {
        ended = interrupted(settled, kProbeFailure);
        co_return std::nullopt;
    }
    bool silent = false;  // no answer, and none came late either: no option
    bool late = false;    // no answer in time, then characters: no verdict
    asking("TMP?");
    const auto send = [&]() -> QCoro::Task<Answer> {
        silent = late = false;
        Answer answer = co_await ask("TMP?");
        if (answer.state != Answer::State::TimedOut) co_return answer;
        Answer after = co_await line_.listen(kProbeQuiet);
        if (after.interrupted()) co_return after;
        if (after.answered()) {
            late = true;
            co_return after;
        }
        silent = true;
        line_.forgiveLast();  // silence is this command's answer
        co_return Answer{Answer::State::Answered, {}};
    };
    ProbeVerdict verdict = ProbeVerdict::Refused;
    const auto accept = [&](const std::string& answer) {
        verdict = silent ? ProbeVerdict::NotFitted
                  : late ? ProbeVerdict::Refused
                         : DecodeProbe(answer);
        return verdict != ProbeVerdict::Refused;
    };
    const Reply reply = co_await request(send, accept);
    if (!reply.accepted) {
        ended = notTaken(reply, kProbeFailure);
        co_return std::nullopt;
    }
    stop_.temperatureFitted = verdict == ProbeVerdict::Fitted;
    co_return stop_.temperatureFitted;
}

QCoro::Task<DownloadOutcome> DownloadRun::runStagesFrom(int first) {
    for (int i = first; i < static_cast<int>(std::size(kStages)); ++i) {
        const DownloadStage& stage = kStages[i];
        if (stage.optional) {
            DownloadOutcome ended;
            const std::optional<bool> fitted = co_await probe(stage, ended);
            if (!fitted) co_return ended;
            if (!*fitted) continue;
        }
        DownloadOutcome outcome = co_await countStage(stage);
        if (outcome.done()) outcome = co_await fetchRecords(stage, 0);
        if (!outcome.done()) co_return outcome;
    }
    co_return end(Ending::Done, DownloadDoneText());
}

QCoro::Task<DownloadOutcome> DownloadRun::run() {
    if (!line_.portOpen()) co_return end(Ending::Refused, kPortNotOpenText);
    // One run per store: nothing of an earlier download may stand beside this one's records.
    store_.clear();
    line_.openAccount();
    // The store keeps the interval only from a well-formed answer: a garbled one would put a
    // wrong time base under every record.
    auto interval = co_await readInterval();
    if (auto* ended = std::get_if<DownloadOutcome>(&interval)) co_return *ended;
    store_.setInterval(std::get<std::int16_t>(interval));
    co_return co_await runStagesFrom(0);
}

QCoro::Task<DownloadOutcome> DownloadRun::checkUnchanged(const DownloadStop& stop) {
    auto interval = co_await readInterval();
    if (auto* ended = std::get_if<DownloadOutcome>(&interval)) co_return *ended;
    if (std::get<std::int16_t>(interval) != store_.interval()) co_return changed();

    // The counts of the stages that finished, and of the stopped one when it was counted.
    for (const DownloadStage& s : kStages) {
        const Stage stage = s.stage;
        if (Before(stop.stage, stage) || (stage == stop.stage && !stop.counted)) break;
        stop_ = DownloadStop{stage, false, stop_.temperatureFitted};
        if (s.optional && stage != stop.stage) {
            // A finished temperature stage: the option and its count as they were. A file
            // without temperatures may come from a logger without the option or one without
            // temperature records.
            DownloadOutcome ended;
            const std::optional<bool> fitted = co_await probe(s, ended);
            if (!fitted) co_return ended;
            if (stop.temperatureFitted && *fitted != *stop.temperatureFitted) {
                co_return changed();
            }
            if (!*fitted) {
                if (store_.count(stage) != 0) co_return changed();
                continue;
            }
        }
        auto count = co_await askCount(s);
        if (auto* ended = std::get_if<DownloadOutcome>(&count)) co_return *ended;
        if (std::get<std::int16_t>(count) != store_.count(stage)) {
            co_return changed();
        }
    }

    // The records kept, asked for again: a spread sample of each stage's, the first and the
    // last among them.
    for (const DownloadStage& s : kStages) {
        if (Before(stop.stage, s.stage)) break;
        stop_ = DownloadStop{s.stage, true, stop_.temperatureFitted};
        for (const int slot : ResumeSample(store_.stored(s.stage))) {
            auto same = co_await askAgain(s, slot);
            if (auto* ended = std::get_if<DownloadOutcome>(&same)) co_return *ended;
            if (!std::get<bool>(same)) co_return changed();
            ++checked_;
        }
    }
    co_return end(Ending::Done, {});
}

QCoro::Task<DownloadOutcome> DownloadRun::resume(DownloadStop stop) {
    if (!line_.portOpen()) co_return end(Ending::Refused, kPortNotOpenText);
    line_.openAccount();
    // Nothing counted yet: nothing to keep, a download from the start.
    if (stop.stage == kStages[0].stage && !stop.counted) co_return co_await run();
    resumed_ = stop;

    // Everything is checked before anything is stored: a changed logger changes nothing.
    stop_.temperatureFitted = stop.temperatureFitted;
    checking_ = true;
    DownloadOutcome outcome = co_await checkUnchanged(stop);
    checking_ = false;
    // An answer given up on during the check puts at risk only what comes next.
    if (risk_) risk_ = Risk{stop, store_.stored(stop.stage), risk_->surplus};
    if (!outcome.done()) {
        // Ended by the check: the resume still stops where the download stopped.
        outcome.stop = stop;
        co_return outcome;
    }
    // The probe the check asked knows the option when the stop does not.
    const std::optional<bool> fitted = stop_.temperatureFitted;
    stop_ = stop;
    if (!stop_.temperatureFitted) stop_.temperatureFitted = fitted;
    if (stop.counted) {
        const DownloadStage& stage = StageOf(stop.stage);
        DownloadProgress progress;
        progress.event = DownloadProgress::Event::CountKnown;
        progress.stage = stop.stage;
        progress.count = store_.count(stop.stage);
        report(progress);
        outcome = co_await fetchRecords(stage, store_.stored(stop.stage));
        if (!outcome.done()) co_return outcome;
        // The stages after it, if any.
        co_return co_await runStagesFrom(Order(stop.stage) + 1);
    }
    co_return co_await runStagesFrom(Order(stop.stage));
}

}  // namespace

QCoro::Task<DownloadOutcome> Download(LineExchange& line, RecordStore& store, ProgressSink report,
                                      DownloadOptions options) {
    DownloadRun run(line, store, std::move(report), options);
    co_return co_await run.run();
}

QCoro::Task<DownloadOutcome> ResumeDownload(LineExchange& line, RecordStore& store,
                                            DownloadStop stop, ProgressSink report,
                                            DownloadOptions options) {
    DownloadRun run(line, store, std::move(report), options);
    co_return co_await run.resume(stop);
}

DownloadPlan PlanDownload(const RecordStore& store, const std::optional<DownloadStop>& resumed,
                          int interval) {
    // A stop before the first count is known is a download from the start.
    const bool resuming = resumed && (resumed->stage != kStages[0].stage || resumed->counted);
    DownloadPlan plan;
    for (const DownloadStage& s : kStages) {
        DownloadPlan::Step step;
        step.stage = s.stage;
        step.limit = s.limit;
        if (s.perFirstStageRecord && IsRecordingInterval(interval)) {
            step.perFirstStageRecord = s.perFirstStageRecord(interval);
        }
        const bool finished = resuming && Before(s.stage, resumed->stage);
        if (finished || (resuming && s.stage == resumed->stage && resumed->counted)) {
            // Checked first: the probe before an optional stage that finished, its count when
            // it had one, and a sample of the records kept.
            const bool fitted = !s.optional || !finished ||
                                resumed->temperatureFitted.value_or(store.count(s.stage) != 0);
            plan.commands += (s.optional && finished ? 1 : 0) + (fitted ? 1 : 0);
            step.count = std::max<int>(store.count(s.stage), 0);
            step.kept = store.stored(s.stage);
            step.checks = static_cast<int>(ResumeSample(step.kept).size());
        } else if (s.optional) {
            plan.commands += 1;  // the probe; the count request goes with every stage not counted
        }
        plan.stages.push_back(step);
    }
    return plan;
}

std::vector<int> ResumeSample(int stored) {
    std::vector<int> picked;
    const int n = std::min(stored, kResumeSample);
    for (int i = 0; i < n; ++i) {
        picked.push_back(n == stored ? i
                                     : static_cast<int>(static_cast<long long>(i) * (stored - 1) /
                                                        (kResumeSample - 1)));
    }
    return picked;
}

std::size_t RecordLineChars(Stage stage) {
    const DownloadStage& s = StageOf(stage);
    return std::strlen(s.recordPrefix) + static_cast<std::size_t>(s.numberWidth) + 1 +
           s.answerChars;
}

QString StageCountText(Stage stage, int count) {
    return Message(StageOf(stage).countText).arg(count);
}

QString DownloadDoneText() {
    return QCoreApplication::translate("Download", "データ読出し完了...");
}

QString DownloadCancelledText() {
    return QCoreApplication::translate("Download", "データ読出しを中止しました");
}

QString LoggerChangedText() {
    return QCoreApplication::translate(
        "Download", "ロガーのデータが変わっています。最初から読出してください。");
}

QString RecordLine(const DownloadProgress& stored) {
    return QString::fromLatin1(stored.number) + QStringLiteral(" : ") +
           QString::fromLatin1(stored.answer);
}

}  // namespace yb
