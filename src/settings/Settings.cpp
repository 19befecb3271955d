#include "settings/Settings.h"

#include <QCoreApplication>
#include <QString>

#include <cstddef>
#include <string>

#include "serial/ValueRules.h"

namespace yb {

namespace {

// What distinguishes one setting from another; ReadSetting and WriteSetting do the rest.
struct SettingRule {
    const char* readCommand;  // query; the answer is hexadecimal
    std::size_t answerChars;  // leading answer characters that hold the value
    int decimals;             // 0: whole units; 2: the logger counts hundredths
    const char* placeholder;  // the box after a failed read
    const char* readFailed;   // message after a failed read
    // True when the typed text may be sent; may throw NumberOverflow.
    bool (*accepts)(const QString& text);
    const char* invalidText;     // message when `accepts` refuses the text
    const char* writeCommand;    // write command letters, followed by the parameter
    std::size_t padBelow;        // a parameter shorter than this gets one "0" in front
    const char* writeSucceeded;  // message when the logger answers "OK"
    const char* writeFailed;     // message otherwise
};

// A message of the rule table in the interface's language.
QString Message(const char* text) {
    return QCoreApplication::translate("Settings", text);
}

double ValueOf(const QString& text) {
    return LeadingNumberValue(text.toStdString());
}

bool IsLoggerInterval(const QString& text) {
    return IsRecordingInterval(ValueOf(text));
}

// A whole number of millimetres the logger can hold in four hexadecimal digits and no wheel is
// smaller than: digits only, blanks around them allowed. A typo ("1,800", "abc", the placeholder
// "----") must not send a circumference that speed and distance are then computed from.
bool IsTyreCircumference(const QString& text) {
    // Blanks are what the number reading skips: blanks, tabs and line feeds.
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\n'; };
    qsizetype first = 0, end = text.size();
    while (first < end && blank(text[first])) ++first;
    while (end > first && blank(text[end - 1])) --end;
    const QStringView digits = QStringView(text).sliced(first, end - first);
    if (digits.isEmpty() || digits.size() > 5) return false;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9') return false;
    }
    const int mm = digits.toInt();
    return mm >= 256 && mm <= 65535;
}

// The battery box holds "dd.dd": five characters, the point third, 5.00 to 50.00 Ah.
bool IsBatteryCapacity(const QString& text) {
    if (text.size() != 5 || text.indexOf(QLatin1Char('.')) != 2) return false;
    const double ah = ValueOf(text);
    return ah >= 5.0 && ah <= 50.0;
}

const SettingRule& RuleOf(Setting setting) {
    static const SettingRule kTyre{
        .readCommand = "T?",
        .answerChars = 4,
        .decimals = 0,
        .placeholder = "----",
        .readFailed = QT_TRANSLATE_NOOP("Settings", "タイヤ周長の読出しに失敗しました。"),
        .accepts = IsTyreCircumference,
        .invalidText =
            QT_TRANSLATE_NOOP("Settings", "タイヤ周長は 256～65535[mm] の値にしてください"),
        .writeCommand = "T",
        .padBelow = 4,
        .writeSucceeded = QT_TRANSLATE_NOOP("Settings", "タイヤ周長の書込みに成功しました。"),
        .writeFailed = QT_TRANSLATE_NOOP("Settings", "タイヤ周長の書込みに失敗しました。"),
    };
    static const SettingRule kBattery{
        .readCommand = "BAh?",
        .answerChars = 4,
        .decimals = 2,
        .placeholder = "--.--",
        .readFailed = QT_TRANSLATE_NOOP("Settings", "バッテリ初期値の読出しに失敗しました。"),
        .accepts = IsBatteryCapacity,
        .invalidText =
            QT_TRANSLATE_NOOP("Settings", "バッテリAh初期値は 05.00～50.00[Ah] の値にしてください"),
        .writeCommand = "BAh",
        .padBelow = 4,
        .writeSucceeded = QT_TRANSLATE_NOOP("Settings", "バッテリ初期値の書込みに成功しました。"),
        .writeFailed = QT_TRANSLATE_NOOP("Settings", "バッテリ初期値の書込みに失敗しました。"),
    };
    static const SettingRule kInterval{
        .readCommand = "T??",
        .answerChars = 2,
        .decimals = 0,
        .placeholder = "?",
        .readFailed = QT_TRANSLATE_NOOP("Settings", "データ記録時間間隔の読出しに失敗しました。"),
        .accepts = IsLoggerInterval,
        .invalidText = QT_TRANSLATE_NOOP(
            "Settings", "データ記録時間間隔は 1, 2, 5, 10[秒] のいずれかの値にしてください"),
        .writeCommand = "T",
        .padBelow = 0,  // always a single digit: T1, T2, T5, TA
        .writeSucceeded =
            QT_TRANSLATE_NOOP("Settings", "データ記録時間間隔の書込みに成功しました。"),
        .writeFailed = QT_TRANSLATE_NOOP("Settings", "データ記録時間間隔の書込みに失敗しました。"),
    };
    switch (setting) {
        case Setting::TyreCircumference:
            return kTyre;
        case Setting::BatteryCapacity:
            return kBattery;
        case Setting::RecordingInterval:
            break;
    }
    return kInterval;
}

// The value as the box shows it: a whole number, or with two decimals and at least two digits
// before the point (1250 hundredths is "12.50", 500 is "05.00", -1 is "-00.01").
QString DisplayText(std::int32_t value, int decimals) {
    if (decimals == 0) return QString::number(value);
    const std::int64_t wide = value;
    const std::int64_t magnitude = wide < 0 ? -wide : wide;
    return QStringLiteral("%1%2.%3")
        .arg(wide < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 100, 2, 10, QLatin1Char('0'))
        .arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

double Scale(int decimals) {
    return decimals == 0 ? 1.0 : 100.0;
}

SettingRead ReadFailure(const SettingRule& rule) {
    SettingRead read;
    read.ending = Ending::Failed;
    read.text = Message(rule.readFailed);
    read.box = QString::fromUtf8(rule.placeholder);
    return read;
}

Outcome WriteFailure(const SettingRule& rule) {
    return {Ending::Failed, Message(rule.writeFailed)};
}

}  // namespace

QString ReadFailedText(Setting setting) {
    return Message(RuleOf(setting).readFailed);
}

QCoro::Task<SettingRead> ReadSetting(Setting setting, LineExchange& line) {
    const SettingRule& rule = RuleOf(setting);
    if (!line.portOpen()) co_return SettingRead{{Ending::Refused, kPortNotOpenText}, {}, {}, {}};
    const Answer answer = co_await line.ask(rule.readCommand);
    if (answer.state == Answer::State::Cancelled) {
        co_return SettingRead{{Ending::Cancelled, {}}, {}, {}, {}};
    }
    // No answer, or the port failed: a box showing 0 would look like a value the logger holds.
    if (!answer.answered()) co_return ReadFailure(rule);
    const std::int32_t value = HexFieldValue(Mid(answer.text, 1, rule.answerChars));
    co_return SettingRead{
        {Ending::Done, {}}, DisplayText(value, rule.decimals), value, answer.text};
}

std::variant<std::string, Outcome> SettingWriteCommand(Setting setting, const QString& text) {
    const SettingRule& rule = RuleOf(setting);
    try {
        if (!rule.accepts(text)) {
            return Outcome{Ending::Refused, Message(rule.invalidText)};
        }
        auto parameter = ParameterText(ValueOf(text) * Scale(rule.decimals));
        if (!parameter) return WriteFailure(rule);
        if (parameter->size() < rule.padBelow) parameter->insert(0, 1, '0');
        return rule.writeCommand + *parameter;
    } catch (const NumberOverflow&) {
        return WriteFailure(rule);
    }
}

QCoro::Task<Outcome> WriteSetting(Setting setting, QString text, LineExchange& line) {
    const SettingRule& rule = RuleOf(setting);
    auto command = SettingWriteCommand(setting, text);
    if (auto* refused = std::get_if<Outcome>(&command)) co_return *refused;
    if (!line.portOpen()) co_return WriteFailure(rule);
    const Answer answer = co_await line.ask(std::get<std::string>(command));
    if (answer.state == Answer::State::Cancelled) co_return Outcome{Ending::Cancelled, {}};
    if (!answer.answered() || !BeginsWithOK(answer.text)) co_return WriteFailure(rule);
    co_return Outcome{Ending::Done, Message(rule.writeSucceeded)};
}

}  // namespace yb
