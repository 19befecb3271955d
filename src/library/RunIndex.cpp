#include "library/RunIndex.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <atomic>
#include <functional>
#include <set>

#include "datafile/DataFileReader.h"
#include "datafile/Format.h"
#include "datafile/Printable.h"

namespace yb {

namespace {

// ---- The schema ------------------------------------------------------------------------------

// Step k brings the schema from version k to k + 1. A step never changes once released: a new
// version is a new step.
const std::vector<QStringList>& SchemaSteps() {
    static const std::vector<QStringList> steps = {
        // 1: the runs with their summaries and notes, and their laps.
        {QStringLiteral(
             "CREATE TABLE runs (id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE, "
             "sha256 TEXT NOT NULL, size INTEGER NOT NULL, modified INTEGER, added TEXT NOT NULL, "
             "downloaded TEXT, changed INTEGER NOT NULL DEFAULT 0, "
             "records INTEGER, partial INTEGER, interval_s REAL, duration_s REAL, "
             "distance_km REAL, avg_speed_kmh REAL, max_speed_kmh REAL, solar_wh REAL, "
             "battery_wh REAL, min_main_v REAL, max_temp_c REAL, laps INTEGER, best_lap_s REAL, "
             "best_lap_no INTEGER, motor_wh REAL, wh_per_km REAL, "
             "event TEXT NOT NULL DEFAULT '', run TEXT NOT NULL DEFAULT '', "
             "track TEXT NOT NULL DEFAULT '', drivers TEXT NOT NULL DEFAULT '', "
             "conditions TEXT NOT NULL DEFAULT '', tags TEXT NOT NULL DEFAULT '', "
             "notes TEXT NOT NULL DEFAULT '', battery_ah REAL, start TEXT, "
             "download_ending TEXT NOT NULL DEFAULT '', download_detail TEXT NOT NULL DEFAULT '')"),
         QStringLiteral("CREATE INDEX runs_sha256 ON runs(sha256)"),
         QStringLiteral("CREATE INDEX runs_downloaded ON runs(downloaded)"),
         QStringLiteral(
             "CREATE TABLE laps (run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE, "
             "lap INTEGER NOT NULL, time_s REAL, motor_wh REAL, start_s REAL, distance_km REAL, "
             "avg_speed_kmh REAL, solar_wh REAL, wh_per_km REAL)"),
         QStringLiteral("CREATE INDEX laps_run ON laps(run_id)")},
        // 2: the markers, so that a filter finds their texts (filled from the notes files).
        {QStringLiteral(
             "CREATE TABLE markers (run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE "
             "CASCADE, time_s REAL NOT NULL, kind TEXT NOT NULL, text TEXT NOT NULL)"),
         QStringLiteral("CREATE INDEX markers_run ON markers(run_id)")},
    };
    return steps;
}

// ---- Figures as columns ----------------------------------------------------------------------

// An unknown figure is NULL.
QVariant Value(const std::optional<double>& v) {
    return v ? QVariant(*v) : QVariant();
}
QVariant Value(const std::optional<int>& v) {
    return v ? QVariant(*v) : QVariant();
}
QVariant Value(int v) {
    return v;
}
QVariant Value(bool v) {
    return v ? 1 : 0;
}
void Take(const QVariant& v, std::optional<double>& to) {
    if (!v.isNull()) to = v.toDouble();
}
void Take(const QVariant& v, std::optional<int>& to) {
    if (!v.isNull()) to = v.toInt();
}
void Take(const QVariant& v, int& to) {
    to = v.toInt();
}
void Take(const QVariant& v, bool& to) {
    to = v.toInt() != 0;
}

// A figure of a record type as a column of the same name as its JSON key.
template <typename Record>
struct FigureColumn {
    const char* name;
    std::function<QVariant(const Record&)> get;
    std::function<void(Record&, const QVariant&)> set;
};
template <typename Record, auto Member>
FigureColumn<Record> Figure(const char* name) {
    return {name, [](const Record& r) { return Value(r.*Member); },
            [](Record& r, const QVariant& v) { Take(v, r.*Member); }};
}

const std::vector<FigureColumn<RunSummary>>& SummaryColumns() {
    using S = RunSummary;
    static const std::vector<FigureColumn<S>> columns = {
        Figure<S, &S::records>("records"),
        Figure<S, &S::partial>("partial"),
        Figure<S, &S::interval_s>("interval_s"),
        Figure<S, &S::duration_s>("duration_s"),
        Figure<S, &S::distance_km>("distance_km"),
        Figure<S, &S::avg_speed_kmh>("avg_speed_kmh"),
        Figure<S, &S::max_speed_kmh>("max_speed_kmh"),
        Figure<S, &S::solar_wh>("solar_wh"),
        Figure<S, &S::battery_wh>("battery_wh"),
        Figure<S, &S::min_main_v>("min_main_v"),
        Figure<S, &S::max_temp_c>("max_temp_c"),
        Figure<S, &S::laps>("laps"),
        Figure<S, &S::best_lap_s>("best_lap_s"),
        Figure<S, &S::best_lap_no>("best_lap_no"),
        Figure<S, &S::motor_wh>("motor_wh"),
    };
    return columns;
}

const std::vector<FigureColumn<LapFigures>>& LapColumns() {
    using L = LapFigures;
    static const std::vector<FigureColumn<L>> columns = {
        Figure<L, &L::lap>("lap"),
        Figure<L, &L::time_s>("time_s"),
        Figure<L, &L::motor_wh>("motor_wh"),
        Figure<L, &L::start_s>("start_s"),
        Figure<L, &L::distance_km>("distance_km"),
        Figure<L, &L::avg_speed_kmh>("avg_speed_kmh"),
        Figure<L, &L::solar_wh>("solar_wh"),
        Figure<L, &L::wh_per_km>("wh_per_km"),
    };
    return columns;
}

template <typename Record>
QStringList Names(const std::vector<FigureColumn<Record>>& columns, const QString& prefix = {}) {
    QStringList names;
    for (const auto& column : columns) names << prefix + QLatin1String(column.name);
    return names;
}

// The columns of a run as IndexedRun reads them, in this order, the summary's after them.
const QStringList kRunColumns = {QStringLiteral("id"),
                                 QStringLiteral("path"),
                                 QStringLiteral("sha256"),
                                 QStringLiteral("size"),
                                 QStringLiteral("modified"),
                                 QStringLiteral("added"),
                                 QStringLiteral("downloaded"),
                                 QStringLiteral("changed"),
                                 QStringLiteral("wh_per_km"),
                                 QStringLiteral("event"),
                                 QStringLiteral("run"),
                                 QStringLiteral("track"),
                                 QStringLiteral("drivers"),
                                 QStringLiteral("conditions"),
                                 QStringLiteral("tags"),
                                 QStringLiteral("notes"),
                                 QStringLiteral("battery_ah"),
                                 QStringLiteral("start"),
                                 QStringLiteral("download_ending"),
                                 QStringLiteral("download_detail")};

// A list of texts in one column: one per line.
QString Lines(const QStringList& items) {
    return items.join(u'\n');
}
QStringList FromLines(const QString& text) {
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

QVariant Time(const QDateTime& at, Qt::TimeSpec zone = Qt::LocalTime) {
    if (!at.isValid()) return {};
    return (zone == Qt::UTC ? at.toUTC() : at).toString(Qt::ISODate);
}

std::optional<double> WhPerKm(const RunSummary& summary) {
    if (!summary.motor_wh || !summary.distance_km || *summary.distance_km <= 0.0) return {};
    return *summary.motor_wh / *summary.distance_km;
}

// ---- Queries ---------------------------------------------------------------------------------

bool Failed(const QSqlQuery& query) {
    return query.lastError().type() != QSqlError::NoError;
}

QSqlQuery Exec(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {}) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(sql)) return query;
    for (const QVariant& value : values) query.addBindValue(value);
    query.exec();
    return query;
}

QString ErrorText(const QSqlError& error) {
    return error.databaseText().isEmpty() ? error.text() : error.databaseText();
}

// The error of a query as a failure of the index at `path`.
FileResult IndexFailure(const QString& path, const QSqlQuery& query) {
    return FileResult::Failed(
        QCoreApplication::translate("RunIndex", "the library %1 cannot be written: %2")
            .arg(Printable(path), ErrorText(query.lastError())));
}

QString Hash(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QDateTime Modified(const QFileInfo& info) {
    return info.lastModified().toUTC();
}

}  // namespace

// ---- The data file read ------------------------------------------------------------------------

RunFileRead ReadRunFile(const QString& given) {
    RunFileRead read;
    const QFileInfo info(given);
    RunFile& file = read.file;
    file.path = QDir::toNativeSeparators(info.absoluteFilePath());
    QByteArray bytes;
    DataFileReadResult data = ReadDataFileAt(file.path, &bytes);
    if (!data.ok) {
        read.ok = false;
        read.reason = data.reason;
        return read;
    }
    file.sha256 = Hash(bytes);
    file.size = bytes.size();
    file.modified = Modified(info);
    file.downloaded = QDateTime::fromString(data.run->writtenAt, kWrittenAtFormat);
    file.summary = SummarizeRun(*data.run);
    read.notes = ReadNotes(file.path);
    return read;
}

bool IndexedRun::partial() const {
    return summary.partial || notes.download.ending == QLatin1String("failed") ||
           notes.download.ending == QLatin1String("cancelled");
}

IndexedRun::State IndexedRun::state() const {
    const QFileInfo info(path);
    if (!info.isFile()) return State::Missing;
    if (flaggedChanged || info.size() != size || Modified(info) != modified) return State::Changed;
    return State::Present;
}

QString TimeText(const QString& isoTime) {
    return QString(isoTime).replace(u'T', u' ');
}

// ---- The index ---------------------------------------------------------------------------------

class RunIndex::Db {
public:
    explicit Db(const QString& path) {
        static std::atomic<int> connections{0};
        name_ = QStringLiteral("yb-library-%1").arg(++connections);
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyWaitMs));
    }
    ~Db() {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
    }

    // Runs `change` as one transaction that takes the write lock at once; a failure (of the
    // change or of the commit) rolls it back.
    FileResult transaction(const QString& path, const std::function<FileResult()>& change) {
        const QSqlQuery begin = Exec(db, QStringLiteral("BEGIN IMMEDIATE"));
        if (Failed(begin)) return IndexFailure(path, begin);
        FileResult result = change();
        if (result.ok) {
            const QSqlQuery commit = Exec(db, QStringLiteral("COMMIT"));
            if (!Failed(commit)) return result;
            result = IndexFailure(path, commit);
        }
        Exec(db, QStringLiteral("ROLLBACK"));
        return result;
    }

    QSqlDatabase db;

private:
    QString name_;
};

RunIndex::RunIndex(QString path) : path_(std::move(path)), db_(std::make_unique<Db>(path_)) {}

RunIndex::~RunIndex() = default;

namespace {

// What is wrong with the database at the connection, or nothing: unreadable, of a later version,
// or another program's.
std::optional<QString> Unusable(const QSqlDatabase& db, int* version) {
    QSqlQuery query = Exec(db, QStringLiteral("PRAGMA user_version"));
    if (Failed(query) || !query.next()) return ErrorText(query.lastError());
    *version = query.value(0).toInt();
    if (*version > kIndexVersion) {
        return QCoreApplication::translate(
                   "RunIndex",
                   "made by a later version of the program (schema %1, this one knows %2)")
            .arg(*version)
            .arg(kIndexVersion);
    }
    query = Exec(db, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name NOT IN "
                                    "('runs', 'laps', 'markers') AND type = 'table'"));
    if (Failed(query) || !query.next()) return ErrorText(query.lastError());
    if (query.value(0).toInt() != 0)
        return QCoreApplication::translate("RunIndex", "not a library of this program");
    if (*version > 0) {
        query = Exec(db, QStringLiteral("SELECT count(*) FROM runs"));
        if (Failed(query)) return ErrorText(query.lastError());
    }
    return std::nullopt;
}

}  // namespace

RunIndex::Opened RunIndex::open(const QString& path) {
    Opened opened;
    const auto fail = [&opened, &path](const QString& reason) {
        opened.ok = false;
        opened.reason =
            QCoreApplication::translate("RunIndex", "the library %1 cannot be opened: %2")
                .arg(Printable(path), reason);
        opened.index.reset();
        return std::move(opened);
    };
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        return fail(QCoreApplication::translate("RunIndex", "its folder cannot be made"));
    }
    opened.fresh = !info.exists();
    opened.index.reset(new RunIndex(path));
    QSqlDatabase& db = opened.index->db_->db;
    if (!db.open()) return fail(ErrorText(db.lastError()));
    int version = 0;
    if (const std::optional<QString> wrong = Unusable(db, &version)) {
        // Moved aside under a dated name, with its journal, and made anew.
        opened.index.reset();
        const QString aside =
            path + QStringLiteral(".damaged-") +
            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
            if (QFile::exists(path + suffix) && !QFile::rename(path + suffix, aside + suffix)) {
                return fail(*wrong);
            }
        }
        Opened made = open(path);
        if (made.ok) {
            made.note = QCoreApplication::translate(
                            "RunIndex",
                            "the library %1 could not be used (%2): moved aside to %3 and "
                            "made again from the data files")
                            .arg(Printable(path), *wrong, Printable(aside));
        }
        return made;
    }
    // A new index keeps its texts as the program reads them (UTF-16): a long list converts none.
    if (version == 0) Exec(db, QStringLiteral("PRAGMA encoding = 'UTF-16le'"));
    // A write-ahead log: readers never wait for a writer.
    if (QSqlQuery wal = Exec(db, QStringLiteral("PRAGMA journal_mode=WAL"));
        Failed(wal) || !wal.next()) {
        return fail(ErrorText(wal.lastError()));
    }
    Exec(db, QStringLiteral("PRAGMA synchronous=NORMAL"));
    // Room for every run's row of a season's library (10,000 runs: about 5 MB), so that a list
    // filtered again reads no page from the disk.
    Exec(db, QStringLiteral("PRAGMA cache_size=-32768"));
    Exec(db, QStringLiteral("PRAGMA foreign_keys=ON"));
    if (const FileResult migrated = opened.index->migrate(); !migrated.ok) {
        return fail(migrated.reason);
    }
    return opened;
}

FileResult RunIndex::migrate() {
    return db_->transaction(path_, [this]() -> FileResult {
        QSqlQuery query = Exec(db_->db, QStringLiteral("PRAGMA user_version"));
        if (Failed(query) || !query.next()) return IndexFailure(path_, query);
        const int from = query.value(0).toInt();  // another program may have brought it up
        const auto& steps = SchemaSteps();
        for (int version = from; version < kIndexVersion; ++version) {
            for (const QString& sql : steps[static_cast<std::size_t>(version)]) {
                query = Exec(db_->db, sql);
                if (Failed(query)) return IndexFailure(path_, query);
            }
            if (version + 1 == 2) {
                // The markers of the runs already there, from their notes files.
                query = Exec(db_->db, QStringLiteral("SELECT id, path FROM runs"));
                std::vector<std::pair<qint64, QString>> runs;
                while (query.next())
                    runs.emplace_back(query.value(0).toLongLong(), query.value(1).toString());
                for (const auto& [id, path] : runs) {
                    for (const RunMarker& m : ReadNotes(path).notes.markers) {
                        const QSqlQuery insert =
                            Exec(db_->db, QStringLiteral("INSERT INTO markers VALUES (?, ?, ?, ?)"),
                                 {id, m.timeS, m.kind, m.text});
                        if (Failed(insert)) return IndexFailure(path_, insert);
                    }
                }
            }
        }
        query = Exec(db_->db, QStringLiteral("PRAGMA user_version = %1").arg(kIndexVersion));
        if (Failed(query)) return IndexFailure(path_, query);
        return {};
    });
}

// ---- Writing -----------------------------------------------------------------------------------

FileResult RunIndex::writeNotesColumns(qint64 id, const RunNotes& notes) {
    QSqlQuery query =
        Exec(db_->db,
             // An empty text may come as NULL.
             QStringLiteral("UPDATE runs SET event = coalesce(?, ''), run = coalesce(?, ''), "
                            "track = coalesce(?, ''), drivers = coalesce(?, ''), "
                            "conditions = coalesce(?, ''), tags = coalesce(?, ''), "
                            "notes = coalesce(?, ''), battery_ah = ?, start = ?, "
                            "download_ending = coalesce(?, ''), download_detail = coalesce(?, '') "
                            "WHERE id = ?"),
             {notes.event, notes.name, notes.track, Lines(notes.drivers), notes.conditions,
              Lines(notes.tags), notes.notes, Value(notes.batteryAh), Time(notes.start),
              notes.download.ending, notes.download.detail, id});
    if (Failed(query)) return IndexFailure(path_, query);
    query = Exec(db_->db, QStringLiteral("DELETE FROM markers WHERE run_id = ?"), {id});
    if (Failed(query)) return IndexFailure(path_, query);
    for (const RunMarker& m : notes.markers) {
        query = Exec(
            db_->db,
            QStringLiteral("INSERT INTO markers VALUES (?, ?, coalesce(?, ''), coalesce(?, ''))"),
            {id, m.timeS, m.kind, m.text});
        if (Failed(query)) return IndexFailure(path_, query);
    }
    return {};
}

FileResult RunIndex::writeRun(qint64 id, const RunFile& file, const RunNotes& notes,
                              const QDateTime& added, bool flaggedChanged) {
    QStringList columns = {QStringLiteral("id"),         QStringLiteral("path"),
                           QStringLiteral("sha256"),     QStringLiteral("size"),
                           QStringLiteral("modified"),   QStringLiteral("added"),
                           QStringLiteral("downloaded"), QStringLiteral("changed")};
    QVariantList values = {
        id != 0 ? QVariant(id) : QVariant(),
        file.path,
        file.sha256,
        file.size,
        file.modified.isValid() ? QVariant(file.modified.toMSecsSinceEpoch()) : QVariant(),
        Time(added, Qt::UTC),
        Time(file.downloaded),
        Value(flaggedChanged)};
    // A file never read has no figures (its notes alone are known).
    if (file.modified.isValid()) {
        for (const auto& column : SummaryColumns()) {
            columns << QLatin1String(column.name);
            values << column.get(file.summary);
        }
        columns << QStringLiteral("wh_per_km");
        values << Value(WhPerKm(file.summary));
    }
    QSqlQuery query = Exec(
        db_->db,
        QStringLiteral("INSERT OR REPLACE INTO runs (%1) VALUES (%2)")
            .arg(columns.join(u','), QStringList(columns.size(), QStringLiteral("?")).join(u',')),
        values);
    if (Failed(query)) return IndexFailure(path_, query);
    if (id == 0) id = query.lastInsertId().toLongLong();
    query = Exec(db_->db, QStringLiteral("DELETE FROM laps WHERE run_id = ?"), {id});
    if (Failed(query)) return IndexFailure(path_, query);
    const QString insertLap = QStringLiteral("INSERT INTO laps (run_id, %1) VALUES (?%2)")
                                  .arg(Names(LapColumns()).join(u','),
                                       QString(QStringLiteral(", ?"))
                                           .repeated(static_cast<qsizetype>(LapColumns().size())));
    for (const LapFigures& lap : file.summary.lapTable) {
        QVariantList lapValues = {id};
        for (const auto& column : LapColumns()) lapValues << column.get(lap);
        query = Exec(db_->db, insertLap, lapValues);
        if (Failed(query)) return IndexFailure(path_, query);
    }
    return writeNotesColumns(id, notes);
}

FileResult RunIndex::noteFolder(const QString& folder) {
    if (folders().contains(folder)) return {};
    QFile list(path_ + QStringLiteral(".folders"));
    // Appended a line at a time: two programs adding at once lose neither line.
    if (!list.open(QIODevice::Append | QIODevice::Text) ||
        list.write((folder + u'\n').toUtf8()) < 0) {
        return FileResult::Failed(
            QCoreApplication::translate("RunIndex",
                                        "the library's list of folders %1 cannot be written: %2")
                .arg(Printable(list.fileName()), list.errorString()));
    }
    return {};
}

QStringList RunIndex::folders() const {
    QFile list(path_ + QStringLiteral(".folders"));
    QStringList folders;
    if (!list.open(QIODevice::ReadOnly | QIODevice::Text)) return folders;
    for (const QString& line : QString::fromUtf8(list.readAll()).split(u'\n')) {
        if (!line.isEmpty() && !folders.contains(line)) folders << line;
    }
    return folders;
}

RunAdded RunIndex::add(const RunFileRead& read, const AddOptions& options) {
    RunAdded added;
    if (!read.ok) {
        added.ok = false;
        added.reason = read.reason;
        return added;
    }
    const RunFile& file = read.file;
    if (!read.notes.ok) added.warning = read.notes.reason;
    QString movedFrom;
    const FileResult done = db_->transaction(path_, [&]() -> FileResult {
        // The same content already known, and the run at this path.
        QSqlQuery same = Exec(db_->db, QStringLiteral("SELECT id, path FROM runs WHERE sha256 = ?"),
                              {file.sha256});
        std::optional<std::pair<qint64, QString>> known;
        while (same.next()) {
            const QString path = same.value(1).toString();
            if (!known || path == file.path) known.emplace(same.value(0).toLongLong(), path);
        }
        const std::optional<qint64> atPath = idOfPath(file.path);
        if (known && (known->second == file.path || QFileInfo(known->second).isFile())) {
            added.kind = RunAdded::Kind::Known;
            added.id = known->first;
            return {};
        }
        if (known && !atPath) {
            added.kind = RunAdded::Kind::Moved;
            added.id = known->first;
            movedFrom = known->second;
            const QSqlQuery moved =
                Exec(db_->db, QStringLiteral("UPDATE runs SET path = ?, modified = ? WHERE id = ?"),
                     {file.path, file.modified.toMSecsSinceEpoch(), added.id});
            return Failed(moved) ? IndexFailure(path_, moved) : FileResult{};
        }
        if (atPath && !options.replaceChanged) {
            added.kind = RunAdded::Kind::Changed;
            added.id = *atPath;
            const QSqlQuery flag = Exec(
                db_->db, QStringLiteral("UPDATE runs SET changed = 1 WHERE id = ?"), {*atPath});
            return Failed(flag) ? IndexFailure(path_, flag) : FileResult{};
        }
        // New content: the notes file's notes, and what the caller notes of its download.
        RunNotes notes = read.notes.notes;
        if (options.batteryAh) notes.batteryAh = options.batteryAh;
        if (!options.download.ending.isEmpty()) notes.download = options.download;
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const bool sameContent = read.notes.file.sha256 == file.sha256;
        const QDateTime since =
            sameContent && read.notes.file.added.isValid() ? read.notes.file.added : now;
        added.kind = atPath ? RunAdded::Kind::Replaced : RunAdded::Kind::Added;
        if (!read.notes.exists || !sameContent || notes != read.notes.notes) {
            if (const FileResult kept =
                    WriteNotes(file.path, notes, {file.sha256, file.size, since});
                !kept.ok) {
                added.warning = kept.reason;
            }
        }
        const FileResult written = writeRun(atPath.value_or(0), file, notes, since, false);
        if (written.ok && !atPath) added.id = idOfPath(file.path).value_or(0);
        if (atPath) added.id = *atPath;
        return written;
    });
    if (!done.ok) {
        added.ok = false;
        added.reason = done.reason;
        return added;
    }
    if (added.kind == RunAdded::Kind::Moved || added.kind == RunAdded::Kind::Added ||
        added.kind == RunAdded::Kind::Replaced) {
        if (const FileResult noted = noteFolder(QFileInfo(file.path).absolutePath()); !noted.ok) {
            added.warning = noted.reason;
        }
    }
    if (added.kind == RunAdded::Kind::Moved && !read.notes.exists) {
        if (const FileResult kept = moveNotes(added.id, movedFrom, file.path); !kept.ok) {
            added.warning = kept.reason;
        }
    }
    return added;
}

FileResult RunIndex::replaceAll(const std::vector<RunFileRead>& reads) {
    return db_->transaction(path_, [&]() -> FileResult {
        for (const char* table : {"markers", "laps", "runs"}) {
            const QSqlQuery query =
                Exec(db_->db, QStringLiteral("DELETE FROM %1").arg(QLatin1String(table)));
            if (Failed(query)) return IndexFailure(path_, query);
        }
        for (const RunFileRead& read : reads) {
            RunFile file = read.file;
            const NotedFile& noted = read.notes.file;
            const bool changed = read.ok && !noted.sha256.isEmpty() && noted.sha256 != file.sha256;
            // The content the run was added with stays its content: a file changed since keeps
            // its flag however often it is checked.
            if (!read.ok || changed) {
                file.sha256 = noted.sha256;
                file.size = noted.size;
            }
            if (!read.ok) file.modified = {};  // gone (or unreadable): no figures
            const FileResult written = writeRun(
                0, file, read.notes.notes,
                noted.added.isValid() ? noted.added : QDateTime::currentDateTimeUtc(), changed);
            if (!written.ok) return written;
        }
        return {};
    });
}

FileResult RunIndex::setNotes(qint64 id, const RunNotes& notes) {
    const std::optional<IndexedRun> run = this->run(id);
    if (!run)
        return FileResult::Failed(
            QCoreApplication::translate("RunIndex", "no run %1 in the library").arg(id));
    if (const FileResult kept = WriteNotes(run->path, notes, {run->sha256, run->size, run->added});
        !kept.ok) {
        return kept;
    }
    return db_->transaction(path_, [&] { return writeNotesColumns(id, notes); });
}

FileResult RunIndex::relocate(qint64 id, const QString& path) {
    const std::optional<IndexedRun> run = this->run(id);
    if (!run)
        return FileResult::Failed(
            QCoreApplication::translate("RunIndex", "no run %1 in the library").arg(id));
    RunFileRead read = ReadRunFile(path);
    if (!read.ok) return read;
    if (read.file.sha256 != run->sha256) {
        return FileResult::Failed(
            QCoreApplication::translate("RunIndex", "%1 holds other data than the run's file")
                .arg(Printable(read.file.path)));
    }
    const FileResult moved = db_->transaction(path_, [&]() -> FileResult {
        const QSqlQuery query =
            Exec(db_->db, QStringLiteral("UPDATE runs SET path = ?, modified = ? WHERE id = ?"),
                 {read.file.path, read.file.modified.toMSecsSinceEpoch(), id});
        return Failed(query) ? IndexFailure(path_, query) : FileResult{};
    });
    if (!moved.ok) return moved;
    if (!read.notes.exists) {
        if (const FileResult kept = moveNotes(id, run->path, read.file.path); !kept.ok) return kept;
    }
    return noteFolder(QFileInfo(read.file.path).absolutePath());
}

FileResult RunIndex::moveNotes(qint64 id, const QString& from, const QString& to) {
    if (QFile::exists(NotesPath(from)) && QFile::rename(NotesPath(from), NotesPath(to))) return {};
    const std::optional<IndexedRun> run = this->run(id);
    if (!run) return {};
    return WriteNotes(to, run->notes, {run->sha256, run->size, run->added});
}

RunIndex::Checked RunIndex::check() {
    Checked checked;
    for (IndexedRun& run : list()) {
        switch (run.state()) {
            case IndexedRun::State::Missing:
                checked.missing.push_back(std::move(run));
                continue;
            case IndexedRun::State::Present:
                continue;
            case IndexedRun::State::Changed:
                break;
        }
        // A time stamp alone may move (a copy, a backup): the content tells.
        QFile file(run.path);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        const bool read = file.open(QIODevice::ReadOnly) && hash.addData(&file);
        const bool same = read && QString::fromLatin1(hash.result().toHex()) == run.sha256;
        const QSqlQuery query =
            same ? Exec(db_->db,
                        QStringLiteral("UPDATE runs SET modified = ?, changed = 0 WHERE id = ?"),
                        {Modified(QFileInfo(run.path)).toMSecsSinceEpoch(), run.id})
                 : Exec(db_->db, QStringLiteral("UPDATE runs SET changed = 1 WHERE id = ?"),
                        {run.id});
        if (Failed(query)) checked.failure = IndexFailure(path_, query).reason;
        if (!same) {
            run.flaggedChanged = true;
            checked.changed.push_back(std::move(run));
        }
    }
    return checked;
}

// ---- Reading -----------------------------------------------------------------------------------

namespace {

// A time as Time(…, Qt::UTC) writes it ("2026-12-07T23:11:15Z"), read without the general ISO
// parser, which is most of a long list's time; anything else through it.
QDateTime UtcTime(const QString& text) {
    const QStringView t(text);
    if (t.size() != 20 || t[4] != u'-' || t[10] != u'T' || t[19] != u'Z')
        return QDateTime::fromString(text, Qt::ISODate);
    const auto part = [&t](qsizetype at, qsizetype length) { return t.mid(at, length).toInt(); };
    return QDateTime(QDate(part(0, 4), part(5, 2), part(8, 2)),
                     QTime(part(11, 2), part(14, 2), part(17, 2)), Qt::UTC);
}

// Fills `run`, a new one, from a row of RunSelect(): in place, as a long list is mostly this.
void ReadRun(const QSqlQuery& row, IndexedRun& run) {
    int c = 0;
    const auto next = [&row, &c] { return row.value(c++); };
    run.id = next().toLongLong();
    run.path = next().toString();
    run.sha256 = next().toString();
    run.size = next().toLongLong();
    const QVariant modified = next();
    if (!modified.isNull())
        run.modified = QDateTime::fromMSecsSinceEpoch(modified.toLongLong(), Qt::UTC);
    run.added = UtcTime(next().toString());
    run.downloaded = next().toString();
    run.flaggedChanged = next().toInt() != 0;
    Take(next(), run.whPerKm);
    RunNotes& notes = run.notes;
    notes.event = next().toString();
    notes.name = next().toString();
    notes.track = next().toString();
    notes.drivers = FromLines(next().toString());
    notes.conditions = next().toString();
    notes.tags = FromLines(next().toString());
    notes.notes = next().toString();
    Take(next(), notes.batteryAh);
    notes.start = QDateTime::fromString(next().toString(), Qt::ISODate);
    notes.download.ending = next().toString();
    notes.download.detail = next().toString();
    for (const auto& column : SummaryColumns()) column.set(run.summary, next());
}

// The WHERE clause of a filter over `runs`, and its values.
QString Where(const RunFilter& filter, QVariantList& values) {
    QStringList terms;
    if (!filter.text.isEmpty()) {
        QString escaped = filter.text;
        escaped.replace(u'\\', QStringLiteral("\\\\"))
            .replace(u'%', QStringLiteral("\\%"))
            .replace(u'_', QStringLiteral("\\_"));
        const QString pattern = u'%' + escaped + u'%';
        QStringList any;
        for (const char* column : {"path", "event", "run", "track", "drivers", "conditions", "tags",
                                   "notes", "download_detail"}) {
            any << QStringLiteral("runs.%1 LIKE ? ESCAPE '\\'").arg(QLatin1String(column));
            values << pattern;
        }
        any << QStringLiteral(
            "EXISTS (SELECT 1 FROM markers WHERE markers.run_id = runs.id AND markers.text LIKE ? "
            "ESCAPE '\\')");
        values << pattern;
        terms << u'(' + any.join(QStringLiteral(" OR ")) + u')';
    }
    if (!filter.track.isEmpty()) {
        terms << QStringLiteral("runs.track = ?");
        values << filter.track;
    }
    for (const auto& [column, value] :
         {std::pair("drivers", filter.driver), std::pair("tags", filter.tag)}) {
        if (value.isEmpty()) continue;
        terms << QStringLiteral(
                     "instr(char(10) || runs.%1 || char(10), char(10) || ? || char(10)) > 0")
                     .arg(QLatin1String(column));
        values << value;
    }
    if (filter.since.isValid()) {
        terms << QStringLiteral("runs.downloaded >= ?");
        values << Time(filter.since);
    }
    if (filter.until.isValid()) {
        terms << QStringLiteral("runs.downloaded <= ?");
        values << Time(filter.until);
    }
    if (filter.completeness != RunFilter::Completeness::Any) {
        // As IndexedRun::partial() tells it.
        terms << QStringLiteral(
            "(runs.partial = 1 OR runs.download_ending IN ('failed', 'cancelled')) = ?");
        values << (filter.completeness == RunFilter::Completeness::Partial ? 1 : 0);
    }
    return terms.isEmpty() ? QString()
                           : QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND "));
}

QString RunSelect() {
    QStringList columns;
    for (const QString& column : kRunColumns + Names(SummaryColumns())) {
        columns << QStringLiteral("runs.") + column;
    }
    return QStringLiteral("SELECT %1 FROM runs").arg(columns.join(u','));
}

}  // namespace

std::vector<IndexedRun> RunIndex::list(const RunFilter& filter) const {
    QVariantList values;
    const QString where = Where(filter, values);
    // Sorted as read rather than read in the order of the download times' index: a filter then
    // looks at each run once and seeks none.
    QSqlQuery query =
        Exec(db_->db,
             RunSelect() + where + QStringLiteral(" ORDER BY +runs.downloaded DESC, runs.id DESC"),
             values);
    std::vector<IndexedRun> runs;
    // Room for every run at once: a list of thousands grown step by step spends as long moving
    // runs as reading them.
    QSqlQuery count = Exec(db_->db, QStringLiteral("SELECT count(*) FROM runs"));
    if (count.next()) runs.reserve(count.value(0).toULongLong());
    while (query.next()) ReadRun(query, runs.emplace_back());
    return runs;
}

std::optional<IndexedRun> RunIndex::run(qint64 id) const {
    QSqlQuery query = Exec(db_->db, RunSelect() + QStringLiteral(" WHERE runs.id = ?"), {id});
    if (!query.next()) return std::nullopt;
    IndexedRun run;
    ReadRun(query, run);
    query = Exec(
        db_->db,
        QStringLiteral("SELECT time_s, kind, text FROM markers WHERE run_id = ? ORDER BY time_s"),
        {id});
    while (query.next()) {
        run.notes.markers.push_back(
            {query.value(0).toDouble(), query.value(1).toString(), query.value(2).toString()});
    }
    return run;
}

std::optional<qint64> RunIndex::idOfPath(const QString& path) const {
    QSqlQuery query = Exec(db_->db, QStringLiteral("SELECT id FROM runs WHERE path = ?"),
                           {QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())});
    if (!query.next()) return std::nullopt;
    return query.value(0).toLongLong();
}

std::vector<IndexedLap> RunIndex::laps(const RunFilter& filter) const {
    QVariantList values;
    return lapRows(Where(filter, values), values);
}

std::vector<LapFigures> RunIndex::lapsOf(qint64 id) const {
    std::vector<LapFigures> laps;
    for (IndexedLap& lap : lapRows(QStringLiteral(" WHERE runs.id = ?"), {id})) {
        laps.push_back(std::move(lap.lap));
    }
    return laps;
}

std::vector<IndexedLap> RunIndex::lapRows(const QString& where, const QVariantList& values) const {
    QSqlQuery query =
        Exec(db_->db,
             QStringLiteral("SELECT laps.run_id, %1 FROM laps JOIN runs ON runs.id = laps.run_id")
                     .arg(Names(LapColumns(), QStringLiteral("laps.")).join(u',')) +
                 where + QStringLiteral(" ORDER BY laps.run_id, laps.lap"),
             values);
    std::vector<IndexedLap> laps;
    while (query.next()) {
        IndexedLap lap;
        lap.runId = query.value(0).toLongLong();
        int c = 1;
        for (const auto& column : LapColumns()) column.set(lap.lap, query.value(c++));
        laps.push_back(lap);
    }
    return laps;
}

namespace {

QStringList Distinct(const QSqlDatabase& db, const char* column) {
    QSqlQuery query =
        Exec(db, QStringLiteral("SELECT DISTINCT %1 FROM runs").arg(QLatin1String(column)));
    std::set<QString> values;
    while (query.next()) {
        for (const QString& value : FromLines(query.value(0).toString())) values.insert(value);
    }
    return QStringList(values.begin(), values.end());
}

}  // namespace

QStringList RunIndex::tracks() const {
    return Distinct(db_->db, "track");
}
QStringList RunIndex::drivers() const {
    return Distinct(db_->db, "drivers");
}
QStringList RunIndex::tags() const {
    return Distinct(db_->db, "tags");
}

}  // namespace yb
