#include "library/RunNotes.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include "datafile/DiskSync.h"
#include "datafile/Printable.h"

namespace yb {

namespace {

const char* const kContext = "RunNotes";

// The largest notes file read: a season's notes on one run are a few kilobytes.
constexpr qint64 kMaxNotesBytes = 4 * 1024 * 1024;

// The 1-based line of `offset` in `bytes`.
int LineAt(const QByteArray& bytes, qsizetype offset) {
    return 1 + static_cast<int>(bytes.left(offset).count('\n'));
}

// The line where `key` first stands as a key, 1 when it cannot be found.
int LineOfKey(const QByteArray& bytes, const QString& key) {
    const qsizetype at = bytes.indexOf('"' + key.toUtf8() + '"');
    return at < 0 ? 1 : LineAt(bytes, at);
}

QString Text(const QJsonObject& object, const char* key) {
    return object.value(QLatin1String(key)).toString();
}

QStringList Texts(const QJsonObject& object, const char* key) {
    QStringList texts;
    for (const QJsonValue& value : object.value(QLatin1String(key)).toArray()) {
        texts << value.toString();
    }
    return texts;
}

QJsonArray Array(const QStringList& texts) {
    QJsonArray array;
    for (const QString& text : texts) array.append(text);
    return array;
}

// The key of `object` whose value is not of the kind its key needs; empty when none.
QString WrongKey(const QJsonObject& object) {
    const auto is = [&object](const char* key, auto test) {
        const QJsonValue value = object.value(QLatin1String(key));
        return value.isUndefined() || value.isNull() || test(value);
    };
    const auto isText = [](const QJsonValue& v) { return v.isString(); };
    const auto isTexts = [](const QJsonValue& v) {
        if (!v.isArray()) return false;
        const QJsonArray array = v.toArray();
        return std::all_of(array.begin(), array.end(), [](auto e) { return e.isString(); });
    };
    const auto isObject = [](const QJsonValue& v) { return v.isObject(); };
    for (const char* key : {"event", "name", "track", "conditions", "notes", "start"}) {
        if (!is(key, isText)) return QLatin1String(key);
    }
    for (const char* key : {"drivers", "tags"}) {
        if (!is(key, isTexts)) return QLatin1String(key);
    }
    if (!is("battery_ah", [](const QJsonValue& v) { return v.isDouble(); }))
        return QStringLiteral("battery_ah");
    for (const char* key : {"download", "file"}) {
        if (!is(key, isObject)) return QLatin1String(key);
    }
    const auto isMarkers = [](const QJsonValue& v) {
        if (!v.isArray()) return false;
        for (const QJsonValue& marker : v.toArray()) {
            const QJsonObject m = marker.toObject();
            if (!marker.isObject() || !m.value(QLatin1String("time_s")).isDouble() ||
                !m.value(QLatin1String("kind")).isString() ||
                !(m.value(QLatin1String("text")).isString() ||
                  m.value(QLatin1String("text")).isUndefined())) {
                return false;
            }
        }
        return true;
    };
    if (!is("markers", isMarkers)) return QStringLiteral("markers");
    return {};
}

NotesRead Refused(const QString& path, int line, const QString& message) {
    NotesRead read;
    read.ok = false;
    read.reason = QStringLiteral("%1:%2: %3").arg(Printable(path)).arg(line).arg(message);
    return read;
}

}  // namespace

const std::vector<MarkerKind>& MarkerKinds() {
    static const std::vector<MarkerKind> kinds = {
        {"pit", QT_TRANSLATE_NOOP("RunNotes", "ピットストップ")},
        {"driver", QT_TRANSLATE_NOOP("RunNotes", "ドライバー交代")},
        {"incident", QT_TRANSLATE_NOOP("RunNotes", "インシデント")},
        {"note", QT_TRANSLATE_NOOP("RunNotes", "メモ")},
    };
    return kinds;
}

QString MarkerKindName(const QString& key) {
    for (const MarkerKind& kind : MarkerKinds()) {
        if (key == QLatin1String(kind.key)) return QCoreApplication::translate(kContext, kind.name);
    }
    return key;
}

QString NotesPath(const QString& dataPath) {
    return dataPath + QLatin1String(kNotesSuffix);
}

NotesRead ReadNotes(const QString& dataPath) {
    const QString path = NotesPath(dataPath);
    QFile file(path);
    if (!file.exists()) return {};
    if (!QFileInfo(path).isFile() || QFileInfo(path).size() > kMaxNotesBytes) {
        return Refused(path, 1, QCoreApplication::translate("RunNotes", "not a notes file"));
    }
    if (!file.open(QIODevice::ReadOnly)) return Refused(path, 1, file.errorString());
    const QByteArray bytes = file.read(kMaxNotesBytes);
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        return Refused(path, LineAt(bytes, error.offset), error.errorString());
    }
    if (!document.isObject())
        return Refused(path, 1, QCoreApplication::translate("RunNotes", "not a JSON object"));
    const QJsonObject all = document.object();
    if (const QString key = WrongKey(all); !key.isEmpty()) {
        return Refused(
            path, LineOfKey(bytes, key),
            QCoreApplication::translate("RunNotes", "\"%1\" holds a value of the wrong kind")
                .arg(key));
    }
    NotesRead read;
    read.exists = true;
    read.all = all;
    RunNotes& notes = read.notes;
    notes.event = Text(all, "event");
    notes.name = Text(all, "name");
    notes.track = Text(all, "track");
    notes.drivers = Texts(all, "drivers");
    notes.conditions = Text(all, "conditions");
    notes.tags = Texts(all, "tags");
    notes.notes = Text(all, "notes");
    if (all.value(QLatin1String("battery_ah")).isDouble())
        notes.batteryAh = all.value(QLatin1String("battery_ah")).toDouble();
    notes.start = QDateTime::fromString(Text(all, "start"), Qt::ISODate);
    const QJsonObject download = all.value(QLatin1String("download")).toObject();
    notes.download = {Text(download, "ending"), Text(download, "detail")};
    for (const QJsonValue& value : all.value(QLatin1String("markers")).toArray()) {
        const QJsonObject m = value.toObject();
        notes.markers.push_back(
            {m.value(QLatin1String("time_s")).toDouble(), Text(m, "kind"), Text(m, "text")});
    }
    const QJsonObject noted = all.value(QLatin1String("file")).toObject();
    read.file = {Text(noted, "sha256"),
                 static_cast<qint64>(noted.value(QLatin1String("size")).toDouble()),
                 QDateTime::fromString(Text(noted, "added"), Qt::ISODate)};
    return read;
}

FileResult WriteNotes(const QString& dataPath, const RunNotes& notes, const NotedFile& file) {
    const NotesRead before = ReadNotes(dataPath);
    if (!before.ok) return FileResult::Failed(before.reason);
    QJsonObject all = before.all;
    const auto put = [&all](const char* key, const QJsonValue& value, bool empty) {
        if (empty) {
            all.remove(QLatin1String(key));
        } else {
            all.insert(QLatin1String(key), value);
        }
    };
    put("event", notes.event, notes.event.isEmpty());
    put("name", notes.name, notes.name.isEmpty());
    put("track", notes.track, notes.track.isEmpty());
    put("drivers", Array(notes.drivers), notes.drivers.isEmpty());
    put("conditions", notes.conditions, notes.conditions.isEmpty());
    put("tags", Array(notes.tags), notes.tags.isEmpty());
    put("notes", notes.notes, notes.notes.isEmpty());
    put("battery_ah", notes.batteryAh.value_or(0.0), !notes.batteryAh);
    put("start", notes.start.toString(Qt::ISODate), !notes.start.isValid());
    put("download",
        QJsonObject{{QStringLiteral("ending"), notes.download.ending},
                    {QStringLiteral("detail"), notes.download.detail}},
        notes.download.ending.isEmpty());
    QJsonArray markers;
    for (const RunMarker& marker : notes.markers) {
        markers.append(QJsonObject{{QStringLiteral("time_s"), marker.timeS},
                                   {QStringLiteral("kind"), marker.kind},
                                   {QStringLiteral("text"), marker.text}});
    }
    put("markers", markers, markers.isEmpty());
    put("file",
        QJsonObject{{QStringLiteral("sha256"), file.sha256},
                    {QStringLiteral("size"), static_cast<double>(file.size)},
                    {QStringLiteral("added"), file.added.toUTC().toString(Qt::ISODate)}},
        file.sha256.isEmpty());
    return WriteWholeFile(NotesPath(dataPath), QJsonDocument(all).toJson(QJsonDocument::Indented));
}

QStringList SplitList(const QString& typed) {
    static const QRegularExpression kSeparators(QStringLiteral("[,、，]"));
    QStringList items;
    for (const QString& item : typed.split(kSeparators)) {
        if (!item.trimmed().isEmpty()) items << item.trimmed();
    }
    return items;
}

QString JoinList(const QStringList& items) {
    return items.join(QStringLiteral(", "));
}

}  // namespace yb
