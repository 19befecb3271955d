// The main-data stage: count answer, record requests, decoding, failures.

#include "download/DownloadRig.h"

namespace yb::test {
namespace {

using ybsim::Fault;
using namespace std::chrono_literals;

const QString kD1CountError = QStringLiteral("'D1?' コマンドエラー");
const QString kD1RecordError = QStringLiteral("'D1+nnnn' コマンドエラー");
const QString kDone = QStringLiteral("データ読出し完了...");

class MainStage : public DownloadRig {};

TEST_F(MainStage, ClosedPortSendsNothingNotEvenTheIntervalRead) {
    Start(Logger(5, 0, 0));
    port.setPortOpen(false);
    state.fCommOpen = false;
    Download();
    EXPECT_EQ(Status(), QStringLiteral("CommPort Not Open..."));
    EXPECT_EQ(intervalReads, 0);
    EXPECT_FALSE(sim->waitForCommands(1, 150ms));
    EXPECT_EQ(data.DataCount1, 0);
    EXPECT_TRUE(data.fData_Saved);
}

TEST_F(MainStage, CountZeroRequestsNoRecordAndGoesOn) {
    Start(Logger(0, 0, 0));
    Download();
    EXPECT_TRUE(view.everShowed(QStringLiteral("データ１:0個")));
    EXPECT_TRUE(RecordCommands("D1").empty());
    EXPECT_TRUE(Sent("TMP?"));
    EXPECT_EQ(Status(), kDone);
    EXPECT_TRUE(data.fData_Saved);
}

TEST_F(MainStage, CountAtTheLimitIsAccepted) {
    Start(Logger(5, 0, 0));
    sim->addFault(Fault::replace("D1?", "3EE4\r"));
    // A long first record ends the run at once; the count has been taken by then.
    sim->addFault(Fault::replace("D10000", std::string(18, '0')));
    Download();
    EXPECT_EQ(data.DataCount1, 16100);
    EXPECT_TRUE(view.everShowed(QStringLiteral("データ１:16100個")));
    EXPECT_EQ(RecordCommands("D1"), std::vector<std::string>{"D10000"});
    EXPECT_EQ(Status(), kD1RecordError);
}

TEST_F(MainStage, CountAboveTheLimitEndsTheDownloadAndKeepsTheEarlierCount) {
    Start(Logger(7, 0, 0));
    Download();
    ASSERT_EQ(data.DataCount1, 7);
    sim->clearReceived();
    sim->addFault(Fault::replace("D1?", "3EE5\r"));
    Download();
    EXPECT_EQ(Status(), kD1CountError);
    EXPECT_EQ(data.DataCount1, 7);
    EXPECT_TRUE(RecordCommands("D1").empty());
    EXPECT_FALSE(Sent("TMP?"));
}

TEST_F(MainStage, NegativeCountIsStoredShownAndSkipped) {
    Start(Logger(5, 0, 0));
    sim->addFault(Fault::replace("D1?", "FFFF\r"));
    Download();
    EXPECT_EQ(data.DataCount1, -1);
    EXPECT_TRUE(view.everShowed(QStringLiteral("データ１:-1個")));
    EXPECT_TRUE(RecordCommands("D1").empty());
    EXPECT_EQ(Status(), kDone);
    EXPECT_TRUE(data.fData_Saved);
}

TEST_F(MainStage, CountAnswerOfWrongLengthOrMissingEndsTheDownload) {
    Start(Logger(5, 0, 0));
    for (const auto& fault : {Fault::replace("D1?", "003\r"), Fault::replace("D1?", "00030\r"),
                              Fault::silence("D1?")}) {
        data.DataCount1 = 9;
        sim->clearReceived();
        sim->addFault(fault);
        Download();
        EXPECT_EQ(Status(), kD1CountError) << fault.answer;
        EXPECT_EQ(data.DataCount1, 9) << fault.answer;
        EXPECT_FALSE(Sent("D10000")) << fault.answer;
        EXPECT_TRUE(data.fData_Saved);
    }
}

TEST_F(MainStage, RecordFieldsDecodeWithSignAndScale) {
    Start(Logger(3, 0, 0));
    sim->addFault(Fault::replace("D10000", "FFFF80000FA0FFFF\r"));
    sim->addFault(Fault::replace("D10001", "12G4000000000000\r"));
    Download();
    ASSERT_EQ(Status(), kDone);
    EXPECT_EQ(data.Data1Solar.at(0), -0.01f);
    EXPECT_EQ(data.Data1Battery.at(0), -327.68f);
    EXPECT_EQ(data.Data1MainVolt.at(0), 400.0f);
    EXPECT_EQ(data.Data1SubVolt.at(0), 25.5f);
    EXPECT_EQ(data.Data1Speed.at(0), 255.0f);
    EXPECT_EQ(data.Data1Solar.at(1), 0.18f);
    EXPECT_FALSE(data.fData_Saved);
}

TEST_F(MainStage, RecordAnswerOfWrongLengthKeepsTheRecordsBefore) {
    for (const std::string& bad : {std::string(16, '1'), std::string(18, '1')}) {
        Start(Logger(6, 0, 0));
        data.InitData();
        sim->addFault(Fault::replace("D1", bad).onRecord(3));
        Download();
        EXPECT_EQ(Status(), kD1RecordError) << bad.size();
        EXPECT_EQ(data.DataCount1, 6);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(data.Data1Speed.at(i), static_cast<float>(sim->mainValues(i).speedKmh));
        }
        EXPECT_EQ(data.Data1Solar.at(3), LoggedData::kMainEmpty);
        EXPECT_EQ(view.text(Field::Text1), "0002 : " + QString::fromStdString(sim->mainRecord(2)));
        EXPECT_FALSE(Sent("D10004"));
        EXPECT_FALSE(Sent("TMP?"));
    }
}

TEST_F(MainStage, RecordNumbersAreFourUpperCaseHexDigitsAndTheLineShowsTheLastRecord) {
    Start(Logger(120, 0, 0));
    Download();
    ASSERT_EQ(Status(), kDone);
    const auto records = RecordCommands("D1");
    ASSERT_EQ(records.size(), 120u);
    EXPECT_EQ(records[0], "D10000");
    EXPECT_EQ(records[26], "D1001A");
    EXPECT_EQ(records[119], "D10077");
    EXPECT_EQ(view.text(Field::Text1), "0077 : " + QString::fromStdString(sim->mainRecord(119)));
    EXPECT_EQ(pumps, 120);
}

TEST_F(MainStage, SmallerSecondDownloadLeavesTheSlotsBeyondItsCount) {
    Start(Logger(10, 0, 0));
    Download();
    ASSERT_EQ(data.DataCount1, 10);
    std::vector<float> before;
    for (int i = 0; i < 10; ++i) before.push_back(data.Data1Battery.at(i));
    sim->addFault(Fault::replace("D1?", "0003\r"));
    for (int i = 0; i < 3; ++i)
        sim->addFault(Fault::replace("D1", "0000000000000000\r").onRecord(i));
    Download();
    EXPECT_EQ(data.DataCount1, 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(data.Data1Battery.at(i), 0.0f);
    for (int i = 3; i < 10; ++i) EXPECT_EQ(data.Data1Battery.at(i), before[static_cast<size_t>(i)]);
    EXPECT_EQ(data.Data1Battery.at(10), LoggedData::kMainEmpty);
}

}  // namespace
}  // namespace yb::test
