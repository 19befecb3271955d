#include "download/Download.h"

#include <QCoreApplication>

#include <algorithm>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <optional>
#include <utility>
#include <variant>

#include "serial/ValueRules.h"

namespace yb {

namespace {

using StoreRecord = bool (*)(RecordStore& store, int slot, std::string_view answer);

// One stage of the download: a count request, then one request per record. The three stages
// differ only in what this table holds.
struct DownloadStage {
    Stage stage;
    const char* countCommand;         // a command exchange
    std::int16_t limit;               // a higher count ends the download and is not stored
    const char* countLengthFailure;   // count answer refused (or none)
    const char* countLimitFailure;    // count above the limit
    const char* countText;            // message line once the count is known (%1: the count)
    const char* recordPrefix;         // record command: prefix and number text
    int numberWidth;                  // hexadecimal digits of the number text
    int numberBase;                   // number of the first record (laps count from 1)
    std::size_t answerChars;             // characters of a record answer, line end included
    std::chrono::milliseconds deadline;  // how long the logger may take for one record
    const char* recordFailure;        // record answer refused (or none)
    StoreRecord store;                // answer into slot i of the store; false: refused
};

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
    },
    {
        .stage = Stage::Temperature,
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
    },
    {
        .stage = Stage::Laps,
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
    },
};

const DownloadStage& StageOf(Stage stage) {
    return kStages[static_cast<int>(stage)];
}

const char* const kProbeFailure = QT_TRANSLATE_NOOP("Download", "'TMP?' コマンドエラー");

// A text of the stage table in the interface's language.
QString Message(const char* text) {
    return QCoreApplication::translate("Download", text);
}

// One download run, from the start or resumed: the stages share the line, the store, the
// progress sink, the clock and the retries.
class DownloadRun {
public:
    DownloadRun(LineExchange& line, RecordStore& store, ProgressSink report, DownloadOptions options)
        : line_(line), store_(store), report_(std::move(report)), options_(options) {}

    QCoro::Task<DownloadOutcome> run();
    QCoro::Task<DownloadOutcome> resume(DownloadStop stop);

private:
    // A request and its answer; `accepted` when the answer was taken.
    struct Reply {
        Answer answer;
        bool accepted = false;
    };
    // Sends a request until `accept` takes its answer: at most 1 + retries times, the line
    // settled before each repeat. A cancel or a lost port ends it at once.
    template <typename Send, typename Accept>
    QCoro::Task<Reply> request(Send send, Accept accept);
    // A command exchange of the download; counted for the progress reports.
    QCoro::Task<Answer> ask(const char* command) {
        Answer answer = co_await line_.ask(command);
        ++commandsDone_;
        co_return answer;
    }

    // The recording interval the logger reports; 0 when its answer is not well-formed. Reported
    // as the interval read. nullopt when cancelled.
    QCoro::Task<std::optional<std::int16_t>> readInterval();
    // The stage's count, accepted and within its limit, or the outcome that ends the download.
    QCoro::Task<std::variant<std::int16_t, DownloadOutcome>> askCount(const DownloadStage& stage);
    // Counts a stage and stores its count.
    QCoro::Task<DownloadOutcome> countStage(const DownloadStage& stage);
    // Asks for the stage's records from `first` on to its stored count.
    QCoro::Task<DownloadOutcome> fetchRecords(const DownloadStage& stage, int first);
    // The temperature probe: true when the logger has the option; nullopt with `ended` set when
    // the download ends here.
    QCoro::Task<std::optional<bool>> probe(DownloadOutcome& ended);
    // The stages from `first` on, each in full.
    QCoro::Task<DownloadOutcome> runStagesFrom(Stage first);
    // Whether the logger still holds the run the store holds up to `stop`: Done, Failed with
    // LoggerChangedText(), or how the line ended the check.
    QCoro::Task<DownloadOutcome> checkUnchanged(const DownloadStop& stop);

    void report(DownloadProgress progress) {
        progress.commandsDone = commandsDone_;
        progress.retries = retries_;
        if (progress.event != DownloadProgress::Event::RecordStored) {
            progress.elapsed = std::chrono::steady_clock::now() - started_;
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

    LineExchange& line_;
    RecordStore& store_;
    ProgressSink report_;
    DownloadOptions options_;
    DownloadStop stop_;  // where the download is: where it stopped once it ends early
    int commandsDone_ = 0;
    int retries_ = 0;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

template <typename Send, typename Accept>
QCoro::Task<DownloadRun::Reply> DownloadRun::request(Send send, Accept accept) {
    for (int attempt = 0;; ++attempt) {
        Reply reply;
        reply.answer = co_await send();
        if (reply.answer.interrupted()) co_return reply;
        reply.accepted = reply.answer.answered() && accept(reply.answer.text);
        if (reply.accepted || attempt >= options_.retries) co_return reply;
        ++retries_;
        // What is left of the refused answer must not open the next one.
        Reply settled;
        settled.answer = co_await line_.settle();
        if (settled.answer.interrupted()) co_return settled;
    }
}

QCoro::Task<std::optional<std::int16_t>> DownloadRun::readInterval() {
    DownloadProgress progress;
    progress.event = DownloadProgress::Event::IntervalRead;
    std::optional<std::int16_t> interval;
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
    if (reply.answer.state == Answer::State::Cancelled) co_return std::nullopt;
    report(progress);
    // The read reports its own failures; a download goes on whatever it found.
    co_return interval.value_or(0);
}

QCoro::Task<std::variant<std::int16_t, DownloadOutcome>> DownloadRun::askCount(
    const DownloadStage& stage) {
    // A stray character after the last stage's last record must not open this count's answer.
    const Answer settled = co_await line_.settle();
    if (settled.interrupted()) co_return interrupted(settled, stage.countLengthFailure);
    std::optional<std::int16_t> count;
    const auto send = [&] { return ask(stage.countCommand); };
    const auto accept = [&](const std::string& answer) {
        return (count = DecodeCount(stage.stage, answer)).has_value();
    };
    const Reply reply = co_await request(send, accept);
    if (reply.answer.interrupted()) co_return interrupted(reply.answer, stage.countLengthFailure);
    if (!reply.accepted) co_return failed(stage.countLengthFailure);
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
        const auto send = [&] { return line_.askRecord(command, stage.deadline, reportStored); };
        const auto accept = [&](const std::string& answer) {
            return stage.store(store_, i, answer);
        };
        const Reply reply = co_await request(send, accept);
        if (!reply.accepted) {
            reportStored();
            co_return interrupted(reply.answer, stage.recordFailure);
        }
        progress.done = i + 1;
        progress.number = std::move(number);
        progress.answer = reply.answer.text;
        progress.elapsed = std::chrono::steady_clock::now() - started_;
        unreported = progress;
    }
    reportStored();
    co_return end(Ending::Done, {});
}

// Any answer to the probe is a verdict, "OK" at its start a yes, except one that the line
// spoiled: a byte no answer holds would make a noisy "OK" a no, and the temperature section would
// silently go missing.
bool IsProbeVerdict(const std::string& answer) {
    return std::all_of(answer.begin(), answer.end(), [](char c) {
        return IsLineEnd(c) || (c >= 0x20 && c <= 0x7E);
    });
}

QCoro::Task<std::optional<bool>> DownloadRun::probe(DownloadOutcome& ended) {
    stop_ = DownloadStop{Stage::Temperature, false, std::nullopt};
    const Answer settled = co_await line_.settle();
    if (settled.interrupted()) {
        ended = interrupted(settled, kProbeFailure);
        co_return std::nullopt;
    }
    // No answer at all is a verdict too: no option.
    const auto send = [&]() -> QCoro::Task<Answer> {
        Answer answer = co_await ask("TMP?");
        if (answer.state == Answer::State::TimedOut) answer.state = Answer::State::Answered;
        co_return answer;
    };
    const Reply reply = co_await request(send, IsProbeVerdict);
    if (reply.answer.interrupted() || !reply.accepted) {
        ended = interrupted(reply.answer, kProbeFailure);
        co_return std::nullopt;
    }
    stop_.temperatureFitted = BeginsWithOK(reply.answer.text);
    co_return stop_.temperatureFitted;
}

QCoro::Task<DownloadOutcome> DownloadRun::runStagesFrom(Stage first) {
    for (const Stage stage : {Stage::Main, Stage::Temperature, Stage::Laps}) {
        if (stage < first) continue;
        if (stage == Stage::Temperature) {
            DownloadOutcome ended;
            const std::optional<bool> fitted = co_await probe(ended);
            if (!fitted) co_return ended;
            if (!*fitted) continue;
        }
        DownloadOutcome outcome = co_await countStage(StageOf(stage));
        if (outcome.done()) outcome = co_await fetchRecords(StageOf(stage), 0);
        if (!outcome.done()) co_return outcome;
    }
    co_return end(Ending::Done, DownloadDoneText());
}

QCoro::Task<DownloadOutcome> DownloadRun::run() {
    if (!line_.portOpen()) co_return end(Ending::Refused, kPortNotOpenText);
    // One run per store: nothing of an earlier download may stand beside this one's records.
    store_.clear();
    // The store keeps the interval only from a well-formed answer: a garbled one would put a
    // wrong time base under every record.
    const std::optional<std::int16_t> interval = co_await readInterval();
    if (!interval) co_return end(Ending::Cancelled, DownloadCancelledText());
    store_.setInterval(*interval);
    co_return co_await runStagesFrom(Stage::Main);
}

QCoro::Task<DownloadOutcome> DownloadRun::checkUnchanged(const DownloadStop& stop) {
    const std::optional<std::int16_t> interval = co_await readInterval();
    if (!interval) co_return end(Ending::Cancelled, DownloadCancelledText());
    if (*interval != store_.interval()) co_return changed();

    // The counts of the stages that finished, and of the stopped one when it was counted.
    for (const Stage stage : {Stage::Main, Stage::Temperature, Stage::Laps}) {
        if (stage > stop.stage || (stage == stop.stage && !stop.counted)) break;
        stop_ = DownloadStop{stage, false, stop_.temperatureFitted};
        if (stage == Stage::Temperature && stop.stage == Stage::Laps) {
            // A finished temperature stage: the option and its count as they were. A file
            // without temperatures may come from a logger without the option or one without
            // temperature records.
            DownloadOutcome ended;
            const std::optional<bool> fitted = co_await probe(ended);
            if (!fitted) co_return ended;
            if (stop.temperatureFitted && *fitted != *stop.temperatureFitted) {
                co_return changed();
            }
            if (!*fitted) {
                if (store_.tempCount() != 0) co_return changed();
                continue;
            }
        }
        auto count = co_await askCount(StageOf(stage));
        if (auto* ended = std::get_if<DownloadOutcome>(&count)) co_return *ended;
        if (std::get<std::int16_t>(count) != store_.count(stage)) {
            co_return changed();
        }
    }

    // The last record stored before the stop, asked for again: the same values or another run.
    for (int s = static_cast<int>(stop.stage); s >= 0; --s) {
        const Stage stage = static_cast<Stage>(s);
        const int slot = store_.stored(stage) - 1;
        if (slot < 0) continue;
        const DownloadStage& table = StageOf(stage);
        RecordStore asked;
        const std::string command =
            table.recordPrefix +
            HexText(static_cast<std::uint32_t>(slot + table.numberBase), table.numberWidth);
        stop_ = DownloadStop{stage, true, stop_.temperatureFitted};
        const auto send = [&] { return line_.askRecord(command, table.deadline); };
        const auto accept = [&](const std::string& answer) {
            return table.store(asked, slot, answer);
        };
        const Reply reply = co_await request(send, accept);
        if (!reply.accepted) co_return interrupted(reply.answer, table.recordFailure);
        const bool same = stage == Stage::Main          ? asked.main(slot) == store_.main(slot)
                          : stage == Stage::Temperature ? asked.temperature(slot) ==
                                                              store_.temperature(slot)
                                                        : asked.lap(slot) == store_.lap(slot);
        if (!same) co_return changed();
        break;
    }
    co_return end(Ending::Done, {});
}

QCoro::Task<DownloadOutcome> DownloadRun::resume(DownloadStop stop) {
    if (!line_.portOpen()) co_return end(Ending::Refused, kPortNotOpenText);
    // Nothing counted yet: nothing to keep, a download from the start.
    if (stop.stage == Stage::Main && !stop.counted) co_return co_await run();

    // Everything is checked before anything is stored: a changed logger changes nothing.
    stop_.temperatureFitted = stop.temperatureFitted;
    DownloadOutcome outcome = co_await checkUnchanged(stop);
    if (!outcome.done()) {
        // Ended by the check: the resume still stops where the download stopped.
        outcome.stop = stop;
        co_return outcome;
    }
    stop_ = stop;
    if (stop.counted) {
        const DownloadStage& stage = StageOf(stop.stage);
        DownloadProgress progress;
        progress.event = DownloadProgress::Event::CountKnown;
        progress.stage = stop.stage;
        progress.count = store_.count(stop.stage);
        report(progress);
        outcome = co_await fetchRecords(stage, store_.stored(stop.stage));
        if (!outcome.done()) co_return outcome;
        // The stages after it, none after the laps.
        co_return co_await runStagesFrom(static_cast<Stage>(static_cast<int>(stop.stage) + 1));
    }
    co_return co_await runStagesFrom(stop.stage);
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
