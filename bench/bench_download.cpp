// Download speed against the simulated logger at the pace of a 38400-baud line.
//
// Each run downloads a logger of M/T/L records and compares the time from the start to the end
// with the line-time limit: every request and answer character on the line (10 bits each at
// 38400 baud) plus the five fixed 100 ms waits of T??, D1?, TMP?, D2? and L?.
//
//   (a) the session alone (no window): the core's own cost;
//   (b) the real main window, shown on the offscreen platform, its texts and its status bar
//       (progress bar, rate, time left) updated as in use;
//   (c) the command line: the built program's `download`, saving the data file;
//   (d) the session through a USB adapter whose latency timer holds every answer 16 ms, and
//       through one that does not (0 ms): what the timer costs, and what a full logger would
//       take at each (the ratio times the full logger's line-time limit).
//
// Each client is compared with a bare blocking client (BareClient.h) on the same line: the session
// and the window with one run as a thread of the benchmark, as they are; the command line with one
// run as a process of its own, as it is.
//
// bench_download [--full] [--rounds N] [--only floor,session,window,cli,adapter]
//   --full        every client with a full logger, 16100/1350/200 records (about twelve minutes
//                 a round), instead of 2000/100/10
//   --rounds N    N rounds of floors and clients, and each client's median over its floor
//   --only C,...  these alone (one client without the floors: to profile it)

#include <QApplication>
#include <QByteArray>
#include <QProcess>
#include <QPushButton>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "BareClient.h"
#include "LineTime.h"
#include "serial/EventDispatcher.h"
#include "session/Session.h"
#include "sim/LoggerSim.h"
#include "ui/Form1.h"

namespace {

using Clock = std::chrono::steady_clock;

// A floor's ratio and median turn-around, once measured: each client's are compared with its
// floor's. On a virtual machine a floor's own total varies by a few per cent from run to run (the
// host's stalls, seen in the 99th percentile of every client alike); the medians do not.
struct Floor {
    double ratio = 0.0;
    double medianUs = 0.0;
};
Floor threadFloor, processFloor;

// Each client's time over its floor, in per cent, one entry a round.
std::map<std::string, std::vector<double>> overFloor;

ybsim::Options Paced(long main, long temp, long laps, int adapterLatencyMs = 0) {
    ybsim::Options o;
    o.mainCount = main;
    o.tempCount = temp;
    o.lapCount = laps;
    o.adapterLatencyMs = adapterLatencyMs;
    return o;
}

// Sleeps between events as the program's own event loop does: whatever ends a run (the outcome,
// the session going idle, the command line exiting) arrives as an event.
void RunUntil(const std::function<bool()>& done) {
    while (!done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Times one download started by `start` and finished when `finished` holds; prints the ratio
// and how far it and the median turn-around lie above those of `floor` (the goal: 0.5 % at most),
// and returns the ratio, 0 when the download was incomplete.
double Measure(const char* what, ybsim::LoggerSim& sim, const std::function<void()>& start,
               const std::function<bool()>& finished, const yb::RecordStore* data,
               const Floor& floor) {
    sim.clearReceived();
    const auto t0 = Clock::now();
    start();
    RunUntil(finished);
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    const double limit = LineTimeLimit(sim);
    const double ratio = seconds / limit;
    // The program's own store is out of reach: its requests show it fetched everything.
    const bool complete =
        data ? data->mainCount() == sim.mainCount() && data->tempCount() == sim.tempCount() &&
                   data->lapCount() == sim.lapCount()
             : sim.commands().size() ==
                   static_cast<std::size_t>(5 + sim.mainCount() + sim.tempCount() + sim.lapCount());
    const Turnaround turn = RecordTurnaround(sim);
    std::printf("%s %ld/%ld/%ld: %.3f s, line-time limit %.3f s, ratio %.3f, turn-around "
                "median %.0f us mean %.0f us 99%% %.0f us",
                what, sim.mainCount(), sim.tempCount(), sim.lapCount(), seconds, limit, ratio,
                turn.medianUs, turn.meanUs, turn.p99Us);
    if (floor.ratio > 0) {
        // The median's excess in a main record's line time (6.25 ms).
        const double lineUs = kMainRecordChars * kCharSeconds * 1e6;
        const double over = (ratio / floor.ratio - 1.0) * 100.0;
        std::printf("\n    over the floor: time %+.2f %%, median turn-around %+.2f %% of a record",
                    over, (turn.medianUs - floor.medianUs) / lineUs * 100.0);
        if (complete) overFloor[what].push_back(over);
    }
    std::printf("%s\n", complete ? "" : " INCOMPLETE");
    return complete ? ratio : 0.0;
}

bool Report(const char* what, ybsim::LoggerSim& sim, const std::function<void()>& start,
            const std::function<bool()>& finished, const yb::RecordStore* data,
            const Floor& floor) {
    return Measure(what, sim, start, finished, data, floor) > 0;
}

// One session download from a paced logger; its ratio to the line-time limit, 0 on failure.
double SessionDownload(const char* what, const ybsim::Options& options) {
    ybsim::LoggerSim sim(options);
    sim.start();
    yb::Session session;
    if (!session.openDevice(QString::fromStdString(sim.slavePath())).done()) return 0.0;
    bool done = false;
    return Measure(
        what, sim,
        [&] {
            QCoro::connect(session.download(), &session,
                           [&](const yb::DownloadOutcome&) { done = true; });
        },
        [&] { return done; }, &session.store(), threadFloor);
}

// The floors on this machine now: the bare client (BareClient.h), once as a thread of this
// benchmark, the floor of the session and the window that run in it, and once as a process of its
// own, the floor of the command line. The ratios of (a) to (c) are the program's; the floors' are
// the simulator's and the machine's.
Floor FloorOf(const char* what, ybsim::LoggerSim& sim, double seconds, bool complete) {
    const Turnaround turn = RecordTurnaround(sim);
    const double ratio = seconds / LineTimeLimit(sim);
    std::printf("%s %ld/%ld/%ld: %.3f s, ratio %.3f, turn-around median %.0f us mean %.0f us "
                "99%% %.0f us%s\n",
                what, sim.mainCount(), sim.tempCount(), sim.lapCount(), seconds, ratio,
                turn.medianUs, turn.meanUs, turn.p99Us, complete ? "" : " INCOMPLETE");
    if (!complete) return {};  // no floor: its clients are not compared
    return {ratio, turn.medianUs};
}

void BenchFloors(long main, long temp, long laps) {
    {
        ybsim::LoggerSim sim(Paced(main, temp, laps));
        sim.start();
        const auto t0 = Clock::now();
        const bool complete = BareDownload(sim.slavePath(), main, temp, laps);
        const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        threadFloor = FloorOf("(0) bare client, a thread", sim, seconds, complete);
    }
    ybsim::LoggerSim sim(Paced(main, temp, laps));
    sim.start();
    QProcess client;
    client.setProcessChannelMode(QProcess::ForwardedChannels);
    const auto t0 = Clock::now();
    client.start(QStringLiteral(YB_BARE_CLIENT),
                 {QString::fromStdString(sim.slavePath()), QString::number(main),
                  QString::number(temp), QString::number(laps)});
    RunUntil([&] { return client.state() == QProcess::NotRunning; });
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    const bool complete = client.exitStatus() == QProcess::NormalExit && client.exitCode() == 0;
    processFloor = FloorOf("(0) bare client, a process", sim, seconds, complete);
}

bool BenchSession(long main, long temp, long laps) {
    return SessionDownload("(a) session download", Paced(main, temp, laps)) > 0;
}

bool BenchAdapterLatency(long main, long temp, long laps) {
    bool ok = true;
    for (const int latencyMs : {16, 0}) {
        const std::string what =
            "(d) session, adapter latency " + std::to_string(latencyMs) + " ms";
        const double ratio =
            SessionDownload(what.c_str(), Paced(main, temp, laps, latencyMs));
        ok = ok && ratio > 0;
        const double full = ratio * kFullLineTimeLimit;
        std::printf("    a full logger (16100/1350/200) at this pace: %.0f s (%d m %02d s)\n", full,
                    static_cast<int>(full) / 60, static_cast<int>(full) % 60);
    }
    return ok;
}

// `retries`: the download sends a refused request again, and so keeps account of the answers
// the line owes; on a clean line that must cost nothing.
bool BenchCommandLine(long main, long temp, long laps, bool retries = false) {
    ybsim::LoggerSim sim(Paced(main, temp, laps));
    sim.start();
    QTemporaryDir dir;
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    return Report(
        retries ? "(c) command line, --retries 3" : "(c) command line     ", sim,
        [&] {
            QStringList args{QStringLiteral("download"), QStringLiteral("--port"),
                             QString::fromStdString(sim.slavePath()), QStringLiteral("-o"),
                             dir.filePath(QStringLiteral("run.csv"))};
            if (retries) args << QStringLiteral("--retries") << QStringLiteral("3");
            program.start(QStringLiteral(YB_PROGRAM), args);
        },
        [&] { return program.state() == QProcess::NotRunning; }, nullptr, processFloor);
}

bool BenchWindow(long main, long temp, long laps) {
    ybsim::LoggerSim sim(Paced(main, temp, laps));
    sim.start();
    qputenv("YB_COM1", QByteArray::fromStdString(sim.slavePath()));
    yb::Form1 window;
    window.show();
    window.findChild<QPushButton*>(QStringLiteral("OpenCommBtn"))->click();
    if (!window.session().portOpen()) return false;
    bool started = false;
    return Report(
        "(b) window download, status bar shown", sim,
        [&] {
            window.findChild<QPushButton*>(QStringLiteral("DownLoadBtn"))->click();
            started = true;
        },
        [&] { return started && !window.session().busy(); }, &window.session().store(),
        threadFloor);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform says this for every window shown; it tells nothing here.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
        if (!message.contains(QStringLiteral("propagateSizeHints"))) {
            std::fprintf(stderr, "%s\n", qPrintable(message));
        }
    });
    yb::PreferQtEventDispatcher();  // as the program does
    QApplication app(argc, argv);
    // The command line's runs go to a library of their own, not the user's; filing them is part
    // of its time.
    QTemporaryDir libraryDir;
    qputenv("YB_LIBRARY", libraryDir.filePath(QStringLiteral("library.sqlite")).toUtf8());
    bool full = false;
    int rounds = 1;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        full = full || std::strcmp(argv[i], "--full") == 0;
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) rounds = std::atoi(argv[++i]);
        if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) only = argv[++i];
    }
    const auto runs = [&only](const std::string& client) {
        return only.empty() || (',' + only + ',').find(',' + client + ',') != std::string::npos;
    };

    // Every client against the same logger, side by side in one run, each round measuring its
    // floors again: the host's slow drifts move a round's floors and clients alike. The command
    // line's time includes starting the program and saving the file: about 1 % of a 2000-record
    // download, 0.1 % of a full one.
    const long main = full ? 16100 : 2000, temp = full ? 1350 : 100, laps = full ? 200 : 10;
    bool ok = true;
    for (int round = 1; round <= rounds; ++round) {
        if (rounds > 1) std::printf("round %d of %d\n", round, rounds);
        if (runs("floor")) BenchFloors(main, temp, laps);
        if (runs("session")) ok = BenchSession(main, temp, laps) && ok;
        if (runs("window")) ok = BenchWindow(main, temp, laps) && ok;
        if (runs("cli")) ok = BenchCommandLine(main, temp, laps) && ok;
        if (runs("cli")) ok = BenchCommandLine(main, temp, laps, true) && ok;
    }
    if (rounds > 1) {
        std::printf("time over the floor, median of %d rounds (least, most):\n", rounds);
        for (auto& [what, over] : overFloor) {
            std::sort(over.begin(), over.end());
            std::printf("    %-40s %+.2f %% (%+.2f %%, %+.2f %%)\n", what.c_str(),
                        over[over.size() / 2], over.front(), over.back());
        }
    }
    if (runs("adapter")) ok = BenchAdapterLatency(500, 50, 10) && ok;
    return ok ? 0 : 1;
}
