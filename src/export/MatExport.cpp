// The MATLAB file, through libmatio (level 5, compressed): one struct `run` holding a column
// vector of doubles per main channel (NaN where a record has no value; the clock as a char
// matrix of a row per record), and the structs `temperatures` and `laps` of vectors, `summary` of
// scalars and `metadata` of strings.
#include <QCoreApplication>

#include <cmath>
#include <utility>
#include <vector>

#include <matio.h>

#include "export/Backends.h"

namespace yb {

namespace {

// A struct of one element with no fields yet; each field is added with Set.
matvar_t* Struct(const char* name) {
    std::size_t dims[2] = {1, 1};
    return Mat_VarCreateStruct(name, 2, dims, nullptr, 0);
}

void Set(matvar_t* parent, const char* field, matvar_t* value) {
    Mat_VarAddStructField(parent, field);
    Mat_VarSetStructFieldByName(parent, field, 0, value);
}

matvar_t* Doubles(const std::vector<double>& values) {
    std::size_t dims[2] = {values.size(), 1};
    return Mat_VarCreate(nullptr, MAT_C_DOUBLE, MAT_T_DOUBLE, 2, dims,
                         const_cast<double*>(values.data()), 0);
}

// A char matrix of `rows` rows of `width` UTF-16 code units (MATLAB's characters), given in
// column order; stored as miUTF16, which MATLAB and SciPy both read whole.
matvar_t* Chars(const QString& columns, std::size_t rows, std::size_t width) {
    std::size_t dims[2] = {rows, width};
    if (rows * width == 0) dims[0] = dims[1] = 0;
    return Mat_VarCreate(nullptr, MAT_C_CHAR, MAT_T_UTF16, 2, dims,
                         const_cast<ushort*>(columns.utf16()), 0);
}

// A table's columns as fields of `parent`.
void SetColumns(matvar_t* parent, const ExportTable& table) {
    const auto rows = static_cast<std::size_t>(table.rows());
    for (const ExportColumn& column : table.columns) {
        const QByteArray name = column.name.toLatin1();
        if (column.text) {
            // Every clock text has the same length; the matrix is stored column by column.
            const std::size_t width =
                rows > 0 ? static_cast<std::size_t>(column.texts[0].size()) : 0;
            QString chars(static_cast<qsizetype>(rows * width), u' ');
            for (std::size_t r = 0; r < rows; ++r) {
                const QString& line = column.texts[static_cast<qsizetype>(r)];
                for (std::size_t c = 0; c < width; ++c)
                    chars[static_cast<qsizetype>(c * rows + r)] = line[static_cast<qsizetype>(c)];
            }
            Set(parent, name.constData(), Chars(chars, rows, width));
            continue;
        }
        std::vector<double> values;
        values.reserve(rows);
        for (const MainValue value : column.values) values.push_back(value.value_or(NAN));
        Set(parent, name.constData(), Doubles(values));
    }
}

}  // namespace

FileResult MatBytes(const RunTables& tables, const QString& folder, QByteArray& bytes) {
    const QString path = folder + QStringLiteral("/export.mat");
    const auto failed = [] {
        return FileResult::Failed(
            QCoreApplication::translate("Exports", "cannot write the MATLAB file: %1")
                .arg(qt_error_string(errno)));
    };
    mat_t* mat = Mat_CreateVer(path.toLocal8Bit().constData(), nullptr, MAT_FT_MAT5);
    if (!mat) return failed();
    matvar_t* run = Struct("run");
    SetColumns(run, tables.main);
    for (const auto& [name, table] :
         {std::pair("temperatures", &tables.temperatures), std::pair("laps", &tables.laps)}) {
        matvar_t* part = Struct(nullptr);
        SetColumns(part, *table);
        Set(run, name, part);
    }
    matvar_t* summary = Struct(nullptr);
    for (const SummaryFigure& figure : tables.summary)
        Set(summary, figure.key, Doubles({figure.value.value_or(NAN)}));
    Set(run, "summary", summary);
    matvar_t* metadata = Struct(nullptr);
    for (const auto& [key, text] : tables.metadata)
        Set(metadata, key.toLatin1().constData(),
            Chars(text, 1, static_cast<std::size_t>(text.size())));
    Set(run, "metadata", metadata);
    const bool written = Mat_VarWrite(mat, run, MAT_COMPRESSION_ZLIB) == 0;
    Mat_VarFree(run);
    if (Mat_Close(mat) != 0 || !written) return failed();
    return ReadBack(path, MatFileWhole, bytes);
}

}  // namespace yb
