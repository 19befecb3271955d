#include <gtest/gtest.h>

#include "download/LoggedData.h"

using namespace yb;

TEST(LoggedData, StartsSavedAndInitDataPutsEveryMarkerInPlace) {
    auto data = std::make_unique<LoggedData>();
    EXPECT_EQ(std::tuple(data->fData_Saved, data->LogInterval), std::tuple(true, 0));
    data->DataCount1 = data->DataCount2 = data->LapCount = 5;
    data->fData_Saved = false;
    data->LogInterval = 5;
    data->InitData();
    EXPECT_EQ(std::tuple(data->DataCount1, data->DataCount2, data->LapCount), std::tuple(0, 0, 0));
    for (int i = 0; i < LoggedData::kMainSlots; ++i) {
        for (const auto* field : {&data->Data1Solar, &data->Data1Battery, &data->Data1MainVolt,
                                  &data->Data1SubVolt, &data->Data1Speed})
            ASSERT_EQ(field->at(i), 99999.0f) << i;
    }
    for (int i = 0; i < LoggedData::kTempSlots; ++i) ASSERT_EQ(data->Data2Temp.at(i), 9999);
    for (int i = 0; i < LoggedData::kLapSlots; ++i) {
        ASSERT_EQ(std::tuple(data->LapTime.at(i), data->LapMotorWh.at(i)), std::tuple(-1, -1.0f));
    }
    // The reset leaves the saved flag and the interval alone.
    EXPECT_EQ(std::tuple(data->fData_Saved, data->LogInterval), std::tuple(false, 5));
}

TEST(LoggedData, SlotsOutsideTheArraysFailInsteadOfTouchingMemory) {
    const auto data = std::make_unique<LoggedData>();
    EXPECT_NO_THROW(data->Data1Solar.at(16100));
    EXPECT_NO_THROW(data->Data2Temp.at(1350));
    EXPECT_THROW(data->Data1Solar.at(16101), SlotRangeError);
    EXPECT_THROW(data->Data1Speed.at(-1), SlotRangeError);
    EXPECT_THROW(data->Data2Temp.at(1351), SlotRangeError);
    EXPECT_THROW(data->LapTime.at(201), SlotRangeError);
    EXPECT_THROW(std::as_const(*data).LapMotorWh.at(-32768), SlotRangeError);
}
