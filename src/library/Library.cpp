#include "library/Library.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QtConcurrent/QtConcurrentMap>
#include <set>

#include "datafile/Printable.h"

namespace yb {

namespace {

const QString kAddingKey = QStringLiteral("library/add");

// Reads the files on the thread pool and hands each result to `take` in order, with the
// progress; stops when the observer cancels or `take` returns false. Whether it was cancelled.
bool ReadInOrder(const QStringList& files, const ImportObserver& observer,
                 const std::function<bool(const RunFileRead&)>& take) {
    QFuture<RunFileRead> reads = QtConcurrent::mapped(files, ReadRunFile);
    QElapsedTimer clock;
    clock.start();
    ImportProgress progress{0, static_cast<int>(files.size()), std::nullopt};
    if (observer && !observer(progress)) {
        reads.cancel();
        reads.waitForFinished();
        return true;
    }
    for (int i = 0; i < progress.total; ++i) {
        const bool more = take(reads.resultAt(i));
        progress.done = i + 1;
        const double elapsed = static_cast<double>(clock.elapsed()) / 1000.0;
        if (progress.done >= 3 || elapsed >= 1.0) {
            progress.secondsLeft = elapsed / progress.done * (progress.total - progress.done);
        }
        if (!more || (observer && !observer(progress))) {
            reads.cancel();
            reads.waitForFinished();
            return more;
        }
    }
    return false;
}

}  // namespace

QString LibraryPath(const QString& option) {
    if (!option.isEmpty()) return QDir::toNativeSeparators(QFileInfo(option).absoluteFilePath());
    const QString variable = qEnvironmentVariable("YB_LIBRARY");
    if (!variable.isEmpty())
        return QDir::toNativeSeparators(QFileInfo(variable).absoluteFilePath());
    return QDir::toNativeSeparators(
        QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
            .filePath(QStringLiteral("library.sqlite")));
}

bool AddingToLibrary() {
    return QSettings().value(kAddingKey, true).toBool();
}

void SetAddingToLibrary(bool on) {
    QSettings().setValue(kAddingKey, on);
}

QStringList DataFilesUnder(const QStringList& paths) {
    const QStringList patterns = {QStringLiteral("*.csv"), QStringLiteral("*.txt"),
                                  QStringLiteral("*.tsv")};
    QStringList files;
    for (const QString& path : paths) {
        if (!QFileInfo(path).isDir()) {
            files << path;
            continue;
        }
        QStringList found;
        QDirIterator it(path, patterns, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) found << it.next();
        found.sort();
        files << found;
    }
    return files;
}

ImportReport ImportRuns(RunIndex& index, const QStringList& files, const ImportObserver& observer) {
    ImportReport report;
    report.cancelled = ReadInOrder(files, observer, [&](const RunFileRead& read) {
        if (!read.ok) {
            report.refused << read.reason;
            return true;
        }
        const RunAdded added = index.add(read);
        if (!added.ok) {
            report.failure = added;
            return false;
        }
        if (!added.warning.isEmpty()) report.warnings << added.warning;
        switch (added.kind) {
            case RunAdded::Kind::Added:
            case RunAdded::Kind::Replaced:
                ++report.added;
                break;
            case RunAdded::Kind::Known:
                ++report.known;
                break;
            case RunAdded::Kind::Moved:
                ++report.moved;
                break;
            case RunAdded::Kind::Changed:
                ++report.changed;
                break;
        }
        return true;
    });
    return report;
}

FileResult RebuildIndex(RunIndex& index, const ImportObserver& observer) {
    QStringList files;
    const QString suffix = QLatin1String(kNotesSuffix);
    for (const QString& folder : index.folders()) {
        QDirIterator it(folder, {u'*' + suffix}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString notes = it.next();
            files << QDir::toNativeSeparators(notes.chopped(suffix.size()));
        }
    }
    files.removeDuplicates();
    std::vector<RunFileRead> reads;
    const bool cancelled = ReadInOrder(files, observer, [&reads](const RunFileRead& read) {
        reads.push_back(read);
        if (!read.ok) reads.back().notes = ReadNotes(read.file.path);  // kept with its notes
        return true;
    });
    if (cancelled)
        return FileResult::Failed(
            QCoreApplication::translate("Library", "cancelled: the library was left as it was"));
    // A notes file left behind by a file that moved (its content is found elsewhere) is no run
    // of its own.
    std::set<QString> present;
    for (const RunFileRead& read : reads) {
        if (read.ok) present.insert(read.file.sha256);
    }
    std::erase_if(reads, [&present](const RunFileRead& read) {
        return !read.ok && present.contains(read.notes.file.sha256);
    });
    return index.replaceAll(reads);
}

RunIndex::Opened OpenLibrary(const QString& path, const ImportObserver& observer) {
    RunIndex::Opened opened = RunIndex::open(path);
    if (!opened.ok || !opened.fresh || opened.index->folders().isEmpty()) return opened;
    if (const FileResult rebuilt = RebuildIndex(*opened.index, observer); !rebuilt.ok) {
        opened.ok = false;
        opened.reason = rebuilt.reason;
        opened.index.reset();
        return opened;
    }
    if (opened.note.isEmpty()) {
        opened.note =
            QCoreApplication::translate(
                "Library", "the library %1 was made again from the data files and their notes")
                .arg(Printable(path));
    }
    return opened;
}

QString FileInLibrary(const QString& dataPath, const AddOptions& options,
                      const QString& libraryOption) {
    if (!AddingToLibrary()) return {};
    const auto failed = [&dataPath](const QString& reason) {
        return QCoreApplication::translate("Library", "%1 was not added to the library: %2")
            .arg(Printable(dataPath), reason);
    };
    RunIndex::Opened opened = OpenLibrary(LibraryPath(libraryOption));
    if (!opened.ok) return failed(opened.reason);
    const RunAdded added = opened.index->add(ReadRunFile(dataPath), options);
    if (!added.ok) return failed(added.reason);
    QStringList notes = {opened.note, added.warning};
    notes.removeAll(QString());
    return notes.join(u'\n');
}

DownloadEnd EndOf(const DownloadOutcome& outcome) {
    switch (outcome.ending) {
        case Ending::Done:
            return {QStringLiteral("complete"), {}};
        case Ending::Cancelled:
            return {QStringLiteral("cancelled"), outcome.text};
        default:
            break;
    }
    const QString detail = outcome.detail.isEmpty()
                               ? outcome.text
                               : outcome.text + QStringLiteral(" (") + outcome.detail + u')';
    return {QStringLiteral("failed"), detail};
}

RunNotes NotesOfFile(const QString& dataPath, QString* error) {
    NotesRead read = ReadNotes(dataPath);
    if (!read.ok && error) *error = read.reason;
    return read.notes;
}

FileResult SaveNotesOfFile(const QString& dataPath, const RunNotes& notes) {
    if (AddingToLibrary()) {
        RunIndex::Opened opened = OpenLibrary(LibraryPath());
        if (opened.ok) {
            if (const std::optional<qint64> id = opened.index->idOfPath(dataPath)) {
                return opened.index->setNotes(*id, notes);
            }
        }
    }
    const NotesRead before = ReadNotes(dataPath);
    if (!before.ok) return before;
    return WriteNotes(dataPath, notes, before.file);
}

}  // namespace yb
