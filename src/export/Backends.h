#pragma once
// The formats whose libraries write only to a file of their own name: each makes its file in
// `folder` (a temporary folder of the caller's, where libxlsxwriter keeps its own temporary files
// too) and hands back its bytes for WriteExport's atomic write.
//
// Neither library reports every write that failed: libmatio none, libxlsxwriter not those of
// its temporary files, whose parts it then packs cut short. So each file is read back and taken
// only when it is whole: the MATLAB file one compressed variable whose stream inflates to its
// end (its checksum right) into one matrix; the workbook's every part found where its directory
// says, inflated to its size, and its XML elements closed in order to the last.
//
// The two writers and their libraries live in a module of their own (ExportWriters), loaded by
// the first export that needs it: libmatio alone brings some thirty libraries (HDF5 and its
// network and crypto libraries), which every start of the program would otherwise load.

#include <QByteArray>
#include <QString>

#include "datafile/FileResult.h"
#include "export/RunTables.h"

namespace yb {

FileResult XlsxBytes(const RunTables& tables, const QString& folder, QByteArray& bytes);
FileResult MatBytes(const RunTables& tables, const QString& folder, QByteArray& bytes);

// The file a library wrote at `path`, when `whole` finds it so; else the reason.
FileResult ReadBack(const QString& path, bool (*whole)(const QByteArray&), QByteArray& bytes);
bool WorkbookWhole(const QByteArray& zip);
bool MatFileWhole(const QByteArray& file);

// What the writers' module offers, through its one entry (kExportWritersEntry).
struct ExportWriters {
    decltype(&XlsxBytes) xlsx;
    decltype(&MatBytes) mat;
};
inline constexpr char kExportWritersEntry[] = "yb_export_writers";
using ExportWritersEntry = const ExportWriters* (*)();

// The writers, the module loaded on the first call: beside the program, or in the folder the
// package installs it to; only in the folder YB_EXPORT_WRITERS names when it is set. nullptr
// with `why` when it cannot be loaded.
const ExportWriters* LoadExportWriters(QString& why);

}  // namespace yb
