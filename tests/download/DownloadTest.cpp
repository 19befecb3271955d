// The download through the session against the simulated logger: counts, records and their
// failures stage by stage, cancel, and operations refused while it runs.
#include <QTimer>

#include <algorithm>
#include <array>
#include <map>

#include "download/Records.h"
#include "support/SimSession.h"

namespace yb::test {
namespace {

using ybsim::Fault;

const QString kDone = QStringLiteral("データ読出し完了...");
const QString kCancelled = QStringLiteral("データ読出しを中止しました");
const QString kD1Count = QStringLiteral("'D1?' コマンドエラー");
const QString kD1Record = QStringLiteral("'D1+nnnn' コマンドエラー");
const QString kD2Count = QStringLiteral("'D2?' コマンドエラー");
const QString kD2Record = QStringLiteral("'D2+nnnn' コマンドエラー");
const QString kLapRecord = QStringLiteral("'LD+nn' コマンドエラー");

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
    std::array<float, 5> Main(int i) const {
        const LoggedData& d = session.data();
        return {d.Data1Solar.at(i), d.Data1Battery.at(i), d.Data1MainVolt.at(i),
                d.Data1SubVolt.at(i), d.Data1Speed.at(i)};
    }
    // Slots below each bound hold what the logger recorded, the slot at the bound its marker;
    // each stage's last record line is the last record stored.
    void ExpectHolds(int main, int temp, int laps) const {
        const LoggedData& d = session.data();
        for (int i = 0; i < main; ++i) {
            const auto v = sim->mainValues(i);
            ASSERT_EQ(Main(i),
                      (std::array{v.solarCentiA / 100.0f, v.batteryCentiA / 100.0f,
                                  v.mainDeciV / 10.0f, v.subDeciV / 10.0f, 1.0f * v.speedKmh}))
                << i;
        }
        for (int i = 0; i < temp; ++i) ASSERT_EQ(d.Data2Temp.at(i), sim->temperature(i)) << i;
        for (int i = 0; i < laps; ++i) {
            const auto lap = sim->lapValues(i + 1);
            ASSERT_EQ(std::tuple(d.LapTime.at(i), d.LapMotorWh.at(i)),
                      std::tuple(lap.seconds, lap.energyDWh / 10.0f));
        }
        const float e = LoggedData::kMainEmpty;
        EXPECT_EQ(std::tuple(Main(main), d.Data2Temp.at(temp), d.LapTime.at(laps)),
                  std::tuple(std::array{e, e, e, e, e}, 9999, -1));
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

// A count answer ("" for none) on a logger of one record per stage, with the stage's count at 77
// before. Temperature records past the first are answered with the wrong length.
TEST_F(Download, CountAnswersStageByStage) {
    const std::string toLaps = "T?? D1? D10000 TMP? D2? D20000 L?";
    // command, answer, count stored (77: the earlier one kept), outcome, commands sent
    const std::tuple<std::string, std::string, int, QString, std::string> cases[] = {
        {"D1?", "0000\r", 0, kDone, "T?? D1? TMP? D2? D20000 L? LD01"},
        {"D1?", "3EE4\r", 16100, kD1Record, "T?? D1? D10000 D10001"},
        {"D1?", "3EE5\r", 77, kD1Count, "T?? D1?"},
        {"D1?", "FFFF\r", -1, kDone, "T?? D1? TMP? D2? D20000 L? LD01"},
        {"D1?", "003\r", 77, kD1Count, "T?? D1?"},
        {"D1?", "00030\r", 77, kD1Count, "T?? D1?"},
        {"D1?", "", 77, kD1Count, "T?? D1?"},
        {"D2?", "0546\r", 1350, kD2Record, "T?? D1? D10000 TMP? D2? D20000 D20001"},
        {"D2?", "0547\r", 77, kD2Count, "T?? D1? D10000 TMP? D2?"},
        {"D2?", "03\r", 77, kD2Count, "T?? D1? D10000 TMP? D2?"},
        {"TMP?", "ok\r", 77, kDone, "T?? D1? D10000 TMP? L? LD01"},  // no option: no stage
        {"TMP?", "O", 77, kDone, "T?? D1? D10000 TMP? L? LD01"},
        {"TMP?", "OKAY", 1, kDone, toLaps + " LD01"},
        {"L?", "00\r", 0, kDone, toLaps},
        {"L?", "C8\r", 200, kLapRecord, toLaps + " LD01 LD02"},
        {"L?", "C9\r", 77, QStringLiteral("'L?' コマンドエラー"), toLaps},
        {"L?", "3\r", 77, QStringLiteral("'L2?' コマンドエラー"), toLaps},
        {"L?", "1Z\r", 1, kDone, toLaps + " LD01"}};  // the field ends at its first non-digit
    for (const auto& [command, answer, stored, outcome, sent] : cases) {
        SCOPED_TRACE(command + " " + answer);
        const Stage stage = command == "D1?"  ? Stage::Main
                            : command == "L?" ? Stage::Laps
                                              : Stage::Temperature;
        auto count = stage == Stage::Main   ? &LoggedData::DataCount1
                     : stage == Stage::Laps ? &LoggedData::LapCount
                                            : &LoggedData::DataCount2;
        Connect(Holding(1, 1, 1), {Fault::replace("D20001", "1234\r"), Fault::replace("LD02", "")});
        sim->addFault(answer.empty() ? Fault::silence(command) : Fault::replace(command, answer));
        session.data().InitData();
        session.data().fData_Saved = true;
        session.data().*count = 77;
        EXPECT_EQ(Run(), outcome);
        EXPECT_EQ(session.data().*count, stored);
        EXPECT_EQ(Sent(), sent);
        EXPECT_EQ(std::ranges::count(counts, StageCountText(stage, stored)), stored == 77 ? 0 : 1);
        // The data waits to be saved exactly when a main record was stored.
        EXPECT_EQ(session.data().fData_Saved,
                  session.data().Data1Solar.at(0) == LoggedData::kMainEmpty);
    }
}

TEST(Records, DecodeWithSignAndScale) {
    using M = std::array<float, 5>;
    const auto main = [](std::string_view answer) {
        const auto r = DecodeMainRecord(answer);
        return r ? M{r->solar, r->battery, r->mainVolt, r->subVolt, r->speed} : M{};
    };
    EXPECT_EQ(main("FFFF80000FA0FFFF\r"), (M{-0.01f, -327.68f, 400.0f, 25.5f, 255.0f}));
    EXPECT_EQ(main("12G4000000000000\r")[0], 0.18f);
    EXPECT_FALSE(DecodeMainRecord("FFFF80000FA0FFF\r"));
    const std::pair<std::string, int> temps[] = {{"19", 25},   {"7F", 127}, {"80", -128},
                                                 {"F6", -10},  {"FF", -1},  {"00", 0},
                                                 {"9Z", 4089}, {"Z5", 0},   {"f6", -10}};
    for (const auto& [field, value] : temps) EXPECT_EQ(DecodeTempRecord(field + "\r"), value);
    EXPECT_FALSE(DecodeTempRecord("19"));
    const auto lap = DecodeLapRecord("0E100064\r");
    EXPECT_EQ(std::tuple(lap->seconds, lap->motorWh), std::tuple(3600, 10.0f));
    const auto empty = DecodeLapRecord("FFFFFFF6\r");
    EXPECT_EQ(std::tuple(empty->seconds, empty->motorWh), std::tuple(-1, -1.0f));
    EXPECT_EQ(DecodeCount(Stage::Laps, "1Z\r"), 1);
    EXPECT_EQ(DecodeCount(Stage::Temperature, "0546\r"), 1350);
    EXPECT_FALSE(DecodeCount(Stage::Main, "0546"));
}

// A record answer of the wrong length ends the download there; the records before it stay. At the
// line's pace one character of noise in front of a record is caught as well.
TEST_F(Download, RecordAnswersOfWrongLengthStageByStage) {
    const ybsim::Logger logger(Holding(4, 4, 4));
    // fault, at the line's pace, outcome, last command sent, records kept per stage
    const std::tuple<Fault, bool, QString, std::string, int, int, int> cases[] = {
        {Fault::replace("D1", std::string(16, '1')).onRecord(3), false, kD1Record, "D10003", 3, 0,
         0},
        {Fault::replace("D1", std::string(18, '1')).onRecord(3), false, kD1Record, "D10003", 3, 0,
         0},
        {Fault::replace("D1", "7" + logger.mainRecord(3)).onRecord(3), true, kD1Record, "D10003",
         3, 0, 0},
        {Fault::replace("D2", "1\r").onRecord(2), false, kD2Record, "D20002", 4, 2, 0},
        {Fault::replace("D2", "1" + logger.tempRecord(2)).onRecord(2), true, kD2Record, "D20002",
         4, 2, 0},
        {Fault::replace("LD03", std::string(10, '1')), false, kLapRecord, "LD03", 4, 4, 2},
        {Fault::replace("LD03", "0" + logger.lapRecord(3)), true, kLapRecord, "LD03", 4, 4, 2}};
    for (const auto& [fault, paced, outcome, last, main, temp, laps] : cases) {
        SCOPED_TRACE(fault.answer);
        Connect(Holding(4, 4, 4, !paced), {fault});
        EXPECT_EQ(Run(), outcome);
        EXPECT_EQ(sim->commands().back(), last);
        ExpectHolds(main, temp, laps);
    }
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
    EXPECT_EQ(session.data().LogInterval, 1);
}

// Cancelled while a request of each stage waits for its answer: nothing is sent after it, and the
// store holds what a download failing at that request would hold.
TEST_F(Download, CancelInEachStageKeepsWhatWasFetched) {
    const std::tuple<std::string, int, int, int> cases[] = {
        {"T??", 0, 0, 0}, {"D1?", 0, 0, 0}, {"D10003", 3, 0, 0}, {"TMP?", 6, 0, 0},
        {"D20002", 6, 2, 0}, {"L?", 6, 6, 0}, {"LD04", 6, 6, 3}};
    for (const auto& [command, main, temp, laps] : cases) {
        SCOPED_TRACE(command);
        Connect(Holding(6, 6, 6), {Fault::silence(command)});
        session.data().fData_Saved = true;
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
        EXPECT_FALSE(session.data().fData_Saved);
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
    };
    EXPECT_EQ(Run(), kDone);
    EXPECT_EQ(refused, std::vector<Ending>(6, Ending::Refused));
    EXPECT_EQ(sim->commands().size(), 5u + 40 + 5 + 3);
    ExpectHolds(40, 5, 3);
}

TEST_F(Download, LineDroppingMidwayKeepsTheRecordsBeforeClosedPortSendsNothing) {
    Connect(Holding(60, 10, 5, /*instant=*/false), {Fault::hangUp("D1").onRecord(50)});
    EXPECT_EQ(Run(), kD1Record);
    EXPECT_EQ(sim->commands().back(), "D10032");
    ExpectHolds(50, 0, 0);
    EXPECT_FALSE(session.portOpen());
    EXPECT_EQ(Run(), QStringLiteral("CommPort Not Open..."));
}

}  // namespace
}  // namespace yb::test
