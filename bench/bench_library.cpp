// The run library's speed: adding 500 full-logger data files (aim: 60 ms a file on two cores),
// listing and filtering 10,000 runs (aim: 50 ms), the library's window on 10,000 runs open to
// painted (aim: 300 ms, 120 MB) and four full runs overlaid in one viewer open to painted (aim:
// 1 s). The windows are measured in a process of their own, so that its memory is theirs. Runs on
// the offscreen platform.
//
//   bench_library                       every figure
//   bench_library --window INDEX        (the child) the library's window on INDEX
//   bench_library --overlay FILE...     (the child) the files overlaid in one viewer
#include <QApplication>
#include <QChartView>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>
#include <QtConcurrent/QtConcurrentMap>
#include <cstdio>
#include <set>

#include "SimulatedRun.h"
#include "datafile/DataFile.h"
#include "datafile/ShiftJis.h"
#include "library/Library.h"
#include "viewer/ChartStack.h"
#include "viewer/LibraryWindow.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerWindow.h"

#include "Offscreen.h"
#include "Timing.h"

namespace {

constexpr int kFiles = 500;
constexpr int kRuns = 10000;

// The process's resident memory, MiB (Linux: VmRSS).
double ResidentMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ')[0].toDouble() / 1024;
    }
    return 0;
}

int WindowPhase(const QString& index) {
    const double before = ResidentMiB();
    QElapsedTimer timer;
    timer.start();
    yb::RunIndex::Opened opened = yb::OpenLibrary(index);
    if (!opened.ok) return 1;
    auto* window = new yb::LibraryWindow(std::move(opened.index));
    PaintWatch watch;
    window->runTable()->viewport()->installEventFilter(&watch);
    window->show();
    watch.wait(1);
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    std::printf(
        "  library window, %zu runs, open to painted  %8.1f ms   resident %6.1f MiB "
        "(%.1f MiB before)\n",
        window->shown().size(), ms, ResidentMiB(), before);
    delete window;
    return 0;
}

int OverlayPhase(const QStringList& files) {
    QElapsedTimer timer;
    timer.start();
    auto* viewer = static_cast<yb::ViewerWindow*>(yb::OpenViewerOnFiles(files));
    if (!viewer) return 1;
    PaintWatch watch;
    for (int i = 0; i < viewer->charts()->count(); ++i) {
        viewer->charts()->view(i)->viewport()->installEventFilter(&watch);
    }
    watch.wait(static_cast<std::size_t>(viewer->charts()->count()));
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    std::printf(
        "  %lld full runs overlaid in one viewer, open to painted  %8.1f ms   resident "
        "%6.1f MiB\n",
        static_cast<long long>(files.size()), ms, ResidentMiB());
    delete viewer;
    return 0;
}

// Runs this program again for one phase; its output goes to ours.
void Child(const QStringList& args) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), args);
    child.waitForFinished(-1);
}

}  // namespace

int main(int argc, char** argv) {
    UseOffscreenPlatform();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bench_library"));
    const QTemporaryDir settings;  // what the windows remember: not the user's
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.value(0) == QLatin1String("--window")) return WindowPhase(args.value(1));
    if (args.value(0) == QLatin1String("--overlay")) return OverlayPhase(args.mid(1));

    QTemporaryDir dir;
    if (!dir.isValid()) return 1;

    const QString index = dir.filePath(QStringLiteral("library.sqlite"));
    qputenv("YB_LIBRARY", index.toUtf8());
    std::printf("bench_library: %d cores\n", QThread::idealThreadCount());

    // 500 full loggers' files: one race, each file written at another time.
    yb::RecordStore data;
    yb::bench::FillSimulatedRun(data, {2, 16100, 537, 200});
    QStringList files;
    for (int i = 0; i < kFiles; ++i) {
        files << dir.filePath(QStringLiteral("runs/YB_Data_%1.csv").arg(i, 3, 10, QChar(u'0')));
    }
    QDir(dir.path()).mkdir(QStringLiteral("runs"));
    const QDateTime start(QDate(2026, 4, 1), QTime(9, 0));
    QtConcurrent::blockingMap(files, [&](const QString& path) {
        const int i = path.section(u'_', -1).left(3).toInt();
        yb::WriteDataFile(data, true, path, [&start, i] { return start.addSecs(i * 3600L * 7); });
    });
    std::printf("  %d files of %lld bytes\n", kFiles,
                static_cast<long long>(QFileInfo(files.front()).size()));

    yb::RunIndex::Opened opened = yb::OpenLibrary(index);
    if (!opened.ok) return 1;
    yb::RunIndex& library = *opened.index;
    QElapsedTimer timer;
    timer.start();
    const yb::ImportReport imported = yb::ImportRuns(library, files);
    const double importMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    std::printf("  adding %d full-logger files (library add)  %8.1f ms a file   (%d added)\n",
                kFiles, importMs / kFiles, imported.added);

    // 10,000 runs: the others made from the first file's figures, with notes to filter by.
    const yb::RunFileRead read = yb::ReadRunFile(files.front());
    const QStringList tracks = {QStringLiteral("鈴鹿"), QStringLiteral("Hidden Valley"),
                                QStringLiteral("Sepang"), QStringLiteral("もてぎ")};
    timer.restart();
    for (int i = kFiles; i < kRuns; ++i) {
        yb::RunFileRead run = read;
        run.file.path =
            QDir::toNativeSeparators(dir.filePath(QStringLiteral("made/run%1.csv").arg(i)));
        run.file.sha256 = QString::fromLatin1(
            QCryptographicHash::hash(QByteArray::number(i), QCryptographicHash::Sha256).toHex());
        run.file.downloaded = start.addSecs(i * 3600L * 7);
        run.file.summary.partial = i % 10 == 0;
        yb::RunNotes& notes = run.notes.notes;
        notes.event = QStringLiteral("Event %1").arg(i / 40);
        notes.name = QStringLiteral("stint %1").arg(i % 4 + 1);
        notes.track = tracks[i % tracks.size()];
        notes.drivers = {QStringLiteral("Driver %1").arg(i % 8)};
        notes.tags = {i % 3 == 0 ? QStringLiteral("rain") : QStringLiteral("sun")};
        if (!library.add(run).ok) return 1;
    }
    std::printf("  (the other %d runs added in %.1f s)\n", kRuns - kFiles,
                static_cast<double>(timer.elapsed()) / 1000.0);

    // As in the window, which keeps the index open: the pages its first list read stay cached.
    library.list();
    std::printf("list and filter %d runs (the index open):\n", kRuns);
    using F = yb::RunFilter;
    for (const auto& [what, filter] :
         {std::pair("all", F{}),
          std::pair("text \"stint 2\"", F{.text = QStringLiteral("stint 2")}),
          std::pair("track", F{.track = QStringLiteral("Sepang")}),
          std::pair("driver", F{.driver = QStringLiteral("Driver 3")}),
          std::pair("tag", F{.tag = QStringLiteral("rain")}),
          std::pair("a month", F{.since = start.addMonths(12), .until = start.addMonths(13)}),
          std::pair("partial", F{.completeness = F::Completeness::Partial})}) {
        std::size_t shown = 0;
        const Figures f = Time(10, [&] { shown = library.list(filter).size(); });
        std::printf("  %-18s %6zu runs   mean %7.1f ms   max %7.1f ms\n", what, shown, f.mean,
                    f.max);
    }
    opened.index.reset();

    std::printf("windows (each in a process of its own):\n");
    std::fflush(stdout);
    Child({QStringLiteral("--window"), index});
    Child(QStringList{QStringLiteral("--overlay")} + files.mid(0, 4));
    return 0;
}
