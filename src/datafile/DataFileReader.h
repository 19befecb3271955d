#pragma once
// Reading a data file back: the run it holds, as the file shows it.
//
// Accepts what this program writes (Shift-JIS, CR LF, commas or tabs) and what another tool
// makes of it when it re-saves the file: LF line ends, UTF-8 (with or without byte-order mark),
// blanks around fields, trailing delimiters, a missing line end on the last line, blank lines
// between sections. Anything else is refused with "FILE:LINE: message".
//
// The same RunData is built from a store (RunDataFromStore), rounded exactly as the file's number
// patterns round, so a viewer or a summary sees the same figures whether it was handed a download
// or the file that was saved from it.

#include <QByteArray>
#include <QChar>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "download/LoggedData.h"

namespace yb {

// The seven value columns of a main row, in file order.
enum class MainChannel { SolarA, BatteryA, MainV, SolarW, BatteryW, SubV, SpeedKmh };
inline constexpr int kMainChannels = 7;

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
    // main[channel][row]; nullopt for an empty field. All seven columns have the same length.
    std::array<std::vector<std::optional<double>>, kMainChannels> main;
    // Degrees Celsius, one row per temperature record; nullopt for an empty field.
    std::vector<std::optional<int>> temperatures;
    int temperatureIntervalS = 60;  // 120 in a file recorded every 10 s
    std::vector<LapRow> laps;

    int mainRows() const { return static_cast<int>(main[0].size()); }
    const std::vector<std::optional<double>>& channel(MainChannel c) const {
        return main[static_cast<std::size_t>(c)];
    }
};

struct DataFileError {
    int line = 0;     // 1-based; 0 when the file could not be read at all
    QString message;  // what was wrong, without the file name
};

struct DataFileReadResult {
    std::optional<RunData> run;
    std::optional<DataFileError> error;  // set exactly when run is not
    QString name;                        // the name the error text carries

    // "FILE:LINE: message", or "FILE: message" when nothing could be read.
    QString errorText() const;
};

// Reads a data file from its bytes; `name` stands for the file in error texts and becomes the
// run's title. A pure function: any bytes give a run or an error, never a crash or a hang.
DataFileReadResult ReadDataFile(const QByteArray& bytes, const QString& name);

// The largest data file read: a full logger's file is about 1 MB.
inline constexpr qint64 kMaxDataFileBytes = 64 * 1024 * 1024;

// Reads the file at `path`. The path as given names the file in error texts; its file name
// becomes the title. Refused as "FILE: message" before anything is read: a folder, anything but
// a regular file (a pipe, a device: neither is opened) and a file larger than kMaxDataFileBytes;
// no more than kMaxDataFileBytes + 1 bytes are ever read, so a file growing meanwhile is refused
// as well.
DataFileReadResult ReadDataFileAt(const QString& path);

// The run of a store as its data file would show it: each value rounded to its column's pattern,
// each empty marker an empty field, the watt columns formed in single precision. Counts above a
// section's capacity are cut to it; negative counts hold no rows.
RunData RunDataFromStore(const LoggedData& data, const QString& title);

}  // namespace yb
