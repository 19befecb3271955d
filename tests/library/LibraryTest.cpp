// The run library on hand-made data files: rebuilt from the files and their notes after the
// index is deleted or damaged, a file added twice, copied, moved and changed, a damaged notes
// file, the migration from the schema before, two programs adding at once, and the filters with
// `library list --json`.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <functional>

#include "library/Library.h"
#include "support/Runs.h"

namespace yb::test {
namespace {

const QDateTime kDay(QDate(2026, 7, 12), QTime(9, 0));

class Library : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        index = dir.filePath(QStringLiteral("index/library.sqlite"));
        QDir(dir.path()).mkpath(QStringLiteral("runs/日本語"));
    }
    QString Data(const QString& name) const { return dir.filePath(QStringLiteral("runs/") + name); }
    std::unique_ptr<RunIndex> Open(QString* note = nullptr) {
        RunIndex::Opened opened = OpenLibrary(index);
        EXPECT_TRUE(opened.ok) << opened.reason.toStdString();
        if (note) *note = opened.note;
        return std::move(opened.index);
    }
    RunAdded Add(RunIndex& library, const QString& path) {
        const RunAdded added = library.add(ReadRunFile(path));
        EXPECT_TRUE(added.ok) << added.reason.toStdString();
        return added;
    }
    // Three runs, the second with notes and markers in Japanese.
    void AddThree(RunIndex& library) {
        for (int i = 0; i < 3; ++i) {
            const QString path = Data(QStringLiteral("日本語/run%1.csv").arg(i));
            WriteRun(path, 50 + i, 40.0f + i, 3, kDay.addDays(i));
            Add(library, path);
        }
        RunNotes notes;
        notes.event = QStringLiteral("ワールドソーラー");
        notes.drivers = QStringList{QStringLiteral("山田"), QStringLiteral("Sato")};
        notes.batteryAh = 30.5;
        notes.start = QDateTime(QDate(2026, 7, 13), QTime(10, 30));
        notes.markers = {{120.0, QStringLiteral("pit"), QStringLiteral("タイヤ交換")},
                         {300.0, QStringLiteral("note"), QStringLiteral("雲")}};
        ASSERT_TRUE(
            library.setNotes(*library.idOfPath(Data(QStringLiteral("日本語/run1.csv"))), notes).ok);
    }
    // What the library holds of its runs, whatever their numbers.
    static std::vector<std::tuple<QString, QString, RunNotes, std::optional<double>, QDateTime>>
    Held(const RunIndex& library) {
        std::vector<std::tuple<QString, QString, RunNotes, std::optional<double>, QDateTime>> held;
        for (const IndexedRun& listed : library.list()) {
            const IndexedRun run = *library.run(listed.id);
            held.emplace_back(run.path, run.sha256, run.notes, run.summary.distance_km, run.added);
        }
        std::sort(held.begin(), held.end(),
                  [](const auto& a, const auto& b) { return std::get<0>(a) < std::get<0>(b); });
        return held;
    }

    QTemporaryDir dir;
    QString index;
};

// Deleted, filled with garbage or left by a later version, the index is made again from the data
// files and their notes: the same runs, notes, markers and added times.
TEST_F(Library, RebuiltIndexHoldsTheSameRuns) {
    for (const auto& [damage, movedAside] :
         {std::pair("deleted", false), std::pair("garbage", true), std::pair("later", true)}) {
        SCOPED_TRACE(damage);
        for (const QString& file : QDir(QFileInfo(index).path()).entryList(QDir::Files))
            QFile::remove(QFileInfo(index).dir().filePath(file));
        auto library = Open();
        AddThree(*library);
        const auto before = Held(*library);
        ASSERT_EQ(before.size(), 3u);
        library.reset();
        if (damage == std::string("later")) {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), damage);
            db.setDatabaseName(index);
            ASSERT_TRUE(db.open());
            QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version = %1").arg(kIndexVersion + 1));
            db.close();
        } else {
            for (const char* suffix : {"", "-wal", "-shm"})
                QFile::remove(index + QLatin1String(suffix));
            if (damage == std::string("garbage")) {
                QFile garbage(index);
                ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
                garbage.write(QByteArray(8192, '\xA5'));
            }
        }
        QString note;
        library = Open(&note);
        EXPECT_EQ(Held(*library), before);
        EXPECT_TRUE(note.contains(QStringLiteral("made again"))) << note.toStdString();
        const QStringList aside = QFileInfo(index).dir().entryList({QStringLiteral("*.damaged-*")});
        EXPECT_EQ(!aside.isEmpty(), movedAside);
        EXPECT_EQ(note.contains(QStringLiteral("moved aside")), movedAside);
        QSqlDatabase::removeDatabase(QString::fromLatin1(damage));
    }
}

// A file added again, a copy of it and the file moved are one run; a file changed since it was
// added is flagged and not read again; a file gone stays listed as missing.
TEST_F(Library, FileAddedTwiceMovedChangedAndGone) {
    auto library = Open();
    const QString first = Data(QStringLiteral("a.csv"));
    WriteRun(first, 40, 50.0f, 2, kDay);
    const qint64 id = Add(*library, first).id;
    const QString moved = Data(QStringLiteral("日本語/moved.csv"));
    using K = RunAdded::Kind;
    for (const auto& [path, kind, before] :
         {std::tuple(QStringLiteral("copy.csv"), K::Known,
                     std::function([&] { QFile::copy(first, Data(QStringLiteral("copy.csv"))); })),
          std::tuple(QStringLiteral("日本語/moved.csv"), K::Moved,
                     std::function([&] { QFile::rename(first, moved); })),
          std::tuple(QStringLiteral("日本語/moved.csv"), K::Known, std::function([] {}))}) {
        before();
        const RunAdded added = Add(*library, Data(path));
        EXPECT_EQ(added.kind, kind) << path.toStdString();
        EXPECT_EQ(added.id, id);
    }
    EXPECT_EQ(library->run(id)->path, QDir::toNativeSeparators(moved));
    EXPECT_TRUE(QFile::exists(NotesPath(moved)) && !QFile::exists(NotesPath(first)));  // moved
    EXPECT_EQ(library->list().size(), 1u);

    const std::optional<double> distance = library->run(id)->summary.distance_km;
    WriteRun(moved, 40, 60.0f, 2, kDay);  // other content at the run's path
    EXPECT_EQ(Add(*library, moved).kind, K::Changed);
    EXPECT_EQ(library->run(id)->summary.distance_km, distance);
    EXPECT_EQ(library->run(id)->state(), IndexedRun::State::Changed);
    QFile::remove(moved);
    const RunIndex::Checked checked = library->check();
    ASSERT_EQ(checked.missing.size(), 1u);
    EXPECT_EQ(checked.missing[0].id, id);
    EXPECT_EQ(library->list().size(), 1u);
}

// A notes file that is not JSON, or holds a value of the wrong kind, is refused with its file and
// line and never written over.
TEST_F(Library, DamagedNotesFileRefusedAndUntouched) {
    auto library = Open();
    const QString path = Data(QStringLiteral("a.csv"));
    WriteRun(path, 40, 50.0f, 2, kDay);
    for (const auto& [bytes, line] :
         {std::pair(QByteArray("{\n  \"event\": \"x\",\n  \"name\": oops\n}"), 3),
          std::pair(QByteArray("{\n  \"track\": \"t\",\n  \"tags\": [1]\n}"), 3)}) {
        QFile notes(NotesPath(path));
        ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
        notes.write(bytes);
        notes.close();
        const RunAdded added = Add(*library, path);
        const QString where = QStringLiteral("%1:%2: ").arg(NotesPath(path)).arg(line);
        EXPECT_TRUE(added.warning.startsWith(where)) << added.warning.toStdString();
        RunNotes changed;
        changed.event = QStringLiteral("new");
        const FileResult set = library->setNotes(added.id, changed);
        EXPECT_FALSE(set.ok);
        EXPECT_TRUE(set.reason.startsWith(where)) << set.reason.toStdString();
        ASSERT_TRUE(notes.open(QIODevice::ReadOnly));
        EXPECT_EQ(notes.readAll(), bytes);
    }
}

// An index of the schema before (no markers table) is brought up to date: its runs stay, and
// their markers come from their notes files.
TEST_F(Library, MigratesTheSchemaBefore) {
    auto library = Open();
    AddThree(*library);
    const auto before = Held(*library);
    library.reset();
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("v1"));
        db.setDatabaseName(index);
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec(QStringLiteral("DROP TABLE markers"));
        QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version = 1"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("v1"));
    QString note;
    library = Open(&note);
    EXPECT_EQ(Held(*library), before);
    EXPECT_TRUE(note.isEmpty());
}

struct Program {
    int exit;
    QByteArray out;
    QByteArray err;
};

// Runs the program on the test's library.
Program Yb(const QString& index, const QStringList& args, QProcess* started = nullptr) {
    QProcess local;
    QProcess& process = started ? *started : local;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("YB_LIBRARY"), index);
    env.insert(QStringLiteral("LANG"), QStringLiteral("C"));
    env.remove(QStringLiteral("YB_LANG"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(YB_PROGRAM), args);
    if (started) return {};
    process.waitForFinished(120000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

// Two programs adding folders at the same moment: every run of both is there, and neither says
// "database is locked".
TEST_F(Library, TwoProgramsAddingAtOnceLoseNothing) {
    for (const char* folder : {"one", "two"}) {
        QDir(dir.path()).mkpath(QStringLiteral("runs/") + QLatin1String(folder));
        for (int i = 0; i < 30; ++i) {
            WriteRun(Data(QStringLiteral("%1/%2.csv").arg(QLatin1String(folder)).arg(i)), 30 + i,
                     folder[0] == 'o' ? 40.0f : 50.0f, 1, kDay);
        }
    }
    QProcess first, second;
    Yb(index, {QStringLiteral("library"), QStringLiteral("add"), Data(QStringLiteral("one"))},
       &first);
    Yb(index, {QStringLiteral("library"), QStringLiteral("add"), Data(QStringLiteral("two"))},
       &second);
    for (QProcess* process : {&first, &second}) {
        ASSERT_TRUE(process->waitForFinished(120000));
        EXPECT_EQ(process->exitCode(), 0);
        EXPECT_FALSE(process->readAllStandardError().contains("locked"));
    }
    EXPECT_EQ(Open()->list().size(), 60u);
}

// The filters on a hand-made set of runs, in the index and through `library list --json`.
TEST_F(Library, FiltersAndListJson) {
    auto library = Open();
    struct Made {
        const char* name;
        const char* track;
        QStringList drivers;
        QStringList tags;
        int day;
        bool partial;
    };
    const std::vector<Made> made = {
        {"practice", "鈴鹿", {"山田"}, {"rain"}, 0, false},
        {"stint 1", "鈴鹿", {"山田", "Sato"}, {}, 1, true},
        {"stint 2", "Hidden Valley", {"Sato"}, {"rain", "best"}, 2, false},
    };
    for (const Made& m : made) {
        const QString path = Data(QLatin1String(m.name) + QStringLiteral(".csv"));
        WriteRun(path, 60, 45.0f, 2, kDay.addDays(m.day));
        AddOptions options;
        if (m.partial) options.download = {QStringLiteral("failed"), QStringLiteral("D1 記録 57")};
        const RunAdded added = library->add(ReadRunFile(path), options);
        RunNotes notes = library->run(added.id)->notes;
        notes.name = QLatin1String(m.name);
        notes.track = QString::fromUtf8(m.track);
        notes.drivers = m.drivers;
        notes.tags = m.tags;
        ASSERT_TRUE(library->setNotes(added.id, notes).ok);
    }
    QFile notData(Data(QStringLiteral("readme.txt")));
    ASSERT_TRUE(notData.open(QIODevice::WriteOnly));
    notData.write("hello\n");
    notData.close();
    const Program add = Yb(index, {QStringLiteral("library"), QStringLiteral("add"), Data({})});
    EXPECT_EQ(add.exit, 3);  // a file that is not a data file, listed; the others known
    EXPECT_TRUE(add.err.contains(QDir::toNativeSeparators(notData.fileName()).toUtf8() + ":1: "));

    using C = RunFilter::Completeness;
    const QDateTime day1 = kDay.addDays(1);
    for (const auto& [filter, args, names] :
         std::vector<std::tuple<RunFilter, QStringList, QStringList>>{
             {{}, {}, {"stint 2", "stint 1", "practice"}},
             {{.text = QStringLiteral("STINT")}, {"--filter", "STINT"}, {"stint 2", "stint 1"}},
             {{.text = QStringLiteral("valley")}, {"--filter", "valley"}, {"stint 2"}},
             {{.track = QStringLiteral("鈴鹿")}, {"--track", "鈴鹿"}, {"stint 1", "practice"}},
             {{.driver = QStringLiteral("Sato")}, {"--driver", "Sato"}, {"stint 2", "stint 1"}},
             {{.tag = QStringLiteral("rain")}, {"--tag", "rain"}, {"stint 2", "practice"}},
             {{.since = day1, .until = day1.addSecs(3600)},
              {"--since", "2026-07-13", "--until", "2026-07-13"},
              {"stint 1"}},
             {{.completeness = C::Partial}, {}, {"stint 1"}},
             {{.completeness = C::Complete}, {}, {"stint 2", "practice"}},
         }) {
        QStringList listed;
        for (const IndexedRun& run : library->list(filter)) listed << run.notes.name;
        EXPECT_EQ(listed, names) << args.join(u' ').toStdString();
        if (filter.completeness != C::Any) continue;
        const Program list =
            Yb(index, QStringList{QStringLiteral("library"), QStringLiteral("list"),
                                  QStringLiteral("--json")} +
                          args);
        ASSERT_EQ(list.exit, 0) << list.err.toStdString();
        QStringList json;
        for (const QJsonValue& run : QJsonDocument::fromJson(list.out).array()) {
            json << run[QStringLiteral("name")].toString();
            EXPECT_EQ(run[QStringLiteral("partial")].toBool(),
                      run[QStringLiteral("name")] == QStringLiteral("stint 1"));
            EXPECT_DOUBLE_EQ(
                run[QStringLiteral("summary")][QStringLiteral("duration_s")].toDouble(), 120.0);
        }
        EXPECT_EQ(json, names) << args.join(u' ').toStdString();
    }
}

}  // namespace
}  // namespace yb::test
