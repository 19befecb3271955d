// The download's answer decoders fed arbitrary bytes as an answer. An answer is decoded exactly
// when it is its hexadecimal digits and one line end, and then to values inside its fields'
// ranges; anything else is refused, which ends the download with the request's failure text.
// The "OK" test looks at the first two characters only.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Check.h"
#include "download/Records.h"
#include "serial/ValueRules.h"

namespace {

bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool Within(float value, float low, float high) {
    return value >= low && value <= high;
}

// The oracle's own reading of the shape: `digits` hexadecimal digits, then CR or LF.
bool Shaped(std::string_view answer, std::size_t digits) {
    if (answer.size() != digits + 1) return false;
    if (answer.back() != '\r' && answer.back() != '\n') return false;
    for (std::size_t i = 0; i < digits; ++i) {
        if (!IsHex(answer[i])) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view answer(reinterpret_cast<const char*>(data), size);

    for (const yb::Stage stage : {yb::Stage::Main, yb::Stage::Temperature, yb::Stage::Laps}) {
        const auto count = yb::DecodeCount(stage, answer);
        CHECK(count.has_value() == Shaped(answer, stage == yb::Stage::Laps ? 2 : 4));
        if (count && stage == yb::Stage::Laps) CHECK(*count >= 0 && *count <= 255);
    }

    const auto main = yb::DecodeMainRecord(answer);
    CHECK(main.has_value() == Shaped(answer, 16));
    if (main) {
        CHECK(Within(main->solarAmps, -327.68f, 327.67f) && Within(main->batteryAmps, -327.68f, 327.67f));
        CHECK(Within(main->mainVolts, -3276.8f, 3276.7f));
        CHECK(Within(main->subVolts, 0.0f, 25.5f) && Within(main->speedKmh, 0.0f, 255.0f));
    }

    const auto temperature = yb::DecodeTempRecord(answer);
    CHECK(temperature.has_value() == Shaped(answer, 2));
    if (temperature) CHECK(*temperature >= -128 && *temperature <= 127);

    const auto lap = yb::DecodeLapRecord(answer);
    CHECK(lap.has_value() == Shaped(answer, 8));
    if (lap) CHECK(Within(lap->motorWh, -3276.8f, 3276.7f));

    const auto interval = yb::DecodeInterval(answer);
    CHECK(interval.has_value() == Shaped(answer, 2));
    if (interval) CHECK(*interval >= 0 && *interval <= 255);

    CHECK(yb::BeginsWithOK(answer) == (size >= 2 && answer[0] == 'O' && answer[1] == 'K'));
    return 0;
}
