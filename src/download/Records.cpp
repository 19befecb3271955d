#include "download/Records.h"

#include <algorithm>

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
    if (!IsHexAnswer(answer, digits)) return std::nullopt;
    return Field16(answer, 1, digits);
}

std::optional<MainRecord> DecodeMainRecord(std::string_view answer) {
    if (!IsHexAnswer(answer, kMainRecordChars - 1)) return std::nullopt;
    return MainRecord{
        .solarAmps = static_cast<float>(Field16(answer, 1, 4)) / 100.0f,
        .batteryAmps = static_cast<float>(Field16(answer, 5, 4)) / 100.0f,
        .mainVolts = static_cast<float>(Field16(answer, 9, 4)) / 10.0f,
        .subVolts = static_cast<float>(Field16(answer, 13, 2)) / 10.0f,
        .speedKmh = static_cast<float>(Field16(answer, 15, 2)),
    };
}

std::optional<std::int16_t> DecodeTempRecord(std::string_view answer) {
    if (!IsHexAnswer(answer, kTempRecordChars - 1)) return std::nullopt;
    const std::int16_t byte = Field16(answer, 1, 2);
    return static_cast<std::int16_t>(byte >= 0x80 ? byte - 0x100 : byte);
}

std::optional<LapRecord> DecodeLapRecord(std::string_view answer) {
    if (!IsHexAnswer(answer, kLapRecordChars - 1)) return std::nullopt;
    return LapRecord{
        .seconds = Field16(answer, 1, 4),
        .motorWh = static_cast<float>(Field16(answer, 5, 4)) / 10.0f,
    };
}

std::optional<std::int16_t> DecodeInterval(std::string_view answer) {
    if (!IsHexAnswer(answer, 2)) return std::nullopt;
    return Field16(answer, 1, 2);
}

ProbeVerdict DecodeProbe(std::string_view answer) {
    if (answer.empty() || !IsLineEnd(answer.back())) return ProbeVerdict::Refused;
    const std::string_view body = answer.substr(0, answer.size() - 1);
    const bool clean = std::all_of(body.begin(), body.end(), [](char c) {
        return c >= 0x20 && c <= 0x7E;  // printable, so no second line end either
    });
    if (!clean) return ProbeVerdict::Refused;
    if (body == "OK") return ProbeVerdict::Fitted;
    if (body.find_first_of("OK") != std::string_view::npos) return ProbeVerdict::Refused;
    return ProbeVerdict::NotFitted;
}

}  // namespace yb
