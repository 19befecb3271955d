#include "download/Download.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <optional>
#include <utility>

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
    const char* label;                // message line: label, count in decimal, "個"
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
        .countLengthFailure = "'D1?' コマンドエラー",
        .countLimitFailure = "'D1?' コマンドエラー",
        .label = "データ１:",
        .recordPrefix = "D1",
        .numberWidth = 4,
        .numberBase = 0,
        .answerChars = kMainRecordChars,
        .deadline = kMainRecordDeadline,
        .recordFailure = "'D1+nnnn' コマンドエラー",
        .store = &StoreMain,
    },
    {
        .stage = Stage::Temperature,
        .countCommand = "D2?",
        .limit = RecordStore::kTempLimit,
        .countLengthFailure = "'D2?' コマンドエラー",
        .countLimitFailure = "'D2?' コマンドエラー",
        .label = "温度データ:",
        .recordPrefix = "D2",
        .numberWidth = 4,
        .numberBase = 0,
        .answerChars = kTempRecordChars,
        .deadline = kTempRecordDeadline,
        .recordFailure = "'D2+nnnn' コマンドエラー",
        .store = &StoreTemp,
    },
    {
        .stage = Stage::Laps,
        .countCommand = "L?",
        .limit = RecordStore::kLapLimit,
        .countLengthFailure = "'L2?' コマンドエラー",
        .countLimitFailure = "'L?' コマンドエラー",
        .label = "周回データ:",
        .recordPrefix = "LD",
        .numberWidth = 2,
        .numberBase = 1,
        .answerChars = kLapRecordChars,
        .deadline = kLapRecordDeadline,
        .recordFailure = "'LD+nn' コマンドエラー",
        .store = &StoreLap,
    },
};

const DownloadStage& StageOf(Stage stage) {
    return kStages[static_cast<int>(stage)];
}

// One download run: the stages share the line, the store, the progress sink and the clock.
class DownloadRun {
public:
    DownloadRun(LineExchange& line, RecordStore& store, ProgressSink report)
        : line_(line), store_(store), report_(std::move(report)) {}

    QCoro::Task<DownloadOutcome> run();

private:
    // Runs one stage; the outcome ends the download unless it is Done.
    QCoro::Task<DownloadOutcome> runStage(const DownloadStage& stage);
    // A command exchange of the download; counted for the progress reports.
    QCoro::Task<Answer> ask(const char* command) {
        Answer answer = co_await line_.ask(command);
        ++commandsDone_;
        co_return answer;
    }
    void report(DownloadProgress progress) {
        progress.commandsDone = commandsDone_;
        if (progress.event != DownloadProgress::Event::RecordStored) {
            progress.elapsed = std::chrono::steady_clock::now() - started_;
        }
        if (report_) report_(progress);
    }
    DownloadOutcome end(Ending ending, Stage stage, const QString& text) {
        DownloadOutcome outcome;
        outcome.ending = ending;
        outcome.text = text;
        outcome.stage = stage;
        return outcome;
    }
    // How the download ends when the line is interrupted: cancelled, or failed with `failure`.
    DownloadOutcome interrupted(const Answer& answer, Stage stage, const char* failure) {
        if (answer.state == Answer::State::Cancelled) {
            return end(Ending::Cancelled, stage, kDownloadCancelledText);
        }
        return end(Ending::Failed, stage, QString::fromUtf8(failure));
    }

    LineExchange& line_;
    RecordStore& store_;
    ProgressSink report_;
    int commandsDone_ = 0;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

QCoro::Task<DownloadOutcome> DownloadRun::runStage(const DownloadStage& stage) {
    // A stray character after the last stage's last record must not open this count's answer.
    const Answer settled = co_await line_.settle();
    if (settled.interrupted()) co_return interrupted(settled, stage.stage, stage.countLengthFailure);
    const Answer countAnswer = co_await ask(stage.countCommand);
    if (countAnswer.interrupted()) {
        co_return interrupted(countAnswer, stage.stage, stage.countLengthFailure);
    }
    const auto count = DecodeCount(stage.stage, countAnswer.text);
    if (!count) co_return end(Ending::Failed, stage.stage, QString::fromUtf8(stage.countLengthFailure));
    if (*count > stage.limit) {
        // Not stored: the store keeps the count that goes with its records.
        co_return end(Ending::Failed, stage.stage, QString::fromUtf8(stage.countLimitFailure));
    }
    store_.setCount(stage.stage, *count);
    DownloadProgress progress;
    progress.event = DownloadProgress::Event::CountKnown;
    progress.stage = stage.stage;
    progress.count = *count;
    report(progress);

    // A stored record is reported once the next request is on the line, so that showing it
    // never holds up the download.
    std::optional<DownloadProgress> unreported;
    const auto reportStored = [&] {
        if (unreported) report(*std::exchange(unreported, std::nullopt));
    };
    progress.event = DownloadProgress::Event::RecordStored;
    for (int i = 0; i < *count; ++i) {
        std::string number =
            HexText(static_cast<std::uint32_t>(i + stage.numberBase), stage.numberWidth);
        Answer answer =
            co_await line_.askRecord(stage.recordPrefix + number, stage.deadline, reportStored);
        if (answer.state == Answer::State::Cancelled || !answer.answered() ||
            !stage.store(store_, i, answer.text)) {
            reportStored();
            co_return interrupted(answer, stage.stage, stage.recordFailure);
        }
        progress.done = i + 1;
        progress.number = std::move(number);
        progress.answer = std::move(answer.text);
        progress.elapsed = std::chrono::steady_clock::now() - started_;
        unreported = progress;
    }
    reportStored();
    co_return end(Ending::Done, stage.stage, {});
}

QCoro::Task<DownloadOutcome> DownloadRun::run() {
    if (!line_.portOpen()) co_return end(Ending::Refused, Stage::Main, kPortNotOpenText);
    // One run per store: nothing of an earlier download may stand beside this one's records.
    store_.clear();

    // The interval read reports its own failures; the download goes on whatever it found. The
    // store keeps the interval only from a well-formed answer: a garbled one would put a wrong
    // time base under every record.
    DownloadProgress interval;
    interval.event = DownloadProgress::Event::IntervalRead;
    interval.interval = co_await ReadSetting(Setting::RecordingInterval, line_);
    ++commandsDone_;
    if (interval.interval.ending == Ending::Cancelled) {
        co_return end(Ending::Cancelled, Stage::Main, kDownloadCancelledText);
    }
    store_.setInterval(DecodeInterval(interval.interval.answer).value_or(0));
    report(interval);

    DownloadOutcome outcome = co_await runStage(StageOf(Stage::Main));
    if (!outcome.done()) co_return outcome;

    const char* probeFailure = "'TMP?' コマンドエラー";
    Answer probe = co_await line_.settle();
    if (!probe.interrupted()) probe = co_await ask("TMP?");
    if (probe.interrupted()) co_return interrupted(probe, Stage::Temperature, probeFailure);
    if (BeginsWithOK(probe.text)) {
        outcome = co_await runStage(StageOf(Stage::Temperature));
        if (!outcome.done()) co_return outcome;
    }

    outcome = co_await runStage(StageOf(Stage::Laps));
    if (!outcome.done()) co_return outcome;
    co_return end(Ending::Done, Stage::Laps, kDownloadDoneText);
}

}  // namespace

QCoro::Task<DownloadOutcome> Download(LineExchange& line, RecordStore& store, ProgressSink report) {
    DownloadRun run(line, store, std::move(report));
    co_return co_await run.run();
}

std::size_t RecordLineChars(Stage stage) {
    const DownloadStage& s = StageOf(stage);
    return std::strlen(s.recordPrefix) + static_cast<std::size_t>(s.numberWidth) + 1 +
           s.answerChars;
}

QString StageCountText(Stage stage, int count) {
    return QString::fromUtf8(StageOf(stage).label) + QString::number(count) +
           QStringLiteral("個");
}

QString RecordLine(const DownloadProgress& stored) {
    return QString::fromLatin1(stored.number) + QStringLiteral(" : ") +
           QString::fromLatin1(stored.answer);
}

}  // namespace yb
