// The download's answer decoders fed arbitrary bytes as an answer. An answer of its exact length
// decodes to values inside its fields' ranges; any other length is refused, which ends the
// download with the request's failure text. The "OK" test looks at the first two characters only.
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view answer(reinterpret_cast<const char*>(data), size);

    for (const yb::Stage stage : {yb::Stage::Main, yb::Stage::Temperature, yb::Stage::Laps}) {
        const auto count = yb::DecodeCount(stage, answer);
        const std::size_t length = stage == yb::Stage::Laps ? 3 : 5;
        CHECK(count.has_value() == (size == length));
        if (count && stage == yb::Stage::Laps) CHECK(*count >= 0 && *count <= 255);
    }

    const auto main = yb::DecodeMainRecord(answer);
    CHECK(main.has_value() == (size == 17));
    if (main) {
        CHECK(Within(main->solar, -327.68f, 327.67f) && Within(main->battery, -327.68f, 327.67f));
        CHECK(Within(main->mainVolt, -3276.8f, 3276.7f));
        CHECK(Within(main->subVolt, 0.0f, 25.5f) && Within(main->speed, 0.0f, 255.0f));
    }

    const auto temperature = yb::DecodeTempRecord(answer);
    CHECK(temperature.has_value() == (size == 3));
    if (temperature) {
        // Two hexadecimal digits are an 8-bit two's-complement value; a malformed second
        // character only cuts the widened field short ("9Z" reads FF9).
        if (IsHex(answer[0]) && IsHex(answer[1]))
            CHECK(*temperature >= -128 && *temperature <= 127);
        else
            CHECK(*temperature >= 0 && *temperature <= 0xFFF);
    }

    const auto lap = yb::DecodeLapRecord(answer);
    CHECK(lap.has_value() == (size == 9));
    if (lap) CHECK(Within(lap->motorWh, -3276.8f, 3276.7f));

    CHECK(yb::BeginsWithOK(answer) == (size >= 2 && answer[0] == 'O' && answer[1] == 'K'));
    return 0;
}
