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
// bench_download [--full]   --full: every client with a full logger, 16100/1350/200 records
//                            (about ten minutes), instead of 2000/100/10

#include <QApplication>
#include <QByteArray>
#include <QProcess>
#include <QPushButton>
#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "LineTime.h"
#include "serial/EventDispatcher.h"
#include "session/Session.h"
#include "sim/LoggerSim.h"
#include "ui/Form1.h"

namespace {

using Clock = std::chrono::steady_clock;

// The floor's median turn-around, once measured: each client's is compared with it. On a
// virtual machine the floor's own total varies by a few per cent from run to run (the host's
// stalls, seen in the 99th percentile of every client alike); the medians do not.
double floorMedianUs = 0.0;
double floorRatio = 0.0;

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
// and how far it and the median turn-around lie above the floor's (the goal: 0.5 % at most), and
// returns the ratio, 0 when the download was incomplete.
double Measure(const char* what, ybsim::LoggerSim& sim, const std::function<void()>& start,
               const std::function<bool()>& finished, const yb::RecordStore* data) {
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
    if (floorRatio > 0) {
        // The median's excess in a main record's line time (6.25 ms).
        const double lineUs = kMainRecordChars * kCharSeconds * 1e6;
        std::printf("\n    over the floor: time %+.2f %%, median turn-around %+.2f %% of a record",
                    (ratio / floorRatio - 1.0) * 100.0,
                    (turn.medianUs - floorMedianUs) / lineUs * 100.0);
    }
    std::printf("%s\n", complete ? "" : " INCOMPLETE");
    return complete ? ratio : 0.0;
}

bool Report(const char* what, ybsim::LoggerSim& sim, const std::function<void()>& start,
            const std::function<bool()>& finished, const yb::RecordStore* data) {
    return Measure(what, sim, start, finished, data) > 0;
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
        [&] { return done; }, &session.store());
}

// The floor on this machine now: a bare client of blocking reads, no Qt, no event loop, sends
// the same requests as a download and takes each answer the moment it is complete. The ratios
// of (a) to (c) are the program's; the floor's is the simulator's and the machine's.
void BenchFloor(long main, long temp, long laps) {
    ybsim::LoggerSim sim(Paced(main, temp, laps));
    sim.start();
    const int fd = ::open(sim.slavePath().c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
    const auto ask = [&](const std::string& command, std::size_t length) {
        tcflush(fd, TCIFLUSH);
        const std::string line = command + '\r';
        if (::write(fd, line.data(), line.size()) < 0) return;
        if (length == 0) {  // a command exchange: its fixed wait
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            tcflush(fd, TCIFLUSH);
            return;
        }
        char buf[64];
        for (std::size_t got = 0; got < length;) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 500) <= 0) return;
            const auto n = ::read(fd, buf, sizeof buf);
            if (n <= 0) return;
            got += static_cast<std::size_t>(n);
        }
    };
    const auto t0 = Clock::now();
    ask("T??", 0);
    ask("D1?", 0);
    for (long i = 0; i < main; ++i) ask("D1" + ybsim::hexField(i, 4), 17);
    ask("TMP?", 0);
    ask("D2?", 0);
    for (long i = 0; i < temp; ++i) ask("D2" + ybsim::hexField(i, 4), 3);
    ask("L?", 0);
    for (long lap = 1; lap <= laps; ++lap) ask("LD" + ybsim::hexField(lap, 2), 9);
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    ::close(fd);
    const double limit = LineTimeLimit(sim);
    const Turnaround turn = RecordTurnaround(sim);
    std::printf("(0) bare blocking client %ld/%ld/%ld: %.3f s, ratio %.3f, turn-around median "
                "%.0f us mean %.0f us 99%% %.0f us (the floor here now)\n",
                main, temp, laps, seconds, seconds / limit, turn.medianUs, turn.meanUs, turn.p99Us);
    floorMedianUs = turn.medianUs;
    floorRatio = seconds / limit;
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
        [&] { return program.state() == QProcess::NotRunning; }, nullptr);
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
        [&] { return started && !window.session().busy(); }, &window.session().store());
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
    bool full = false;
    for (int i = 1; i < argc; ++i) full = full || std::strcmp(argv[i], "--full") == 0;

    // Every client against the same logger, side by side in one run. The command line's time
    // includes starting the program and saving the file: about 1 % of a 2000-record download,
    // 0.1 % of a full one.
    const long main = full ? 16100 : 2000, temp = full ? 1350 : 100, laps = full ? 200 : 10;
    BenchFloor(main, temp, laps);
    bool ok = BenchSession(main, temp, laps);
    ok = BenchWindow(main, temp, laps) && ok;
    ok = BenchCommandLine(main, temp, laps) && ok;
    ok = BenchCommandLine(main, temp, laps, true) && ok;
    ok = BenchAdapterLatency(500, 50, 10) && ok;
    return ok ? 0 : 1;
}
