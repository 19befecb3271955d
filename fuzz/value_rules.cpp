// The protocol's value rules fed arbitrary bytes: the bytes as answer or typed text, their first
// eight as a double. Each rule must keep its promises, checked by properties rather than by a
// second implementation: blanks and case do not matter, a carriage return ends a field, a value
// written out reads back, rounding lands within half a unit and ties go to the even neighbour.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "serial/ValueRules.h"

namespace {

#define CHECK(condition)                                                                 \
    do {                                                                                 \
        if (!(condition)) {                                                              \
            std::fprintf(stderr, "broken promise, line %d: %s\n", __LINE__, #condition); \
            std::abort();                                                                \
        }                                                                                \
    } while (0)

// A rule's result, or nullopt when it refused with NumberOverflow (the one refusal allowed).
template <typename Rule>
auto Try(Rule rule) -> std::optional<decltype(rule())> {
    try {
        return rule();
    } catch (const yb::NumberOverflow&) {
        return std::nullopt;
    }
}

std::optional<std::int32_t> Hex(std::string_view run) {
    return Try([&] { return yb::HexFieldValue(run); });
}

std::optional<double> Leading(std::string_view text) {
    return Try([&] { return yb::LeadingNumberValue(text); });
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

std::string WithoutBlanks(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (!IsBlank(c)) out += c;
    }
    return out;
}

void CheckHexField(std::string_view run) {
    const auto value = Hex(run);
    std::string upper(run);
    for (char& c : upper) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    CHECK(Hex(WithoutBlanks(run)) == value);
    CHECK(Hex(upper) == value);
    CHECK(Hex(std::string(run) + "\r" + std::string(run)) == value);
    std::size_t hexChars = 0;
    for (char c : run) hexChars += IsHexDigit(c);
    CHECK(value || hexChars > 8);
    if (hexChars <= 4) CHECK(*value >= -32768 && *value <= 32767);
}

// A number written in hexadecimal reads back: up to four digits as 16 bits, five to eight as
// 32 bits, leading zeros counted.
void CheckHexText(std::uint32_t number) {
    const std::string text = yb::HexText(number);
    const std::string wide = yb::HexText(number & 0xFFFF, 4);
    const std::string eight = yb::HexText(number, 8);
    CHECK(Hex(eight) == static_cast<std::int32_t>(number));
    CHECK(!Hex("1" + eight));  // a ninth digit is refused, never wrapped
    CHECK(text.size() <= 8 && wide.size() == 4);
    CHECK(Hex(wide) == static_cast<std::int16_t>(number & 0xFFFF));
    CHECK(Hex(text) == (text.size() <= 4 ? static_cast<std::int16_t>(number)
                                         : static_cast<std::int32_t>(number)));
}

void CheckLeadingNumber(std::string_view text) {
    const auto value = Leading(text);
    CHECK(!value || std::isfinite(*value));
    CHECK(Leading(WithoutBlanks(text)) == value);
    const std::string bare = WithoutBlanks(text);
    const auto hex = Hex(bare);
    CHECK(Leading("&H" + std::string(text)) == (hex ? std::optional<double>(*hex) : std::nullopt));
    if (!bare.empty() && ((bare[0] >= '0' && bare[0] <= '9') || bare[0] == '.')) {
        const auto negated = Leading("-" + bare);
        CHECK(negated.has_value() == value.has_value());
        if (value) CHECK(*negated == -*value);
    }
}

// A double written with all its digits reads back exactly.
void CheckDecimalText(double number) {
    if (!std::isfinite(number)) return;
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", number);
    CHECK(Leading(text) == number);
}

template <typename Int>
void CheckRounded(double value, std::optional<Int> rounded) {
    constexpr double lowest = std::numeric_limits<Int>::min(),
                     highest = std::numeric_limits<Int>::max();
    if (!rounded) {
        CHECK(!std::isfinite(value) || value <= lowest - 0.5 || value >= highest + 0.5);
        return;
    }
    const double error = std::fabs(value - static_cast<double>(*rounded));
    CHECK(error <= 0.5);
    if (error == 0.5) CHECK(*rounded % 2 == 0);
}

// Rounding, and the parameter text of a write command made from it, which must parse back.
void CheckRounding(double value) {
    const auto r16 = yb::RoundToInt16(value);
    const auto r32 = yb::RoundToInt32(value);
    CheckRounded(value, r16);
    CheckRounded(value, r32);
    if (r16) CHECK(r32 == *r16);
    const auto parameter = yb::ParameterText(value);
    CHECK(parameter.has_value() == r32.has_value());
    if (!parameter) return;
    CHECK(!parameter->empty() && parameter->size() <= 8);
    CHECK(*parameter == "0" || (*parameter)[0] != '0');
    for (char c : *parameter) CHECK((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
    CHECK(static_cast<std::int32_t>(std::strtoul(parameter->c_str(), nullptr, 16)) == *r32);
}

void CheckAnswerTests(std::string_view text, std::uint64_t bits) {
    CHECK(yb::BeginsWithOK(text) == text.starts_with("OK"));
    const std::size_t start = bits & 0x3F, length = (bits >> 8) & 0x3F;
    const std::string_view mid = yb::Mid(text, start, length);
    CHECK(mid.size() <= length);
    if (!mid.empty()) {
        CHECK(mid.data() == text.data() + (start - 1));
        CHECK(start >= 1 && start - 1 + mid.size() <= text.size());
    }
    if (start >= 1 && start <= text.size()) {
        CHECK(mid.size() == std::min(length, text.size() - start + 1));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::uint64_t bits = 0;
    std::memcpy(&bits, data, std::min(size, sizeof bits));
    double number = 0;
    std::memcpy(&number, &bits, sizeof number);

    CheckHexField(text);
    CheckHexText(static_cast<std::uint32_t>(bits));
    CheckLeadingNumber(text);
    CheckDecimalText(number);
    CheckRounding(number);
    // A setting typed as text: its number, rounded and sent as a parameter.
    if (const auto typed = Leading(text)) CheckRounding(*typed);
    CheckAnswerTests(text, bits);
    return 0;
}
