#include "download/Download.h"

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <optional>
#include <utility>

#include "serial/ValueRules.h"

namespace yb {

namespace {

using StoreRecord = bool (*)(LoggedData& data, int slot, std::string_view answer);

// One stage of the download: a count request, then one request per record. The three stages
// differ only in what this table holds.
struct DownloadStage {
    Stage stage;
    const char* countCommand;         // a command exchange
    std::int16_t LoggedData::*count;  // where the accepted count is stored
    std::int16_t limit;               // a higher count ends the download and is not stored
    const char* countLengthFailure;   // count answer of the wrong length
    const char* countLimitFailure;    // count above the limit
    const char* label;                // message line: label, count in decimal, "個"
    const char* recordPrefix;         // record command: prefix and number text
    int numberWidth;                  // hexadecimal digits of the number text
    int numberBase;                   // number of the first record (laps count from 1)
    RecordAnswer answer;              // what completes a record answer
    const char* recordFailure;        // record answer of the wrong length
    StoreRecord store;                // answer into slot i of the store; false: wrong length
};

bool StoreMain(LoggedData& data, int slot, std::string_view answer) {
    const auto record = DecodeMainRecord(answer);
    if (!record) return false;
    data.Data1Solar.at(slot) = record->solar;
    data.Data1Battery.at(slot) = record->battery;
    data.Data1MainVolt.at(slot) = record->mainVolt;
    data.Data1SubVolt.at(slot) = record->subVolt;
    data.Data1Speed.at(slot) = record->speed;
    data.fData_Saved = false;
    return true;
}

bool StoreTemp(LoggedData& data, int slot, std::string_view answer) {
    const auto temperature = DecodeTempRecord(answer);
    if (!temperature) return false;
    data.Data2Temp.at(slot) = *temperature;
    return true;
}

bool StoreLap(LoggedData& data, int slot, std::string_view answer) {
    const auto lap = DecodeLapRecord(answer);
    if (!lap) return false;
    data.LapTime.at(slot) = lap->seconds;
    data.LapMotorWh.at(slot) = lap->motorWh;
    return true;
}

const DownloadStage kStages[] = {
    {
        .stage = Stage::Main,
        .countCommand = "D1?",
        .count = &LoggedData::DataCount1,
        .limit = LoggedData::kMainLimit,
        .countLengthFailure = "'D1?' コマンドエラー",
        .countLimitFailure = "'D1?' コマンドエラー",
        .label = "データ１:",
        .recordPrefix = "D1",
        .numberWidth = 4,
        .numberBase = 0,
        .answer = kMainRecordAnswer,
        .recordFailure = "'D1+nnnn' コマンドエラー",
        .store = &StoreMain,
    },
    {
        .stage = Stage::Temperature,
        .countCommand = "D2?",
        .count = &LoggedData::DataCount2,
        .limit = LoggedData::kTempLimit,
        .countLengthFailure = "'D2?' コマンドエラー",
        .countLimitFailure = "'D2?' コマンドエラー",
        .label = "温度データ:",
        .recordPrefix = "D2",
        .numberWidth = 4,
        .numberBase = 0,
        .answer = kTempRecordAnswer,
        .recordFailure = "'D2+nnnn' コマンドエラー",
        .store = &StoreTemp,
    },
    {
        .stage = Stage::Laps,
        .countCommand = "L?",
        .count = &LoggedData::LapCount,
        .limit = LoggedData::kLapLimit,
        .countLengthFailure = "'L2?' コマンドエラー",
        .countLimitFailure = "'L?' コマンドエラー",
        .label = "周回データ:",
        .recordPrefix = "LD",
        .numberWidth = 2,
        .numberBase = 1,
        .answer = kLapRecordAnswer,
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
    DownloadRun(LineExchange& line, LoggedData& data, ProgressSink report)
        : line_(line), data_(data), report_(std::move(report)) {}

    QCoro::Task<DownloadOutcome> run();

private:
    // Runs one stage; the outcome ends the download unless it is Done.
    QCoro::Task<DownloadOutcome> runStage(const DownloadStage& stage);
    QCoro::Task<bool> temperatureFitted();
    void report(DownloadProgress progress) {
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

    LineExchange& line_;
    LoggedData& data_;
    ProgressSink report_;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

QCoro::Task<DownloadOutcome> DownloadRun::runStage(const DownloadStage& stage) {
    const char* failure = stage.countLengthFailure;
    // A stored record is reported once the next request is on the line, so that showing it
    // never holds up the download.
    std::optional<DownloadProgress> unreported;
    const auto reportStored = [&] {
        if (unreported) report(*std::exchange(unreported, std::nullopt));
    };
    try {
        const auto count = DecodeCount(stage.stage, co_await line_.ask(stage.countCommand));
        if (!count) co_return end(Ending::Failed, stage.stage, QString::fromUtf8(failure));
        if (*count > stage.limit) {
            // Not stored: the store keeps the count that goes with its records.
            co_return end(Ending::Failed, stage.stage, QString::fromUtf8(stage.countLimitFailure));
        }
        data_.*stage.count = *count;
        DownloadProgress progress;
        progress.event = DownloadProgress::Event::CountKnown;
        progress.stage = stage.stage;
        progress.count = *count;
        report(progress);

        failure = stage.recordFailure;
        progress.event = DownloadProgress::Event::RecordStored;
        for (int i = 0; i < *count; ++i) {
            std::string number =
                HexText(static_cast<std::uint32_t>(i + stage.numberBase), stage.numberWidth);
            std::string answer =
                co_await line_.askRecord(stage.recordPrefix + number, stage.answer, reportStored);
            if (!stage.store(data_, i, answer)) {
                co_return end(Ending::Failed, stage.stage, QString::fromUtf8(failure));
            }
            progress.done = i + 1;
            progress.number = std::move(number);
            progress.answer = std::move(answer);
            progress.elapsed = std::chrono::steady_clock::now() - started_;
            unreported = progress;
        }
        reportStored();
        co_return end(Ending::Done, stage.stage, {});
    } catch (const ExchangeCancelled&) {
        reportStored();
        data_.fData_Saved = false;
        co_return end(Ending::Cancelled, stage.stage, kDownloadCancelledText);
    } catch (const std::exception&) {
        // The line failed underneath (port lost), or a slot was out of range.
        reportStored();
        co_return end(Ending::Failed, stage.stage, QString::fromUtf8(failure));
    }
}

QCoro::Task<bool> DownloadRun::temperatureFitted() {
    co_return BeginsWithOK(co_await line_.ask("TMP?"));
}

QCoro::Task<DownloadOutcome> DownloadRun::run() {
    if (!line_.portOpen()) co_return end(Ending::Refused, Stage::Main, kPortNotOpenText);

    // The interval read reports its own failures; the download goes on whatever it found.
    DownloadProgress interval;
    interval.event = DownloadProgress::Event::IntervalRead;
    interval.interval =
        co_await ReadSetting(Setting::RecordingInterval, line_, data_.LogInterval);
    if (interval.interval.ending == Ending::Cancelled) {
        data_.fData_Saved = false;
        co_return end(Ending::Cancelled, Stage::Main, kDownloadCancelledText);
    }
    report(interval);

    DownloadOutcome outcome = co_await runStage(StageOf(Stage::Main));
    if (!outcome.done()) co_return outcome;

    bool fitted = false;
    try {
        fitted = co_await temperatureFitted();
    } catch (const ExchangeCancelled&) {
        data_.fData_Saved = false;
        co_return end(Ending::Cancelled, Stage::Temperature, kDownloadCancelledText);
    } catch (const std::exception&) {
        co_return end(Ending::Failed, Stage::Temperature,
                      QStringLiteral("'TMP?' コマンドエラー"));
    }
    if (fitted) {
        outcome = co_await runStage(StageOf(Stage::Temperature));
        if (!outcome.done()) co_return outcome;
    }

    outcome = co_await runStage(StageOf(Stage::Laps));
    if (!outcome.done()) co_return outcome;
    co_return end(Ending::Done, Stage::Laps, kDownloadDoneText);
}

}  // namespace

QCoro::Task<DownloadOutcome> Download(LineExchange& line, LoggedData& data, ProgressSink report) {
    DownloadRun run(line, data, std::move(report));
    co_return co_await run.run();
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
