#pragma once
// A run's tables (export/RunTables.h) in the formats other tools read:
//   csv   UTF-8 with a byte-order mark, commas, '.' as decimal point, a head line of
//         "name [unit]"; the main table in OUT, the temperatures in OUT-temperatures.csv and the
//         laps in OUT-laps.csv beside it (the name's extension after the suffix)
//   xlsx  an Excel workbook (libxlsxwriter): the sheets Summary, Main, Temperatures and Laps
//   mat   a MATLAB file (libmatio, level 5) with one struct `run`
//   json  one object: summary, channels, temperatures, laps, metadata
// Every target is checked before anything is written, and every file is written whole or not at
// all (datafile/DiskSync.h).

#include <QString>
#include <QStringList>

#include <optional>

#include "datafile/FileResult.h"
#include "export/RunTables.h"

namespace yb {

enum class ExportFormat { Csv, Xlsx, Mat, Json };

// The format a name (its file name extension) stands for: "csv", "xlsx", "mat", "json".
std::optional<ExportFormat> ExportFormatNamed(const QString& name);
QString ExportFormatName(ExportFormat format);
// "csv, xlsx, mat, json"
QString ExportFormatNames();

// The files an export to `path` writes: `path`, and for csv the two tables beside it.
QStringList ExportFiles(ExportFormat format, const QString& path);

// The name proposed for an export of a run named `base` (its data file's name without the
// extension): base.xlsx, base.mat, base.json, and base-utf8.csv, which is never the data file.
QString ExportFileName(const QString& base, ExportFormat format);

// Writes the tables in `format` at `path`. Each file's target is checked first (CheckTarget:
// an existing one only with `replace`), and a data file is never replaced by an export; then
// every file is rendered and written atomically. The reason names the file it concerns.
FileResult WriteExport(const RunTables& tables, ExportFormat format, const QString& path,
                       bool replace);

}  // namespace yb
