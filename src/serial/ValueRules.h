#pragma once
// Number rules of the logger protocol and of the texts the user types.
//
// The logger speaks hexadecimal in fixed character runs; the user types decimal numbers into text
// boxes. These functions are the one place where either is turned into a number, or a number
// into the hexadecimal parameter of a write command.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace yb {

// A run that holds more hexadecimal digits than a 32-bit value can take.
class NumberOverflow : public std::overflow_error {
public:
    using std::overflow_error::overflow_error;
};

// Characters of the run [start, start + length) of `text`, positions counted from 1. A run that
// the text is too short to fill is cut where the text ends; a start past the end gives "".
std::string_view Mid(std::string_view text, std::size_t start, std::size_t length);

// The number a run of answer characters gives when read as hexadecimal. Blanks, tabs and line
// feeds are skipped; digits 0-9, A-F, a-f are read up to the first other character (a carriage
// return included). One to four digits are a 16-bit two's-complement value ("FFFF" is -1),
// five to eight digits a 32-bit one; no digit gives 0. More than eight digits throw
// NumberOverflow.
std::int32_t HexFieldValue(std::string_view run);

// The decimal number at the start of a text the user typed: blanks, tabs and line feeds anywhere
// are skipped; then an optional sign, digits with at most one decimal point and an optional
// exponent (E or D) are read up to the first character that does not fit. A text beginning with
// "&H" is read as hexadecimal. No number at all gives 0 ("2秒" gives 2, "abc" gives 0). A value
// beyond the range of a double throws NumberOverflow.
double LeadingNumberValue(std::string_view text);

// The nearest whole number, halves going to the even neighbour, if it fits a 16-bit or 32-bit
// signed integer; nullopt otherwise.
std::optional<std::int16_t> RoundToInt16(double value);
std::optional<std::int32_t> RoundToInt32(double value);

// Upper-case hexadecimal digits of `value`, without leading zeros unless `width` asks for them:
// the number is filled on the left with "0" to at least `width` characters.
std::string HexText(std::uint32_t value, int width = 1);

// Parameter text of a write command: the nearest whole number (halves to even) in upper-case
// hexadecimal without leading zeros (10 gives "A", 1000 gives "3E8"; a negative number gives its
// eight-digit two's-complement form). nullopt when the value does not fit a 32-bit signed integer.
std::optional<std::string> ParameterText(double value);

// The logger ends every answer with a carriage return; a line feed ends it as well.
inline bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// True for exactly `digits` hexadecimal digits (either case) followed by one line end: the shape
// of every count and record answer. Anything else (a letter, a blank, noise before or after, a
// missing line end) means the answer is not the logger's.
bool IsHexAnswer(std::string_view answer, std::size_t digits);

// True when the first two characters of an answer are exactly "OK" (case-sensitive).
bool BeginsWithOK(std::string_view answer);

}  // namespace yb
