#include "download/Records.h"

#include <string>

#include "serial/ValueRules.h"

namespace yb {

namespace {

std::int16_t Field16(std::string_view answer, std::size_t start, std::size_t digits) {
    // Runs of at most four digits always give a 16-bit value.
    return static_cast<std::int16_t>(HexFieldValue(Mid(answer, start, digits)));
}

}  // namespace

std::optional<std::int16_t> DecodeCount(Stage stage, std::string_view answer) {
    const std::size_t digits = stage == Stage::Laps ? 2 : 4;
    if (answer.size() != digits + 1) return std::nullopt;
    return Field16(answer, 1, digits);
}

std::optional<MainRecord> DecodeMainRecord(std::string_view answer) {
    if (answer.size() != 17) return std::nullopt;
    return MainRecord{
        .solar = static_cast<float>(Field16(answer, 1, 4)) / 100.0f,
        .battery = static_cast<float>(Field16(answer, 5, 4)) / 100.0f,
        .mainVolt = static_cast<float>(Field16(answer, 9, 4)) / 10.0f,
        .subVolt = static_cast<float>(Field16(answer, 13, 2)) / 10.0f,
        .speed = static_cast<float>(Field16(answer, 15, 2)),
    };
}

// The sign comes from the first character alone (a non-digit counts as 0); the field is then
// widened with "FF" or "00" and read as one run, so a malformed second character only cuts the
// run short.
std::optional<std::int16_t> DecodeTempRecord(std::string_view answer) {
    if (answer.size() != 3) return std::nullopt;
    const std::string_view field = answer.substr(0, 2);
    const bool negative = HexFieldValue(field.substr(0, 1)) >= 8;
    const std::string widened = (negative ? "FF" : "00") + std::string(field);
    return static_cast<std::int16_t>(HexFieldValue(widened));
}

std::optional<LapRecord> DecodeLapRecord(std::string_view answer) {
    if (answer.size() != 9) return std::nullopt;
    return LapRecord{
        .seconds = Field16(answer, 1, 4),
        .motorWh = static_cast<float>(Field16(answer, 5, 4)) / 10.0f,
    };
}

}  // namespace yb
