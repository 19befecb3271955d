#pragma once
// What the team writes about a run, kept beside its data file: the event, the run's name, the
// track, the drivers, the conditions, tags and notes, the battery capacity its energy figures use,
// the wall-clock start of its first record, how its download ended, and its markers.
//
// The data file is never changed. These notes live in a small UTF-8 JSON file beside it, named
// as the data file with kNotesSuffix after the name ("YB_Data_20260712_141502.csv.ybrun.json"),
// written whole or not at all. Keys this program does not know are kept when it writes the file
// again; a file that cannot be read as notes is refused as "FILE:LINE: message" and never
// written over. The notes also record which content of the data file they were written for
// (its SHA-256, size and when it came into the library), so that a library rebuilt from the
// notes alone knows whether a file changed since.

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "datafile/FileResult.h"

namespace yb {

inline constexpr char kNotesSuffix[] = ".ybrun.json";

// A note at an instant of a run: `kind` is one of the keys of MarkerKinds() (another one read
// from a file is kept as it is).
struct RunMarker {
    double timeS = 0.0;  // from the first record
    QString kind;
    QString text;
    bool operator==(const RunMarker&) const = default;
};

// The kinds of marker: their keys as the notes store them and their names as the user reads them.
struct MarkerKind {
    const char* key;
    const char* name;  // translated in the context "RunNotes"
};
const std::vector<MarkerKind>& MarkerKinds();
// The name of a kind in the interface's language; an unknown key as it is.
QString MarkerKindName(const QString& key);

// How a download this program made ended, for the file it saved.
struct DownloadEnd {
    QString ending;  // "complete", "failed" or "cancelled"; empty: not downloaded here
    QString detail;  // a failure's request and what became of it, as the download said it
    bool operator==(const DownloadEnd&) const = default;
};

struct RunNotes {
    QString event;
    QString name;  // of the run: practice, stint 2, ...
    QString track;
    QStringList drivers;
    QString conditions;  // weather, irradiance, wind: free text
    QStringList tags;
    QString notes;
    std::optional<double> batteryAh;  // the capacity the energy figures use
    QDateTime start;                  // the first record's wall-clock time; invalid: not known
    DownloadEnd download;
    std::vector<RunMarker> markers;
    bool operator==(const RunNotes&) const = default;
};

// The content of the data file the notes were written for.
struct NotedFile {
    QString sha256;  // lower-case hexadecimal
    qint64 size = 0;
    QDateTime added;  // when the run came into the library, UTC
    bool operator==(const NotedFile&) const = default;
};

// The notes file of the data file at `dataPath`.
QString NotesPath(const QString& dataPath);

struct NotesRead : FileResult {
    bool exists = false;  // there is a notes file (ok and !exists: none yet, empty notes)
    RunNotes notes;
    NotedFile file;
    QJsonObject all;  // every key of the file, the unknown ones included
};

// Reads the notes of the data file at `dataPath`. Refused as "FILE:LINE: message": a file that is
// not JSON, not an object, or holds a known key with a value of the wrong kind.
NotesRead ReadNotes(const QString& dataPath);

// Writes the notes of the data file at `dataPath` whole, keeping the keys of the notes file there
// that this program does not know. A notes file that cannot be read is refused (with its reason)
// and left as it is.
FileResult WriteNotes(const QString& dataPath, const RunNotes& notes, const NotedFile& file);

// A comma-separated list as typed ("A, B、C") and back.
QStringList SplitList(const QString& typed);
QString JoinList(const QStringList& items);

}  // namespace yb
