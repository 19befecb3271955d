// A download as a whole: order of requests, the data it brings home, the paced line, failures of
// the port, and commands run in the middle of it.

#include <QTimer>

#include "download/DownloadRig.h"

namespace yb::test {
namespace {

using ybsim::Fault;
using namespace std::chrono_literals;

const QString kDone = QStringLiteral("データ読出し完了...");

class WholeDownload : public DownloadRig {
protected:
    // Every slot below the counts holds what the logger recorded.
    void ExpectStoreMatchesLogger() {
        ASSERT_EQ(data.DataCount1, sim->mainCount());
        ASSERT_EQ(data.DataCount2, sim->tempCount());
        ASSERT_EQ(data.LapCount, sim->lapCount());
        for (int i = 0; i < data.DataCount1; ++i) {
            const auto v = sim->mainValues(i);
            ASSERT_EQ(data.Data1Solar.at(i), static_cast<float>(v.solarCentiA) / 100.0f) << i;
            ASSERT_EQ(data.Data1Battery.at(i), static_cast<float>(v.batteryCentiA) / 100.0f) << i;
            ASSERT_EQ(data.Data1MainVolt.at(i), static_cast<float>(v.mainDeciV) / 10.0f) << i;
            ASSERT_EQ(data.Data1SubVolt.at(i), static_cast<float>(v.subDeciV) / 10.0f) << i;
            ASSERT_EQ(data.Data1Speed.at(i), static_cast<float>(v.speedKmh)) << i;
        }
        for (int i = 0; i < data.DataCount2; ++i) {
            ASSERT_EQ(data.Data2Temp.at(i), sim->temperature(i)) << i;
        }
        for (int i = 0; i < data.LapCount; ++i) {
            const auto v = sim->lapValues(i + 1);
            ASSERT_EQ(data.LapTime.at(i), v.seconds) << i;
            ASSERT_EQ(data.LapMotorWh.at(i), static_cast<float>(v.energyDWh) / 10.0f) << i;
        }
    }
};

TEST_F(WholeDownload, RequestsEverythingInOrderAndStoresWhatTheLoggerHolds) {
    Start(Logger(3, 2, 2));
    Download();
    EXPECT_EQ(Status(), kDone);
    const std::vector<std::string> expected = {"T??",    "D1?",  "D10000", "D10001",
                                               "D10002", "TMP?", "D2?",    "D20000",
                                               "D20001", "L?",   "LD01",   "LD02"};
    EXPECT_EQ(Commands(), expected);
    EXPECT_TRUE(view.everShowed(QStringLiteral("データ１:3個")));
    EXPECT_TRUE(view.everShowed(QStringLiteral("温度データ:2個")));
    EXPECT_TRUE(view.everShowed(QStringLiteral("周回データ:2個")));
    EXPECT_EQ(view.text(Field::Text2), "0001 : " + QString::fromStdString(sim->tempRecord(1)));
    EXPECT_EQ(view.text(Field::Text3), "02 : " + QString::fromStdString(sim->lapRecord(2)));
    EXPECT_EQ(state.CmdStr, "LD02");
    // Window events run after each main record only.
    EXPECT_EQ(pumps, 3);
    ExpectStoreMatchesLogger();
}

TEST_F(WholeDownload, FullCapacityLeavesTheLastSlotsEmpty) {
    Start(Logger(16100, 1350, 200));
    Download();
    ASSERT_EQ(Status(), kDone);
    EXPECT_EQ(RecordCommands("D1").back(), "D13EE3");
    EXPECT_EQ(RecordCommands("D2").back(), "D20545");
    ExpectStoreMatchesLogger();
    EXPECT_EQ(data.Data1Solar.at(16100), LoggedData::kMainEmpty);
    EXPECT_EQ(data.Data1Speed.at(16100), LoggedData::kMainEmpty);
    EXPECT_EQ(data.Data2Temp.at(1350), LoggedData::kTempEmpty);
    EXPECT_EQ(data.LapTime.at(200), LoggedData::kLapTimeEmpty);
}

TEST_F(WholeDownload, CompletesAtTheLinePace) {
    Start(Logger(150, 40, 12, /*instant=*/false));
    Download();
    EXPECT_EQ(Status(), kDone);
    ExpectStoreMatchesLogger();
}

TEST_F(WholeDownload, LineDroppingMidwayEndsWithTheRecordFailureAndKeepsTheRecords) {
    Start(Logger(600, 10, 5, /*instant=*/false));
    sim->addFault(Fault::hangUp("D1").onRecord(500));
    Download();
    EXPECT_EQ(Status(), QStringLiteral("'D1+nnnn' コマンドエラー"));
    EXPECT_EQ(data.DataCount1, 600);
    EXPECT_EQ(data.Data1Speed.at(499), static_cast<float>(sim->mainValues(499).speedKmh));
    EXPECT_EQ(data.Data1Speed.at(500), LoggedData::kMainEmpty);
    EXPECT_FALSE(Sent("TMP?"));
}

TEST_F(WholeDownload, PortLostBetweenRecordsEndsTheDownloadQuietly) {
    Start(Logger(8, 0, 0));
    onPump = [this] {
        if (pumps == 3) sim->hangUp();
    };
    Download();
    EXPECT_EQ(Status(), QStringLiteral("'D1+nnnn' コマンドエラー"));
    EXPECT_EQ(data.Data1Speed.at(2), static_cast<float>(sim->mainValues(2).speedKmh));
    EXPECT_EQ(data.Data1Speed.at(3), LoggedData::kMainEmpty);
    // A later download on the dead port fails at its count instead of hanging or crashing.
    Download();
    EXPECT_EQ(Status(), QStringLiteral("'D1?' コマンドエラー"));
}

TEST_F(WholeDownload, PortClosedFromTheWindowMidwayEndsWithTheRecordFailure) {
    Start(Logger(8, 0, 0));
    onPump = [this] {
        if (pumps != 2) return;
        port.setPortOpen(false);
        state.fCommOpen = false;
    };
    Download();
    EXPECT_EQ(Status(), QStringLiteral("'D1+nnnn' コマンドエラー"));
    EXPECT_EQ(RecordCommands("D1").size(), 2u);
    EXPECT_EQ(data.Data1Solar.at(2), LoggedData::kMainEmpty);
}

TEST_F(WholeDownload, SecondPressBetweenMainRecordsRunsAWholeDownloadThenTheFirstGoesOn) {
    Start(Logger(6, 2, 1));
    onPump = [this] {
        if (pumps != 1) return;
        sim->addFault(Fault::replace("D1?", "0002\r"));
        Download();
        EXPECT_EQ(Status(), kDone);
        EXPECT_EQ(data.DataCount1, 2);
    };
    Download();
    EXPECT_EQ(Status(), kDone);
    EXPECT_EQ(CountOf("D1?"), 2);
    EXPECT_EQ(CountOf("L?"), 2);
    // The first run keeps its own bound of 6 after the second one stored 2.
    const auto all = Commands();
    const auto lastLap = std::find(all.begin(), all.end(), "LD01");
    EXPECT_NE(std::find(lastLap, all.end(), "D10005"), all.end());
    EXPECT_EQ(CountOf("D10000"), 2);
    EXPECT_EQ(CountOf("D10005"), 1);
    EXPECT_EQ(data.DataCount1, 2);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(data.Data1Battery.at(i),
                  static_cast<float>(sim->mainValues(i).batteryCentiA) / 100.0f);
    }
}

TEST_F(WholeDownload, PressDuringACountWaitIsRefusedAndTheFirstGoesOn) {
    Start(Logger(3, 0, 1));
    bool nestedRan = false;
    // Fires inside the interval read's wait, while that exchange is in progress.
    QTimer::singleShot(20, [this, &nestedRan] {
        nestedRan = true;
        Download();
    });
    Download();
    EXPECT_TRUE(nestedRan);
    EXPECT_EQ(Status(), kDone);
    EXPECT_EQ(CountOf("T??"), 1);
    EXPECT_EQ(CountOf("D1?"), 1);
    EXPECT_EQ(data.DataCount1, 3);
}

}  // namespace
}  // namespace yb::test
