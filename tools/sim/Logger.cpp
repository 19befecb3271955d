#include "sim/Logger.h"

#include <algorithm>
#include <optional>
#include <random>

namespace ybsim {

namespace {

const std::string kOk = "OK\r";
const std::string kNg = "NG\r";
const std::string kUnknown = "?\r";

// The logger only understands upper-case hexadecimal.
std::optional<std::uint32_t> parseHex(std::string_view text, std::size_t minDigits,
                                      std::size_t maxDigits) {
    if (text.size() < minDigits || text.size() > maxDigits) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    return value;
}

// Deterministic draws: the same seed gives the same memory on every platform.
class Draw {
public:
    explicit Draw(std::uint32_t seed) : rng_(seed) {}
    int between(int lo, int hi) {
        return lo + static_cast<int>(rng_() % static_cast<std::uint32_t>(hi - lo + 1));
    }
    // One step of a bounded random walk.
    int walk(int value, int step, int lo, int hi) {
        return std::clamp(value + between(-step, step), lo, hi);
    }

private:
    std::mt19937 rng_;
};

}  // namespace

std::string hexField(long long value, int width) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out(static_cast<std::size_t>(width), '0');
    auto bits = static_cast<unsigned long long>(value);
    for (int i = width - 1; i >= 0; --i) {
        out[static_cast<std::size_t>(i)] = kDigits[bits & 0xF];
        bits >>= 4;
    }
    return out;
}

Logger::Logger(const Options& options)
    : tempFitted_(options.tempFitted),
      interval_(options.interval),
      tyreMm_(options.tyreMm),
      batteryCah_(options.batteryCah) {
    Draw draw(options.seed);

    // Speed, voltages and sunshine drift slowly; the battery current follows the driver's
    // foot and swings between charging (negative) and heavy draw.
    main_.resize(static_cast<std::size_t>(std::max(0L, options.mainCount)));
    int speed = draw.between(0, 60);
    int solar = draw.between(200, 700);
    int mainV = draw.between(950, 1050);
    int subV = draw.between(120, 130);
    for (auto& rec : main_) {
        speed = draw.walk(speed, 6, 0, 120);
        solar = draw.walk(solar, 40, 0, 800);
        mainV = draw.walk(mainV, 4, 900, 1100);
        subV = draw.walk(subV, 1, 110, 140);
        rec = MainValues{solar, draw.between(-2000, 3000), mainV, subV, speed};
    }

    temps_.resize(static_cast<std::size_t>(std::max(0L, options.tempCount)));
    for (auto& t : temps_) t = draw.between(-5, 60);

    laps_.resize(static_cast<std::size_t>(std::max(0L, options.lapCount)));
    for (auto& lap : laps_) lap = LapValues{draw.between(100, 400), draw.between(50, 500)};
}

std::string Logger::mainRecord(long i) const {
    const MainValues& v = mainValues(i);
    return hexField(v.solarCentiA, 4) + hexField(v.batteryCentiA, 4) + hexField(v.mainDeciV, 4) +
           hexField(v.subDeciV, 2) + hexField(v.speedKmh, 2) + "\r";
}

std::string Logger::tempRecord(long i) const {
    return hexField(temperature(i), 2) + "\r";
}

std::string Logger::lapRecord(long lap) const {
    const LapValues& v = lapValues(lap);
    return hexField(v.seconds, 4) + hexField(v.energyDWh, 4) + "\r";
}

std::string Logger::answer(std::string_view cmd) {
    if (cmd == "?") return kOk;
    if (cmd == "T??") return hexField(interval_, 2) + "\r";
    if (cmd == "T?") return hexField(tyreMm_, 4) + "\r";
    if (cmd == "BAh?") return hexField(batteryCah_, 4) + "\r";
    if (cmd == "TMP?") return tempFitted_ ? kOk : kNg;
    if (cmd == "D1?") return hexField(mainCount(), 4) + "\r";
    if (cmd == "D2?") return tempFitted_ ? hexField(tempCount(), 4) + "\r" : kNg;
    if (cmd == "L?") return hexField(lapCount(), 2) + "\r";

    if (cmd.starts_with("BAh")) {
        auto v = parseHex(cmd.substr(3), 4, 4);
        if (!v) return kNg;
        batteryCah_ = static_cast<std::uint16_t>(*v);
        return kOk;
    }
    if (cmd.starts_with("D1")) {
        auto n = parseHex(cmd.substr(2), 4, 4);
        if (!n || static_cast<long>(*n) >= mainCount()) return kNg;
        return mainRecord(static_cast<long>(*n));
    }
    if (cmd.starts_with("D2")) {
        auto n = parseHex(cmd.substr(2), 4, 4);
        if (!tempFitted_ || !n || static_cast<long>(*n) >= tempCount()) return kNg;
        return tempRecord(static_cast<long>(*n));
    }
    if (cmd.starts_with("LD")) {
        auto n = parseHex(cmd.substr(2), 2, 2);
        if (!n || *n == 0 || static_cast<long>(*n) > lapCount()) return kNg;
        return lapRecord(static_cast<long>(*n));
    }
    if (cmd.starts_with("T")) {
        std::string_view value = cmd.substr(1);
        // A single digit 1, 2, 5 or A is an interval; everything else is a circumference.
        if (value.size() == 1 &&
            std::string_view("125A").find(value[0]) != std::string_view::npos) {
            interval_ = static_cast<int>(*parseHex(value, 1, 1));
            return kOk;
        }
        auto v = parseHex(value, 1, 8);
        if (!v) return kNg;
        tyreMm_ = *v;
        return kOk;
    }
    return kUnknown;
}

}  // namespace ybsim
