#include "datafile/Format.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>

#include "settings/RecordingIntervals.h"

namespace yb {

namespace {

// A non-negative decimal number: value = 0.d1d2d3... x 10^point, so `point` digits stand before
// the decimal point (none or fewer than that when point <= 0). The first digit is never 0; no
// digits at all means zero.
struct Decimal {
    std::string digits;
    int point = 0;
};

// Every digit of a float's binary value, without rounding.
Decimal ExactDecimal(float magnitude) {
    Decimal d;
    if (magnitude == 0.0f) return d;
    // magnitude = m x 2^e with an odd integer m below 2^24. For e < 0 that is m x 5^-e / 10^-e,
    // an integer of at most 8 + 0.7 x (-e) digits; for e >= 0 an integer of at most 39 digits.
    // Asking for just that many keeps the conversion exact without printing pages of zeros.
    int exponent2 = 0;
    auto mantissa = static_cast<std::uint32_t>(std::ldexp(std::frexp(magnitude, &exponent2), 24));
    exponent2 -= 24;
    while ((mantissa & 1u) == 0) {
        mantissa >>= 1;
        ++exponent2;
    }
    const int significant = exponent2 >= 0 ? 40 : 9 + (-exponent2 * 7 + 9) / 10;
    char buffer[160];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                      std::chars_format::scientific, significant - 1);
    const char* p = buffer;
    for (; p < result.ptr && *p != 'e'; ++p) {
        if (*p != '.') d.digits.push_back(*p);
    }
    int exponent10 = 0;
    std::from_chars(*(p + 1) == '+' ? p + 2 : p + 1, result.ptr, exponent10);
    d.point = exponent10 + 1;
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    return d;
}

// Keeps the first `keep` digits, halves away from zero.
void RoundTo(Decimal& d, int keep) {
    if (keep >= static_cast<int>(d.digits.size())) return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (!up) return;
    int i = keep - 1;
    while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') {
        d.digits[static_cast<std::size_t>(i)] = '0';
        --i;
    }
    if (i < 0) {
        d.digits.insert(d.digits.begin(), '1');
        ++d.point;
    } else {
        ++d.digits[static_cast<std::size_t>(i)];
    }
}

// The significant digits a single-precision value carries.
constexpr int kFloatDigits = 7;

// 10^0 to 10^19, every power of ten a 64-bit integer holds.
constexpr auto kPowersOf10 = [] {
    std::array<std::uint64_t, 20> powers{1};
    for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 10;
    return powers;
}();

// n / 10^j, halves up.
std::uint64_t DivideRounded(std::uint64_t n, int j) {
    if (j >= static_cast<int>(kPowersOf10.size())) return 0;  // n < 2^64, below half of 10^20
    const std::uint64_t d = kPowersOf10[static_cast<std::size_t>(j)];
    return n / d + (n % d >= d - n % d ? 1 : 0);
}

// mantissa x 2^exponent2 x 10^scale (mantissa below 2^24) rounded to a whole number, halves up;
// nullopt where 64 bits do not hold the product.
std::optional<std::uint64_t> ScaledRounded(std::uint64_t mantissa, int exponent2, int scale) {
    if (scale < 0) {
        if (exponent2 < 0 || exponent2 > 39) return std::nullopt;
        return DivideRounded(mantissa << exponent2, -scale);
    }
    if (scale > 11 || exponent2 <= -64 || exponent2 > 2) return std::nullopt;
    const std::uint64_t n = mantissa * kPowersOf10[static_cast<std::size_t>(scale)];  // < 2^61
    if (exponent2 >= 0) return n << exponent2;
    const std::uint64_t half = std::uint64_t{1} << (-exponent2 - 1);
    return (n >> -exponent2) + ((n & (2 * half - 1)) >= half ? 1 : 0);
}

// A positive magnitude by the rule of FormatFixed, in units of 10^-decimals, worked in integers:
// the magnitude, m x 2^e exactly, is scaled by 10^scale to seven digits and rounded there (q, so
// that q x 10^-scale holds its seven digits), then q is rounded to the decimals. Exact throughout;
// nullopt where the integers would not fit 64 bits (magnitudes below about 10^-6 or above 2^63),
// which take the digit-by-digit way.
std::optional<std::uint64_t> Units(float magnitude, int decimals) {
    if (decimals < 0 || decimals > 9) return std::nullopt;
    const auto bits = std::bit_cast<std::uint32_t>(magnitude);
    const int biased = static_cast<int>(bits >> 23);
    if (biased == 0) return std::nullopt;  // below 10^-37
    const std::uint64_t mantissa = (bits & 0x7FFFFFu) | 0x800000u;
    const int exponent2 = biased - 150;  // magnitude = mantissa x 2^exponent2
    // The magnitude lies in [2^k, 2^(k+1)) for k = exponent2 + 23, so its decimal exponent is
    // floor(k x log10(2)) or one more. (For the k of a float, k x log10(2) lies 0.004 or more
    // from every integer but 0, so the double product floors right.) When it is one more, q comes
    // out with a digit too many (or as 10^7 after a carry, the same value) and is made again.
    int scale =
        kFloatDigits - 1 - static_cast<int>(std::floor((exponent2 + 23) * 0.30102999566398120));
    std::optional<std::uint64_t> q = ScaledRounded(mantissa, exponent2, scale);
    if (q && *q >= kPowersOf10[kFloatDigits]) q = ScaledRounded(mantissa, exponent2, --scale);
    if (!q) return std::nullopt;
    if (decimals < scale) return DivideRounded(*q, scale - decimals);
    if (decimals - scale > 11) return std::nullopt;
    return *q * kPowersOf10[static_cast<std::size_t>(decimals - scale)];
}

// The rule worked digit by digit, for the magnitudes Units() cannot take.
void AppendExact(QString& text, float value, int decimals) {
    Decimal d = ExactDecimal(std::fabs(value));
    RoundTo(d, kFloatDigits);
    RoundTo(d, d.point + decimals);

    std::string out;
    out.reserve(static_cast<std::size_t>(std::max(d.point, 1) + decimals + 2));
    if (std::signbit(value) && !d.digits.empty()) out.push_back('-');
    const auto digitAt = [&d](int position) {
        return position >= 0 && position < static_cast<int>(d.digits.size())
                   ? d.digits[static_cast<std::size_t>(position)]
                   : '0';
    };
    if (d.point <= 0) {
        out.push_back('0');
    } else {
        for (int i = 0; i < d.point; ++i) out.push_back(digitAt(i));
    }
    if (decimals > 0) {
        out.push_back('.');
        for (int k = 0; k < decimals; ++k) out.push_back(digitAt(d.point + k));
    }
    text += QLatin1StringView(out.data(), static_cast<qsizetype>(out.size()));
}

}  // namespace

void AppendFixed(QString& text, float value, int decimals) {
    // A download never decodes to these; written the way Qt spells them rather than as digits.
    if (!std::isfinite(value)) {
        text += QString::number(static_cast<double>(value));
        return;
    }
    const float magnitude = std::fabs(value);
    const auto units =
        magnitude == 0.0f ? std::optional<std::uint64_t>(0) : Units(magnitude, decimals);
    if (!units) {
        AppendExact(text, value, decimals);
        return;
    }
    char digits[32];
    char* end = digits;
    if (std::signbit(value) && *units != 0) *end++ = '-';
    const std::uint64_t unit = kPowersOf10[static_cast<std::size_t>(decimals)];
    end = std::to_chars(end, std::end(digits), *units / unit).ptr;
    if (decimals > 0) {
        *end++ = '.';
        std::uint64_t fraction = *units % unit;
        for (int k = decimals - 1; k >= 0; --k, fraction /= 10) end[k] = '0' + fraction % 10;
        end += decimals;
    }
    text += QLatin1StringView(digits, end);
}

QString FormatFixed(float value, int decimals) {
    QString text;
    AppendFixed(text, value, decimals);
    return text;
}

QString IntervalText(int seconds) {
    if (IsRecordingInterval(seconds)) return QStringLiteral("%1秒間隔").arg(seconds);
    return QStringLiteral("?秒間隔:不明");
}

bool ReadIntervalText(QStringView text, std::optional<int>& seconds) {
    for (const int known : kRecordingIntervals) {
        if (text == IntervalText(known)) {
            seconds = known;
            return true;
        }
    }
    seconds.reset();
    return text == IntervalText(0);
}

QString TemperatureIntervalText(int recordingSeconds) {
    return QStringLiteral("%1分間隔").arg(TemperatureIntervalSeconds(recordingSeconds) / 60);
}

std::optional<int> ReadTemperatureIntervalText(QStringView text) {
    for (const int recording : kRecordingIntervals) {
        if (text == TemperatureIntervalText(recording))
            return TemperatureIntervalSeconds(recording);
    }
    return std::nullopt;
}

namespace {

struct SectionNames {
    const char* name;
    const char* title;
};
// By stage.
constexpr SectionNames kSectionNames[] = {
    {QT_TRANSLATE_NOOP("Format", "the main data"), QT_TRANSLATE_NOOP("Format", "データ１")},
    {QT_TRANSLATE_NOOP("Format", "the temperature data"),
     QT_TRANSLATE_NOOP("Format", "温度データ")},
    {QT_TRANSLATE_NOOP("Format", "the lap data"), QT_TRANSLATE_NOOP("Format", "周回データ")}};

const SectionNames& NamesOf(Stage stage) {
    return kSectionNames[static_cast<std::size_t>(stage)];
}

}  // namespace

QString SectionName(Stage stage) {
    return QCoreApplication::translate("Format", NamesOf(stage).name);
}

QString SectionTitle(Stage stage) {
    return QCoreApplication::translate("Format", NamesOf(stage).title);
}

}  // namespace yb
