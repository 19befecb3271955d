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
// Each client is compared with a bare blocking client (BareClient.h) on the same line, measured
// right before or after it: the session and the window with one run as a thread of the
// benchmark, as they are; the command line with one run as a process of its own, as it is.
//
// bench_download [--full] [--rounds N] [--only floor,session,window,cli,retries,adapter]
//   --full        every client with a full logger, 16100/1350/200 records (about fifteen minutes
//                 a round), instead of 2000/100/10
//   --rounds N    N rounds of clients and their floors, and each client's median over its floor
//   --only C,...  these clients alone; with "floor", each beside its floor (without: to profile
//                 one client); "retries" is the command line with --retries 3

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

// One download's figures: its ratio to the line-time limit and its median turn-around.
struct Run {
    double ratio = 0.0;
    double medianUs = 0.0;
    bool complete = false;
};

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

// Prints one download's figures: its time, the ratio and the turn-around.
Run Figures(const char* what, const ybsim::LoggerSim& sim, double seconds, bool complete) {
    const Turnaround turn = RecordTurnaround(sim);
    const double limit = LineTimeLimit(sim);
    std::printf(
        "%s %ld/%ld/%ld: %.3f s, line-time limit %.3f s, ratio %.3f, turn-around median "
        "%.0f us mean %.0f us 99%% %.0f us%s\n",
        what, sim.mainCount(), sim.tempCount(), sim.lapCount(), seconds, limit, seconds / limit,
        turn.medianUs, turn.meanUs, turn.p99Us, complete ? "" : " INCOMPLETE");
    return {seconds / limit, turn.medianUs, complete};
}

// Times one download started by `start` and finished when `finished` holds.
Run Measure(const char* what, ybsim::LoggerSim& sim, const std::function<void()>& start,
            const std::function<bool()>& finished, const yb::RecordStore* data) {
    sim.clearReceived();
    const auto t0 = Clock::now();
    start();
    RunUntil(finished);
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    // The program's own store is out of reach: its requests show it fetched everything.
    const bool complete =
        data ? data->mainCount() == sim.mainCount() && data->tempCount() == sim.tempCount() &&
                   data->lapCount() == sim.lapCount()
             : sim.commands().size() ==
                   static_cast<std::size_t>(5 + sim.mainCount() + sim.tempCount() + sim.lapCount());
    return Figures(what, sim, seconds, complete);
}

// How far a client lies above its floor (the goal: 0.5 % at most), kept for the rounds' median;
// nothing when either is incomplete.
void Compare(const std::string& what, const Run& client, const Run& floor) {
    if (!client.complete || !floor.complete) return;
    // The median's excess in a main record's line time (6.25 ms).
    const double lineUs = kMainRecordChars * kCharSeconds * 1e6;
    const double over = (client.ratio / floor.ratio - 1.0) * 100.0;
    std::printf("    over the floor: time %+.2f %%, median turn-around %+.2f %% of a record\n",
                over, (client.medianUs - floor.medianUs) / lineUs * 100.0);
    overFloor[what].push_back(over);
}

// One session download from a paced logger.
Run SessionDownload(const char* what, const ybsim::Options& options) {
    ybsim::LoggerSim sim(options);
    sim.start();
    yb::Session session;
    if (!session.openDevice(QString::fromStdString(sim.slavePath())).done()) return {};
    bool done = false;
    return Measure(
        what, sim,
        [&] {
            QCoro::connect(session.download(), &session,
                           [&](const yb::DownloadOutcome&) { done = true; });
        },
        [&] { return done; }, &session.store());
}

// The floors (BareClient.h): the bare client as a thread of this benchmark, the floor of the
// session and the window that run in it, and as a process of its own, the floor of the command
// line. The ratios of the clients are the program's; the floors' are the simulator's and the
// machine's.
Run ThreadFloor(long main, long temp, long laps) {
    ybsim::LoggerSim sim(Paced(main, temp, laps));
    sim.start();
    const auto t0 = Clock::now();
    const bool complete = BareDownload(sim.slavePath(), main, temp, laps);
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    return Figures("(0) bare client, a thread", sim, seconds, complete);
}

Run ProcessFloor(long main, long temp, long laps) {
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
    return Figures("(0) bare client, a process", sim, seconds, complete);
}

bool BenchAdapterLatency(long main, long temp, long laps) {
    bool ok = true;
    for (const int latencyMs : {16, 0}) {
        const std::string what =
            "(d) session, adapter latency " + std::to_string(latencyMs) + " ms";
        const Run run = SessionDownload(what.c_str(), Paced(main, temp, laps, latencyMs));
        ok = ok && run.complete;
        const double full = run.ratio * kFullLineTimeLimit;
        std::printf("    a full logger (16100/1350/200) at this pace: %.0f s (%d m %02d s)\n", full,
                    static_cast<int>(full) / 60, static_cast<int>(full) % 60);
    }
    return ok;
}

// `retries`: the download sends a refused request again, and so keeps account of the answers
// the line owes; on a clean line that must cost nothing.
Run CommandLine(long main, long temp, long laps, bool retries) {
    ybsim::LoggerSim sim(Paced(main, temp, laps));
    sim.start();
    QTemporaryDir dir;
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    return Measure(
        retries ? "(c) command line, --retries 3" : "(c) command line", sim,
        [&] {
            QStringList args{QStringLiteral("download"), QStringLiteral("--port"),
                             QString::fromStdString(sim.slavePath()), QStringLiteral("-o"),
                             dir.filePath(QStringLiteral("run.csv"))};
            if (retries) args << QStringLiteral("--retries") << QStringLiteral("3");
            program.start(QStringLiteral(YB_PROGRAM), args);
        },
        [&] { return program.state() == QProcess::NotRunning; }, nullptr);
}

Run BenchWindow(long main, long temp, long laps) {
    ybsim::LoggerSim sim(Paced(main, temp, laps));
    sim.start();
    qputenv("YB_COM1", QByteArray::fromStdString(sim.slavePath()));
    yb::Form1 window;
    window.show();
    window.findChild<QPushButton*>(QStringLiteral("OpenCommBtn"))->click();
    if (!window.session().portOpen()) return {};
    bool started = false;
    return Measure(
        "(b) window download, status bar shown", sim,
        [&] {
            window.findChild<QPushButton*>(QStringLiteral("DownLoadBtn"))->click();
            started = true;
        },
        [&] { return started && !window.session().busy(); }, &window.session().store());
}

// A client of the benchmark and the floor of its own kind.
struct Client {
    const char* name;  // for --only
    Run (*download)(long, long, long);
    Run (*floor)(long, long, long);
};

constexpr Client kClients[] = {
    {"session",
     [](long main, long temp, long laps) {
         return SessionDownload("(a) session download", Paced(main, temp, laps));
     },
     ThreadFloor},
    {"window", BenchWindow, ThreadFloor},
    {"cli", [](long main, long temp, long laps) { return CommandLine(main, temp, laps, false); },
     ProcessFloor},
    {"retries", [](long main, long temp, long laps) { return CommandLine(main, temp, laps, true); },
     ProcessFloor},
};

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

    // Every client against the same logger, side by side in one run, each next to a floor of its
    // own kind: a floor measured minutes apart is no measure of a machine whose pace drifts by
    // about 1 % in that time. The floor goes first in odd rounds and second in even ones, so that
    // a steady drift favours neither. The command line's time includes starting the program and
    // saving the file: about 1 % of a 2000-record download, 0.1 % of a full one.
    const long main = full ? 16100 : 2000, temp = full ? 1350 : 100, laps = full ? 200 : 10;
    const bool floors = runs("floor");
    bool ok = true;
    for (int round = 1; round <= rounds; ++round) {
        if (rounds > 1) std::printf("round %d of %d\n", round, rounds);
        for (const Client& client : kClients) {
            if (!runs(client.name)) continue;
            const bool floorFirst = round % 2 == 1;
            Run floor;
            if (floors && floorFirst) floor = client.floor(main, temp, laps);
            const Run run = client.download(main, temp, laps);
            if (floors && !floorFirst) floor = client.floor(main, temp, laps);
            ok = run.complete && ok;
            if (floors) Compare(client.name, run, floor);
        }
    }
    if (rounds > 1) {
        std::printf("time over the floor, median of %d rounds (least, most):\n", rounds);
        for (auto& [what, over] : overFloor) {
            std::sort(over.begin(), over.end());
            std::printf("    %-40s %+.2f %% (%+.2f %%, %+.2f %%)\n", what.c_str(), Median(over),
                        over.front(), over.back());
        }
    }
    if (runs("adapter")) ok = BenchAdapterLatency(500, 50, 10) && ok;
    return ok ? 0 : 1;
}
