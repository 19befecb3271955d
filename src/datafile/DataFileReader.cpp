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
#include <limits>
#include <type_traits>

#include "datafile/DataFile.h"
#include "datafile/Format.h"
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

// UTF-8 when the bytes are valid UTF-8 (a file another tool re-saved; plain ASCII reads the same
// either way), Shift-JIS otherwise. A line that is neither is refused.
QString DecodeText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringConverter::Utf8);  // drops a leading byte-order mark
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;

    if (!HaveShiftJis())
        Refuse(1, QCoreApplication::translate("DataFileReader",
                                              "no Shift-JIS decoder on this system"));
    if (std::optional<QString> sjis = DecodeShiftJis(bytes)) return *sjis;
    // Line feeds never occur inside a Shift-JIS character, so each line decodes on its own.
    int line = 1;
    for (qsizetype start = 0; start <= bytes.size(); ++line) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0) end = bytes.size();
        if (!DecodeShiftJis(QByteArrayView(bytes).sliced(start, end - start))) break;
        start = end + 1;
    }
    Refuse(line, QCoreApplication::translate("DataFileReader", "neither Shift-JIS nor UTF-8 text"));
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

QString Quoted(QStringView text) {
    constexpr qsizetype kShown = 24;
    const QString shown = text.size() > kShown ? text.first(kShown).toString() + QStringLiteral("…")
                                               : text.toString();
    return u'"' + shown + u'"';
}

// ---- Lines and fields -------------------------------------------------------------------------

class Parser {
public:
    explicit Parser(const QString& text) {
        const qsizetype length = text.size();
        lines_.reserve(length / 48 + 8);
        for (qsizetype start = 0; start < length;) {
            qsizetype end = text.indexOf(u'\n', start);
            const qsizetype next = end < 0 ? length : end + 1;
            if (end < 0) end = length;
            if (end > start && text[end - 1] == u'\r') --end;
            lines_.push_back(QStringView(text).sliced(start, end - start));
            start = next;
        }
        // A final line end opens one more, empty line, as an editor shows it.
        lastLine_ = static_cast<int>(lines_.size()) + (text.endsWith(u'\n') ? 1 : 0);
    }

    RunData Parse() {
        RunData run;
        if (lines_.empty()) Refuse(1, QCoreApplication::translate("DataFileReader", "empty file"));
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
    // The next line; refused when the file ends here.
    QStringView Take() {
        if (next_ >= lines_.size()) {
            Refuse(LineAt(next_),
                   QCoreApplication::translate("DataFileReader", "the file ends after line %1")
                       .arg(next_));
        }
        number_ = static_cast<int>(next_) + 1;
        return lines_[static_cast<std::size_t>(next_++)];
    }
    bool AtEnd() const { return next_ >= lines_.size(); }
    // The 1-based number of the line at `index`, or of the file's last line past the end.
    int LineAt(std::size_t index) const {
        return std::max(1, std::min(static_cast<int>(index) + 1, lastLine_));
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
        while (!AtEnd() && IsBlank(lines_[next_])) Take();
        return !AtEnd();
    }

    // The line's fields, each trimmed, with trailing empty fields beyond `expected` dropped;
    // refused unless exactly `expected` remain.
    const std::vector<QStringView>& Fields(QStringView line, qsizetype expected,
                                           const QString& what) {
        fields_.clear();
        for (qsizetype start = 0;;) {
            const qsizetype end = line.indexOf(delimiter_, start);
            fields_.push_back(line.sliced(start, (end < 0 ? line.size() : end) - start).trimmed());
            if (end < 0) break;
            start = end + 1;
        }
        while (static_cast<qsizetype>(fields_.size()) > expected && fields_.back().isEmpty()) {
            fields_.pop_back();
        }
        if (static_cast<qsizetype>(fields_.size()) != expected) {
            Refuse(number_,
                   QCoreApplication::translate("DataFileReader", "%1 fields where %2 has %3")
                       .arg(fields_.size())
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

    // Reads the rows of a section: `readRow` gets the fields of row n (1-based). Rows run until a
    // blank line or the end of the file and must be numbered 1, 2, ... up to the count.
    template <typename ReadRow>
    void ReadRows(int count, qsizetype fieldCount, const QString& what, ReadRow readRow) {
        int n = 0;
        while (!AtEnd() && !IsBlank(lines_[next_])) {
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
    std::optional<double> OptionalDecimal(QStringView field, const QString& head) {
        if (field.isEmpty()) return std::nullopt;
        const std::optional<double> value = ParseDecimal(field);
        if (!value) NotANumber(field, head);
        return value;
    }
    int RequiredInteger(QStringView field, const QString& head) {
        const std::optional<int> value = ParseInteger(field);
        if (!value) NotANumber(field, head);
        return *value;
    }
    [[noreturn]] void NotANumber(QStringView field, const QString& head) {
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
        const QString what = QCoreApplication::translate("DataFileReader", "the main data");
        ExpectHeads(kMainHeads, what);
        for (auto& column : run.main) column.reserve(static_cast<std::size_t>(count));
        ReadRows(count, kMainHeads.size(), what, [&](const auto& fields, int) {
            for (int c = 0; c < kMainChannels; ++c) {
                run.main[static_cast<std::size_t>(c)].push_back(
                    OptionalDecimal(fields[static_cast<std::size_t>(c) + 1], kMainHeads[c + 1]));
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
        const QString what = QCoreApplication::translate("DataFileReader", "the temperature data");
        ExpectHeads(kTemperatureHeads, what);
        ReadRows(count, kTemperatureHeads.size(), what, [&](const auto& fields, int) {
            run.temperatures.push_back(fields[1].isEmpty() ? std::nullopt
                                                           : std::optional(RequiredInteger(
                                                                 fields[1], kTemperatureHeads[1])));
        });
    }

    void ReadLapSection(RunData& run, QStringView line) {
        const int count = Count(LabelledValue(line, kLapCountLabel), kLapCountLabel);
        const QString what = QCoreApplication::translate("DataFileReader", "the lap data");
        ExpectHeads(kLapHeads, what);
        ReadRows(count, kLapHeads.size(), what, [&](const auto& fields, int n) {
            const int timeS = RequiredInteger(fields[1], kLapHeads[1]);
            const std::optional<double> wh = OptionalDecimal(fields[2], kLapHeads[2]);
            if (!wh) NotANumber(fields[2], kLapHeads[2]);
            run.laps.push_back({n, timeS, *wh});
        });
    }

    std::vector<QStringView> lines_;
    std::vector<QStringView> fields_;
    std::size_t next_ = 0;  // index of the next line to take
    int number_ = 0;        // 1-based number of the line taken last
    int lastLine_ = 0;      // 1-based number of the file's last line
    QChar delimiter_;
};

}  // namespace

QString DataFileReadResult::errorText() const {
    if (!error) return {};
    if (error->line <= 0) return QStringLiteral("%1: %2").arg(name, error->message);
    return QStringLiteral("%1:%2: %3").arg(name).arg(error->line).arg(error->message);
}

DataFileReadResult ReadDataFile(const QByteArray& bytes, const QString& name) {
    DataFileReadResult result;
    result.name = name;
    try {
        if (bytes.isEmpty()) Refuse(1, QCoreApplication::translate("DataFileReader", "empty file"));
        const QString text = DecodeText(bytes);
        Parser parser(text);
        result.run = parser.Parse();
        result.run->title = name;
    } catch (const Refusal& refusal) {
        result.error = DataFileError{refusal.line, refusal.message};
    }
    return result;
}

DataFileReadResult ReadDataFileAt(const QString& path) {
    const auto refused = [&path](const QString& message) {
        DataFileReadResult result;
        result.name = path;
        result.error = DataFileError{0, message};
        return result;
    };
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
    return result;
}

}  // namespace yb
