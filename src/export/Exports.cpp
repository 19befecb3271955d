#include "export/Exports.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <array>
#include <charconv>

#include "datafile/DiskSync.h"
#include "datafile/FileTarget.h"
#include "datafile/Format.h"
#include "datafile/Printable.h"
#include "export/Backends.h"

namespace yb {

namespace {

constexpr std::array<const char*, 4> kFormatNames{"csv", "xlsx", "mat", "json"};

// A number as the column writes it: with the data file's decimals, or unrounded.
QByteArray NumberText(const ExportColumn& column, double value) {
    if (column.decimals < 0) return JsonNumber(value);
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                                   column.decimals)
                         .ptr;
    return QByteArray(buffer, static_cast<qsizetype>(end - buffer));
}

QByteArray Csv(const ExportTable& table) {
    QByteArray csv = "\xEF\xBB\xBF";
    QStringList heads;
    for (const ExportColumn& column : table.columns) heads << column.head();
    csv += heads.join(u',').toUtf8() + "\r\n";
    for (int row = 0; row < table.rows(); ++row) {
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
            const ExportColumn& column = table.columns[c];
            if (c > 0) csv += ',';
            const auto r = static_cast<std::size_t>(row);
            if (column.text) {
                csv += column.texts[row].toUtf8();
            } else if (column.values[r]) {
                csv += NumberText(column, *column.values[r]);
            }
        }
        csv += "\r\n";
    }
    return csv;
}

// A text as a JSON string: quotes, backslashes and control characters escaped, the rest UTF-8.
QByteArray JsonString(const QString& text) {
    QByteArray json = "\"";
    for (const char c : text.toUtf8()) {
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            json += QByteArray("\\u00") + QByteArray::number(c, 16).rightJustified(2, '0');
        } else {
            json += c;
        }
    }
    return json + '"';
}

// A table as one JSON object, a column's name to its array of values, a line per column.
QByteArray JsonTable(const ExportTable& table) {
    QByteArray json = "{";
    for (const ExportColumn& column : table.columns) {
        if (json.size() > 1) json += ',';
        json += "\n    " + JsonString(column.name) + ": [";
        const qsizetype start = json.size();
        for (int row = 0; row < table.rows(); ++row) {
            if (json.size() > start) json += ", ";
            const auto r = static_cast<std::size_t>(row);
            json += column.text        ? JsonString(column.texts[row])
                    : column.values[r] ? JsonNumber(*column.values[r])
                                       : QByteArray("null");
        }
        json += ']';
    }
    return json + "\n  }";
}

QByteArray Json(const RunTables& tables) {
    QByteArray metadata = "{";
    for (const auto& [key, value] : tables.metadata) {
        if (metadata.size() > 1) metadata += ", ";
        metadata += JsonString(key) + ": " + JsonString(value);
    }
    return "{\n  \"summary\": " + tables.summaryJson +
           ",\n  \"channels\": " + JsonTable(tables.main) +
           ",\n  \"temperatures\": " + JsonTable(tables.temperatures) +
           ",\n  \"laps\": " + JsonTable(tables.laps) + ",\n  \"metadata\": " + metadata + "}\n}\n";
}

// Whether the file at `path` is a data file (as this program or another tool saved it).
bool IsDataFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    QByteArray start = file.read(32);
    if (start.startsWith("\xEF\xBB\xBF")) start.remove(0, 3);
    return start.startsWith(kFileTitle.toLatin1());
}

}  // namespace

std::optional<ExportFormat> ExportFormatNamed(const QString& name) {
    for (std::size_t i = 0; i < kFormatNames.size(); ++i) {
        if (name == QLatin1String(kFormatNames[i])) return static_cast<ExportFormat>(i);
    }
    return std::nullopt;
}

QString ExportFormatName(ExportFormat format) {
    return QLatin1String(kFormatNames[static_cast<std::size_t>(format)]);
}

QString ExportFormatNames() {
    QStringList names;
    for (const char* name : kFormatNames) names << QLatin1String(name);
    return names.join(QStringLiteral(", "));
}

QStringList ExportFiles(ExportFormat format, const QString& path) {
    if (format != ExportFormat::Csv) return {path};
    const QFileInfo main(path);
    const QString suffix = main.suffix().isEmpty() ? QString() : u'.' + main.suffix();
    const QString base = path.chopped(suffix.size());
    return {path, base + QStringLiteral("-temperatures") + suffix,
            base + QStringLiteral("-laps") + suffix};
}

QString ExportFileName(const QString& base, ExportFormat format) {
    return base + (format == ExportFormat::Csv ? QStringLiteral("-utf8") : QString()) + u'.' +
           ExportFormatName(format);
}

FileResult WriteExport(const RunTables& tables, ExportFormat format, const QString& path,
                       bool replace) {
    const QStringList paths = ExportFiles(format, path);
    for (const QString& file : paths) {
        FileResult target = CheckTarget(file, replace);
        if (target.ok && IsDataFile(file)) {
            target = FileResult::Failed(QCoreApplication::translate(
                "Exports", "a data file: an export never replaces one"));
        }
        if (!target.ok)
            return FileResult::Failed(Printable(file) + QStringLiteral(": ") + target.reason);
    }
    std::vector<FileBytes> files;
    if (format == ExportFormat::Csv) {
        files = {{paths[0], Csv(tables.main)},
                 {paths[1], Csv(tables.temperatures)},
                 {paths[2], Csv(tables.laps)}};
    } else if (format == ExportFormat::Json) {
        files = {{path, Json(tables)}};
    } else {
        QString why;
        const ExportWriters* writers = LoadExportWriters(why);
        const QTemporaryDir folder;
        QByteArray bytes;
        const FileResult made = !writers ? FileResult::Failed(why)
                                : !folder.isValid()
                                    ? FileResult::Failed(folder.errorString())
                                    : (format == ExportFormat::Xlsx ? writers->xlsx : writers->mat)(
                                          tables, folder.path(), bytes);
        if (!made.ok)
            return FileResult::Failed(Printable(path) + QStringLiteral(": ") + made.reason);
        files = {{path, bytes}};
    }
    return WriteFilesAtomically(files);
}

}  // namespace yb
