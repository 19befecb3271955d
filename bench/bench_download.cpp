// Download speed against the simulated logger at the pace of a 38400-baud line.
//
//   (a) main-data record exchanges one after another: mean time per record against the line
//       time of one record (7 command + 17 answer characters, 10 bits each).
//   (b) a full download (16100 main, 1350 temperature, 200 lap records): total time against the
//       line-time limit (every request and answer character on the line, plus the five fixed
//       100 ms waits of T??, D1?, TMP?, D2? and L?), and the empty markers of the last slots.
//
// bench_download [--quick]   --quick: 500 main records and a scaled-down download (smoke run)

#include <QApplication>
#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "download/Download.h"
#include "serial/CommPort.h"
#include "sim/LoggerSim.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kCharSeconds = 10.0 / 38400.0;
constexpr double kGoal = 1.05;

class PlainView : public yb::View {
public:
    QString text(yb::Field field) const override {
        const auto it = texts_.find(field);
        return it == texts_.end() ? QString() : it->second;
    }
    void setText(yb::Field field, const QString& text) override { texts_[field] = text; }
    void setToolTip(yb::Field, const QString&) override {}
    int comboListIndex() const override { return -1; }

private:
    std::map<yb::Field, QString> texts_;
};

// The port, the exchange and the store of one window, talking to one simulated logger.
struct Rig {
    explicit Rig(const ybsim::Options& options) : sim(options) {
        sim.start();
        qputenv("YB_COM1", QByteArray::fromStdString(sim.slavePath()));
        port.setCommPort(1);
        port.setSettings(QStringLiteral("38400,N,8,1"));
        port.setPortOpen(true);
        state.fCommOpen = true;
        data.InitData();
    }

    ybsim::LoggerSim sim;
    yb::CommPort port;
    yb::WindowState state;
    PlainView view;
    yb::CommandExchange exchange{port, state, view};
    yb::LoggedData data;
};

ybsim::Options Paced(long main, long temp, long laps) {
    ybsim::Options options;
    options.seed = 3;
    options.mainCount = main;
    options.tempCount = temp;
    options.lapCount = laps;
    options.instant = false;
    return options;
}

const char* Verdict(double ratio) {
    return ratio <= kGoal ? "met" : "NOT met";
}

std::string Hex4(int i) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(i));
    return buf;
}

// (a) Record exchanges back to back, as the main-data loop makes them.
bool BenchRecordExchanges(int records) {
    Rig rig(Paced(records, 0, 0));
    int good = 0;
    const auto start = Clock::now();
    for (int i = 0; i < records; ++i) {
        rig.state.AnsStr.clear();
        rig.state.CmdStr = "D1" + Hex4(i);
        rig.exchange.mSendCommandGetAns_D1(rig.state.CmdStr, rig.state.AnsStr);
        if (rig.state.AnsStr == rig.sim.mainRecord(i)) ++good;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double perRecord = seconds / records;
    const double lineTime = 24 * kCharSeconds;
    const double ratio = perRecord / lineTime;
    std::printf("(a) %d main-data record exchanges: %.3f s, %.3f ms per record\n", records, seconds,
                perRecord * 1e3);
    std::printf("    line time per record %.3f ms, ratio %.3f (goal <= %.2f: %s)\n", lineTime * 1e3,
                ratio, kGoal, Verdict(ratio));
    std::printf("    answers matching the logger: %d of %d\n", good, records);
    return good == records;
}

// (b) The whole download, timed from the press to its end.
bool BenchFullDownload(long main, long temp, long laps) {
    Rig rig(Paced(main, temp, laps));
    yb::DownloadContext ctx{rig.exchange,
                            rig.state,
                            rig.view,
                            rig.data,
                            [&rig] {
                                rig.state.AnsStr.clear();
                                rig.state.CmdStr = "T??";
                                rig.exchange.mSendCommandGetAns(rig.state.CmdStr, rig.state.AnsStr,
                                                                100);
                            },
                            [] { QCoreApplication::processEvents(); }};
    const auto start = Clock::now();
    yb::DownLoadBtn_Click(ctx);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

    // Characters on the line: every request as the logger received it, and every answer.
    std::size_t chars = rig.sim.received().size();
    chars += 3 + 5 + 3 + 5 + 3;  // answers of T??, D1?, TMP?, D2?, L?
    for (long i = 0; i < main; ++i) chars += rig.sim.mainRecord(i).size();
    for (long i = 0; i < temp; ++i) chars += rig.sim.tempRecord(i).size();
    for (long lap = 1; lap <= laps; ++lap) chars += rig.sim.lapRecord(lap).size();
    const double limit = static_cast<double>(chars) * kCharSeconds + 5 * 0.100;
    const double ratio = seconds / limit;

    const QString status = rig.view.text(yb::Field::Status);
    const bool complete = status == QStringLiteral("データ読出し完了...") &&
                          rig.data.DataCount1 == main && rig.data.DataCount2 == temp &&
                          rig.data.LapCount == laps;
    const auto& d = rig.data;
    const bool markers = d.Data1Solar.at(16100) == yb::LoggedData::kMainEmpty &&
                         d.Data1Battery.at(16100) == yb::LoggedData::kMainEmpty &&
                         d.Data1MainVolt.at(16100) == yb::LoggedData::kMainEmpty &&
                         d.Data1SubVolt.at(16100) == yb::LoggedData::kMainEmpty &&
                         d.Data1Speed.at(16100) == yb::LoggedData::kMainEmpty &&
                         d.Data2Temp.at(1350) == yb::LoggedData::kTempEmpty &&
                         d.LapTime.at(200) == yb::LoggedData::kLapTimeEmpty &&
                         d.LapMotorWh.at(200) == yb::LoggedData::kLapWhEmpty;

    std::printf("(b) full download %ld/%ld/%ld: %.3f s, status \"%s\"\n", main, temp, laps, seconds,
                status.toUtf8().constData());
    std::printf(
        "    line-time limit %.3f s (%zu characters + 5 x 100 ms), ratio %.3f "
        "(goal <= %.2f: %s)\n",
        limit, chars, ratio, kGoal, Verdict(ratio));
    std::printf("    counts stored %d/%d/%d; slots 16100/1350/200 kept their markers: %s\n",
                d.DataCount1, d.DataCount2, d.LapCount, markers ? "yes" : "NO");
    return complete && markers;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bool quick = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) quick = true;
    }

    bool ok = BenchRecordExchanges(quick ? 500 : 2000);
    ok = (quick ? BenchFullDownload(500, 100, 20) : BenchFullDownload(16100, 1350, 200)) && ok;
    return ok ? 0 : 1;
}
