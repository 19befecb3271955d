#pragma once
// The logger's answers to the download's requests, decoded.
//
// Every answer has a fixed length that counts the logger's line end; its fields are runs of
// hexadecimal characters read by HexFieldValue. An answer of any other length is refused
// (nullopt); the content of an answer of the right length is not tested, a non-hexadecimal
// character only ending its field early.

#include <cstdint>
#include <optional>
#include <string_view>

namespace yb {

enum class Stage { Main, Temperature, Laps };

struct MainRecord {
    float solar;     // A, field 1-4 / 100
    float battery;   // A, field 5-8 / 100
    float mainVolt;  // V, field 9-12 / 10
    float subVolt;   // V, field 13-14 / 10 (0 to 25.5)
    float speed;     // km/h, field 15-16 (0 to 255)
};

struct LapRecord {
    std::int16_t seconds;  // field 1-4
    float motorWh;         // field 5-8 / 10
};

// The count a stage's count answer gives: 5 characters (4 digits) for main data and
// temperatures, 3 characters (2 digits) for laps.
std::optional<std::int16_t> DecodeCount(Stage stage, std::string_view answer);

std::optional<MainRecord> DecodeMainRecord(std::string_view answer);  // 17 characters
// 3 characters: two hexadecimal digits of an 8-bit two's-complement temperature in degrees C.
std::optional<std::int16_t> DecodeTempRecord(std::string_view answer);
std::optional<LapRecord> DecodeLapRecord(std::string_view answer);  // 9 characters

}  // namespace yb
