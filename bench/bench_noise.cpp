// A full logger on a noisy line, through the built program's `download`, at the line's pace.
//
//   (1) one bad answer per 2000 and one answer per 2000 that comes 550 ms late, after its
//       request was given up on (the simulator's noise, seed fixed), `download --retries 3`: the
//       time to a complete file, against the line-time limit, the requests sent again, and
//       whether every value is the logger's (the file's rows against those of (3));
//   (2) the same line, restarting from record 0 until a download completes: computed, not run
//       (it takes hours): the same noise sequence drawn request by request, each attempt costing
//       the line time up to its first bad answer at the pace measured in (1);
//   (3) a clean line and a download that stops at 90 % of the main records, then
//       `download --resume`: the resume's time against (1).
//
// bench_noise [--seed N]

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "LineTime.h"
#include "sim/LoggerSim.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr long kMain = 16100, kTemp = 1350, kLaps = 200;
constexpr long kBadAnswerEvery = 2000;

ybsim::Options FullLogger(std::uint32_t seed, long badAnswerEvery, long lateAnswerEvery = 0) {
    ybsim::Options o;
    o.seed = seed;
    o.mainCount = kMain;
    o.tempCount = kTemp;
    o.lapCount = kLaps;
    o.badAnswerEvery = badAnswerEvery;
    o.lateAnswerEvery = lateAnswerEvery;
    return o;
}

struct Run {
    int exit = -1;
    double seconds = 0;
    QString err;
};

// The program's `download` with `args` against `sim`; how it ended and how long it took.
Run Download(const ybsim::LoggerSim& sim, QStringList args) {
    QProcess program;
    args.prepend(QString::fromStdString(sim.slavePath()));
    args.prepend(QStringLiteral("--port"));
    args.prepend(QStringLiteral("download"));
    const auto t0 = Clock::now();
    program.start(QStringLiteral(YB_PROGRAM), args);
    program.waitForFinished(-1);
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    return {program.exitCode(), seconds, QString::fromUtf8(program.readAllStandardError())};
}

// A file with every section's rows full: the last main, temperature and lap rows hold values.
bool Complete(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray text = file.readAll();
    return text.contains("\r\n16100,") && !text.contains("\r\n16100,,") &&
           text.contains("\r\n1350,") && !text.contains("\r\n1350,\r") &&
           text.contains("\r\n 200,") && !text.contains("\r\n 200,-1,-1.0,");
}

// The rows of a data file: everything after its date and path lines.
QByteArray Rows(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QByteArray text = file.readAll();
    for (int line = 0; line < 3; ++line) text.remove(0, text.indexOf('\n') + 1);
    return text;
}

// The line time of each request of a download, in the order the program sends them.
std::vector<double> RequestLineTimes() {
    std::vector<double> times;
    const auto commands = [&](int n) { times.insert(times.end(), n, kCommandWaitSeconds); };
    commands(2);  // T??, D1?
    times.insert(times.end(), kMain, kMainRecordChars * kCharSeconds);
    commands(2);  // TMP?, D2?
    times.insert(times.end(), kTemp, kTempRecordChars * kCharSeconds);
    commands(1);  // L?
    times.insert(times.end(), kLaps, kLapRecordChars * kCharSeconds);
    return times;
}

// Restarting from record 0 on the noisy line until one attempt gets every answer: the noise the
// simulator would draw, one draw per answer (and one more for the spoiled character).
void RestartsUntilComplete(std::uint32_t seed, double pace, double withRetries) {
    const std::vector<double> times = RequestLineTimes();
    std::mt19937 noise(seed ^ 0x5EEDu);
    double seconds = 0;
    long attempts = 0;
    for (bool complete = false; !complete && attempts < 1'000'000;) {
        ++attempts;
        complete = true;
        for (const double t : times) {
            seconds += t * pace;
            if (noise() % kBadAnswerEvery == 0) {
                noise();
                complete = false;
                break;
            }
        }
    }
    std::printf(
        "(2) restarting from record 0 until complete (computed at the pace of (1)): "
        "%ld attempts, %.0f s (%.1f h); %.0f x the time with retries\n",
        attempts, seconds, seconds / 3600, seconds / withRetries);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::uint32_t seed = 7;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--seed") == 0)
            seed = static_cast<std::uint32_t>(std::stoul(argv[i + 1]));
    }
    QTemporaryDir dir;
    // The runs downloaded here go to a library of their own, not the user's.
    qputenv("YB_LIBRARY", dir.filePath(QStringLiteral("library.sqlite")).toUtf8());

    ybsim::LoggerSim noisy(FullLogger(seed, kBadAnswerEvery, kBadAnswerEvery));
    noisy.start();
    const QString withRetries = dir.filePath(QStringLiteral("retries.csv"));
    const Run retried = Download(noisy, {QStringLiteral("--retries"), QStringLiteral("3"),
                                         QStringLiteral("-o"), withRetries});
    const double pace = retried.seconds / kFullLineTimeLimit;
    const auto said = retried.err.lastIndexOf(QStringLiteral("再試行"));
    std::printf(
        "(1) one bad and one late answer per %ld, --retries 3: exit %d, %.1f s, %.3f x the "
        "line-time limit (%.1f s), %s; %s\n",
        kBadAnswerEvery, retried.exit, retried.seconds, pace, kFullLineTimeLimit,
        Complete(withRetries) ? "complete file" : "INCOMPLETE FILE",
        said < 0 ? "no retries" : qPrintable(retried.err.mid(said).trimmed()));
    RestartsUntilComplete(seed, pace, retried.seconds);

    ybsim::LoggerSim clean(FullLogger(seed, 0));
    clean.start();
    const long stopAt = kMain * 9 / 10;
    clean.addFault(ybsim::Fault::silence("D1").onRecord(stopAt));
    const QString partial = dir.filePath(QStringLiteral("partial.csv"));
    const QString resumed = dir.filePath(QStringLiteral("resumed.csv"));
    const Run stopped = Download(clean, {QStringLiteral("-o"), partial});
    const Run resume =
        Download(clean, {QStringLiteral("--resume"), partial, QStringLiteral("-o"), resumed});
    std::printf(
        "(3) stopped at main record %ld (exit %d, %.1f s), --resume: exit %d, %.1f s, "
        "%.2f x the full download with retries; %s\n",
        stopAt, stopped.exit, stopped.seconds, resume.exit, resume.seconds,
        resume.seconds / retried.seconds, Complete(resumed) ? "complete file" : "INCOMPLETE FILE");
    const bool exact = Rows(withRetries) == Rows(resumed);
    std::printf("(1) against (3), the same logger's data on a clean line: %s\n",
                exact ? "every value the logger's (exact file)" : "VALUES DIFFER");
    return retried.exit == 0 && resume.exit == 0 && Complete(withRetries) && Complete(resumed) &&
                   exact
               ? 0
               : 1;
}
