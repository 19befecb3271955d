// Soak: many downloads in one process against a misbehaving simulated logger.
//
// Each run resets the store, draws one fault at random (silence, a late answer, an answer one
// character short or long, garbage, a line error in the line end, the line dropping and the device
// coming back) and one request of the download to hit, downloads, and checks:
//   - the outcome is the failure text of the request that failed, or the completion text;
//   - the store holds what the logger sent up to that request, and the empty markers after it;
//   - the data file saved afterwards reads back to the store's values;
// and, over all runs, that the process's memory and open descriptors do not grow.
//
// bench_soak [RUNS] [SEED]   (200 and 1 by default)

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>

#include <qcoro/qcorotask.h>
#include <qcoro/qcorotimer.h>

#include "datafile/DataFile.h"
#include "datafile/DataFileReader.h"
#include "session/Session.h"
#include "sim/LoggerSim.h"

namespace {

using ybsim::Fault;

enum class Kind { Silence, Late, Short, Long, Garbage, LineError, HangUp };
const char* const kKindNames[] = {"silence", "late",       "short",  "long",
                                  "garbage", "line error", "hang-up"};

// The requests of a download of this logger, in order; records by stage prefix and index.
struct Request {
    std::string command;  // "T??", "D1?", "D1", "TMP?", "D2?", "D2", "L?", "LD"
    long record = -1;
};

const long kMain = 60, kTemp = 12, kLaps = 6;

long ResidentKiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * 4 : -1;
}

long OpenDescriptors() {
    return static_cast<long>(QDir(QStringLiteral("/proc/self/fd"))
                                 .entryList(QDir::NoDotAndDotDot | QDir::System | QDir::Files)
                                 .size());
}

// The outcome a fault of `kind` on `request` must give, and how far each stage got. An answer is
// taken whole or not at all: every fault on a count or a record ends the download there, but a
// character after a record's line end, which lands in the next record's answer (or is thrown away
// when the line settles at the end of a stage, or when the program is slower than the line).
struct Expected {
    QString text;
    long main = kMain, temp = kTemp, laps = kLaps;
    bool mayComplete = false;  // the download may also complete
};

Expected Expect(Kind kind, const Request& r) {
    const QString done = QStringLiteral("データ読出し完了...");
    const std::map<std::string, QString> failure{
        {"T??", QStringLiteral("'D1?' コマンドエラー")},  // the count after it finds the line down
        {"D1?", QStringLiteral("'D1?' コマンドエラー")},
        {"D1", QStringLiteral("'D1+nnnn' コマンドエラー")},
        {"TMP?", QStringLiteral("'TMP?' コマンドエラー")},
        {"D2?", QStringLiteral("'D2?' コマンドエラー")},
        {"D2", QStringLiteral("'D2+nnnn' コマンドエラー")},
        {"L?", QStringLiteral("'L2?' コマンドエラー")},
        {"LD", QStringLiteral("'LD+nn' コマンドエラー")}};
    Expected e;
    const bool interval = r.command == "T??", probe = r.command == "TMP?";
    const bool record = r.command == "D1" || r.command == "D2" || r.command == "LD";
    long at = r.record;
    switch (kind) {
        case Kind::Silence:
        case Kind::Short:
        case Kind::Garbage:
            // The interval is then unknown, and the download goes on; any printable answer to the
            // probe but OK, or none, says there are no temperatures.
            if (interval) e.text = done;
            if (probe && kind == Kind::Short) e.text = done;  // "OK" without its line end
            if (probe && kind != Kind::Short) {
                e.text = done;
                e.temp = 0;
            }
            if (!e.text.isEmpty()) return e;
            break;
        case Kind::Long:  // one character after the line end
            if (interval || probe) {
                e.text = done;
                return e;
            }
            if (record) {
                e.mayComplete = true;
                ++at;  // the next record's answer takes the character
                const long last = r.command == "D1"   ? kMain - 1
                                  : r.command == "D2" ? kTemp - 1
                                                      : kLaps;
                if (r.record == last) {
                    e.text = done;
                    return e;
                }
            }
            break;
        case Kind::LineError:  // the line end spoiled: the answer never ends
            if (interval) {
                e.text = done;
                return e;
            }
            break;
        case Kind::Late:  // the logger is still busy with the late answer when the next comes
            if (probe) {
                e.text = failure.at("L?");
                e.temp = 0;
                e.laps = 0;
                return e;
            }
            break;
        case Kind::HangUp:
            break;
    }
    e.text = failure.at(r.command);
    const std::string& c = r.command;
    if (c == "T??" || c == "D1?" || c == "D1") e.main = c == "D1" ? at : 0;
    if (c != "L?" && c != "LD") e.temp = (c == "D2") ? at : 0;
    e.laps = c == "LD" ? at - 1 : 0;
    return e;
}

Fault MakeFault(Kind kind, const Request& r, const std::string& answer, std::mt19937& rng) {
    const auto on = [&](Fault f) { return r.record < 0 ? f : f.onRecord(r.record); };
    switch (kind) {
        case Kind::Silence:
            return on(Fault::silence(r.command));
        case Kind::Late:
            return on(Fault::late(r.command, 600));
        case Kind::Short:
            return on(Fault::replace(r.command, answer.substr(0, answer.size() - 1)));
        case Kind::Long:
            return on(Fault::replace(r.command, answer + "7"));
        case Kind::Garbage: {
            std::string junk(answer.size() + 1 + rng() % 5, ' ');
            for (char& ch : junk)
                ch = static_cast<char>('P' + rng() % 40);  // never "OK", never hex
            return on(Fault::replace(r.command, junk));
        }
        case Kind::LineError:
            return on(Fault::lineError(r.command, answer.size() - 1));
        case Kind::HangUp:
            break;
    }
    return on(Fault::hangUp(r.command));
}

bool StoreHolds(const yb::RecordStore& d, const ybsim::LoggerSim& sim, const Expected& e) {
    for (long i = 0; i < e.main; ++i) {
        const auto v = sim.mainValues(i);
        const yb::MainRecord r = d.main(static_cast<int>(i));
        if (r.solarAmps != v.solarCentiA / 100.0f || r.mainVolts != v.mainDeciV / 10.0f ||
            r.speedKmh != static_cast<float>(v.speedKmh)) {
            return false;
        }
    }
    for (long i = 0; i < e.temp; ++i) {
        if (d.temperature(static_cast<int>(i)) != sim.temperature(i)) return false;
    }
    for (long i = 0; i < e.laps; ++i) {
        if (d.lap(static_cast<int>(i)).seconds != sim.lapValues(i + 1).seconds) return false;
    }
    return d.main(static_cast<int>(e.main)).solarAmps == yb::RecordStore::kMainEmpty &&
           d.temperature(static_cast<int>(e.temp)) == yb::RecordStore::kTempEmpty &&
           d.lap(static_cast<int>(e.laps)).seconds == yb::RecordStore::kLapTimeEmpty;
}

bool SameRun(const yb::RunData& a, const yb::RunData& b) {
    if (a.intervalS != b.intervalS || a.main != b.main || a.temperatures != b.temperatures ||
        a.laps.size() != b.laps.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.laps.size(); ++i) {
        if (a.laps[i].number != b.laps[i].number || a.laps[i].timeS != b.laps[i].timeS ||
            a.laps[i].motorWh != b.laps[i].motorWh) {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 200;
    std::mt19937 rng(argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 1u);

    ybsim::Options options;
    options.mainCount = kMain;
    options.tempCount = kTemp;
    options.lapCount = kLaps;
    options.instant = true;
    ybsim::LoggerSim sim(options);
    sim.start();

    std::vector<Request> requests{{"T??"}, {"D1?"}, {"TMP?"}, {"D2?"}, {"L?"}};
    for (long i = 0; i < kMain; i += 7) requests.push_back({"D1", i});
    for (long i = 0; i < kTemp; i += 3) requests.push_back({"D2", i});
    for (long lap = 1; lap <= kLaps; lap += 2) requests.push_back({"LD", lap});
    const auto answerOf = [&](const Request& r) {
        if (r.command == "D1") return sim.mainRecord(r.record);
        if (r.command == "D2") return sim.tempRecord(r.record);
        if (r.command == "LD") return sim.lapRecord(r.record);
        ybsim::Logger twin(options);
        return twin.answer(r.command);
    };

    QTemporaryDir dir;
    yb::Session session;
    std::map<std::string, int> byKind, wrong;
    int good = 0;
    long memoryAtStart = 0, fdsAtStart = 0;
    for (int run = 0; run < runs; ++run) {
        if (!session.portOpen() &&
            !session.openDevice(QString::fromStdString(sim.slavePath())).done()) {
            std::printf("run %d: the port does not open again\n", run);
            return 1;
        }
        if (run == 10) {  // the port open, and what stays allocated allocated
            memoryAtStart = ResidentKiB();
            fdsAtStart = OpenDescriptors();
        }
        const Kind kind = static_cast<Kind>(rng() % 7);
        const Request& request = requests[rng() % requests.size()];
        sim.clearFaults();
        sim.addFault(MakeFault(kind, request, answerOf(request), rng));

        const yb::DownloadOutcome outcome = QCoro::waitFor(session.download());
        Expected expected = Expect(kind, request);
        if (expected.mayComplete && outcome.done()) expected = Expected{outcome.text};
        const QString path = dir.filePath(QStringLiteral("run.csv"));
        bool ok = outcome.text == expected.text && StoreHolds(session.store(), sim, expected);
        if (ok && session.store().mainCount() > 0) {
            ok = yb::WriteDataFile(session.store(), true, path).ok;
            const auto read = yb::ReadDataFileAt(path);
            ok = ok && read.run && SameRun(*read.run, yb::RunDataFromStore(session.store(), {}));
        }
        const std::string name =
            std::string(kKindNames[static_cast<int>(kind)]) + " " + request.command;
        ++byKind[kKindNames[static_cast<int>(kind)]];
        if (ok) {
            ++good;
        } else {
            ++wrong[name];
            std::printf("run %d (%s %ld): \"%s\", expected \"%s\"\n", run, name.c_str(),
                        request.record, qPrintable(outcome.text), qPrintable(expected.text));
        }
        if (kind == Kind::Late) {  // the late answer comes before the next run
            QCoro::waitFor(QCoro::sleepFor(std::chrono::milliseconds(700)));
        }
        if (kind == Kind::HangUp) {  // the device comes back on a new line
            session.closePort();
            sim.restart();
        }
    }
    std::printf("soak: %d runs, %d as expected\n", runs, good);
    std::printf("faults drawn:");
    for (const auto& [kind, n] : byKind) std::printf(" %s %d,", kind.c_str(), n);
    if (!session.portOpen()) session.openDevice(QString::fromStdString(sim.slavePath()));
    const long fdsAtEnd = OpenDescriptors();
    std::printf("\nresident memory at run 10: %ld KiB, at the end: %ld KiB\n", memoryAtStart,
                ResidentKiB());
    std::printf("open descriptors at run 10: %ld, at the end: %ld (the port open each time)\n",
                fdsAtStart, fdsAtEnd);
    return good == runs && fdsAtEnd <= fdsAtStart ? 0 : 1;
}
