// The exports of a full logger's data file (16100 main, 1350 temperature, 200 lap rows at 5 s,
// the simulated race): the tables made from the run, each format written atomically, the read
// back of the files the libraries make, and `yb-downloader export` from the command to its exit
// (aim: any format within 1 s).
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "SimulatedRun.h"
#include "datafile/DataFileReader.h"
#include "export/Backends.h"
#include "export/Exports.h"

#include "Timing.h"

namespace {

void Print(const QString& what, const Figures& f, qint64 bytes = -1) {
    std::printf("  %-36s mean %7.1f ms   min %7.1f ms   max %7.1f ms", qPrintable(what), f.mean,
                f.min, f.max);
    if (bytes >= 0) std::printf("   %8lld bytes", static_cast<long long>(bytes));
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) return 1;
    const QString path = dir.filePath(QStringLiteral("full.csv"));
    const QByteArray bytes = yb::bench::WriteFullDataFile(path);
    if (bytes.isEmpty()) return 1;

    const yb::RunData run = *yb::ReadDataFileAt(path).run;
    yb::RunTables tables;
    const Figures made = Time(10, [&] {
        const yb::RunSummary summary = yb::SummarizeRun(run);
        const yb::RunEnergy energy = yb::DeriveEnergy(run, 30.0);
        tables = yb::MakeRunTables({run,
                                    summary,
                                    summary.lapTable,
                                    energy,
                                    yb::AllRows(run),
                                    0.0,
                                    30.0,
                                    QDateTime(QDate(2026, 7, 30), QTime(9, 0)),
                                    {},
                                    {}});
    });
    Print(QStringLiteral("summary, energy and tables"), made);

    bool ok = true;
    for (const yb::ExportFormat format : {yb::ExportFormat::Csv, yb::ExportFormat::Xlsx,
                                          yb::ExportFormat::Mat, yb::ExportFormat::Json}) {
        const QString name = yb::ExportFormatName(format);
        const QString out = dir.filePath(QStringLiteral("out.") + name);
        const Figures written =
            Time(5, [&] { ok = yb::WriteExport(tables, format, out, true).ok && ok; });
        qint64 size = 0;
        for (const QString& each : yb::ExportFiles(format, out)) size += QFileInfo(each).size();
        Print(name + QStringLiteral(" written"), written, size);
    }
    QFile workbook(dir.filePath(QStringLiteral("out.xlsx")));
    const QByteArray zip = workbook.open(QIODevice::ReadOnly) ? workbook.readAll() : QByteArray();
    Print(QStringLiteral("of it: the workbook read back"),
          Time(5, [&] { ok = yb::WorkbookWhole(zip) && ok; }));

    std::printf("the command, from its start to its exit:\n");
    for (const char* format : {"csv", "xlsx", "mat", "json"}) {
        const Figures command = Time(5, [&] {
            QProcess program;
            program.setStandardOutputFile(QProcess::nullDevice());
            program.start(QStringLiteral(YB_PROGRAM),
                          {QStringLiteral("export"), path, QStringLiteral("--format"),
                           QLatin1String(format), QStringLiteral("--force"),
                           QStringLiteral("--start"), QStringLiteral("2026-07-30T09:00:00")});
            ok = program.waitForFinished(60000) && program.exitCode() == 0 && ok;
        });
        Print(QStringLiteral("yb-downloader export --format ") + QLatin1String(format), command);
    }
    if (!ok) std::fprintf(stderr, "an export failed\n");
    return ok ? 0 : 1;
}
