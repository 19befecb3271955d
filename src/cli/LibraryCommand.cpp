// `library add PATH...`, `library list`, `library show RUN`, `library set RUN`, `library check`,
// `library rebuild`: the run library without widgets.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <map>

#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/Output.h"
#include "datafile/Printable.h"
#include "library/Library.h"
#include "library/RunColumns.h"

namespace yb {

namespace {

// "12 / 500  残り 0:40" on one line of the terminal that updates itself; nothing elsewhere.
ImportObserver ProgressLine() {
    if (!StderrIsTerminal()) return {};
    return [](const ImportProgress& p) {
        QString line =
            QCoreApplication::translate("LibraryCommand", "%1 / %2 files").arg(p.done).arg(p.total);
        if (p.secondsLeft)
            line += QCoreApplication::translate("LibraryCommand", "  %1 left")
                        .arg(ClockText(*p.secondsLeft));
        std::fputs(qPrintable(u'\r' + line + QStringLiteral("\x1b[K")), stderr);
        if (p.done == p.total) std::fputs("\n", stderr);
        std::fflush(stderr);
        return true;
    };
}

// A time typed for --since, --until or --start: a date (yyyy-MM-dd) or a date and time
// (yyyy-MM-ddTHH:mm[:ss], a blank for the T). A date alone is its first or, with `endOfDay`, its
// last instant.
std::optional<QDateTime> TypedTime(const QString& typed, bool endOfDay = false) {
    const QString text = typed.trimmed().replace(u' ', u'T');
    if (const QDate date = QDate::fromString(text, Qt::ISODate);
        date.isValid() && text.size() == 10) {
        return endOfDay ? QDateTime(date, QTime(23, 59, 59, 999)) : QDateTime(date, QTime(0, 0));
    }
    const QDateTime at = QDateTime::fromString(text, Qt::ISODate);
    if (at.isValid()) return at;
    return std::nullopt;
}

QJsonArray Array(const QStringList& texts) {
    return QJsonArray::fromStringList(texts);
}

QJsonValue TimeValue(const QDateTime& at, Qt::TimeSpec zone = Qt::LocalTime) {
    if (!at.isValid()) return QJsonValue::Null;
    return (zone == Qt::UTC ? at.toUTC() : at.toLocalTime()).toString(Qt::ISODate);
}

// A run as JSON: its number, file and state, its notes and its summary's figures (the lap table
// with them when `laps` holds it), and its markers when it has them.
QJsonObject RunJson(const IndexedRun& run, const std::vector<LapFigures>* laps = nullptr) {
    RunSummary summary = run.summary;
    if (laps) summary.lapTable = *laps;
    QJsonObject figures = QJsonDocument::fromJson(SummaryJson(summary)).object();
    if (!laps) figures.remove(QStringLiteral("lap_table"));
    figures.insert(QStringLiteral("wh_per_km"),
                   run.whPerKm ? QJsonValue(*run.whPerKm) : QJsonValue(QJsonValue::Null));
    const RunNotes& notes = run.notes;
    QJsonArray markers;
    for (const RunMarker& marker : notes.markers) {
        markers.append(QJsonObject{{QStringLiteral("time_s"), marker.timeS},
                                   {QStringLiteral("kind"), marker.kind},
                                   {QStringLiteral("text"), marker.text}});
    }
    QJsonObject json{
        {QStringLiteral("run"), run.id},
        {QStringLiteral("path"), run.path},
        {QStringLiteral("state"), StateKey(run.state())},
        {QStringLiteral("sha256"), run.sha256},
        {QStringLiteral("size"), run.size},
        {QStringLiteral("added"), TimeValue(run.added, Qt::UTC)},
        {QStringLiteral("downloaded"),
         run.downloaded.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(run.downloaded)},
        {QStringLiteral("partial"), run.partial()},
        {QStringLiteral("event"), notes.event},
        {QStringLiteral("name"), notes.name},
        {QStringLiteral("track"), notes.track},
        {QStringLiteral("drivers"), Array(notes.drivers)},
        {QStringLiteral("conditions"), notes.conditions},
        {QStringLiteral("tags"), Array(notes.tags)},
        {QStringLiteral("notes"), notes.notes},
        {QStringLiteral("battery_ah"),
         notes.batteryAh ? QJsonValue(*notes.batteryAh) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("start"), TimeValue(notes.start)},
        {QStringLiteral("download"),
         notes.download.ending.isEmpty()
             ? QJsonValue(QJsonValue::Null)
             : QJsonObject{{QStringLiteral("ending"), notes.download.ending},
                           {QStringLiteral("detail"), notes.download.detail}}},
        {QStringLiteral("summary"), figures},
    };
    if (laps) json.insert(QStringLiteral("markers"), markers);
    return json;
}

QString JsonText(const QJsonValue& value) {
    const QJsonDocument document =
        value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    return QString::fromUtf8(document.toJson(QJsonDocument::Compact));
}

struct Library {
    std::unique_ptr<RunIndex> index;
    int exit = kExitSuccess;
};

Library Open(const CommandOptions& options) {
    RunIndex::Opened opened = OpenLibrary(LibraryPath(options.library), ProgressLine());
    if (!opened.ok) {
        Err(opened.reason);
        return {nullptr, kExitFile};
    }
    if (!opened.note.isEmpty()) Err(opened.note);
    return {std::move(opened.index), kExitSuccess};
}

// The run that RUN names: its number or its file.
std::optional<IndexedRun> Named(const RunIndex& index, const QString& named) {
    bool number = false;
    const qint64 id = named.toLongLong(&number);
    std::optional<IndexedRun> run;
    if (number) {
        run = index.run(id);
    } else if (const std::optional<qint64> atPath = index.idOfPath(named)) {
        run = index.run(*atPath);
    }
    if (!run)
        Err(QCoreApplication::translate("LibraryCommand", "%1: no such run in the library")
                .arg(Printable(named)));
    return run;
}

int Add(RunIndex& index, const QStringList& paths) {
    if (paths.isEmpty())
        return UsageError(QCoreApplication::translate(
            "LibraryCommand", "library add: name the files or folders to add"));
    const ImportReport report = ImportRuns(index, DataFilesUnder(paths), ProgressLine());
    Out(QCoreApplication::translate(
            "LibraryCommand", "added %1, already there %2, moved %3, changed %4, not data files %5")
            .arg(report.added)
            .arg(report.known)
            .arg(report.moved)
            .arg(report.changed)
            .arg(report.refused.size()));
    for (const QString& warning : report.warnings) Err(warning);
    for (const QString& refused : report.refused) Err(refused);
    if (!report.failure.ok) {
        Err(report.failure.reason);
        return kExitFile;
    }
    return report.refused.isEmpty() ? kExitSuccess : kExitFile;
}

int List(const RunIndex& index, const CommandOptions& options) {
    RunFilter filter;
    filter.text = options.filter;
    filter.track = options.tracks.value(0);
    filter.driver = options.drivers.value(0);
    filter.tag = options.tags.value(0);
    for (const auto& [typed, at, end, option] :
         {std::tuple(options.since, &filter.since, false, "--since"),
          std::tuple(options.until, &filter.until, true, "--until")}) {
        if (typed.isEmpty()) continue;
        const std::optional<QDateTime> time = TypedTime(typed, end);
        if (!time) {
            return UsageError(
                QCoreApplication::translate("LibraryCommand",
                                            "%1 %2: a date is yyyy-MM-dd, a time yyyy-MM-ddTHH:mm")
                    .arg(QLatin1String(option), Printable(typed)));
        }
        *at = *time;
    }
    const std::vector<IndexedRun> runs = index.list(filter);
    if (options.json) {
        QJsonArray array;
        for (const IndexedRun& run : runs) array.append(RunJson(run));
        Out(JsonText(array));
        return kExitSuccess;
    }
    QStringList heads = {QCoreApplication::translate("LibraryCommand", "run")};
    for (const RunColumn& column : RunColumns()) heads << RunColumnHead(column);
    std::vector<QStringList> rows = {heads};
    for (const IndexedRun& run : runs) {
        QStringList row = {QString::number(run.id)};
        for (const RunColumn& column : RunColumns()) row << column.text(run);
        rows.push_back(row);
    }
    QString text = AlignedText(rows);
    text.chop(1);
    Out(text);
    return kExitSuccess;
}

int Show(const RunIndex& index, const QString& named, bool json) {
    const std::optional<IndexedRun> run = Named(index, named);
    if (!run) return kExitFile;
    const std::vector<LapFigures> laps = index.lapsOf(run->id);
    if (json) {
        Out(JsonText(RunJson(*run, &laps)));
        return kExitSuccess;
    }
    QStringList lines = {QCoreApplication::translate("LibraryCommand", "run %1: %2")
                             .arg(run->id)
                             .arg(Printable(run->path))};
    if (run->state() != IndexedRun::State::Present) lines << StateText(run->state());
    for (const RunColumn& column : RunColumns()) {
        const QString text = column.text(*run);
        if (!text.isEmpty()) lines << RunColumnHead(column) + QStringLiteral(": ") + text;
    }
    if (!run->notes.conditions.isEmpty())
        lines << QCoreApplication::translate("LibraryCommand", "conditions: ") +
                     run->notes.conditions;
    if (!run->notes.tags.isEmpty())
        lines << QCoreApplication::translate("LibraryCommand", "tags: ") +
                     JoinList(run->notes.tags);
    if (!run->notes.notes.isEmpty())
        lines << QCoreApplication::translate("LibraryCommand", "notes: ") + run->notes.notes;
    if (!run->notes.download.ending.isEmpty()) {
        lines << QCoreApplication::translate("LibraryCommand", "download: ") +
                     run->notes.download.ending + u' ' + run->notes.download.detail;
    }
    for (const RunMarker& marker : run->notes.markers) {
        lines << QCoreApplication::translate("LibraryCommand", "marker %1 %2: %3")
                     .arg(ClockText(marker.timeS, ClockForm::Long), MarkerKindName(marker.kind),
                          marker.text);
    }
    Out(lines.join(u'\n'));
    if (!laps.empty()) Out(u'\n' + LapTableText(laps).chopped(1));
    return kExitSuccess;
}

int Set(RunIndex& index, const QString& named, const CommandOptions& options) {
    const std::optional<IndexedRun> run = Named(index, named);
    if (!run) return kExitFile;
    RunNotes notes = run->notes;
    for (const auto& [given, field] :
         {std::pair(options.event, &notes.event), std::pair(options.name, &notes.name),
          std::pair(options.conditions, &notes.conditions),
          std::pair(options.note, &notes.notes)}) {
        if (given) *field = *given;
    }
    if (!options.tracks.isEmpty()) notes.track = options.tracks.back();
    if (!options.drivers.isEmpty()) notes.drivers = options.drivers;
    if (!options.tags.isEmpty()) notes.tags = options.tags;
    notes.drivers.removeAll(QString());
    notes.tags.removeAll(QString());
    if (options.start) {
        const std::optional<QDateTime> start =
            options.start->isEmpty() ? QDateTime() : TypedTime(*options.start);
        if (!start) {
            return UsageError(QCoreApplication::translate(
                                  "LibraryCommand", "--start %1: a time is yyyy-MM-ddTHH:mm[:ss]")
                                  .arg(Printable(*options.start)));
        }
        notes.start = *start;
    }
    if (const FileResult set = index.setNotes(run->id, notes); !set.ok) {
        Err(set.reason);
        return kExitFile;
    }
    return kExitSuccess;
}

int Check(RunIndex& index) {
    const RunIndex::Checked checked = index.check();
    for (const auto& [runs, state] : {std::pair(&checked.missing, IndexedRun::State::Missing),
                                      std::pair(&checked.changed, IndexedRun::State::Changed)}) {
        for (const IndexedRun& run : *runs) {
            Out(QStringLiteral("%1\t%2\t%3").arg(run.id).arg(StateKey(state), run.path));
        }
    }
    if (!checked.failure.isEmpty()) Err(checked.failure);
    if (checked.missing.empty() && checked.changed.empty() && checked.failure.isEmpty()) {
        Err(QCoreApplication::translate("LibraryCommand", "every file is there and unchanged"));
        return kExitSuccess;
    }
    return kExitFile;
}

}  // namespace

bool OpensLibraryWindow(const QStringList& args) {
    // No word but --library's value: no action.
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--library")) {
            ++i;
        } else if (!args[i].startsWith(u'-')) {
            return false;
        }
    }
    return true;
}

int LibraryCommand(const QStringList& args, const CommandOptions& options) {
    if (args.isEmpty()) return LibraryWindowCommand(options);
    const QString& action = args[0];
    const std::map<QString, std::pair<int, int>> arguments = {
        {QStringLiteral("add"), {2, 1 << 20}}, {QStringLiteral("list"), {1, 1}},
        {QStringLiteral("show"), {2, 2}},      {QStringLiteral("set"), {2, 2}},
        {QStringLiteral("check"), {1, 1}},     {QStringLiteral("rebuild"), {1, 1}}};
    const auto counts = arguments.find(action);
    if (counts == arguments.end()) {
        return UsageError(QCoreApplication::translate(
                              "LibraryCommand",
                              "library %1: the actions are add, list, show, set, check and rebuild")
                              .arg(Printable(action)));
    }
    if (args.size() < counts->second.first || args.size() > counts->second.second) {
        return UsageError(
            QCoreApplication::translate("LibraryCommand", "wrong arguments for library %1")
                .arg(action));
    }
    Library library = Open(options);
    if (!library.index) return library.exit;
    RunIndex& index = *library.index;
    if (action == QLatin1String("add")) return Add(index, args.mid(1));
    if (action == QLatin1String("list")) return List(index, options);
    if (action == QLatin1String("show")) return Show(index, args[1], options.json);
    if (action == QLatin1String("set")) return Set(index, args[1], options);
    if (action == QLatin1String("check")) return Check(index);
    if (const FileResult rebuilt = RebuildIndex(index, ProgressLine()); !rebuilt.ok) {
        Err(rebuilt.reason);
        return kExitFile;
    }
    Err(QCoreApplication::translate("LibraryCommand", "the library holds %1 runs")
            .arg(index.list().size()));
    return kExitSuccess;
}

}  // namespace yb
