#pragma once
// The data file's format: every fixed text of it and the rules that choose between them, in one
// place for the writer and the reader. The file is the same bytes whatever the interface's
// language: these texts are the format, not messages.
//
// Layout, in this order, every line ended by CR LF (the last one too):
//   kFileTitle, the local date and time (kWrittenAtFormat), the path of the file,
//   kIntervalLabel D interval text, kCountLabel D main count, kMainHeads, one row per main record;
//   if there are temperatures: an empty line, kTemperatureLabel D temperature interval text,
//   kCountLabel D count, kTemperatureHeads, one row each;
//   if there are laps: an empty line, kLapCountLabel D count, kLapHeads, one row each.
// D is the delimiter: a comma (CSV) or a tab (TSV). Nothing is quoted; no field but the path can
// hold the delimiter.

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

#include "settings/Settings.h"  // the intervals, and TemperatureIntervalSeconds

namespace yb {

inline const QString kFileTitle = QStringLiteral("YB Download Data");
inline const QString kWrittenAtFormat = QStringLiteral("yyyy/MM/dd H:mm:ss");
inline const QString kIntervalLabel = QStringLiteral("データ記録=");
inline const QString kCountLabel = QStringLiteral("データ数=");
inline const QString kTemperatureLabel = QStringLiteral("温度データ記録=");
inline const QString kLapCountLabel = QStringLiteral("周回回数=");
inline const QStringList kMainHeads{
    QStringLiteral("No"),           QStringLiteral("Solar[A]"),        QStringLiteral("Battery[A]"),
    QStringLiteral("Main_Volt[V]"), QStringLiteral("Solar_Watt[W]"),   QStringLiteral("Battery_Watt[W]"),
    QStringLiteral("Sub_Volt[V]"),  QStringLiteral("Speed[kmh]")};
inline const QStringList kTemperatureHeads{QStringLiteral("No"), QStringLiteral("Temp[℃]")};
inline const QStringList kLapHeads{QStringLiteral("No"), QStringLiteral("LapTime_sec[秒]"),
                                   QStringLiteral("Lap_Motort_Wh[Wh]")};
inline const QString kNewLine = QStringLiteral("\r\n");
inline constexpr char16_t kCsvDelimiter = u',';
inline constexpr char16_t kTsvDelimiter = u'\t';

// The recording interval's text: "5秒間隔" for 1, 2, 5 or 10 s, "?秒間隔:不明" for anything else
// (never read, or not a valid interval).
QString IntervalText(int seconds);
// The interval a text names; nullopt for "?秒間隔:不明". False when the text is neither.
bool ReadIntervalText(QStringView text, std::optional<int>& seconds);

// "1分間隔" or "2分間隔".
QString TemperatureIntervalText(int recordingSeconds);
// The seconds a temperature interval text names; nullopt for any other text.
std::optional<int> ReadTemperatureIntervalText(QStringView text);

}  // namespace yb
