#include <gtest/gtest.h>

#include "download/LoggedData.h"

using namespace yb;

TEST(LoggedData, InitDataPutsEveryMarkerInPlace) {
    auto data = std::make_unique<LoggedData>();
    data->DataCount1 = 5;
    data->DataCount2 = 6;
    data->LapCount = 7;
    data->Data1Speed.at(16100) = 1.0f;
    data->Data2Temp.at(0) = 12;
    data->LapMotorWh.at(200) = 3.0f;
    data->fData_Saved = false;
    data->LogInterval = 5;

    data->InitData();

    EXPECT_EQ(data->DataCount1, 0);
    EXPECT_EQ(data->DataCount2, 0);
    EXPECT_EQ(data->LapCount, 0);
    for (int i = 0; i < LoggedData::kMainSlots; ++i) {
        ASSERT_EQ(data->Data1Solar.at(i), 99999.0f);
        ASSERT_EQ(data->Data1Battery.at(i), 99999.0f);
        ASSERT_EQ(data->Data1MainVolt.at(i), 99999.0f);
        ASSERT_EQ(data->Data1SubVolt.at(i), 99999.0f);
        ASSERT_EQ(data->Data1Speed.at(i), 99999.0f);
    }
    for (int i = 0; i < LoggedData::kTempSlots; ++i) ASSERT_EQ(data->Data2Temp.at(i), 9999);
    for (int i = 0; i < LoggedData::kLapSlots; ++i) {
        ASSERT_EQ(data->LapTime.at(i), -1);
        ASSERT_EQ(data->LapMotorWh.at(i), -1.0f);
    }
    // The reset leaves the saved flag and the interval alone.
    EXPECT_FALSE(data->fData_Saved);
    EXPECT_EQ(data->LogInterval, 5);
}

TEST(LoggedData, SlotsOutsideTheArraysFailInsteadOfTouchingMemory) {
    auto data = std::make_unique<LoggedData>();
    data->InitData();
    EXPECT_NO_THROW(data->Data1Solar.at(16100));
    EXPECT_THROW(data->Data1Solar.at(16101), SlotRangeError);
    EXPECT_THROW(data->Data1Speed.at(-1), SlotRangeError);
    EXPECT_NO_THROW(data->Data2Temp.at(1350));
    EXPECT_THROW(data->Data2Temp.at(1351), SlotRangeError);
    EXPECT_THROW(data->LapTime.at(201), SlotRangeError);
    const LoggedData& view = *data;
    EXPECT_THROW(view.LapMotorWh.at(-32768), SlotRangeError);
}

TEST(LoggedData, StartsSavedWithIntervalUnknown) {
    LoggedData data;
    EXPECT_TRUE(data.fData_Saved);
    EXPECT_EQ(data.LogInterval, 0);
}
