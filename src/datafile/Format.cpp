#include "datafile/Format.h"

#include <QCoreApplication>

#include <charconv>
#include <cmath>
#include <cstdint>
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

// The first `significant` digits of a positive value, correctly rounded (halves to even).
Decimal Digits(float magnitude, int significant) {
    char buffer[160];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                      std::chars_format::scientific, significant - 1);
    Decimal d;
    const char* p = buffer;
    for (; p < result.ptr && *p != 'e'; ++p) {
        if (*p != '.') d.digits.push_back(*p);
    }
    int exponent10 = 0;
    std::from_chars(*(p + 1) == '+' ? p + 2 : p + 1, result.ptr, exponent10);
    d.point = exponent10 + 1;
    return d;
}

// Every digit of a positive value's binary value, without rounding.
Decimal ExactDecimal(float magnitude) {
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
    Decimal d = Digits(magnitude, exponent2 >= 0 ? 40 : 9 + (-exponent2 * 7 + 9) / 10);
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

// A non-negative value reduced to kFloatDigits significant digits, halves away from zero.
//
// Two more digits, correctly rounded, decide the last one: when they read 51 to 99 the exact value
// lies above the half, and from 00 to 49 below it. Only 50 may stand for either side (the exact
// digits 4950... to 5049...), and then every digit of the binary value decides.
Decimal SignificantDigits(float magnitude) {
    if (magnitude == 0.0f) return {};
    Decimal d = Digits(magnitude, kFloatDigits + 2);
    if (d.digits.compare(kFloatDigits, 2, "50") == 0) d = ExactDecimal(magnitude);
    RoundTo(d, kFloatDigits);
    return d;
}

}  // namespace

QString FormatFixed(float value, int decimals) {
    // A download never decodes to these; written the way Qt spells them rather than as digits.
    if (!std::isfinite(value)) return QString::number(static_cast<double>(value));

    Decimal d = SignificantDigits(std::fabs(value));
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
    return QString::fromLatin1(out.data(), static_cast<qsizetype>(out.size()));
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
