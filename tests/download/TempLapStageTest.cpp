// The temperature probe and stage, and the lap stage.

#include "download/DownloadRig.h"

namespace yb::test {
namespace {

using ybsim::Fault;

const QString kDone = QStringLiteral("データ読出し完了...");
const QString kD2CountError = QStringLiteral("'D2?' コマンドエラー");
const QString kD2RecordError = QStringLiteral("'D2+nnnn' コマンドエラー");

class TempStage : public DownloadRig {};
class LapStage : public DownloadRig {};

TEST_F(TempStage, ProbeWantsUpperCaseOKAtTheStart) {
    Start(Logger(0, 0, 0));
    struct Case {
        std::string answer;  // empty: the logger stays silent
        bool fitted;
    };
    for (const Case& c : {Case{"OK\r", true}, Case{"OKAY", true}, Case{"ok\r", false},
                          Case{"O", false}, Case{"NG\r", false}, Case{"", false}}) {
        sim->addFault(c.answer.empty() ? Fault::silence("TMP?") : Fault::replace("TMP?", c.answer));
        EXPECT_EQ(CheckTempSensor(ctx), c.fitted) << c.answer;
        EXPECT_EQ(state.CmdStr, "TMP?");
    }
}

TEST_F(TempStage, NoOptionSkipsToLapsAndKeepsEarlierTemperatures) {
    Start(Logger(2, 4, 1));
    data.DataCount2 = 9;
    data.Data2Temp.at(0) = 42;
    sim->addFault(Fault::replace("TMP?", "ok\r"));
    Download();
    EXPECT_EQ(Status(), kDone);
    EXPECT_FALSE(Sent("D2?"));
    EXPECT_TRUE(Sent("L?"));
    EXPECT_EQ(data.DataCount2, 9);
    EXPECT_EQ(data.Data2Temp.at(0), 42);
}

TEST_F(TempStage, CountLimitIs1350) {
    Start(Logger(0, 3, 0));
    sim->addFault(Fault::replace("D2?", "0546\r"));
    sim->addFault(Fault::replace("D20000", "1234\r"));
    Download();
    EXPECT_EQ(data.DataCount2, 1350);
    EXPECT_TRUE(view.everShowed(QStringLiteral("温度データ:1350個")));
    EXPECT_EQ(Status(), kD2RecordError);

    data.DataCount2 = 5;
    sim->clearReceived();
    sim->addFault(Fault::replace("D2?", "0547\r"));
    Download();
    EXPECT_EQ(Status(), kD2CountError);
    EXPECT_EQ(data.DataCount2, 5);
    EXPECT_TRUE(RecordCommands("D2").empty());
    EXPECT_FALSE(Sent("L?"));
}

TEST_F(TempStage, CountAnswerOfWrongLength) {
    Start(Logger(0, 3, 0));
    sim->addFault(Fault::replace("D2?", "03\r"));
    Download();
    EXPECT_EQ(Status(), kD2CountError);
    EXPECT_EQ(data.DataCount2, 0);
    EXPECT_FALSE(Sent("L?"));
}

TEST_F(TempStage, TemperaturesAreSignedBytesReadFromTheFirstCharacter) {
    const std::vector<std::pair<std::string, int>> cases = {{"19", 25},   {"7F", 127}, {"80", -128},
                                                            {"F6", -10},  {"FF", -1},  {"00", 0},
                                                            {"9Z", 4089}, {"Z5", 0},   {"f6", -10}};
    Start(Logger(0, static_cast<long>(cases.size()), 0));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        sim->addFault(Fault::replace("D2", cases[i].first + "\r").onRecord(static_cast<long>(i)));
    }
    Download();
    ASSERT_EQ(Status(), kDone);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(data.Data2Temp.at(static_cast<int>(i)), cases[i].second) << cases[i].first;
    }
    EXPECT_EQ(view.text(Field::Text2), QStringLiteral("0008 : f6\r"));
}

TEST_F(TempStage, RecordAnswerOfWrongLengthEndsBeforeTheLaps) {
    for (const std::string& bad : {std::string("1\r"), std::string("123\r")}) {
        Start(Logger(0, 4, 2));
        data.InitData();
        sim->addFault(Fault::replace("D2", bad).onRecord(2));
        Download();
        EXPECT_EQ(Status(), kD2RecordError) << bad.size();
        EXPECT_EQ(data.DataCount2, 4);
        EXPECT_EQ(data.Data2Temp.at(1), sim->temperature(1));
        EXPECT_EQ(data.Data2Temp.at(2), LoggedData::kTempEmpty);
        EXPECT_EQ(view.text(Field::Text2), "0001 : " + QString::fromStdString(sim->tempRecord(1)));
        EXPECT_FALSE(Sent("L?"));
    }
}

TEST_F(LapStage, ZeroLapsCompleteTheDownload) {
    Start(Logger(0, 0, 0));
    Download();
    EXPECT_TRUE(view.everShowed(QStringLiteral("周回データ:0個")));
    EXPECT_TRUE(RecordCommands("LD").empty());
    EXPECT_EQ(Status(), kDone);
}

TEST_F(LapStage, CountLimitIs200WithItsOwnText) {
    Start(Logger(0, 0, 3));
    sim->addFault(Fault::replace("L?", "C8\r"));
    sim->addFault(Fault::replace("LD01", std::string(10, '0')));
    Download();
    EXPECT_EQ(data.LapCount, 200);
    EXPECT_EQ(Status(), QStringLiteral("'LD+nn' コマンドエラー"));

    data.LapCount = 4;
    sim->clearReceived();
    sim->addFault(Fault::replace("L?", "C9\r"));
    Download();
    EXPECT_EQ(Status(), QStringLiteral("'L?' コマンドエラー"));
    EXPECT_EQ(data.LapCount, 4);
    EXPECT_TRUE(RecordCommands("LD").empty());
}

TEST_F(LapStage, CountAnswerOfWrongLength) {
    Start(Logger(0, 0, 3));
    for (const std::string& bad : {std::string("3\r"), std::string("003\r")}) {
        sim->addFault(Fault::replace("L?", bad));
        Download();
        EXPECT_EQ(Status(), QStringLiteral("'L2?' コマンドエラー")) << bad.size();
        EXPECT_EQ(data.LapCount, 0);
    }
}

TEST_F(LapStage, CountFieldStopsAtTheFirstNonDigit) {
    Start(Logger(0, 0, 5));
    sim->addFault(Fault::replace("L?", "1Z\r"));
    Download();
    EXPECT_EQ(data.LapCount, 1);
    EXPECT_EQ(RecordCommands("LD"), std::vector<std::string>{"LD01"});
    EXPECT_EQ(Status(), kDone);
}

TEST_F(LapStage, LapsAreNumberedFromOneInTwoHexDigits) {
    Start(Logger(0, 0, 200));
    Download();
    ASSERT_EQ(Status(), kDone);
    const auto laps = RecordCommands("LD");
    ASSERT_EQ(laps.size(), 200u);
    EXPECT_EQ(laps[0], "LD01");
    EXPECT_EQ(laps[9], "LD0A");
    EXPECT_EQ(laps[15], "LD10");
    EXPECT_EQ(laps[199], "LDC8");
    EXPECT_EQ(view.text(Field::Text3), "C8 : " + QString::fromStdString(sim->lapRecord(200)));
    EXPECT_EQ(data.LapTime.at(200), LoggedData::kLapTimeEmpty);
    EXPECT_EQ(data.LapMotorWh.at(200), LoggedData::kLapWhEmpty);
}

TEST_F(LapStage, LapFieldsDecode) {
    Start(Logger(0, 0, 2));
    sim->addFault(Fault::replace("LD01", "0E100064\r"));
    sim->addFault(Fault::replace("LD02", "FFFFFFF6\r"));
    Download();
    ASSERT_EQ(Status(), kDone);
    EXPECT_EQ(data.LapTime.at(0), 3600);
    EXPECT_EQ(data.LapMotorWh.at(0), 10.0f);
    EXPECT_EQ(data.LapTime.at(1), -1);
    EXPECT_EQ(data.LapMotorWh.at(1), -1.0f);
}

TEST_F(LapStage, RecordAnswerOfWrongLengthKeepsTheLapsBefore) {
    for (const std::string& bad : {std::string(8, '1'), std::string(10, '1')}) {
        Start(Logger(0, 0, 4));
        data.InitData();
        sim->addFault(Fault::replace("LD03", bad));
        Download();
        EXPECT_EQ(Status(), QStringLiteral("'LD+nn' コマンドエラー")) << bad.size();
        EXPECT_EQ(data.LapCount, 4);
        EXPECT_EQ(data.LapTime.at(1), sim->lapValues(2).seconds);
        EXPECT_EQ(data.LapTime.at(2), LoggedData::kLapTimeEmpty);
        EXPECT_EQ(view.text(Field::Text3), "02 : " + QString::fromStdString(sim->lapRecord(2)));
    }
}

}  // namespace
}  // namespace yb::test
