#include "settings/Settings.h"

#include <QString>

#include <cstddef>
#include <exception>
#include <string>
#include <string_view>

#include "serial/ValueRules.h"

namespace yb {

namespace {

constexpr std::int16_t kAnswerWaitMs = 100;

// What distinguishes one setting from another; ReadSetting and WriteSetting do the rest.
struct SettingRule {
    Field box;                // text box that shows and supplies the value
    const char* readCommand;  // query; the answer is hexadecimal
    std::size_t answerChars;  // leading answer characters that hold the value
    int decimals;             // 0: whole units; 2: the logger counts hundredths
    bool keepsLogInterval;    // the read also sets the window's LogInterval
    const char* placeholder;  // text box after a failed read
    const char* readFailed;   // Status after a failed read
    // True when the text typed into the box may be sent; nullptr sends every text.
    bool (*accepts)(const QString& text, double value);
    const char* invalidText;     // Status when `accepts` refuses the text
    const char* writeCommand;    // write command letters, followed by the parameter
    std::size_t padBelow;        // a parameter shorter than this gets one "0" in front
    const char* writeSucceeded;  // Status when the logger answers "OK"
    const char* writeFailed;     // Status otherwise
};

bool IsLoggerInterval(const QString&, double seconds) {
    return seconds == 1 || seconds == 2 || seconds == 5 || seconds == 10;
}

// The battery box holds "dd.dd": five characters, the point third, 5.00 to 50.00 Ah.
bool IsBatteryCapacity(const QString& text, double ah) {
    return text.size() == 5 && text.indexOf(QLatin1Char('.')) == 2 && ah >= 5.0 && ah <= 50.0;
}

const SettingRule& RuleOf(Setting setting) {
    static const SettingRule kTyre{
        .box = Field::Text5,
        .readCommand = "T?",
        .answerChars = 4,
        .decimals = 0,
        .keepsLogInterval = false,
        .placeholder = "----",
        .readFailed = "タイヤ周長の読出しに失敗しました。",
        .accepts = nullptr,
        .invalidText = "",
        .writeCommand = "T",
        .padBelow = 4,
        .writeSucceeded = "タイヤ周長の書込みに成功しました。",
        .writeFailed = "タイヤ周長の書込みに失敗しました。",
    };
    static const SettingRule kBattery{
        .box = Field::Text6,
        .readCommand = "BAh?",
        .answerChars = 4,
        .decimals = 2,
        .keepsLogInterval = false,
        .placeholder = "--.--",
        .readFailed = "バッテリ初期値の読出しに失敗しました。",
        .accepts = IsBatteryCapacity,
        .invalidText = "バッテリAh初期値は 05.00～50.00[Ah] の値にしてください",
        .writeCommand = "BAh",
        .padBelow = 4,
        .writeSucceeded = "バッテリ初期値の書込みに成功しました。",
        .writeFailed = "バッテリ初期値の書込みに失敗しました。",
    };
    static const SettingRule kInterval{
        .box = Field::Text7,
        .readCommand = "T??",
        .answerChars = 2,
        .decimals = 0,
        .keepsLogInterval = true,
        .placeholder = "?",
        .readFailed = "データ記録時間間隔の読出しに失敗しました。",
        .accepts = IsLoggerInterval,
        .invalidText = "データ記録時間間隔は 1, 2, 5, 10[秒] のいずれかの値にしてください",
        .writeCommand = "T",
        .padBelow = 0,  // always a single digit: T1, T2, T5, TA
        .writeSucceeded = "データ記録時間間隔の書込みに成功しました。",
        .writeFailed = "データ記録時間間隔の書込みに失敗しました。",
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

void ReportReadFailure(const SettingRule& rule, SettingsContext& ctx) {
    ctx.view.setText(rule.box, QString::fromUtf8(rule.placeholder));
    ctx.view.setText(Field::Status, QString::fromUtf8(rule.readFailed));
}

// The hexadecimal parameter of a write command; throws NumberOverflow when the value has no
// 32-bit form.
std::string ParameterOf(const SettingRule& rule, double value) {
    auto text = ParameterText(value * Scale(rule.decimals));
    if (!text) throw NumberOverflow("value does not fit a 32-bit parameter");
    if (text->size() < rule.padBelow) text->insert(0, 1, '0');
    return *text;
}

}  // namespace

void ReadSetting(Setting setting, SettingsContext& ctx) {
    const SettingRule& rule = RuleOf(setting);
    try {
        // Whatever AnsStr still holds answers an earlier command: with the port closed there is
        // nothing to show.
        if (!ctx.state.fCommOpen) {
            ctx.view.setText(Field::Status, QStringLiteral("CommPort Not Open..."));
            return;
        }
        ctx.state.CmdStr = rule.readCommand;
        ctx.exchange.mSendCommandGetAns(ctx.state.CmdStr, ctx.state.AnsStr, kAnswerWaitMs);
        if (ctx.state.AnsStr.empty()) {
            // A silent logger has no interval to report; 0 is no valid one.
            if (rule.keepsLogInterval) ctx.LogInterval = 0;
            ReportReadFailure(rule, ctx);
            return;
        }
        const std::int32_t value = HexFieldValue(Mid(ctx.state.AnsStr, 1, rule.answerChars));
        if (rule.keepsLogInterval) ctx.LogInterval = static_cast<std::int16_t>(value);
        ctx.view.setText(rule.box, DisplayText(value, rule.decimals));
    } catch (...) {
        try {
            ReportReadFailure(rule, ctx);
        } catch (...) {
        }
    }
}

void WriteSetting(Setting setting, SettingsContext& ctx) {
    const SettingRule& rule = RuleOf(setting);
    try {
        const QString boxText = ctx.view.text(rule.box);
        ctx.state.CmdStr = boxText.toStdString();
        const double value = LeadingNumberValue(ctx.state.CmdStr);
        if (rule.accepts != nullptr && !rule.accepts(boxText, value)) {
            ctx.view.setText(Field::Status, QString::fromUtf8(rule.invalidText));
            return;
        }
        ctx.state.CmdStr = rule.writeCommand + ParameterOf(rule, value);
        ctx.state.AnsStr.clear();
        ctx.exchange.mSendCommandGetAns(ctx.state.CmdStr, ctx.state.AnsStr, kAnswerWaitMs);
        // A closed port leaves AnsStr empty, so its "CommPort Not Open..." ends as a failure.
        const char* outcome =
            BeginsWithOK(ctx.state.AnsStr) ? rule.writeSucceeded : rule.writeFailed;
        ctx.view.setText(Field::Status, QString::fromUtf8(outcome));
    } catch (...) {
        try {
            ctx.view.setText(Field::Status, QString::fromUtf8(rule.writeFailed));
        } catch (...) {
        }
    }
}

}  // namespace yb
