#include "datafile/DataFile.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdint>
#include <limits>

#include "datafile/DiskSync.h"
#include "datafile/Format.h"
#include "datafile/ShiftJis.h"

namespace yb {

namespace {

void AppendMainRows(QString& text, const RecordStore& store, QChar d) {
    for (int i = 0; i < store.mainCount(); ++i) {
        text += QString::number(i + 1);
        const MainRecord r = store.main(i);
        for (const MainColumn& column : kMainColumns) {
            text += d;
            if (const std::optional<float> value = ColumnValue(column, r))
                AppendFixed(text, *value, column.decimals);
        }
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
        if (const std::optional<int> degrees = TemperatureValue(store.temperature(i)))
            text += QString::number(*degrees);
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
        AppendFixed(text, lap.motorWh, kLapEnergyColumn.decimals);
        text += d;
        text += kNewLine;
    }
}

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

bool HoldsMainData(const RecordStore& store) {
    return store.mainCount() != 0;
}

QString NoMainDataText() {
    return QCoreApplication::translate("DataFile", "データ１がありません");
}

QString SaveFailedText() {
    return QCoreApplication::translate("DataFile", "データファイルを保存出来ませんでした");
}

WriteOutcome WriteDataFile(const RecordStore& store, bool csv, const QString& path,
                           const Clock& clock) {
    // Everything is rendered and encoded before the disk is touched, so a store that cannot be
    // written leaves no trace.
    const QDateTime now = clock ? clock() : QDateTime::currentDateTime();
    const std::optional<Rendered> r =
        Render(store, QChar(csv ? kCsvDelimiter : kTsvDelimiter), path, now);
    if (!r)
        return FileResult::Failed(QCoreApplication::translate(
            "DataFile", "the store holds more records than it has room for"));
    // Only the path can hold characters that Shift-JIS lacks, and those are encoded one by one:
    // it is encoded on its own, the rest of the file in one pass each side of it.
    const QStringView text(r->text);
    const std::optional<QByteArray> head = EncodeShiftJis(text.first(r->pathAt));
    const std::optional<QByteArray> line = EncodeShiftJis(text.sliced(r->pathAt, path.size()));
    const std::optional<QByteArray> rest = EncodeShiftJis(text.sliced(r->pathAt + path.size()));
    if (!head || !line || !rest)
        return FileResult::Failed(
            QCoreApplication::translate("DataFile", "no Shift-JIS converter"));
    return WriteFilesAtomically({{path, *head + *line + *rest}});
}

}  // namespace yb
