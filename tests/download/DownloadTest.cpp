// The download through the session against the simulated logger: counts, records and their
// failures stage by stage, cancel, and operations refused while it runs.
#include <QTimer>

#include <algorithm>
#include <array>
#include <map>

#include "download/Records.h"
#include "support/SimSession.h"
#include "support/Stores.h"

namespace yb::test {
namespace {

using ybsim::Fault;

const QString kDone = QStringLiteral("データ読出し完了...");
const QString kCancelled = QStringLiteral("データ読出しを中止しました");
const QString kD1Record = QStringLiteral("'D1+nnnn' コマンドエラー");

class Download : public SessionOnSim {
protected:
    Download() {
        QObject::connect(&session, &Session::downloadProgress, [this](const DownloadProgress& p) {
            if (p.event == DownloadProgress::Event::RecordStored) lines[p.stage] = RecordLine(p);
            if (p.event == DownloadProgress::Event::CountKnown) {
                counts.push_back(StageCountText(p.stage, p.count));
            }
            if (onProgress) onProgress(p);
        });
    }
    // One download from an empty, saved store; its outcome's text.
    QString Run() {
        sim->clearReceived();
        lines.clear();
        counts.clear();
        return Await(session.download()).text;
    }
    // The store holds this many of each kind of record as the logger recorded them and nothing
    // else; each stage's last record line is the last record stored.
    void ExpectHolds(long main, long temp, long laps) const {
        EXPECT_EQ(OwnRecords(session.store(), *sim), (std::array{main, temp, laps}));
        const auto line = [](long n, int width, const std::string& answer) {
            return QString::fromStdString(ybsim::hexField(n, width) + " : " + answer);
        };
        if (main) {
            EXPECT_EQ(lines.at(Stage::Main), line(main - 1, 4, sim->mainRecord(main - 1)));
        }
        if (temp) {
            EXPECT_EQ(lines.at(Stage::Temperature), line(temp - 1, 4, sim->tempRecord(temp - 1)));
        }
        if (laps) {
            EXPECT_EQ(lines.at(Stage::Laps), line(laps, 2, sim->lapRecord(laps)));
        }
    }

    std::map<Stage, QString> lines;  // the last record line of each stage
    std::vector<QString> counts;     // the count texts shown
    std::function<void(const DownloadProgress&)> onProgress;
};

// Answers are decoded only when they are exactly their hexadecimal digits and a line end.
TEST(Records, DecodeWithSignAndScaleOnlyWhatIsWellFormed) {
    const MainRecord extremes{-0.01f, -327.68f, 400.0f, 25.5f, 255.0f};
    EXPECT_EQ(DecodeMainRecord("FFFF80000FA0FFFF\r"), extremes);
    EXPECT_EQ(DecodeMainRecord("ffff80000fa0ffff\n"), extremes);
    for (const char* refused : {"12G4000000000000\r", "FFFF80000FA0FFF\r", "FFFF80000FA0FFFF7",
                                "FFFF 0000FA0FFFF\r", "FFFF80000FA0FFFF\r\n"}) {
        EXPECT_FALSE(DecodeMainRecord(refused)) << refused;
    }
    const std::pair<std::string, int> temps[] = {{"19", 25}, {"7F", 127}, {"80", -128}, {"F6", -10},
                                                 {"FF", -1}, {"00", 0},   {"f6", -10}};
    for (const auto& [field, value] : temps) EXPECT_EQ(DecodeTempRecord(field + "\r"), value);
    for (const char* refused : {"19", "9Z\r", "Z5\r", "1\r", "190\r"}) {
        EXPECT_FALSE(DecodeTempRecord(refused)) << refused;
    }
    const auto lap = DecodeLapRecord("0E100064\r");
    EXPECT_EQ(std::tuple(lap->seconds, lap->motorWh), std::tuple(3600, 10.0f));
    const auto empty = DecodeLapRecord("FFFFFFF6\r");
    EXPECT_EQ(std::tuple(empty->seconds, empty->motorWh), std::tuple(-1, -1.0f));
    EXPECT_FALSE(DecodeLapRecord("0E10006\r"));
    EXPECT_EQ(DecodeCount(Stage::Temperature, "0546\r"), 1350);
    EXPECT_EQ(DecodeCount(Stage::Main, "FFFF\r"), -1);
    EXPECT_EQ(DecodeCount(Stage::Laps, "C8\n"), 200);
    for (const char* refused : {"0546", "1Z\r", "0X28\r", "05460\r"}) {
        EXPECT_FALSE(DecodeCount(Stage::Main, refused) || DecodeCount(Stage::Laps, refused))
            << refused;
    }
    EXPECT_EQ(DecodeInterval("0A\r"), 10);
    EXPECT_FALSE(DecodeInterval("A\r"));
}

TEST_F(Download, FullStoreNumbersEveryRecordAndLeavesTheLastSlotsEmpty) {
    Connect(Holding(16100, 1350, 200));
    QString lineAt120;
    onProgress = [&](const DownloadProgress& p) {
        if (p.stage == Stage::Main && p.done == 120) lineAt120 = lines[Stage::Main];
    };
    ASSERT_EQ(Run(), kDone);
    EXPECT_EQ(lineAt120, "0077 : " + QString::fromStdString(sim->mainRecord(119)));
    EXPECT_EQ(sim->commands().size(), 5u + 16100 + 1350 + 200);
    const std::string sent = Sent();
    for (const char* run : {"T?? D1? D10000 ", " D1001A ", " D10077 ", " D13EE3 TMP? D2? D20000 ",
                            " D20545 L? LD01 ", " LD0A ", " LD10 ", " LDC8"}) {
        EXPECT_NE(sent.find(run), std::string::npos) << run;
    }
    ExpectHolds(16100, 1350, 200);
    EXPECT_EQ(session.store().interval(), sim->interval());
}

// Cancelled while a request of each stage waits for its answer: nothing is sent after it, and the
// store holds what a download failing at that request would hold.
TEST_F(Download, CancelInEachStageKeepsWhatWasFetched) {
    const std::tuple<std::string, int, int, int> cases[] = {
        {"T??", 0, 0, 0},    {"D1?", 0, 0, 0}, {"D10003", 3, 0, 0}, {"TMP?", 6, 0, 0},
        {"D20002", 6, 2, 0}, {"L?", 6, 6, 0},  {"LD04", 6, 6, 3}};
    for (const auto& [command, main, temp, laps] : cases) {
        SCOPED_TRACE(command);
        Connect(Holding(6, 6, 6), {Fault::silence(command)});
        sim->clearReceived();
        auto running = session.download();
        ASSERT_TRUE(RunUntil([&] {
            const auto sent = sim->commands();
            return !sent.empty() && sent.back() == command;
        }));
        session.cancel();
        EXPECT_EQ(Await(std::move(running)).text, kCancelled);
        EXPECT_FALSE(session.busy());
        EXPECT_EQ(sim->commands().back(), command);
        Idle(50);
        EXPECT_EQ(sim->commands().back(), command);
        ExpectHolds(main, temp, laps);
        // The data waits to be saved exactly when a main record was stored.
        EXPECT_EQ(session.unsaved(), main > 0);
    }
}

// Operations asked for while a download runs are refused and send nothing: the logger receives
// one download's requests and the store is one complete download.
TEST_F(Download, OtherOperationsDuringADownloadAreRefused) {
    Connect(Holding(40, 5, 3, /*instant=*/false));
    std::vector<Ending> refused;
    onProgress = [&](const DownloadProgress& p) {
        if (p.done != 10 || p.stage != Stage::Main) return;
        const auto note = [&](auto outcome) { refused.push_back(outcome.ending); };
        note(Await(session.download()));
        note(Await(session.checkConnection()));
        note(Await(session.readSetting(Setting::TyreCircumference)));
        note(Await(session.writeSetting(Setting::RecordingInterval, QStringLiteral("5"))));
        note(session.choosePort(2));
        note(session.openNamed(QStringLiteral("COM1")));
        note(session.closePort());
    };
    EXPECT_EQ(Run(), kDone);
    EXPECT_EQ(refused, std::vector<Ending>(7, Ending::Busy));
    EXPECT_EQ(sim->commands().size(), 5u + 40 + 5 + 3);
    ExpectHolds(40, 5, 3);
}

// Through a USB adapter that holds every answer for its 16 ms latency timer, and at the line's own
// pace with a character of noise after the main stage's last record: the exact run.
TEST_F(Download, AdapterLatencyAndStrayNoiseStillGiveTheExactRun) {
    auto held = Holding(20, 5, 3, /*instant=*/false);
    held.adapterLatencyMs = 16;
    Connect(held);
    EXPECT_EQ(Run(), kDone);
    ExpectHolds(20, 5, 3);
    Connect(Holding(20, 5, 3, false),
            {Fault::replace("D1", sim->mainRecord(19) + "7").onRecord(19)});
    EXPECT_EQ(Run(), kDone);
    ExpectHolds(20, 5, 3);
}

}  // namespace
}  // namespace yb::test
