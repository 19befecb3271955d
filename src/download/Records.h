#pragma once
// The logger's answers to the download's requests, decoded.
//
// Every answer is a fixed number of hexadecimal digits followed by the logger's line end. Anything
// else is refused (nullopt): another length, a missing line end, and any character in a field
// that is not a hexadecimal digit. A refused answer is never stored, so a value in the store is
// always one the logger sent.

#include <cstdint>
#include <optional>
#include <string_view>

namespace yb {

enum class Stage { Main, Temperature, Laps };

// Characters of each record answer, its line end included.
inline constexpr std::size_t kMainRecordChars = 17;
inline constexpr std::size_t kTempRecordChars = 3;
inline constexpr std::size_t kLapRecordChars = 9;

struct MainRecord {
    float solarAmps;    // field 1-4 / 100
    float batteryAmps;  // field 5-8 / 100
    float mainVolts;    // field 9-12 / 10
    float subVolts;     // field 13-14 / 10 (0 to 25.5)
    float speedKmh;     // field 15-16 (0 to 255)
    bool operator==(const MainRecord&) const = default;
};

struct LapRecord {
    std::int16_t seconds;  // field 1-4
    float motorWh;         // field 5-8 / 10
    bool operator==(const LapRecord&) const = default;
};

// The count a stage's count answer gives: 4 digits for main data and temperatures (16-bit two's
// complement), 2 digits for laps.
std::optional<std::int16_t> DecodeCount(Stage stage, std::string_view answer);

std::optional<MainRecord> DecodeMainRecord(std::string_view answer);  // 16 digits
// 2 digits: an 8-bit two's-complement temperature in degrees C.
std::optional<std::int16_t> DecodeTempRecord(std::string_view answer);
std::optional<LapRecord> DecodeLapRecord(std::string_view answer);  // 8 digits
// The verdict of an answer to the temperature probe. Fitted: exactly "OK" and the line end.
// NotFitted: another clean answer ("NG", "?"): printable characters without an O or a K, then
// the line end. Refused: anything the line may have spoiled: a byte that is not printable, no
// line end or more than one, or an O or a K that is not exactly "OK" (noise in front of it, a
// partial one).
enum class ProbeVerdict { Fitted, NotFitted, Refused };
ProbeVerdict DecodeProbe(std::string_view answer);

// The recording interval in seconds from the answer to the interval query: 2 digits.
std::optional<std::int16_t> DecodeInterval(std::string_view answer);

}  // namespace yb
