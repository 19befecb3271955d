#include <gtest/gtest.h>

#include "serial/ValueRules.h"

using namespace yb;

TEST(HexFieldValue, FourDigitsAreSixteenBitTwosComplement) {
    EXPECT_EQ(HexFieldValue("7D0"), 2000);
    EXPECT_EQ(HexFieldValue("07D0"), 2000);
    EXPECT_EQ(HexFieldValue("FFFF"), -1);
    EXPECT_EQ(HexFieldValue("8000"), -32768);
    EXPECT_EQ(HexFieldValue("7FFF"), 32767);
    EXPECT_EQ(HexFieldValue("ff"), 255);
    EXPECT_EQ(HexFieldValue("FF"), 255);  // two digits never turn negative
}

TEST(HexFieldValue, FiveToEightDigitsAreThirtyTwoBit) {
    EXPECT_EQ(HexFieldValue("10000"), 65536);
    EXPECT_EQ(HexFieldValue("0FFFF"), 65535);  // leading zero makes it five digits
    EXPECT_EQ(HexFieldValue("FFFFFFFF"), -1);
    EXPECT_EQ(HexFieldValue("80000000"), INT32_MIN);
    EXPECT_THROW(HexFieldValue("123456789"), NumberOverflow);
}

TEST(HexFieldValue, SkipsBlanksAndStopsAtOtherCharacters) {
    EXPECT_EQ(HexFieldValue(" 1 2"), 0x12);
    EXPECT_EQ(HexFieldValue("\t0\nA"), 10);
    EXPECT_EQ(HexFieldValue("12G4"), 0x12);
    EXPECT_EQ(HexFieldValue("7D0\r"), 2000);
    EXPECT_EQ(HexFieldValue("1\r23"), 1);  // a carriage return ends the number
    EXPECT_EQ(HexFieldValue(""), 0);
    EXPECT_EQ(HexFieldValue("OK"), 0);
    EXPECT_EQ(HexFieldValue("-1"), 0);
}

TEST(Mid, CutsRunsTheTextCannotFill) {
    EXPECT_EQ(Mid("0708\r", 1, 4), "0708");
    EXPECT_EQ(Mid("5", 1, 2), "5");
    EXPECT_EQ(Mid("ABCDEFGH", 5, 4), "EFGH");
    EXPECT_EQ(Mid("ABC", 3, 4), "C");
    EXPECT_EQ(Mid("ABC", 4, 4), "");
    EXPECT_EQ(Mid("", 1, 4), "");
}

TEST(LeadingNumberValue, ReadsTheNumberAtTheStart) {
    EXPECT_EQ(LeadingNumberValue("10"), 10.0);
    EXPECT_EQ(LeadingNumberValue(" 10 "), 10.0);
    EXPECT_EQ(LeadingNumberValue("1 0"), 10.0);  // blanks anywhere are skipped
    EXPECT_EQ(LeadingNumberValue("10.0"), 10.0);
    EXPECT_EQ(LeadingNumberValue("2秒"), 2.0);
    EXPECT_EQ(LeadingNumberValue("abc"), 0.0);
    EXPECT_EQ(LeadingNumberValue(""), 0.0);
    EXPECT_EQ(LeadingNumberValue("----"), 0.0);
    EXPECT_EQ(LeadingNumberValue("-12.5x"), -12.5);
    EXPECT_EQ(LeadingNumberValue("+.5"), 0.5);
    EXPECT_EQ(LeadingNumberValue("12.3."), 12.3);  // a second point ends the number
    EXPECT_EQ(LeadingNumberValue("\t5\n"), 5.0);
    EXPECT_EQ(LeadingNumberValue("5\r"), 5.0);
}

TEST(LeadingNumberValue, ExponentAndHexadecimal) {
    EXPECT_EQ(LeadingNumberValue("1e3"), 1000.0);
    EXPECT_EQ(LeadingNumberValue("1.5D2"), 150.0);
    EXPECT_EQ(LeadingNumberValue("2E-1"), 0.2);
    EXPECT_EQ(LeadingNumberValue("7e"), 7.0);  // an exponent without digits is not read
    EXPECT_EQ(LeadingNumberValue("&H10"), 16.0);
    EXPECT_EQ(LeadingNumberValue("&HFFFF"), -1.0);
    EXPECT_THROW(LeadingNumberValue("1e999"), NumberOverflow);
}

TEST(ParameterText, NearestWholeNumberInUpperCaseHex) {
    EXPECT_EQ(ParameterText(10), "A");
    EXPECT_EQ(ParameterText(1000), "3E8");
    EXPECT_EQ(ParameterText(0), "0");
    EXPECT_EQ(ParameterText(1800.5), "708");  // halves go to the even neighbour
    EXPECT_EQ(ParameterText(1801.5), "70A");
    EXPECT_EQ(ParameterText(0.5), "0");
    EXPECT_EQ(ParameterText(1234.4999), "4D2");
    EXPECT_EQ(ParameterText(65536), "10000");
    EXPECT_EQ(ParameterText(2147483647.0), "7FFFFFFF");
    EXPECT_EQ(ParameterText(-1), "FFFFFFFF");
}

TEST(HexText, FillsToTheWidthAndNeverCuts) {
    EXPECT_EQ(HexText(0x1A, 4), "001A");
    EXPECT_EQ(HexText(0, 4), "0000");
    EXPECT_EQ(HexText(1, 2), "01");
    EXPECT_EQ(HexText(0x12345, 4), "12345");
    EXPECT_EQ(HexText(0xABC), "ABC");
}

TEST(ParameterText, ValuesBeyondThirtyTwoBitsAreRefused) {
    EXPECT_EQ(ParameterText(2147483647.5), std::nullopt);  // rounds to 2^31
    EXPECT_EQ(ParameterText(1e10), std::nullopt);
    EXPECT_EQ(ParameterText(-2147483649.0), std::nullopt);
    EXPECT_EQ(RoundToInt16(32767.4), 32767);
    EXPECT_EQ(RoundToInt16(32767.5), std::nullopt);
    EXPECT_EQ(RoundToInt16(2.5), 2);
    EXPECT_EQ(RoundToInt16(3.5), 4);
}

TEST(BeginsWithOK, ExactAndCaseSensitive) {
    EXPECT_TRUE(BeginsWithOK("OK\r"));
    EXPECT_TRUE(BeginsWithOK("OKAY"));
    EXPECT_FALSE(BeginsWithOK("ok\r"));
    EXPECT_FALSE(BeginsWithOK(" OK"));
    EXPECT_FALSE(BeginsWithOK("O"));
    EXPECT_FALSE(BeginsWithOK(""));
}
