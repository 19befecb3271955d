// The Excel workbook, through libxlsxwriter: the sheets Summary (the metadata as texts, the
// summary's figures as numbers), Main, Temperatures and Laps (a head line of "name [unit]",
// frozen, then numbers as numbers, the clock as dates and times). Rows are written in order in
// libxlsxwriter's constant-memory mode, which keeps one row in memory.
#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <vector>

#include <xlsxwriter.h>

#include "export/Backends.h"

namespace yb {

namespace {

struct Workbook {
    lxw_workbook* book;
    lxw_format* head;
    lxw_format* clock;
    std::array<lxw_format*, 3> fixed;  // 0, 1 and 2 decimals

    lxw_format* Format(const char* number, bool bold = false) {
        lxw_format* format = workbook_add_format(book);
        if (number) format_set_num_format(format, number);
        if (bold) format_set_bold(format);
        return format;
    }
};

// A width that shows `characters` characters, and not absurdly many.
double Width(qsizetype characters) {
    return static_cast<double>(std::clamp<qsizetype>(characters + 2, 10, 60));
}

// A sheet with its head line, frozen, and its columns as wide as `widths` characters.
lxw_worksheet* Sheet(Workbook& book, const char* name, const QStringList& heads,
                     const std::vector<qsizetype>& widths) {
    lxw_worksheet* sheet = workbook_add_worksheet(book.book, name);
    for (qsizetype c = 0; c < heads.size(); ++c) {
        const auto col = static_cast<lxw_col_t>(c);
        worksheet_set_column(sheet, col, col, Width(widths[static_cast<std::size_t>(c)]), nullptr);
        worksheet_write_string(sheet, 0, col, heads[c].toUtf8().constData(), book.head);
    }
    worksheet_freeze_panes(sheet, 1, 0);
    return sheet;
}

void WriteTable(Workbook& book, const char* name, const ExportTable& table) {
    QStringList heads;
    std::vector<qsizetype> widths;
    for (const ExportColumn& column : table.columns) {
        heads << column.head();
        widths.push_back(column.text ? 19 : column.head().size());
    }
    lxw_worksheet* sheet = Sheet(book, name, heads, widths);
    for (int row = 0; row < table.rows(); ++row) {
        const auto r = static_cast<lxw_row_t>(row + 1);
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
            const ExportColumn& column = table.columns[c];
            const auto col = static_cast<lxw_col_t>(c);
            if (column.text) {
                // yyyy-MM-ddTHH:mm:ss
                const QStringView at(column.texts[row]);
                const auto field = [&at](int from, int size) { return at.mid(from, size).toInt(); };
                lxw_datetime cell{field(0, 4),  field(5, 2),  field(8, 2),
                                  field(11, 2), field(14, 2), 1.0 * field(17, 2)};
                worksheet_write_datetime(sheet, r, col, &cell, book.clock);
            } else if (const MainValue value = column.values[static_cast<std::size_t>(row)]) {
                lxw_format* format = column.decimals >= 0 && column.decimals < 3
                                         ? book.fixed[static_cast<std::size_t>(column.decimals)]
                                         : nullptr;
                worksheet_write_number(sheet, r, col, *value, format);
            }
        }
    }
}

void WriteSummary(Workbook& book, const RunTables& tables) {
    qsizetype widest = 0;
    for (const auto& item : tables.metadata) widest = std::max(widest, item.second.size());
    lxw_worksheet* sheet =
        Sheet(book, "Summary", {QStringLiteral("name"), QStringLiteral("value")}, {14, widest});
    lxw_row_t row = 1;
    for (const auto& [key, text] : tables.metadata) {
        worksheet_write_string(sheet, row, 0, key.toUtf8().constData(), nullptr);
        worksheet_write_string(sheet, row, 1, text.toUtf8().constData(), nullptr);
        ++row;
    }
    for (const SummaryFigure& figure : tables.summary) {
        worksheet_write_string(sheet, row, 0, figure.key, nullptr);
        if (figure.yesNo) {
            worksheet_write_boolean(sheet, row, 1, *figure.value != 0.0, nullptr);
        } else if (figure.value) {
            worksheet_write_number(sheet, row, 1, *figure.value, nullptr);
        }
        ++row;
    }
}

}  // namespace

FileResult XlsxBytes(const RunTables& tables, const QString& folder, QByteArray& bytes) {
    const QString path = folder + QStringLiteral("/export.xlsx");
    const QByteArray temporary = folder.toLocal8Bit();
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char*>(temporary.constData());
    Workbook book{workbook_new_opt(path.toLocal8Bit().constData(), &options), {}, {}, {}};
    if (!book.book) {
        return FileResult::Failed(
            QCoreApplication::translate("Exports", "cannot start the Excel workbook"));
    }
    book.head = book.Format(nullptr, true);
    book.clock = book.Format("yyyy-mm-dd hh:mm:ss");
    book.fixed = {book.Format("0"), book.Format("0.0"), book.Format("0.00")};
    WriteSummary(book, tables);
    WriteTable(book, "Main", tables.main);
    WriteTable(book, "Temperatures", tables.temperatures);
    WriteTable(book, "Laps", tables.laps);
    if (const lxw_error error = workbook_close(book.book); error != LXW_NO_ERROR) {
        return FileResult::Failed(
            QCoreApplication::translate("Exports", "cannot write the Excel workbook: %1")
                .arg(QString::fromUtf8(lxw_strerror(error))));
    }
    return ReadBack(path, WorkbookWhole, bytes);
}

}  // namespace yb
