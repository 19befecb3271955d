#pragma once
// The data file's format: every fixed text of it, its columns and the rules that choose between
// them, in one place for the writer, the reader and whoever shows a column's values. The file is
// the same bytes whatever the interface's language: these texts are the format, not messages.
//
// Layout, in this order, every line ended by CR LF (the last one too):
//   kFileTitle, the local date and time (kWrittenAtFormat), the path of the file,
//   kIntervalLabel D interval text, kCountLabel D main count, kMainHeads, one row per main record;
//   if there are temperatures: an empty line, kTemperatureLabel D temperature interval text,
//   kCountLabel D count, kTemperatureHeads, one row each;
//   if there are laps: an empty line, kLapCountLabel D count, kLapHeads, one row each.
// D is the delimiter: a comma (CSV) or a tab (TSV). Nothing is quoted; no field but the path can
// hold the delimiter. A row is its number (1, 2, ...; a lap's with one leading blank) and one
// field per column; a lap row ends with the delimiter.

#include <QString>
#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <array>
#include <optional>

#include "download/RecordStore.h"

namespace yb {

inline const QString kFileTitle = QStringLiteral("YB Download Data");
inline const QString kWrittenAtFormat = QStringLiteral("yyyy/MM/dd H:mm:ss");
inline const QString kIntervalLabel = QStringLiteral("データ記録=");
inline const QString kCountLabel = QStringLiteral("データ数=");
inline const QString kTemperatureLabel = QStringLiteral("温度データ記録=");
inline const QString kLapCountLabel = QStringLiteral("周回回数=");
inline const QString kNewLine = QStringLiteral("\r\n");
inline constexpr char16_t kCsvDelimiter = u',';
inline constexpr char16_t kTsvDelimiter = u'\t';

// ---- Columns ----------------------------------------------------------------------------------

// A column: its head, how its values are written and shown, and the stable English name that
// the viewer's settings and the exports (src/export) call it by.
struct Column {
    QStringView head;  // in the section's head line
    int decimals;      // the decimals written (FormatFixed) and shown; 0 for whole numbers
    QStringView unit;  // the unit the viewer and the exports show the values in
    QStringView name;  // "solar_a": lower case, its unit last
};

// A main column also says where its values come from: a field of the store's main record, or a
// power: the field times the main voltage, a single-precision product as its factors are.
struct MainColumn : Column {
    float MainRecord::*field;
    float MainRecord::*times = nullptr;  // a power's voltage; null for a field written as stored
};

// The seven value columns of a main row, in file order; MainChannel names them.
enum class MainChannel { SolarA, BatteryA, MainV, SolarW, BatteryW, SubV, SpeedKmh };
inline constexpr int kMainChannels = 7;

inline constexpr QStringView kNumberHead = u"No";  // every row's first column
inline constexpr std::array<MainColumn, kMainChannels> kMainColumns{{
    {{u"Solar[A]", 2, u"A", u"solar_a"}, &MainRecord::solarAmps},
    {{u"Battery[A]", 2, u"A", u"battery_a"}, &MainRecord::batteryAmps},
    {{u"Main_Volt[V]", 1, u"V", u"main_v"}, &MainRecord::mainVolts},
    {{u"Solar_Watt[W]", 1, u"W", u"solar_w"}, &MainRecord::solarAmps, &MainRecord::mainVolts},
    {{u"Battery_Watt[W]", 1, u"W", u"battery_w"}, &MainRecord::batteryAmps, &MainRecord::mainVolts},
    {{u"Sub_Volt[V]", 1, u"V", u"sub_v"}, &MainRecord::subVolts},
    {{u"Speed[kmh]", 0, u"km/h", u"speed_kmh"}, &MainRecord::speedKmh},
}};
static_assert(std::all_of(kMainColumns.begin(), kMainColumns.end(),
                          [](const MainColumn& column) { return column.field != nullptr; }),
              "every main column has a source");
inline constexpr const MainColumn& ColumnOf(MainChannel channel) {
    return kMainColumns[static_cast<std::size_t>(channel)];
}
inline constexpr Column kTemperatureColumn{u"Temp[℃]", 0, u"℃", u"temp_c"};
inline constexpr Column kLapTimeColumn{u"LapTime_sec[秒]", 0, u"s", u"time_s"};
inline constexpr Column kLapEnergyColumn{u"Lap_Motort_Wh[Wh]", 1, u"Wh", u"motor_wh"};

inline const QStringList kMainHeads = [] {
    QStringList heads{kNumberHead.toString()};
    for (const MainColumn& column : kMainColumns) heads << column.head.toString();
    return heads;
}();
inline const QStringList kTemperatureHeads{kNumberHead.toString(),
                                           kTemperatureColumn.head.toString()};
inline const QStringList kLapHeads{kNumberHead.toString(), kLapTimeColumn.head.toString(),
                                   kLapEnergyColumn.head.toString()};

// ---- Empty markers ----------------------------------------------------------------------------
// A store's slot that holds no value keeps its marker (RecordStore): an empty field in the file.

// The value a main column shows for a record before it is written, or nullopt for an empty field:
// the field holds the empty marker, or a power's voltage does.
constexpr std::optional<float> ColumnValue(const MainColumn& column, const MainRecord& record) {
    const float value = record.*column.field;
    if (value == RecordStore::kMainEmpty) return std::nullopt;
    if (!column.times) return value;
    const float volts = record.*column.times;
    if (volts == RecordStore::kMainEmpty) return std::nullopt;
    return value * volts;
}

// A temperature as the file shows it: nullopt (an empty field) for the marker.
constexpr std::optional<int> TemperatureValue(std::int16_t stored) {
    if (stored == RecordStore::kTempEmpty) return std::nullopt;
    return stored;
}

// The lap markers are values a lap can have, written as numbers ("-1", "-1.0"): a row holding
// both is a lap the download did not fetch.
constexpr bool IsLapNotFetched(int timeS, double motorWh) {
    return timeS == RecordStore::kLapTimeEmpty && motorWh == RecordStore::kLapWhEmpty;
}

// ---- Number patterns --------------------------------------------------------------------------

// A single-precision value with exactly `decimals` decimals (a column's), a full stop as decimal
// separator, no thousands separator.
//
// The value is first reduced to its 7-significant-digit decimal form, the precision a float
// actually carries, and that decimal is then rounded to the decimals, halves away from zero. So
// 0.35f (stored as 0.3499999940...) gives "0.4", as whoever typed 0.35 expects, and 2.25 gives
// "2.3", -2.25 gives "-2.3". A negative value that rounds to zero is written without its minus
// sign: -0.03 gives "0.0", never "-0.0".
QString FormatFixed(float value, int decimals);
// FormatFixed's text appended to `text`, as the writer builds the file.
void AppendFixed(QString& text, float value, int decimals);

// ---- Intervals --------------------------------------------------------------------------------

// The recording interval's text: "5秒間隔" for 1, 2, 5 or 10 s, "?秒間隔:不明" for anything else
// (never read, or not a valid interval).
QString IntervalText(int seconds);
// The interval a text names; nullopt for "?秒間隔:不明". False when the text is neither.
bool ReadIntervalText(QStringView text, std::optional<int>& seconds);

// "1分間隔" or "2分間隔".
QString TemperatureIntervalText(int recordingSeconds);
// The seconds a temperature interval text names; nullopt for any other text.
std::optional<int> ReadTemperatureIntervalText(QStringView text);

// ---- Sections ---------------------------------------------------------------------------------

// A section of the file, named for the stage of the download that fills it, in the interface's
// language: as a message names it ("the main data") and as a title ("データ１").
QString SectionName(Stage stage);
QString SectionTitle(Stage stage);

}  // namespace yb
