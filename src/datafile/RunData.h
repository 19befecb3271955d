#pragma once
// A run as its data file shows it: what the viewer, the report and the summary work on.
//
// Read from a file (datafile/DataFileReader.h), or built from a store (RunDataFromStore) rounded
// exactly as the file's number patterns round, so a viewer or a summary sees the same figures
// whether it was handed a download or the file that was saved from it.

#include <QChar>
#include <QString>

#include <array>
#include <limits>
#include <optional>
#include <vector>

#include "datafile/Format.h"  // MainChannel: the main columns
#include "download/RecordStore.h"

namespace yb {

// A main row's value, or none (an empty field), used as a std::optional<double> is, in half its
// room: none is a NaN, which no field reads as. The largest file read holds millions of them.
class MainValue {
public:
    constexpr MainValue() = default;
    constexpr MainValue(std::nullopt_t) {}
    constexpr MainValue(double value) : value_(value) {}
    constexpr MainValue(const std::optional<double>& value) : value_(value.value_or(kNone)) {}

    constexpr bool has_value() const { return value_ == value_; }
    constexpr explicit operator bool() const { return has_value(); }
    constexpr const double& operator*() const { return value_; }
    constexpr double value_or(double other) const { return has_value() ? value_ : other; }
    constexpr operator std::optional<double>() const {
        return has_value() ? std::optional<double>(value_) : std::nullopt;
    }

    friend constexpr bool operator==(MainValue a, MainValue b) {
        return a.has_value() == b.has_value() && (!a.has_value() || a.value_ == b.value_);
    }
    friend constexpr bool operator==(MainValue a, std::nullopt_t) { return !a.has_value(); }
    // Not std::optional's own comparison, which would find an empty one unequal to none.
    friend constexpr bool operator==(MainValue a, const std::optional<double>& b) {
        return a == MainValue(b);
    }

private:
    static constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
    double value_ = kNone;
};
static_assert(sizeof(MainValue) == sizeof(double));

struct LapRow {
    int number = 0;
    int timeS = 0;         // -1 when the logger had no time for the lap
    double motorWh = 0.0;  // -1.0 when the logger had no energy for the lap
};

struct RunData {
    QString title;      // what a window or a report calls the run: a file name
    QString writtenAt;  // line 2 of the file: when it was written (empty for a store)
    QString savedPath;  // line 3 of the file: where it was written (empty for a store)
    QChar delimiter = u',';
    std::optional<int> intervalS;  // 1, 2, 5 or 10; nullopt for "?秒間隔:不明"
    // main[channel][row]; none for an empty field. All seven columns have the same length.
    std::array<std::vector<MainValue>, kMainChannels> main;
    // Degrees Celsius, one row per temperature record; nullopt for an empty field.
    std::vector<std::optional<int>> temperatures;
    int temperatureIntervalS = 60;  // 120 in a file recorded every 10 s
    std::vector<LapRow> laps;

    int mainRows() const { return static_cast<int>(main[0].size()); }
    const std::vector<MainValue>& channel(MainChannel c) const {
        return main[static_cast<std::size_t>(c)];
    }
};

// The run of a store as its data file would show it: each value rounded to its column's pattern,
// each empty marker an empty field, the watt columns formed in single precision. Counts above a
// section's capacity are cut to it; negative counts hold no rows.
RunData RunDataFromStore(const RecordStore& store, const QString& title);

}  // namespace yb
