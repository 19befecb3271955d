#pragma once
// The three logger settings: tyre circumference, battery initial capacity, recording interval.
//
// Each has a read (the logger's value, as its box shows it) and a write (a typed text, validated,
// sent as a hexadecimal parameter). All six operations follow one pattern, driven by a table with
// one entry per setting; each makes exactly one command exchange.

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include <qcoro/qcorotask.h>

#include "serial/LineExchange.h"
#include "serial/Outcome.h"
#include "settings/RecordingIntervals.h"  // the values the interval setting takes

namespace yb {

enum class Setting { TyreCircumference, BatteryCapacity, RecordingInterval };

struct SettingRead : Outcome {
    std::optional<QString> box;         // the setting's box shows this now
    std::optional<std::int32_t> value;  // the value the logger reported
    std::string answer;                 // the answer as received
};

// Reads the setting. With the port closed: Refused, "CommPort Not Open...", no box. No answer at
// all, or a failure of the line: the setting's placeholder and read failure text. Otherwise the
// value as its box shows it ("1800", "12.50", "5") and no text of its own. Changes nothing but
// the logger's line: what a download recorded stays as it was. Never throws.
QCoro::Task<SettingRead> ReadSetting(Setting setting, LineExchange& line);
// The setting's read failure text ("データ記録時間間隔の読出しに失敗しました。").
QString ReadFailedText(Setting setting);

// The write command for a typed text, or, when nothing may be sent, the outcome: Refused with the
// setting's validation message, or Failed with its write failure text when the value has no
// parameter form.
std::variant<std::string, Outcome> SettingWriteCommand(Setting setting, const QString& text);

// Validates `text`, sends it and reports the logger's verdict: the setting's success text when the
// answer begins with "OK", its failure text otherwise (a closed port included). Never throws.
QCoro::Task<Outcome> WriteSetting(Setting setting, QString text, LineExchange& line);

}  // namespace yb
