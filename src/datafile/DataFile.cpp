#include "datafile/DataFile.h"

#include <QCoreApplication>
#include <QSaveFile>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "datafile/DiskSync.h"
#include "datafile/Format.h"
#include "datafile/Printable.h"
#include "datafile/ShiftJis.h"

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

// Appends a main-data value, or nothing for the empty marker.
void AppendValue(QString& text, float value, int decimals) {
    if (value != RecordStore::kMainEmpty) text += FormatFixed(value, decimals);
}

// Appends a power in watts: the product is a single-precision value itself, like its factors.
void AppendWatts(QString& text, float current, float volts) {
    if (current == RecordStore::kMainEmpty || volts == RecordStore::kMainEmpty) return;
    const float watts = current * volts;
    text += FormatFixed(watts, 1);
}

void AppendMainRows(QString& text, const RecordStore& store, QChar d) {
    for (int i = 0; i < store.mainCount(); ++i) {
        text += QString::number(i + 1);
        text += d;
        const MainRecord r = store.main(i);
        AppendValue(text, r.solarAmps, 2);
        text += d;
        AppendValue(text, r.batteryAmps, 2);
        text += d;
        AppendValue(text, r.mainVolts, 1);
        text += d;
        AppendWatts(text, r.solarAmps, r.mainVolts);
        text += d;
        AppendWatts(text, r.batteryAmps, r.mainVolts);
        text += d;
        AppendValue(text, r.subVolts, 1);
        text += d;
        AppendValue(text, r.speedKmh, 0);
        text += kNewLine;
    }
}

void AppendTemperatureSection(QString& text, const RecordStore& store, QChar d) {
    text += kNewLine;
    text += kTemperatureLabel + d + TemperatureIntervalText(store.interval()) + kNewLine;
    text += kCountLabel + d + QString::number(store.tempCount()) + kNewLine;
    text += kTemperatureHeads.join(d) + kNewLine;
    for (int i = 0; i < store.tempCount(); ++i) {
        text += QString::number(i + 1);
        text += d;
        const std::int16_t temperature = store.temperature(i);
        if (temperature != RecordStore::kTempEmpty) text += QString::number(temperature);
        text += kNewLine;
    }
}

// Lap rows have no empty test: the markers -1 and -1.0 are written as numbers. Each lap number
// carries one leading blank and each row ends with the delimiter.
void AppendLapSection(QString& text, const RecordStore& store, QChar d) {
    text += kNewLine;
    text += kLapCountLabel + d + QString::number(store.lapCount()) + kNewLine;
    text += kLapHeads.join(d) + kNewLine;
    for (int i = 0; i < store.lapCount(); ++i) {
        const LapRecord lap = store.lap(i);
        text += u' ';
        text += QString::number(i + 1);
        text += d;
        text += QString::number(lap.seconds);
        text += d;
        text += FormatFixed(lap.motorWh, 1);
        text += d;
        text += kNewLine;
    }
}

}  // namespace

QString FormatFixed(float value, int decimals) {
    // A download never decodes to these; written the way Qt spells them rather than as digits.
    if (!std::isfinite(value)) return QString::number(static_cast<double>(value));

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
    return QString::fromLatin1(out.data(), static_cast<qsizetype>(out.size()));
}

namespace {

// The file's text, and where the path stands in it.
struct Rendered {
    QString text;
    qsizetype pathAt = 0;
};

std::optional<Rendered> Render(const RecordStore& store, QChar d, const QString& path,
                               const QDateTime& now) {
    // The main-record walk is bounded by the main count - 1, which does not fit 16 bits for the
    // lowest count. The other two sections are only walked for counts of 1 or more.
    if (store.mainCount() == std::numeric_limits<std::int16_t>::min()) return std::nullopt;

    Rendered r;
    QString& text = r.text;
    // Roughly the longest main row; the other sections are small beside it.
    text.reserve(512 + path.size() + std::max<int>(store.mainCount(), 0) * 56);
    text += kFileTitle + kNewLine;
    text += now.toString(kWrittenAtFormat) + kNewLine;
    r.pathAt = text.size();
    text += path + kNewLine;
    text += kIntervalLabel + d + IntervalText(store.interval()) + kNewLine;
    text += kCountLabel + d + QString::number(store.mainCount()) + kNewLine;
    text += kMainHeads.join(d) + kNewLine;

    try {
        AppendMainRows(text, store, d);
        if (store.tempCount() >= 1) AppendTemperatureSection(text, store, d);
        if (store.lapCount() >= 1) AppendLapSection(text, store, d);
    } catch (const SlotRangeError&) {
        // A count above the capacity: the store cannot be written as it stands.
        return std::nullopt;
    }
    return r;
}

}  // namespace

std::optional<QString> RenderDataFile(const RecordStore& store, QChar delimiter,
                                      const QString& path, const QDateTime& now) {
    std::optional<Rendered> r = Render(store, delimiter, path, now);
    if (!r) return std::nullopt;
    return std::move(r->text);
}

QString SaveFailedText() {
    return QCoreApplication::translate("DataFile", "データファイルを保存出来ませんでした");
}

WriteOutcome WriteDataFile(const RecordStore& store, bool csv, const QString& path,
                           const Clock& clock) {
    const auto failed = [](const QString& reason) { return WriteOutcome{false, reason}; };

    // Everything is rendered and encoded before the disk is touched, so a store that cannot be
    // written leaves no trace.
    const QDateTime now = clock ? clock() : QDateTime::currentDateTime();
    const std::optional<Rendered> r =
        Render(store, QChar(csv ? kCsvDelimiter : kTsvDelimiter), path, now);
    if (!r)
        return failed(QCoreApplication::translate(
            "DataFile", "the store holds more records than it has room for"));
    // Only the path can hold characters that Shift-JIS lacks, and those are encoded one by one:
    // it is encoded on its own, the rest of the file in one pass each side of it.
    const QStringView text(r->text);
    const std::optional<QByteArray> head = EncodeShiftJis(text.first(r->pathAt));
    const std::optional<QByteArray> line = EncodeShiftJis(text.sliced(r->pathAt, path.size()));
    const std::optional<QByteArray> rest = EncodeShiftJis(text.sliced(r->pathAt + path.size()));
    if (!head || !line || !rest)
        return failed(QCoreApplication::translate("DataFile", "no Shift-JIS converter"));
    const QByteArray bytes = *head + *line + *rest;

    // QSaveFile writes beside the target and renames over it on commit; an uncommitted file is
    // discarded on destruction. It refuses an existing file that is not writable, and it never
    // falls back to writing the target in place. Unbuffered, so that a short write (a full disk)
    // shows in write()'s count. commit() ignores a failed flush or sync, so both are done here.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return failed(QCoreApplication::translate("DataFile", "cannot create %1: %2")
                          .arg(Printable(path), file.errorString()));
    }
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = QCoreApplication::translate("DataFile", "cannot write %1: %2")
                                   .arg(Printable(path), file.errorString());
        file.cancelWriting();
        return failed(reason);
    }
    if (!SyncToDisk(file)) {
        const QString reason = QCoreApplication::translate("DataFile", "cannot write %1: %2")
                                   .arg(Printable(path), qt_error_string());
        file.cancelWriting();
        return failed(reason);
    }
    if (!file.commit()) {
        return failed(QCoreApplication::translate("DataFile", "cannot replace %1: %2")
                          .arg(Printable(path), file.errorString()));
    }
    return {};
}

}  // namespace yb
