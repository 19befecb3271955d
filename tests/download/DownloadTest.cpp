// The download against the simulated logger on a pseudo-terminal: the three stages (main data,
// temperatures, laps) one table at a time, then whole downloads, failures of the line, and
// commands run in the middle of one.

#include <QTimer>

#include <algorithm>

#include "download/Download.h"
#include "support/SimFixture.h"

namespace yb::test {
namespace {

using ybsim::Fault, ybsim::Options;

const QString kDone = QStringLiteral("データ読出し完了...");
const QString kD1Count = QStringLiteral("'D1?' コマンドエラー");
const QString kD1Record = QStringLiteral("'D1+nnnn' コマンドエラー");
const QString kD2Record = QStringLiteral("'D2+nnnn' コマンドエラー");
const QString kLapRecord = QStringLiteral("'LD+nn' コマンドエラー");

// A window that keeps every Status text shown.
struct StatusLog : FakeView {
    void setText(Field field, const QString& text) override {
        FakeView::setText(field, text);
        if (field == Field::Status) shown.push_back(text);
    }
    std::vector<QString> shown;
};

class Download : public ::testing::Test {
protected:
    // A fresh logger holding these records, COM1 opened on it, and an empty store.
    void Start(long main, long temp, long laps, const std::vector<Fault>& faults = {},
               bool instant = true) {
        if (port.portOpen()) port.setPortOpen(false);
        sim = std::make_unique<ybsim::LoggerSim>(
            Options{.mainCount = main, .tempCount = temp, .lapCount = laps, .instant = instant});
        sim->start();
        for (const Fault& fault : faults) sim->addFault(fault);
        PointComAt(1, sim->slavePath());
        port.setCommPort(1);
        port.setSettings(QStringLiteral("38400,N,8,1"));
        port.setPortOpen(true);
        state.fCommOpen = true;
        data.InitData();
        data.fData_Saved = true;
    }
    // One press of the download button; the Status it ends with.
    QString Run() {
        sim->clearReceived();
        view.shown.clear();
        DownLoadBtn_Click(ctx);
        return view.text(Field::Status);
    }
    // The commands received since the last Run(), space-separated.
    std::string Sent() const {
        std::string all;
        for (const auto& c : sim->commands()) all += (all.empty() ? "" : " ") + c;
        return all;
    }
    std::array<float, 5> Main(int i) const {
        return {data.Data1Solar.at(i), data.Data1Battery.at(i), data.Data1MainVolt.at(i),
                data.Data1SubVolt.at(i), data.Data1Speed.at(i)};
    }

    // The recording-interval read as the window runs it.
    void ReadInterval() {
        ++intervalReads;
        exchange.mSendCommandGetAns(state.CmdStr = "T??", state.AnsStr, 100);
    }

    // Slots below each bound hold what the logger recorded, the slot at the bound its marker; each
    // record line shows the last record stored.
    void ExpectHolds(int main, int temp, int laps) const {
        for (int i = 0; i < main; ++i) {
            const auto v = sim->mainValues(i);
            ASSERT_EQ(Main(i),
                      (std::array{v.solarCentiA / 100.0f, v.batteryCentiA / 100.0f,
                                  v.mainDeciV / 10.0f, v.subDeciV / 10.0f, 1.0f * v.speedKmh}))
                << i;
        }
        for (int i = 0; i < temp; ++i) ASSERT_EQ(data.Data2Temp.at(i), sim->temperature(i)) << i;
        for (int i = 0; i < laps; ++i) {
            ASSERT_EQ(
                std::tuple(data.LapTime.at(i), data.LapMotorWh.at(i)),
                std::tuple(sim->lapValues(i + 1).seconds, sim->lapValues(i + 1).energyDWh / 10.0f));
        }
        const float e = LoggedData::kMainEmpty;
        EXPECT_EQ(std::tuple(Main(main), data.Data2Temp.at(temp), data.LapTime.at(laps),
                             data.LapMotorWh.at(laps)),
                  std::tuple(std::array{e, e, e, e, e}, 9999, -1, -1.0f));
        const auto shows = [this](Field f, const std::string& number, const std::string& line) {
            EXPECT_EQ(view.text(f), QString::fromStdString(number + " : " + line));
        };
        if (main) shows(Field::Text1, ybsim::hexField(main - 1, 4), sim->mainRecord(main - 1));
        if (temp) shows(Field::Text2, ybsim::hexField(temp - 1, 4), sim->tempRecord(temp - 1));
        if (laps) shows(Field::Text3, ybsim::hexField(laps, 2), sim->lapRecord(laps));
    }

    // Declared first so that it outlives the port that talks to it.
    std::unique_ptr<ybsim::LoggerSim> sim;
    CommPort port;
    WindowState state;
    StatusLog view;
    CommandExchange exchange{port, state, view};
    LoggedData data;
    int intervalReads = 0, pumps = 0;
    std::function<void(int)> onPump = [](int) {};  // the window-event step after each main record
    DownloadContext ctx{
        exchange, state, view, data, [this] { ReadInterval(); }, [this] { onPump(++pumps); }};
};

// A count answer ("" for none) on a logger of one record per stage, with the stage's count at 77
// before. Records past the logger's first are answered with the wrong length.
TEST_F(Download, CountAnswersStageByStage) {
    const std::string toLaps = "T?? D1? D10000 TMP? D2? D20000 L?";
    // command, answer, count stored (77: the earlier one kept), final Status, commands sent
    const std::tuple<std::string, std::string, int, QString, std::string> cases[] = {
        {"D1?", "0000\r", 0, kDone, "T?? D1? TMP? D2? D20000 L? LD01"},
        {"D1?", "3EE4\r", 16100, kD1Record, "T?? D1? D10000 D10001"},
        {"D1?", "3EE5\r", 77, kD1Count, "T?? D1?"},
        {"D1?", "FFFF\r", -1, kDone, "T?? D1? TMP? D2? D20000 L? LD01"},
        {"D1?", "003\r", 77, kD1Count, "T?? D1?"},
        {"D1?", "00030\r", 77, kD1Count, "T?? D1?"},
        {"D1?", "", 77, kD1Count, "T?? D1?"},
        {"D2?", "0546\r", 1350, kD2Record, "T?? D1? D10000 TMP? D2? D20000 D20001"},
        {"D2?", "0547\r", 77, QStringLiteral("'D2?' コマンドエラー"), "T?? D1? D10000 TMP? D2?"},
        {"D2?", "03\r", 77, QStringLiteral("'D2?' コマンドエラー"), "T?? D1? D10000 TMP? D2?"},
        {"TMP?", "ok\r", 77, kDone, "T?? D1? D10000 TMP? L? LD01"},  // no option: no stage
        {"L?", "00\r", 0, kDone, toLaps},
        {"L?", "C8\r", 200, kLapRecord, toLaps + " LD01 LD02"},
        {"L?", "C9\r", 77, QStringLiteral("'L?' コマンドエラー"), toLaps},
        {"L?", "3\r", 77, QStringLiteral("'L2?' コマンドエラー"), toLaps},
        {"L?", "003\r", 77, QStringLiteral("'L2?' コマンドエラー"), toLaps},
        {"L?", "1Z\r", 1, kDone, toLaps + " LD01"}};  // the field ends at its first non-digit
    for (const auto& [command, answer, stored, status, sent] : cases) {
        SCOPED_TRACE(command + " " + answer);
        const auto [count, label] =
            command == "D1?"  ? std::pair(&LoggedData::DataCount1, "データ１:")
            : command == "L?" ? std::pair(&LoggedData::LapCount, "周回データ:")
                              : std::pair(&LoggedData::DataCount2, "温度データ:");
        Start(1, 1, 1, {Fault::replace("D20001", "1234\r")});
        sim->addFault(answer.empty() ? Fault::silence(command) : Fault::replace(command, answer));
        data.*count = 77;
        EXPECT_EQ(Run(), status);
        EXPECT_EQ(data.*count, stored);
        EXPECT_EQ(Sent(), sent);
        const QString shown = QString::fromUtf8(label) + QString::number(stored) + "個";
        EXPECT_EQ(std::ranges::count(view.shown, shown), stored == 77 ? 0 : 1);
        // The data waits to be saved exactly when a main record was stored.
        EXPECT_EQ(data.fData_Saved, data.Data1Solar.at(0) == LoggedData::kMainEmpty);
    }
}

TEST_F(Download, TemperatureProbeWantsUpperCaseOKAtTheStart) {
    Start(0, 0, 0);
    const std::pair<std::string, bool> cases[] = {{"OK\r", true}, {"OKAY", true},  {"ok\r", false},
                                                  {"O", false},   {"NG\r", false}, {"", false}};
    for (const auto& [answer, fitted] : cases) {
        sim->addFault(answer.empty() ? Fault::silence("TMP?") : Fault::replace("TMP?", answer));
        EXPECT_EQ(CheckTempSensor(ctx), fitted) << answer;
    }
}

TEST_F(Download, RecordsDecodeWithSignAndScaleStageByStage) {
    const std::pair<std::string, int> temps[] = {{"19", 25},   {"7F", 127}, {"80", -128},
                                                 {"F6", -10},  {"FF", -1},  {"00", 0},
                                                 {"9Z", 4089}, {"Z5", 0},   {"f6", -10}};
    std::vector<Fault> faults = {Fault::replace("D10000", "FFFF80000FA0FFFF\r"),
                                 Fault::replace("D10001", "12G4000000000000\r"),
                                 Fault::replace("LD01", "0E100064\r"),
                                 Fault::replace("LD02", "FFFFFFF6\r")};
    for (long i = 0; i < 9; ++i)
        faults.push_back(Fault::replace("D2", temps[i].first + "\r").onRecord(i));
    Start(2, 9, 2, faults);
    ASSERT_EQ(Run(), kDone);
    EXPECT_EQ(Main(0), (std::array{-0.01f, -327.68f, 400.0f, 25.5f, 255.0f}));
    EXPECT_EQ(Main(1)[0], 0.18f);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(data.Data2Temp.at(i), temps[i].second) << temps[i].first;
    EXPECT_EQ(view.text(Field::Text2), QStringLiteral("0008 : f6\r"));
    EXPECT_EQ(std::tuple(data.LapTime.at(0), data.LapTime.at(1)), std::tuple(3600, -1));
    EXPECT_EQ(std::tuple(data.LapMotorWh.at(0), data.LapMotorWh.at(1)), std::tuple(10.0f, -1.0f));
}

// A record answer of the wrong length ends the download there; the records before it stay.
TEST_F(Download, RecordAnswersOfWrongLengthStageByStage) {
    // fault, final Status, last command sent, records kept per stage
    const std::tuple<Fault, QString, std::string, int, int, int> cases[] = {
        {Fault::replace("D1", std::string(16, '1')).onRecord(3), kD1Record, "D10003", 3, 0, 0},
        {Fault::replace("D1", std::string(18, '1')).onRecord(3), kD1Record, "D10003", 3, 0, 0},
        {Fault::replace("D2", "1\r").onRecord(2), kD2Record, "D20002", 4, 2, 0},
        {Fault::replace("D2", "123\r").onRecord(2), kD2Record, "D20002", 4, 2, 0},
        {Fault::replace("LD03", std::string(8, '1')), kLapRecord, "LD03", 4, 4, 2},
        {Fault::replace("LD03", std::string(10, '1')), kLapRecord, "LD03", 4, 4, 2}};
    for (const auto& [fault, status, last, main, temp, laps] : cases) {
        SCOPED_TRACE(fault.answer);
        Start(4, 4, 4, {fault});
        EXPECT_EQ(Run(), status);
        EXPECT_EQ(sim->commands().back(), last);
        ExpectHolds(main, temp, laps);
    }
}

TEST_F(Download, SmallerSecondDownloadLeavesTheSlotsBeyondItsCount) {
    Start(10, 0, 0);
    ASSERT_EQ(Run(), kDone);
    sim->addFault(Fault::replace("D1?", "0003\r"));
    for (long i = 0; i < 3; ++i)
        sim->addFault(Fault::replace("D1", std::string(16, '0') + "\r").onRecord(i));
    ASSERT_EQ(Run(), kDone);
    EXPECT_EQ(data.DataCount1, 3);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(Main(i)[1], i < 3 ? 0.0f : sim->mainValues(i).batteryCentiA / 100.0f) << i;
}

TEST_F(Download, ClosedPortSendsNothingNotEvenTheIntervalRead) {
    Start(5, 0, 0);
    port.setPortOpen(false);
    state.fCommOpen = false;
    EXPECT_EQ(Run(), QStringLiteral("CommPort Not Open..."));
    EXPECT_EQ(intervalReads, 0);
    EXPECT_FALSE(sim->waitForCommands(1, std::chrono::milliseconds(150)));
}

TEST_F(Download, FullStoreNumbersEveryRecordAndLeavesTheLastSlotsEmpty) {
    Start(16100, 1350, 200);
    QString lineAt120;
    onPump = [&](int pump) {
        if (pump == 120) lineAt120 = view.text(Field::Text1);
    };
    ASSERT_EQ(Run(), kDone);
    EXPECT_EQ(lineAt120, "0077 : " + QString::fromStdString(sim->mainRecord(119)));
    // Window events run once per main record, never between temperatures or laps.
    EXPECT_EQ(pumps, 16100);
    EXPECT_EQ(sim->commands().size(), 5u + 16100 + 1350 + 200);
    const std::string sent = Sent();
    for (const char* run : {"T?? D1? D10000 ", " D1001A ", " D10077 ", " D13EE3 TMP? D2? D20000 ",
                            " D20545 L? LD01 ", " LD0A ", " LD10 ", " LDC8"}) {
        EXPECT_NE(sent.find(run), std::string::npos) << run;
    }
    ExpectHolds(16100, 1350, 200);
}

TEST_F(Download, LineDroppingMidwayAtTheLinePaceKeepsTheRecordsBefore) {
    Start(600, 10, 5, {Fault::hangUp("D1").onRecord(500)}, /*instant=*/false);
    EXPECT_EQ(Run(), kD1Record);
    EXPECT_EQ(sim->commands().back(), "D101F4");
    ExpectHolds(500, 0, 0);
    // A later download on the dead line fails at its count instead of hanging or crashing.
    EXPECT_EQ(Run(), kD1Count);
}

TEST_F(Download, SecondPressBetweenMainRecordsRunsAWholeDownloadThenTheFirstGoesOn) {
    Start(6, 2, 1);
    onPump = [this](int pump) {
        if (pump != 1) return;
        sim->addFault(Fault::replace("D1?", "0002\r"));
        DownLoadBtn_Click(ctx);
    };
    EXPECT_EQ(Run(), kDone);
    // The first run keeps its own bound of 6 after the second one stored 2.
    EXPECT_EQ(Sent(),
              "T?? D1? D10000 T?? D1? D10000 D10001 TMP? D2? D20000 D20001 L? LD01 "
              "D10001 D10002 D10003 D10004 D10005 TMP? D2? D20000 D20001 L? LD01");
    EXPECT_EQ(data.DataCount1, 2);
    ExpectHolds(6, 2, 1);
}

TEST_F(Download, PressDuringACountWaitIsRefusedAndTheFirstGoesOn) {
    Start(3, 0, 1);
    // Fires inside the interval read's wait, while that exchange is in progress.
    QTimer::singleShot(20, [this] { DownLoadBtn_Click(ctx); });
    EXPECT_EQ(Run(), kDone);
    EXPECT_EQ(intervalReads, 2);
    EXPECT_EQ(Sent(), "T?? D1? D10000 D10001 D10002 TMP? D2? L? LD01");
}

}  // namespace
}  // namespace yb::test
