// The protocol's value rules fed arbitrary bytes: the bytes as an answer or a typed text, their
// first eight as a number. Each rule must keep its promises, checked by properties rather than by
// a second implementation: blanks and case do not matter, a carriage return ends a field, a value
// written out reads back, rounding lands within half a unit and ties go to the even neighbour.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "Check.h"
#include "serial/ValueRules.h"

namespace {

// A rule's value, or nullopt when it refused with NumberOverflow, the one refusal allowed.
template <typename Rule>
auto Try(Rule rule) -> std::optional<decltype(rule())> {
    try {
        return rule();
    } catch (const yb::NumberOverflow&) {
        return std::nullopt;
    }
}
std::optional<std::int32_t> Hex(std::string_view s) {
    return Try([&] { return yb::HexFieldValue(s); });
}
std::optional<double> Leading(std::string_view s) {
    return Try([&] { return yb::LeadingNumberValue(s); });
}

void CheckText(std::string_view text) {
    std::string bare, upper(text);
    std::size_t hexDigits = 0;
    for (char& c : upper) {
        if (c != ' ' && c != '\t' && c != '\n') bare += c;
        hexDigits += std::isxdigit(static_cast<unsigned char>(c)) != 0;
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    const auto hex = Hex(text);
    CHECK(Hex(bare) == hex && Hex(upper) == hex);
    CHECK(Hex(std::string(text) + "\r" + std::string(text)) == hex);
    CHECK(hex || hexDigits > 8);
    if (hexDigits <= 4) CHECK(*hex >= -32768 && *hex <= 32767);

    const auto value = Leading(text);
    CHECK(!value || std::isfinite(*value));
    CHECK(Leading(bare) == value);
    CHECK(Leading("&H" + std::string(text)) ==
          (Hex(bare) ? std::optional<double>(*Hex(bare)) : std::nullopt));
    if (!bare.empty() && (std::isdigit(static_cast<unsigned char>(bare[0])) || bare[0] == '.')) {
        const auto negated = Leading("-" + bare);
        CHECK(negated.has_value() == value.has_value() && (!value || *negated == -*value));
    }
    CHECK(yb::BeginsWithOK(text) == text.starts_with("OK"));
}

// Hexadecimal written out reads back: up to four digits as 16 bits, five to eight (leading zeros
// counted) as 32 bits, a ninth refused. A double written with all its digits reads back exactly.
void CheckWrittenOut(std::uint64_t bits, double number) {
    const auto n = static_cast<std::uint32_t>(bits);
    const std::string text = yb::HexText(n), eight = yb::HexText(n, 8);
    CHECK(Hex(yb::HexText(n & 0xFFFF, 4)) == static_cast<std::int16_t>(n));
    CHECK(Hex(eight) == static_cast<std::int32_t>(n) && !Hex("1" + eight));
    CHECK(Hex(text) ==
          (text.size() <= 4 ? static_cast<std::int16_t>(n) : static_cast<std::int32_t>(n)));
    if (!std::isfinite(number)) return;
    char decimal[64];
    std::snprintf(decimal, sizeof decimal, "%.17g", number);
    CHECK(Leading(decimal) == number);
}

template <typename Int>
void CheckRounded(double value, std::optional<Int> r) {
    constexpr double low = std::numeric_limits<Int>::min(), high = std::numeric_limits<Int>::max();
    if (!r) {
        CHECK(!std::isfinite(value) || value <= low - 0.5 || value >= high + 0.5);
        return;
    }
    const double error = std::fabs(value - *r);
    CHECK(error < 0.5 || (error == 0.5 && *r % 2 == 0));
}

// Rounding, and the parameter text of a write command made from it, which must parse back.
void CheckRounding(double value) {
    const auto r16 = yb::RoundToInt16(value);
    const auto r32 = yb::RoundToInt32(value);
    CheckRounded(value, r16);
    CheckRounded(value, r32);
    CHECK(!r16 || r32 == *r16);
    const auto parameter = yb::ParameterText(value);
    CHECK(parameter.has_value() == r32.has_value());
    if (!parameter) return;
    CHECK(*parameter == "0" ||
          (!parameter->empty() && parameter->size() <= 8 && (*parameter)[0] != '0'));
    CHECK(parameter->find_first_not_of("0123456789ABCDEF") == std::string::npos);
    CHECK(static_cast<std::int32_t>(std::strtoul(parameter->c_str(), nullptr, 16)) == *r32);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::uint64_t bits = 0;
    std::memcpy(&bits, data, std::min(size, sizeof bits));
    double number;
    std::memcpy(&number, &bits, sizeof number);
    CheckText(text);
    CheckWrittenOut(bits, number);
    CheckRounding(number);
    if (const auto typed = Leading(text)) CheckRounding(*typed);  // a setting typed as text
    return 0;
}
