#include "serial/ValueRules.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace yb {

namespace {

bool IsSkippedBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool IsHexAnswer(std::string_view answer, std::size_t digits) {
    if (answer.size() != digits + 1 || !IsLineEnd(answer.back())) return false;
    for (std::size_t i = 0; i < digits; ++i) {
        if (HexDigit(answer[i]) < 0) return false;
    }
    return true;
}

std::string_view Mid(std::string_view text, std::size_t start, std::size_t length) {
    if (start < 1 || start > text.size()) return {};
    return text.substr(start - 1, length);
}

std::int32_t HexFieldValue(std::string_view run) {
    std::uint32_t value = 0;
    int digits = 0;
    for (char c : run) {
        if (IsSkippedBlank(c)) continue;
        const int d = HexDigit(c);
        if (d < 0) break;
        if (++digits > 8) throw NumberOverflow("hexadecimal field longer than eight digits");
        value = (value << 4) | static_cast<std::uint32_t>(d);
    }
    if (digits <= 4) return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
    return static_cast<std::int32_t>(value);
}

double LeadingNumberValue(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text) {
        if (!IsSkippedBlank(c)) s.push_back(c);
    }

    if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h')) {
        return HexFieldValue(std::string_view(s).substr(2));
    }

    // Collect the longest prefix of the form [sign] digits [. digits] [exponent].
    std::string number;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) number.push_back(s[i++]);
    bool mantissaDigits = false;
    while (i < s.size() && IsDigit(s[i])) {
        number.push_back(s[i++]);
        mantissaDigits = true;
    }
    if (i < s.size() && s[i] == '.') {
        number.push_back(s[i++]);
        while (i < s.size() && IsDigit(s[i])) {
            number.push_back(s[i++]);
            mantissaDigits = true;
        }
    }
    if (!mantissaDigits) return 0.0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent.push_back(s[j++]);
        if (j < s.size() && IsDigit(s[j])) {
            while (j < s.size() && IsDigit(s[j])) exponent.push_back(s[j++]);
            number += exponent;
        }
    }

    errno = 0;
    const double value = std::strtod(number.c_str(), nullptr);
    if (errno == ERANGE && std::isinf(value)) throw NumberOverflow("number out of range");
    return value;
}

namespace {

template <typename Int>
std::optional<Int> RoundTo(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double r = std::nearbyint(value);  // the default rounding mode: halves to even
    if (r < std::numeric_limits<Int>::min() || r > std::numeric_limits<Int>::max()) {
        return std::nullopt;
    }
    return static_cast<Int>(r);
}

}  // namespace

std::optional<std::int16_t> RoundToInt16(double value) {
    return RoundTo<std::int16_t>(value);
}

std::optional<std::int32_t> RoundToInt32(double value) {
    return RoundTo<std::int32_t>(value);
}

std::string HexText(std::uint32_t value, int width) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    do {
        text.insert(text.begin(), kDigits[value & 0xFu]);
        value >>= 4;
    } while (value != 0);
    if (static_cast<int>(text.size()) < width) {
        text.insert(0, static_cast<std::size_t>(width) - text.size(), '0');
    }
    return text;
}

std::optional<std::string> ParameterText(double value) {
    const auto whole = RoundToInt32(value);
    if (!whole) return std::nullopt;
    return HexText(static_cast<std::uint32_t>(*whole));
}

bool BeginsWithOK(std::string_view answer) {
    return answer.substr(0, 2) == "OK";
}

}  // namespace yb
