#include "download/Download.h"

#include <QString>

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "serial/ValueRules.h"

namespace yb {

namespace {

using RecordExchange = void (CommandExchange::*)(const std::string&, std::string&);
using RecordDecoder = void (*)(LoggedData& data, int slot, std::string_view answer);

// One stage of the download: a count request, then one request per record. The three stages
// differ only in what this table holds.
struct DownloadStage {
    const char* countCommand;         // sent through mSendCommandGetAns
    std::size_t countLength;          // exact length of a good count answer
    std::size_t countDigits;          // the count field: positions 1 .. countDigits
    std::int16_t LoggedData::*count;  // where the accepted count is stored
    std::int16_t limit;               // a higher count ends the download and is not stored
    const char* countLengthFailure;   // count answer of the wrong length
    const char* countLimitFailure;    // count above the limit
    const char* label;                // Status: label, count in decimal, "個"
    const char* recordPrefix;         // record command: prefix and number text
    int numberWidth;                  // hexadecimal digits of the number text
    int numberBase;                   // number of the first record (laps count from 1)
    RecordExchange exchange;          // the record request's exchange variant
    std::size_t recordLength;         // exact length of a good record answer
    const char* recordFailure;        // record answer of the wrong length
    RecordDecoder decode;             // answer into slot i of the store
    Field display;                    // shows the latest record line
    bool runEventsBetweenRecords;     // window events run once after each record
};

constexpr std::int16_t kCountWait = 100;  // ms, the fixed wait of count and probe requests

std::int16_t Field16(std::string_view answer, std::size_t start, std::size_t digits) {
    // Runs of at most four digits always give a 16-bit value.
    return static_cast<std::int16_t>(HexFieldValue(Mid(answer, start, digits)));
}

void DecodeMainRecord(LoggedData& data, int slot, std::string_view answer) {
    data.Data1Solar.at(slot) = static_cast<float>(Field16(answer, 1, 4)) / 100.0f;
    data.Data1Battery.at(slot) = static_cast<float>(Field16(answer, 5, 4)) / 100.0f;
    data.Data1MainVolt.at(slot) = static_cast<float>(Field16(answer, 9, 4)) / 10.0f;
    data.Data1SubVolt.at(slot) = static_cast<float>(Field16(answer, 13, 2)) / 10.0f;
    data.Data1Speed.at(slot) = static_cast<float>(Field16(answer, 15, 2));
    data.fData_Saved = false;
}

// The logger sends a temperature as two hexadecimal digits of an 8-bit two's-complement value.
// The sign comes from the first character alone (a non-digit counts as 0); the field is then
// widened with "FF" or "00" and read as one run, so a malformed second character only cuts the
// run short.
void DecodeTempRecord(LoggedData& data, int slot, std::string_view answer) {
    const std::string_view field = Mid(answer, 1, 2);
    const std::int32_t firstDigit = field.empty() ? 0 : HexFieldValue(field.substr(0, 1));
    const std::string widened = (firstDigit >= 8 ? "FF" : "00") + std::string(field);
    data.Data2Temp.at(slot) = static_cast<std::int16_t>(HexFieldValue(widened));
}

void DecodeLapRecord(LoggedData& data, int slot, std::string_view answer) {
    data.LapTime.at(slot) = Field16(answer, 1, 4);
    data.LapMotorWh.at(slot) = static_cast<float>(Field16(answer, 5, 4)) / 10.0f;
}

const DownloadStage kMainStage{
    .countCommand = "D1?",
    .countLength = 5,
    .countDigits = 4,
    .count = &LoggedData::DataCount1,
    .limit = LoggedData::kMainLimit,
    .countLengthFailure = "'D1?' コマンドエラー",
    .countLimitFailure = "'D1?' コマンドエラー",
    .label = "データ１:",
    .recordPrefix = "D1",
    .numberWidth = 4,
    .numberBase = 0,
    .exchange = &CommandExchange::mSendCommandGetAns_D1,
    .recordLength = CommandExchange::kMainRecordLength,
    .recordFailure = "'D1+nnnn' コマンドエラー",
    .decode = &DecodeMainRecord,
    .display = Field::Text1,
    .runEventsBetweenRecords = true,
};

const DownloadStage kTempStage{
    .countCommand = "D2?",
    .countLength = 5,
    .countDigits = 4,
    .count = &LoggedData::DataCount2,
    .limit = LoggedData::kTempLimit,
    .countLengthFailure = "'D2?' コマンドエラー",
    .countLimitFailure = "'D2?' コマンドエラー",
    .label = "温度データ:",
    .recordPrefix = "D2",
    .numberWidth = 4,
    .numberBase = 0,
    .exchange = &CommandExchange::mSendCommandGetAns_D2,
    .recordLength = CommandExchange::kTempRecordLength,
    .recordFailure = "'D2+nnnn' コマンドエラー",
    .decode = &DecodeTempRecord,
    .display = Field::Text2,
    .runEventsBetweenRecords = false,
};

const DownloadStage kLapStage{
    .countCommand = "L?",
    .countLength = 3,
    .countDigits = 2,
    .count = &LoggedData::LapCount,
    .limit = LoggedData::kLapLimit,
    .countLengthFailure = "'L2?' コマンドエラー",
    .countLimitFailure = "'L?' コマンドエラー",
    .label = "周回データ:",
    .recordPrefix = "LD",
    .numberWidth = 2,
    .numberBase = 1,
    .exchange = &CommandExchange::mSendCommandGetAns_Lap,
    .recordLength = CommandExchange::kLapRecordLength,
    .recordFailure = "'LD+nn' コマンドエラー",
    .decode = &DecodeLapRecord,
    .display = Field::Text3,
    .runEventsBetweenRecords = false,
};

void ShowStatus(DownloadContext& ctx, const char* utf8) {
    ctx.view.setText(Field::Status, QString::fromUtf8(utf8));
}

void Send(DownloadContext& ctx, std::string command) {
    ctx.state.AnsStr.clear();
    ctx.state.CmdStr = std::move(command);
}

// Runs one stage; false when it ended the download. Any failure underneath an exchange (port
// lost, exchange busy) ends the download with the failure text of the request that was running.
bool RunStage(DownloadContext& ctx, const DownloadStage& stage) {
    const char* failure = stage.countLengthFailure;
    try {
        Send(ctx, stage.countCommand);
        ctx.exchange.mSendCommandGetAns(ctx.state.CmdStr, ctx.state.AnsStr, kCountWait);
        if (ctx.state.AnsStr.size() != stage.countLength) {
            ShowStatus(ctx, failure);
            return false;
        }
        const std::int16_t count = Field16(ctx.state.AnsStr, 1, stage.countDigits);
        if (count > stage.limit) {
            // Not stored: the store keeps the count that goes with its records.
            ShowStatus(ctx, stage.countLimitFailure);
            return false;
        }
        ctx.data.*stage.count = count;
        ctx.view.setText(Field::Status, QString::fromUtf8(stage.label) + QString::number(count) +
                                            QStringLiteral("個"));

        // `count` is this run's own bound: a download started from the window events below
        // rewrites the store's count, not this loop's.
        failure = stage.recordFailure;
        for (int i = 0; i < count; ++i) {
            const std::string number =
                HexText(static_cast<std::uint32_t>(i + stage.numberBase), stage.numberWidth);
            Send(ctx, stage.recordPrefix + number);
            (ctx.exchange.*stage.exchange)(ctx.state.CmdStr, ctx.state.AnsStr);
            // A copy: a command run from the window events may rewrite AnsStr.
            const std::string answer = ctx.state.AnsStr;
            if (answer.size() != stage.recordLength) {
                ShowStatus(ctx, failure);
                return false;
            }
            stage.decode(ctx.data, i, answer);
            ctx.view.setText(stage.display, QString::fromLatin1(number) + QStringLiteral(" : ") +
                                                QString::fromLatin1(answer));
            if (stage.runEventsBetweenRecords && ctx.pumpEvents) ctx.pumpEvents();
        }
        return true;
    } catch (const std::exception&) {
        ShowStatus(ctx, failure);
        return false;
    }
}

bool ProbeTempSensor(DownloadContext& ctx) {
    Send(ctx, "TMP?");
    ctx.exchange.mSendCommandGetAns(ctx.state.CmdStr, ctx.state.AnsStr, kCountWait);
    if (ctx.state.AnsStr.empty()) return false;
    return BeginsWithOK(ctx.state.AnsStr);
}

void Download(DownloadContext& ctx) {
    if (!ctx.state.fCommOpen) {
        ctx.view.setText(Field::Status, QStringLiteral("CommPort Not Open..."));
        return;
    }
    // The interval read reports its own failures; the download goes on whatever it found.
    if (ctx.readInterval) {
        try {
            ctx.readInterval();
        } catch (const std::exception&) {
        }
    }

    if (!RunStage(ctx, kMainStage)) return;

    bool tempFitted = false;
    try {
        tempFitted = ProbeTempSensor(ctx);
    } catch (const std::exception&) {
        ShowStatus(ctx, "'TMP?' コマンドエラー");
        return;
    }
    if (tempFitted && !RunStage(ctx, kTempStage)) return;

    if (!RunStage(ctx, kLapStage)) return;
    ShowStatus(ctx, "データ読出し完了...");
}

}  // namespace

void DownLoadBtn_Click(DownloadContext& ctx) {
    try {
        Download(ctx);
    } catch (...) {
        // Nothing is left to report with: the stages have shown what they could.
    }
}

bool CheckTempSensor(DownloadContext& ctx) {
    try {
        return ProbeTempSensor(ctx);
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace yb
