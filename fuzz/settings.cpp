// The settings' write commands fed arbitrary typed text. A text is either refused (the setting's
// validation message, or its failure text when the value has no parameter form) or gives the
// setting's command letters and a hexadecimal parameter that reads back to the typed value,
// rounded to the logger's unit with ties to even. The interval only ever sends 1, 2, 5 or 10 s,
// the battery only 5.00 to 50.00 Ah, and the tyre only a whole number of 256 to 65535 mm typed as
// digits, in four digits.
#include <QString>

#include <cmath>
#include <cstdint>
#include <string>
#include <variant>

#include "Check.h"
#include "serial/ValueRules.h"
#include "settings/Settings.h"

namespace {

void CheckSetting(yb::Setting setting, const QString& text) {
    const auto result = yb::SettingWriteCommand(setting, text);
    if (const auto* refused = std::get_if<yb::Outcome>(&result)) {
        CHECK(!refused->done() && !refused->text.isEmpty());
        return;
    }
    const std::string& command = std::get<std::string>(result);
    const std::string letters = setting == yb::Setting::BatteryCapacity ? "BAh" : "T";
    CHECK(command.rfind(letters, 0) == 0 && command.size() > letters.size());
    const std::string parameter = command.substr(letters.size());
    for (const char c : parameter) CHECK((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
    CHECK(parameter.size() <= 8);

    const double typed = yb::LeadingNumberValue(text.toStdString());
    const double scaled = typed * (setting == yb::Setting::BatteryCapacity ? 100.0 : 1.0);
    const auto sent = static_cast<std::int32_t>(std::stoul(parameter, nullptr, 16));
    CHECK(std::fabs(sent - scaled) <= 0.5);
    if (std::fabs(sent - scaled) == 0.5) CHECK(sent % 2 == 0);
    if (setting == yb::Setting::RecordingInterval) {
        CHECK(sent == 1 || sent == 2 || sent == 5 || sent == 10);
        CHECK(parameter.size() == 1);
    }
    if (setting == yb::Setting::BatteryCapacity) CHECK(sent >= 500 && sent <= 5000);
    if (setting == yb::Setting::TyreCircumference) {
        CHECK(parameter.size() == 4 && sent >= 256 && sent <= 65535);
        for (const QChar c : text) CHECK((c >= u'0' && c <= u'9') || c == u' ' || c == u'\t' || c == u'\n');
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data),
                                           static_cast<qsizetype>(size));
    for (const auto setting : {yb::Setting::TyreCircumference, yb::Setting::BatteryCapacity,
                               yb::Setting::RecordingInterval}) {
        CheckSetting(setting, text);
    }
    return 0;
}
