#pragma once
// The run library's index: for every run its file (path, SHA-256, size, time stamp), when it was
// added, when it was downloaded (the data file's second line), every figure of its summary, one
// row per lap and its notes (library/RunNotes.h), so that every list, filter and trend is a
// query. An SQLite database through Qt SQL (QSQLITE), with no server.
//
// The data files and their notes files are the truth; the index is a cache. It remembers the
// folders its runs are in (a text file beside it, `<index>.folders`), so that deleted or damaged
// it is rebuilt from the notes files there with nothing lost. Its schema is versioned
// (PRAGMA user_version) and brought up to date step by step when opened; a database that cannot
// be read, or one of a later version, is moved aside under a dated name and rebuilt, with a note
// that says so. Every change is one transaction that takes the write lock at once; the journal
// is a write-ahead log, and a writer waits up to kBusyWaitMs for another (another process
// adding at the same moment), so two writers lose nothing. Values reach SQL as bound parameters
// only.
//
// An index belongs to the thread that opened it.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>
#include <optional>
#include <vector>

#include "datafile/FileResult.h"
#include "datafile/RunSummary.h"
#include "library/RunNotes.h"

namespace yb {

inline constexpr int kIndexVersion = 2;
inline constexpr int kBusyWaitMs = 20000;

// A data file read for the library: what the index learns from it. Made without the index (on
// any thread).
struct RunFile {
    QString path;  // absolute, native separators
    QString sha256;
    qint64 size = 0;
    QDateTime modified;
    QDateTime downloaded;  // the file's second line; invalid when it does not read as a time
    RunSummary summary;    // the lap table included
};

// A data file read, or why not ("FILE:LINE: message"), with its notes.
struct RunFileRead : FileResult {
    RunFile file;
    NotesRead notes;
};
RunFileRead ReadRunFile(const QString& path);

// A run as the index holds it.
struct IndexedRun {
    qint64 id = 0;  // the run's number
    QString path;
    QString sha256;
    qint64 size = 0;
    QDateTime modified;
    QDateTime added;
    // When the file was written, as its second line says: local wall-clock time as
    // "yyyy-MM-ddTHH:mm:ss", empty when the line does not read as one (kept as text: a list of
    // thousands of runs reads it without working out a time zone for each).
    QString downloaded;
    RunSummary summary;  // without its lap table (IndexedLap); empty when the file was never read
    std::optional<double> whPerKm;  // motor Wh per km
    RunNotes notes;                 // the markers only from run()
    bool flaggedChanged = false;    // check or rebuild found other content than was added

    // Partial: the file has empty rows, or its download did not complete (a file that stopped
    // between sections looks complete).
    bool partial() const;

    // Where the file stands now: looked at on the disk (size and time stamp), no content read.
    enum class State { Present, Missing, Changed };
    State state() const;
};

// A lap of a run, for the laps across runs.
struct IndexedLap {
    qint64 runId = 0;
    LapFigures lap;
};

// What a list shows: text over every text field, the file's path and the markers' texts; a
// track, a driver and a tag as they are; the download time from `since` to `until` (either
// open); complete or partial runs only.
struct RunFilter {
    QString text{};
    QString track{};
    QString driver{};
    QString tag{};
    QDateTime since{};
    QDateTime until{};
    enum class Completeness { Any, Complete, Partial } completeness = Completeness::Any;
};

// What an add did.
struct RunAdded : FileResult {
    enum class Kind {
        Added,     // a new run
        Known,     // the same content is a run already (at this path, or at another that is still
                   // there); nothing changed
        Moved,     // the same content as a run whose file has gone: the run has its new path
        Changed,   // the path is a run's whose file has other content now: flagged, not re-read
        Replaced,  // ... and asked to, read again (a file this program wrote over)
    } kind = Kind::Added;
    qint64 id = 0;
    QString warning;  // the run is in the index, but its notes file could not be written
};

struct AddOptions {
    // Noted for a run this program downloaded: the logger's battery capacity, how it ended.
    std::optional<double> batteryAh;
    DownloadEnd download;
    bool replaceChanged = false;  // see RunAdded::Kind::Replaced
};

class RunIndex {
public:
    // Opens (creates, brings up to date, or moves aside and rebuilds) the index at `path`.
    struct Opened : FileResult {
        std::unique_ptr<RunIndex> index;
        bool fresh = false;  // made now: there was none, or a damaged one was moved aside
        QString note;        // what was done to a damaged index
    };
    static Opened open(const QString& path);
    ~RunIndex();

    const QString& path() const { return path_; }

    RunAdded add(const RunFileRead& read, const AddOptions& options = {});

    std::vector<IndexedRun> list(const RunFilter& filter = {}) const;
    std::vector<IndexedLap> laps(const RunFilter& filter = {}) const;
    std::vector<LapFigures> lapsOf(qint64 id) const;
    // A run by its number, with its markers.
    std::optional<IndexedRun> run(qint64 id) const;
    std::optional<qint64> idOfPath(const QString& path) const;
    // The tracks, drivers and tags of every run, sorted.
    QStringList tracks() const;
    QStringList drivers() const;
    QStringList tags() const;

    // Writes the run's notes file, then the index.
    FileResult setNotes(qint64 id, const RunNotes& notes);
    // The run's file is at `path` now: refused when that file holds other content.
    FileResult relocate(qint64 id, const QString& path);

    // Every run's file looked at: a file whose size or time stamp differ is read and hashed, and
    // flagged when its content differs. The runs whose files are missing or changed.
    struct Checked {
        std::vector<IndexedRun> missing;
        std::vector<IndexedRun> changed;
        QString failure;  // the index could not be written
    };
    Checked check();

    // Forgets every run and holds the runs of `reads` instead, in one transaction: each with its
    // notes and the added time they note, flagged when the file's content is not the content
    // noted, kept as missing (with the noted content) when the file could not be read.
    // (RebuildIndex in library/Library.h finds and reads them.)
    FileResult replaceAll(const std::vector<RunFileRead>& reads);

    // The folders the runs are in (the rebuild's).
    QStringList folders() const;

private:
    explicit RunIndex(QString path);
    class Db;
    FileResult migrate();
    FileResult noteFolder(const QString& folder);
    // The notes of run `id`, whose file moved from `from` to `to`, go with it: its notes file
    // moved beside it (the keys this program does not know with it), or written there from the
    // index when there is none to move.
    FileResult moveNotes(qint64 id, const QString& from, const QString& to);
    // Inserts or replaces the run's row, laps and markers (inside a transaction).
    FileResult writeRun(qint64 id, const RunFile& file, const RunNotes& notes,
                        const QDateTime& added, bool flaggedChanged);
    FileResult writeNotesColumns(qint64 id, const RunNotes& notes);
    std::vector<IndexedLap> lapRows(const QString& where, const QVariantList& values) const;

    QString path_;
    std::unique_ptr<Db> db_;
};

// A time kept as "yyyy-MM-ddTHH:mm:ss" as people read it: "2026-07-12 14:15:02".
QString TimeText(const QString& isoTime);

}  // namespace yb
