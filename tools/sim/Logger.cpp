#include "sim/Logger.h"

#include <optional>
#include <utility>

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
    RaceRecords race = SimulateRace(options.seed, options.mainCount, options.tempCount,
                                    options.lapCount, options.interval);
    main_ = std::move(race.main);
    temps_ = std::move(race.temperatures);
    laps_ = std::move(race.laps);
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
