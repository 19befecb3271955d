#pragma once
// Reading a data file back: the run it holds, as the file shows it.
//
// Accepts what this program writes (Shift-JIS, CR LF, commas or tabs) and what another tool
// makes of it when it re-saves the file: LF line ends, UTF-8 (with or without byte-order mark),
// blanks around fields, trailing delimiters, a missing line end on the last line, blank lines
// between sections. Anything else is refused with "FILE:LINE: message".

#include <QByteArray>
#include <QChar>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "datafile/FileResult.h"
#include "datafile/RunData.h"

namespace yb {

struct DataFileError {
    int line = 0;     // 1-based; 0 when the file could not be read at all
    QString message;  // what was wrong, without the file name
};

// The run read, or the reason it was not: "FILE:LINE: message", or "FILE: message" when nothing
// could be read.
struct DataFileReadResult : FileResult {
    std::optional<RunData> run;          // exactly when ok
    std::optional<DataFileError> error;  // exactly when not: where and what, apart

    QString errorText() const { return reason; }
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
// as well. `bytes`, when given, receives the bytes read (a refused file's too, when it was read).
DataFileReadResult ReadDataFileAt(const QString& path, QByteArray* bytes = nullptr);

}  // namespace yb
