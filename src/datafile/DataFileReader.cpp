#include "datafile/DataFileReader.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>
#include <QtGlobal>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

#include "datafile/DataFile.h"
#include "datafile/Format.h"
#include "datafile/Printable.h"
#include "datafile/ShiftJis.h"

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace yb {

namespace {

// Ends a read: the 1-based line and what was wrong there.
struct Refusal {
    int line;
    QString message;
};

[[noreturn]] void Refuse(int line, const QString& message) {
    throw Refusal{line, message};
}

// ---- Text decoding ----------------------------------------------------------------------------

// Whether the bytes are UTF-8 as a whole (a file another tool re-saved; plain ASCII reads the same
// either way). Decoded a piece at a time into a buffer of fixed size: nothing is kept.
bool IsUtf8(QByteArrayView bytes) {
    constexpr qsizetype kPiece = 64 * 1024;
    QStringDecoder utf8(QStringConverter::Utf8);
    std::vector<QChar> buffer(kPiece + 4);
    for (qsizetype at = 0; at < bytes.size() && !utf8.hasError(); at += kPiece) {
        utf8.appendToBuffer(buffer.data(), bytes.sliced(at, std::min(kPiece, bytes.size() - at)));
    }
    // A character cut off at the end is held back, not reported: a line end after it tells.
    utf8.appendToBuffer(buffer.data(), QByteArrayView("\n", 1));
    return !utf8.hasError();
}

// ---- Numbers ----------------------------------------------------------------------------------

// The field as ASCII for from_chars, without a leading "+"; nullopt when it holds anything else
// than an optional sign, digits and (when allowed) one decimal point with digits on its left.
std::optional<std::string> NumberChars(QStringView field, bool decimals) {
    if (field.isEmpty() || field.size() > 40) return std::nullopt;
    std::string chars;
    qsizetype i = 0;
    if (field[0] == u'-' || field[0] == u'+') {
        if (field[0] == u'-') chars.push_back('-');
        ++i;
    }
    qsizetype digits = 0;
    bool point = false;
    for (; i < field.size(); ++i) {
        const char16_t c = field[i].unicode();
        if (c >= u'0' && c <= u'9') {
            chars.push_back(static_cast<char>(c));
            ++digits;
        } else if (c == u'.' && decimals && !point && digits > 0) {
            chars.push_back('.');
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0) return std::nullopt;
    return chars;
}

// A decimal (double) or a whole number (int) that fills the whole field.
template <typename Number>
std::optional<Number> ParseNumber(QStringView field) {
    const std::optional<std::string> chars = NumberChars(field, std::is_floating_point_v<Number>);
    if (!chars) return std::nullopt;
    Number value{};
    const auto [end, ec] = std::from_chars(chars->data(), chars->data() + chars->size(), value);
    if (ec != std::errc() || end != chars->data() + chars->size()) return std::nullopt;
    return value;
}

std::optional<double> ParseDecimal(QStringView field) {
    return ParseNumber<double>(field);
}

std::optional<int> ParseInteger(QStringView field) {
    return ParseNumber<int>(field);
}

// A field as a message quotes it: cut short, its control characters escaped.
QString Quoted(QStringView text) {
    constexpr qsizetype kShown = 24;
    const QString shown = text.size() > kShown ? Printable(text.first(kShown)) + QStringLiteral("…")
                                               : Printable(text);
    return u'"' + shown + u'"';
}

// ---- Lines and fields -------------------------------------------------------------------------

class Parser {
public:
    // UTF-8 when the bytes are valid UTF-8 (a leading byte-order mark dropped), Shift-JIS
    // otherwise; each line is decoded when it is reached, so no more than two lines are held as
    // text, and a line that is neither is refused.
    explicit Parser(const QByteArray& bytes) : bytes_(bytes) {
        utf8_ = IsUtf8(bytes_);
        if (utf8_ && bytes_.startsWith("\xEF\xBB\xBF")) at_ = 3;
        if (!utf8_) CheckShiftJis();
        // A final line end opens one more, empty line, as an editor shows it.
        lastLine_ = static_cast<int>(
            std::min<qsizetype>(bytes_.count('\n') + 1, std::numeric_limits<int>::max()));
    }

    RunData Parse() {
        RunData run;
        if (AtEnd()) Refuse(1, QCoreApplication::translate("DataFileReader", "empty file"));
        if (Loose(Take()) != kFileTitle) {
            Refuse(number_,
                   QCoreApplication::translate("DataFileReader",
                                               "not a YB data file: the first line is not \"%1\"")
                       .arg(kFileTitle));
        }
        run.writtenAt = Loose(Take()).toString();
        run.savedPath = Loose(Take()).toString();

        // The delimiter is the character that follows the interval label.
        const QStringView intervalLine = Take().trimmed();
        if (!intervalLine.startsWith(kIntervalLabel)) Expected(kIntervalLabel);
        QStringView afterLabel = intervalLine.sliced(kIntervalLabel.size());
        while (afterLabel.startsWith(u' ')) afterLabel = afterLabel.sliced(1);
        if (afterLabel.isEmpty() || (afterLabel[0] != u',' && afterLabel[0] != u'\t')) {
            Refuse(number_,
                   QCoreApplication::translate("DataFileReader", "no comma or tab after %1")
                       .arg(kIntervalLabel));
        }
        delimiter_ = afterLabel[0];
        run.delimiter = delimiter_;
        run.intervalS = IntervalSeconds(LabelledValue(intervalLine, kIntervalLabel));

        ReadMainSection(run);
        bool temperatures = false;
        bool laps = false;
        while (SkipBlankLines()) {
            const QStringView line = Take().trimmed();
            if (!temperatures && !laps && line.startsWith(kTemperatureLabel)) {
                temperatures = true;
                ReadTemperatureSection(run, line);
            } else if (!laps && line.startsWith(kLapCountLabel)) {
                laps = true;
                ReadLapSection(run, line);
            } else {
                Refuse(number_, laps ? QCoreApplication::translate(
                                           "DataFileReader", "nothing may follow the lap data")
                                : temperatures ? QCoreApplication::translate(
                                                     "DataFileReader", "expected the lap section")
                                               : QCoreApplication::translate(
                                                     "DataFileReader",
                                                     "expected the temperature or lap section"));
            }
        }
        return run;
    }

private:
    // The next line, valid until the line after it is taken; refused when the file ends here.
    QStringView Take() {
        if (AtEnd()) {
            Refuse(LineAt(next_),
                   QCoreApplication::translate("DataFileReader", "the file ends after line %1")
                       .arg(next_));
        }
        Peek();
        std::swap(line_, ahead_);
        peeked_ = false;
        at_ = afterAhead_;
        number_ = static_cast<int>(++next_);
        return line_;
    }
    // The line after the one taken last, decoded once; only when not AtEnd().
    QStringView Peek() {
        if (peeked_) return ahead_;
        const char* const data = bytes_.constData();
        const auto* lineEnd =
            static_cast<const char*>(std::memchr(data + at_, '\n', bytes_.size() - at_));
        qsizetype end = lineEnd ? lineEnd - data : bytes_.size();
        afterAhead_ = lineEnd ? end + 1 : end;
        if (end > at_ && data[end - 1] == '\r') --end;
        Decode(QByteArrayView(data + at_, end - at_), LineAt(next_));
        peeked_ = true;
        return ahead_;
    }
    bool AtEnd() const { return at_ >= bytes_.size(); }
    // The 1-based number of the line at `index`, or of the file's last line past the end.
    int LineAt(std::size_t index) const {
        return static_cast<int>(std::max<std::size_t>(
            1, std::min<std::size_t>(index + 1, static_cast<std::size_t>(lastLine_))));
    }
    // The bytes not taken yet.
    qsizetype BytesLeft() const { return bytes_.size() - at_; }

    // Refuses a file that is not Shift-JIS at its first line that is neither, before anything
    // else is looked at. Line feeds never occur inside a Shift-JIS character, so each line
    // decodes on its own; lines of ASCII need no decoder.
    void CheckShiftJis() const {
        if (!HaveShiftJis())
            Refuse(1, QCoreApplication::translate("DataFileReader",
                                                  "no Shift-JIS decoder on this system"));
        int number = 1;
        for (qsizetype start = at_; start < bytes_.size(); ++number) {
            qsizetype end = bytes_.indexOf('\n', start);
            if (end < 0) end = bytes_.size();
            const QByteArrayView line(bytes_.constData() + start, end - start);
            if (!IsAscii(line) && !DecodeShiftJis(line)) {
                Refuse(number, QCoreApplication::translate("DataFileReader",
                                                           "neither Shift-JIS nor UTF-8 text"));
            }
            start = end + 1;
        }
    }
    static bool IsAscii(QByteArrayView line) {
        return std::all_of(line.begin(), line.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    }

    // Decodes the line numbered `number` into ahead_, reusing its room. Lines of ASCII (all rows)
    // read the same in either encoding.
    void Decode(QByteArrayView line, int number) {
        if (IsAscii(line)) {
            ahead_ = QLatin1StringView(line);
        } else if (utf8_) {
            ahead_ = QString::fromUtf8(line);
        } else if (std::optional<QString> sjis = DecodeShiftJis(line)) {
            ahead_ = std::move(*sjis);
        } else {  // never after CheckShiftJis; refused rather than assumed
            Refuse(number, QCoreApplication::translate("DataFileReader",
                                                       "neither Shift-JIS nor UTF-8 text"));
        }
    }

    // A line with its blanks and trailing delimiters cut away (a spreadsheet pads every line to
    // its widest row). Before the delimiter is known, commas and tabs both count.
    QStringView Loose(QStringView line) const {
        line = line.trimmed();
        while (!line.isEmpty() &&
               (delimiter_.isNull() ? (line.back() == u',' || line.back() == u'\t')
                                    : line.back() == delimiter_)) {
            line.chop(1);
            line = line.trimmed();
        }
        return line;
    }
    bool IsBlank(QStringView line) const { return Loose(line).isEmpty(); }

    // Skips blank lines; false at the end of the file.
    bool SkipBlankLines() {
        while (!AtEnd() && IsBlank(Peek())) Take();
        return !AtEnd();
    }

    // The line's fields, each trimmed, with trailing empty fields beyond `expected` dropped;
    // refused unless exactly `expected` remain. No more than `expected` are kept, however many
    // delimiters the line holds.
    const std::vector<QStringView>& Fields(QStringView line, qsizetype expected,
                                           const QString& what) {
        fields_.clear();
        qsizetype fields = 0;  // up to the last one that is not empty, and at least `expected`
        for (qsizetype start = 0, total = 1;; ++total) {
            const qsizetype end = line.indexOf(delimiter_, start);
            const QStringView field =
                line.sliced(start, (end < 0 ? line.size() : end) - start).trimmed();
            if (total <= expected) fields_.push_back(field);
            if (total <= expected || !field.isEmpty()) fields = total;
            if (end < 0) break;
            start = end + 1;
        }
        if (fields != expected) {
            Refuse(number_,
                   QCoreApplication::translate("DataFileReader", "%1 fields where %2 has %3")
                       .arg(fields)
                       .arg(what)
                       .arg(expected));
        }
        return fields_;
    }

    [[noreturn]] void Expected(const QString& what) {
        Refuse(number_, QCoreApplication::translate("DataFileReader", "expected %1").arg(what));
    }

    // The value of a "label=" D value line.
    QStringView LabelledValue(QStringView line, const QString& label) {
        const auto& fields =
            Fields(line, 2, QCoreApplication::translate("DataFileReader", "%1 line").arg(label));
        if (fields[0] != label) Expected(label);
        return fields[1];
    }

    void ExpectHeads(const QStringList& heads, const QString& what) {
        const auto& fields =
            Fields(Take(), heads.size(),
                   QCoreApplication::translate("DataFileReader", "%1 heads").arg(what));
        for (qsizetype i = 0; i < heads.size(); ++i) {
            if (fields[static_cast<std::size_t>(i)] != heads[i]) {
                Refuse(number_, QCoreApplication::translate(
                                    "DataFileReader", "expected the column head %1 where %2 stands")
                                    .arg(heads[i], Quoted(fields[static_cast<std::size_t>(i)])));
            }
        }
    }

    // The rows of a section declare their count on a "データ数=" or "周回回数=" line.
    int Count(QStringView value, const QString& label) {
        const std::optional<int> count = ParseInteger(value);
        if (!count) {
            Refuse(number_,
                   QCoreApplication::translate("DataFileReader", "%1 is not a count after %2")
                       .arg(Quoted(value), label));
        }
        return std::max(*count, 0);  // the writer prints a negative count and no rows
    }

    // The rows of a section worth making room for: its count, but no more than the bytes left
    // could hold, each row at its shortest (its number, a delimiter between each two of its
    // `fields` and a line end). A count the file cannot back takes no memory.
    std::size_t RowsRoom(int count, qsizetype fields) const {
        qsizetype bytes = BytesLeft() + 1;  // the last line may lack its line end
        qsizetype rows = 0;
        for (qsizetype digits = 1, numbers = 9; digits <= 10 && rows < count;
             ++digits, numbers *= 10) {
            const qsizetype fit = std::min(numbers, bytes / (digits + fields));
            rows += fit;
            bytes -= fit * (digits + fields);
            if (fit < numbers) break;
        }
        return static_cast<std::size_t>(std::min<qsizetype>(rows, count));
    }

    // Reads the rows of a section: `readRow` gets the fields of row n (1-based). Rows run until a
    // blank line or the end of the file and must be numbered 1, 2, ... up to the count.
    template <typename ReadRow>
    void ReadRows(int count, qsizetype fieldCount, const QString& what, ReadRow readRow) {
        int n = 0;
        while (!AtEnd() && !IsBlank(Peek())) {
            const auto& fields = Fields(Take(), fieldCount, what);
            const std::optional<int> number = ParseInteger(fields[0]);
            if (number != n + 1) {
                Refuse(number_, QCoreApplication::translate("DataFileReader",
                                                            "row number %1 where %2 was expected")
                                    .arg(Quoted(fields[0]))
                                    .arg(n + 1));
            }
            if (n == count) {
                Refuse(number_, QCoreApplication::translate("DataFileReader",
                                                            "more rows in %1 than the count of %2")
                                    .arg(what)
                                    .arg(count));
            }
            readRow(fields, ++n);
        }
        if (n < count) {
            Refuse(LineAt(next_),
                   QCoreApplication::translate("DataFileReader", "%1 ends after %2 of %3 rows")
                       .arg(what)
                       .arg(n)
                       .arg(count));
        }
    }

    // An empty field is no value; anything else must be a number.
    std::optional<double> OptionalDecimal(QStringView field, QStringView head) {
        if (field.isEmpty()) return std::nullopt;
        const std::optional<double> value = ParseDecimal(field);
        if (!value) NotANumber(field, head);
        return value;
    }
    int RequiredInteger(QStringView field, QStringView head) {
        const std::optional<int> value = ParseInteger(field);
        if (!value) NotANumber(field, head);
        return *value;
    }
    [[noreturn]] void NotANumber(QStringView field, QStringView head) {
        Refuse(number_, QCoreApplication::translate("DataFileReader", "%1 under %2 is not a number")
                            .arg(Quoted(field), head));
    }

    std::optional<int> IntervalSeconds(QStringView text) {
        std::optional<int> seconds;
        if (!ReadIntervalText(text, seconds)) {
            Refuse(number_,
                   QCoreApplication::translate("DataFileReader", "unknown recording interval %1")
                       .arg(Quoted(text)));
        }
        return seconds;
    }

    void ReadMainSection(RunData& run) {
        const int count = Count(LabelledValue(Take(), kCountLabel), kCountLabel);
        const QString what = SectionName(Stage::Main);
        ExpectHeads(kMainHeads, what);
        for (auto& column : run.main) column.reserve(RowsRoom(count, kMainHeads.size()));
        ReadRows(count, kMainHeads.size(), what, [&](const auto& fields, int) {
            for (std::size_t c = 0; c < kMainColumns.size(); ++c) {
                run.main[c].push_back(OptionalDecimal(fields[c + 1], kMainColumns[c].head));
            }
        });
    }

    void ReadTemperatureSection(RunData& run, QStringView line) {
        const QStringView interval = LabelledValue(line, kTemperatureLabel);
        const std::optional<int> seconds = ReadTemperatureIntervalText(interval);
        if (!seconds) {
            Refuse(number_,
                   QCoreApplication::translate("DataFileReader", "unknown temperature interval %1")
                       .arg(Quoted(interval)));
        }
        run.temperatureIntervalS = *seconds;
        const int count = Count(LabelledValue(Take(), kCountLabel), kCountLabel);
        const QString what = SectionName(Stage::Temperature);
        ExpectHeads(kTemperatureHeads, what);
        run.temperatures.reserve(RowsRoom(count, kTemperatureHeads.size()));
        ReadRows(count, kTemperatureHeads.size(), what, [&](const auto& fields, int) {
            run.temperatures.push_back(
                fields[1].isEmpty()
                    ? std::nullopt
                    : std::optional(RequiredInteger(fields[1], kTemperatureColumn.head)));
        });
    }

    void ReadLapSection(RunData& run, QStringView line) {
        const int count = Count(LabelledValue(line, kLapCountLabel), kLapCountLabel);
        const QString what = SectionName(Stage::Laps);
        ExpectHeads(kLapHeads, what);
        run.laps.reserve(RowsRoom(count, kLapHeads.size()));
        ReadRows(count, kLapHeads.size(), what, [&](const auto& fields, int n) {
            const int timeS = RequiredInteger(fields[1], kLapTimeColumn.head);
            const std::optional<double> wh = OptionalDecimal(fields[2], kLapEnergyColumn.head);
            if (!wh) NotANumber(fields[2], kLapEnergyColumn.head);
            run.laps.push_back({n, timeS, *wh});
        });
    }

    const QByteArray& bytes_;
    bool utf8_ = false;
    qsizetype at_ = 0;          // where the next line starts
    QString line_;              // the line taken last
    QString ahead_;             // the next line, once peeked
    bool peeked_ = false;       // ahead_ holds the next line
    qsizetype afterAhead_ = 0;  // where the line after the next one starts, once peeked
    std::vector<QStringView> fields_;
    std::size_t next_ = 0;  // index of the next line to take
    int number_ = 0;        // 1-based number of the line taken last
    int lastLine_ = 0;      // 1-based number of the file's last line
    QChar delimiter_;
};

}  // namespace

namespace {

DataFileReadResult Refused(const QString& name, const DataFileError& error) {
    DataFileReadResult result;
    result.ok = false;
    result.reason = error.line <= 0
                        ? QStringLiteral("%1: %2").arg(Printable(name), error.message)
                        : QStringLiteral("%1:%2: %3")
                              .arg(Printable(name))
                              .arg(error.line)
                              .arg(error.message);
    result.error = error;
    return result;
}

}  // namespace

DataFileReadResult ReadDataFile(const QByteArray& bytes, const QString& name) {
    try {
        if (bytes.isEmpty()) Refuse(1, QCoreApplication::translate("DataFileReader", "empty file"));
        Parser parser(bytes);
        DataFileReadResult result;
        result.run = parser.Parse();
        result.run->title = name;
        return result;
    } catch (const Refusal& refusal) {
        return Refused(name, {refusal.line, refusal.message});
    }
}

DataFileReadResult ReadDataFileAt(const QString& path, QByteArray* read) {
    const auto refused = [&path](const QString& message) { return Refused(path, {0, message}); };
    const QString tooLarge =
        QCoreApplication::translate("DataFileReader",
                                    "larger than %1 MiB: no data file of the logger is that large")
            .arg(kMaxDataFileBytes / (1024 * 1024));
    const QString notRegular = QCoreApplication::translate(
        "DataFileReader", "not a regular file (a device, a pipe or a socket)");

    // Only a regular file is opened at all: opening a pipe waits for a writer, a device may never
    // end, opening either may act on it.
    const QFileInfo info(path);
    if (info.isDir())
        return refused(QCoreApplication::translate("DataFileReader", "a folder, not a data file"));
    if (info.exists() && !info.isFile()) return refused(notRegular);
    if (info.size() > kMaxDataFileBytes) return refused(tooLarge);

    QFile file(path);
#ifdef Q_OS_WIN
    if (!file.open(QIODevice::ReadOnly)) return refused(file.errorString());
#else
    // The path may name something else by now: opened without waiting, and looked at again.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return refused(qt_error_string(errno));
    struct stat status = {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return refused(notRegular);
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refused(file.errorString());
    }
#endif
    // At most one byte past the limit, however the file grows meanwhile.
    QByteArray bytes;
    for (;;) {
        const qint64 had = bytes.size();
        const qint64 want = std::min<qint64>(1024 * 1024, kMaxDataFileBytes + 1 - had);
        if (want <= 0) break;
        bytes.resize(had + want);
        const qint64 got = file.read(bytes.data() + had, want);
        if (got < 0) return refused(file.errorString());
        bytes.resize(had + got);
        if (got == 0) break;
    }
    if (bytes.size() > kMaxDataFileBytes) return refused(tooLarge);
    DataFileReadResult result = ReadDataFile(bytes, path);
    if (result.run) result.run->title = QFileInfo(path).fileName();
    if (read) *read = std::move(bytes);
    return result;
}

}  // namespace yb
