// Writes the data file of a simulated race (SimulatedRun.h), as the program saves a download,
// and with --view opens it in the viewer. For screenshots and trying the viewer without a logger.
#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QSaveFile>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "SimulatedRun.h"
#include "cli/Commands.h"
#include "datafile/DataFile.h"
#include "datafile/ShiftJis.h"
#include "settings/Settings.h"

int main(int argc, char** argv) {
    // Widgets (and a display) only for --view.
    const bool viewing = std::any_of(argv + 1, argv + argc,
                                     [](const char* arg) { return qstrcmp(arg, "--view") == 0; });
    const std::unique_ptr<QCoreApplication> app(viewing ? new QApplication(argc, argv)
                                                        : new QCoreApplication(argc, argv));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes the data file of a simulated race."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("the data file to write"));
    const QCommandLineOption interval(QStringLiteral("interval"),
                                      QStringLiteral("recording interval, s (default 2)"),
                                      QStringLiteral("s"), QStringLiteral("2"));
    const QCommandLineOption main(QStringLiteral("main"), QStringLiteral("main rows (16100)"),
                                  QStringLiteral("n"), QStringLiteral("16100"));
    const QCommandLineOption temp(
        QStringLiteral("temp"),
        QStringLiteral("temperature rows (default: one per temperature interval of the run)"),
        QStringLiteral("n"));
    const QCommandLineOption laps(QStringLiteral("laps"), QStringLiteral("laps (200)"),
                                  QStringLiteral("n"), QStringLiteral("200"));
    const QCommandLineOption tsv(QStringLiteral("tsv"), QStringLiteral("tabs instead of commas"));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("the race: another seed, another race"),
                                  QStringLiteral("n"), QStringLiteral("20240804"));
    const QCommandLineOption written(
        QStringLiteral("written"),
        QStringLiteral("the file's time of writing, yyyy-MM-ddTHH:mm (default: now)"),
        QStringLiteral("time"));
    const QCommandLineOption view(QStringLiteral("view"), QStringLiteral("open it in the viewer"));
    parser.addOptions({interval, main, temp, laps, tsv, seed, written, view});
    parser.process(*app);
    if (parser.positionalArguments().size() != 1) parser.showHelp(2);
    const QString path = parser.positionalArguments().front();

    yb::bench::RunSize size;
    size.intervalS = parser.value(interval).toInt();
    size.mainRows = std::clamp(parser.value(main).toInt(), 0, 16100);
    // By default the temperatures of every temperature interval the main rows reach into.
    const int perTemperature = yb::TemperatureIntervalSeconds(size.intervalS);
    size.temperatureRows = std::clamp(
        parser.isSet(temp) ? parser.value(temp).toInt()
                           : (size.mainRows * size.intervalS + perTemperature - 1) / perTemperature,
        0, 1350);
    size.laps = std::clamp(parser.value(laps).toInt(), 0, 200);
    size.seed = parser.value(seed).toUInt();
    yb::RecordStore data;
    yb::bench::FillSimulatedRun(data, size);

    const QDateTime at = parser.isSet(written)
                             ? QDateTime::fromString(parser.value(written), Qt::ISODate)
                             : QDateTime::currentDateTime();
    const auto text = yb::RenderDataFile(data, parser.isSet(tsv) ? u'\t' : u',', path, at);
    const auto bytes = text ? yb::EncodeShiftJis(*text) : std::nullopt;
    QSaveFile file(path);
    if (!bytes || !file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() ||
        !file.commit()) {
        std::fprintf(stderr, "%s: could not be written\n", qPrintable(path));
        return 1;
    }
    return parser.isSet(view) ? yb::ViewCommand({path}, {}) : 0;
}
