#pragma once
// The run library as the window, the viewer and the command line use it: where its index is,
// whether runs come in by themselves, importing folders of data files (on both cores, with
// progress, time left and cancel), rebuilding the index from the notes files, and the one call
// that files a data file the program has just written or opened.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "datafile/FileResult.h"
#include "download/Download.h"
#include "library/RunIndex.h"

namespace yb {

// Where the index is: `option` (--library) when given, else YB_LIBRARY when set, else
// library.sqlite in the platform's application data folder.
QString LibraryPath(const QString& option = {});

// Whether every save, download and file opened is added to the library (on unless turned off;
// remembered).
bool AddingToLibrary();
void SetAddingToLibrary(bool on);

// How far an import or a rebuild is: files read of all, the time left once it can be told.
struct ImportProgress {
    int done = 0;
    int total = 0;
    std::optional<double> secondsLeft;
};
// Shown after each file; false cancels what is left.
using ImportObserver = std::function<bool(const ImportProgress&)>;

struct ImportReport {
    int added = 0;
    int known = 0;         // already there (the same content)
    int moved = 0;         // known content at a new path
    int changed = 0;       // a run's path with other content now: flagged
    QStringList refused;   // "FILE:LINE: reason" of each file that is not a data file
    QStringList warnings;  // notes files that could not be written
    bool cancelled = false;
    FileResult failure;  // the index could not be written: the import stopped there
};

// The data files named and every file named *.csv, *.txt or *.tsv under the folders named, at any
// depth, in order.
QStringList DataFilesUnder(const QStringList& paths);

// Reads the files on every core and adds each to the index as it comes, in order.
ImportReport ImportRuns(RunIndex& index, const QStringList& files,
                        const ImportObserver& observer = {});

// Makes the index again from the notes files in the folders it knows (RunIndex::replaceAll).
FileResult RebuildIndex(RunIndex& index, const ImportObserver& observer = {});

// Opens the index at `path`; one made anew where runs were known (it was deleted, or damaged and
// moved aside) is rebuilt at once, and `note` says so.
RunIndex::Opened OpenLibrary(const QString& path, const ImportObserver& observer = {});

// Files a data file this program has written or opened, in the library at
// LibraryPath(`libraryOption`), when adding is on. The data file is already there: whatever fails
// here fails only the library, and the text returned says what for the user (empty when all went
// well).
QString FileInLibrary(const QString& dataPath, const AddOptions& options = {},
                      const QString& libraryOption = {});

// How a download ended, as the notes of the file saved from it keep it.
DownloadEnd EndOf(const DownloadOutcome& outcome);

// The notes of a data file (empty when it has none or they cannot be read: then `error` says why).
RunNotes NotesOfFile(const QString& dataPath, QString* error = nullptr);
// Saves a data file's notes in its notes file and, when the run is in the library, in the index.
FileResult SaveNotesOfFile(const QString& dataPath, const RunNotes& notes);

}  // namespace yb
