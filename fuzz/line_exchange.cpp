// The exchange's framing on bytes that arrive over time, on a clock moved by hand.
//
// Input: the first byte picks the answer kind (a main, temperature or lap record; the main,
// temperature or lap count; the recording interval), the rest are pairs of a delay and a byte:
// each byte arrives its delay after the one before, the first its delay after the request was
// written. Every other request of a download gets the logger's clean answer.
//
// Promises, against the target's own reading of the arrivals:
// - a record exchange ends at the first line end, the instant it arrives, or at its deadline
//   exactly, with what arrived by then; a command exchange ends when its wait is over, exactly,
//   with everything that arrived; the settle after a record ends once the line has been quiet
//   for two character times, or at its limit; no exchange returns after its deadline;
// - an answer is accepted exactly when it is its hexadecimal digits and one line end, and then
//   its value is the one the target reads from the digits itself;
// - a download with that answer stores that value, and nothing of a refused answer.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Check.h"
#include "download/Download.h"
#include "download/RecordStore.h"
#include "download/Records.h"
#include "serial/LineExchange.h"
#include "support/FakeClock.h"

namespace {

using namespace std::chrono_literals;
using yb::Stage;
using yb::test::FakeTime;
using Nanoseconds = std::chrono::nanoseconds;

// A byte and when it arrives, after the request was written.
struct Arrival {
    Nanoseconds at;
    char byte;
};

// A delay byte: below 128 in steps of 50 µs (up to a few characters' time), from 128 on in steps
// of 5 ms (up to 635 ms, past every deadline).
Nanoseconds Delay(std::uint8_t d) {
    return d < 128 ? Nanoseconds(d * 50us) : Nanoseconds((d - 128) * 5ms);
}

enum class How { Record, Count, Interval };
struct Kind {
    const char* command;
    std::size_t digits;
    Stage stage;
    How how;
    std::chrono::milliseconds wait;  // the record's deadline, or the command's wait
};
const Kind kKinds[] = {
    {"D10000", 16, Stage::Main, How::Record, yb::kMainRecordDeadline},
    {"D20000", 2, Stage::Temperature, How::Record, yb::kTempRecordDeadline},
    {"LD01", 8, Stage::Laps, How::Record, yb::kLapRecordDeadline},
    {"D1?", 4, Stage::Main, How::Count, yb::LineExchange::kCommandWait},
    {"D2?", 4, Stage::Temperature, How::Count, yb::LineExchange::kCommandWait},
    {"L?", 2, Stage::Laps, How::Count, yb::LineExchange::kCommandWait},
    {"T??", 2, Stage::Main, How::Interval, yb::LineExchange::kCommandWait},
};

// A line whose peer says, for each command written, which bytes come back and when.
class ScriptLine : public yb::Line {
public:
    using Peer = std::function<std::vector<Arrival>(const std::string& command)>;
    ScriptLine(FakeTime& time, Peer peer) : time_(time), peer_(std::move(peer)) {}

    bool portOpen() const override { return true; }
    std::string input() override { return std::exchange(buffer_, {}); }
    void discardInput() override { buffer_.clear(); }
    bool output(std::string_view text) override {
        for (const char c : text) {
            if (c != '\r') {
                pending_ += c;
                continue;
            }
            const auto written = time_.now();
            const std::vector<Arrival> arrivals = peer_(std::exchange(pending_, {}));
            // Bytes of the same instant come in one piece, as an adapter hands on what it held.
            for (std::size_t i = 0; i < arrivals.size();) {
                std::string piece;
                const Nanoseconds at = arrivals[i].at;
                for (; i < arrivals.size() && arrivals[i].at == at; ++i) piece += arrivals[i].byte;
                time_.at(written + at, [this, piece] {
                    buffer_ += piece;
                    emit readyRead();
                });
            }
        }
        return true;
    }

private:
    FakeTime& time_;
    Peer peer_;
    std::string buffer_;
    std::string pending_;
};

bool LineEnd(char c) {
    return c == '\r' || c == '\n';
}

// The target's own reading: exactly `digits` hexadecimal digits and one line end; their value.
std::optional<std::uint64_t> HexValue(std::string_view text, std::size_t digits) {
    if (text.size() != digits + 1 || !LineEnd(text.back())) return std::nullopt;
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const char c = text[i];
        int d = -1;
        if (c >= '0' && c <= '9') d = c - '0';
        if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        if (d < 0) return std::nullopt;
        value = value * 16 + static_cast<std::uint64_t>(d);
    }
    return value;
}

// Four hexadecimal digits from `first` on as a signed 16-bit value; two as unsigned.
double Signed16(std::uint64_t whole, int first, int all) {
    const auto field = static_cast<std::int32_t>((whole >> (4 * (all - first - 4))) & 0xFFFF);
    return field >= 0x8000 ? field - 0x10000 : field;
}
double Unsigned8(std::uint64_t whole, int first, int all) {
    return static_cast<double>((whole >> (4 * (all - first - 2))) & 0xFF);
}

bool Near(double expected, float got) {
    return std::fabs(expected - static_cast<double>(got)) <= 1e-3;
}

// Whether the store holds, for the kind, exactly what the target reads from `answer`: the value
// when it is well-formed (a count only within its limit), nothing otherwise.
void CheckStored(const Kind& kind, const yb::RecordStore& store, std::string_view answer) {
    const Stage stage = kind.stage;
    if (kind.how == How::Interval) {
        const auto value = HexValue(answer, 2);
        CHECK(store.interval() == (value ? static_cast<int>(*value) : 0));
        return;
    }
    if (kind.how == How::Count) {
        auto value = HexValue(answer, kind.digits);
        std::optional<int> count;
        if (value) count = kind.digits == 2 ? int(*value) : int(Signed16(*value, 0, 4));
        const int limit = stage == Stage::Main          ? yb::RecordStore::kMainLimit
                          : stage == Stage::Temperature ? yb::RecordStore::kTempLimit
                                                        : yb::RecordStore::kLapLimit;
        if (count && *count > limit) count.reset();
        CHECK(store.count(stage) == count.value_or(0));
        return;
    }
    const auto value = HexValue(answer, kind.digits);
    const bool accepted = value.has_value();
    CHECK(store.stored(stage) == (accepted ? 1 : 0));
    if (!accepted) return;
    switch (stage) {
        case Stage::Main: {
            const std::uint64_t v = *value;
            const yb::MainRecord& r = store.main(0);
            CHECK(Near(Signed16(v, 0, 16) / 100, r.solarAmps));
            CHECK(Near(Signed16(v, 4, 16) / 100, r.batteryAmps));
            CHECK(Near(Signed16(v, 8, 16) / 10, r.mainVolts));
            CHECK(Near(Unsigned8(v, 12, 16) / 10, r.subVolts));
            CHECK(Near(Unsigned8(v, 14, 16), r.speedKmh));
            break;
        }
        case Stage::Temperature: {
            const double byte = Unsigned8(*value, 0, 2);
            CHECK(store.temperature(0) == (byte >= 128 ? byte - 256 : byte));
            break;
        }
        case Stage::Laps: {
            const std::uint64_t v = *value;
            CHECK(store.lap(0).seconds == Signed16(v, 0, 8));
            CHECK(Near(Signed16(v, 4, 8) / 10, store.lap(0).motorWh));
            break;
        }
    }
}

// What the logger answers when the line is clean.
const std::pair<const char*, const char*> kClean[] = {
    {"T??", "05\r"},  {"D1?", "0001\r"},      {"D10000", "0001FF02800310FA\r"},
    {"TMP?", "OK\r"}, {"D2?", "0001\r"},      {"D20000", "E7\r"},
    {"L?", "01\r"},   {"LD01", "012C8001\r"},
};

std::vector<Arrival> Clean(const std::string& command) {
    for (const auto& [asked, answer] : kClean) {
        if (command != asked) continue;
        std::vector<Arrival> bytes;
        for (const char* c = answer; *c; ++c) bytes.push_back({1ms, *c});
        return bytes;
    }
    return {};
}

// One exchange of the kind on a fresh line, and the settle a download does after a record.
void CheckExchange(const Kind& kind, const std::vector<Arrival>& arrivals) {
    auto owned = std::make_unique<FakeTime>();
    FakeTime& time = *owned;
    ScriptLine line(time, [&](const std::string&) { return arrivals; });
    yb::LineExchange exchange(line, std::move(owned));
    const auto start = time.now();
    const auto since = [&] { return Nanoseconds(time.now() - start); };
    const Nanoseconds wait = kind.wait;

    if (kind.how != How::Record) {
        const yb::Answer answer = yb::test::RunFake(time, exchange.ask(kind.command));
        CHECK(since() == wait);
        std::string heard;
        for (const Arrival& a : arrivals) {
            if (a.at <= wait) heard += a.byte;
        }
        CHECK(answer.text == heard);
        CHECK(answer.answered() == !heard.empty());
        const auto value = HexValue(heard, kind.digits);
        if (kind.how == How::Interval) {
            const auto decoded = yb::DecodeInterval(answer.text);
            CHECK(decoded.has_value() == value.has_value());
            if (decoded) CHECK(*decoded == static_cast<std::int16_t>(*value));
        } else {
            const auto decoded = yb::DecodeCount(kind.stage, answer.text);
            CHECK(decoded.has_value() == value.has_value());
            if (decoded) {
                CHECK(*decoded == (kind.digits == 2 ? *value : Signed16(*value, 0, 4)));
            }
        }
        return;
    }

    const yb::Answer answer = yb::test::RunFake(time, exchange.askRecord(kind.command, kind.wait));
    // The answer: what came up to the first line end, if one came by the deadline.
    std::string expected;
    std::optional<Nanoseconds> lineEnd;
    std::size_t next = 0;
    for (; next < arrivals.size() && arrivals[next].at <= wait; ++next) {
        expected += arrivals[next].byte;
        if (LineEnd(arrivals[next].byte)) {
            lineEnd = arrivals[next].at;
            break;
        }
    }
    // The exchange took the whole piece the line end came in, and threw away what followed it.
    while (next < arrivals.size() && arrivals[next].at <= lineEnd.value_or(wait)) ++next;
    CHECK(answer.text == expected);
    CHECK(answer.answered() == lineEnd.has_value());
    CHECK(since() == lineEnd.value_or(wait));
    std::optional<bool> decoded;
    switch (kind.stage) {
        case Stage::Main:
            decoded = yb::DecodeMainRecord(answer.text).has_value();
            break;
        case Stage::Temperature:
            decoded = yb::DecodeTempRecord(answer.text).has_value();
            break;
        case Stage::Laps:
            decoded = yb::DecodeLapRecord(answer.text).has_value();
            break;
    }
    CHECK(*decoded == (answer.answered() && HexValue(answer.text, kind.digits).has_value()));

    // The settle after it: quiet for two character times since the last arrival, or its limit.
    const Nanoseconds from = since();
    const Nanoseconds quiet = yb::LineExchange::kQuietLine;
    const Nanoseconds limit = from + Nanoseconds(yb::LineExchange::kSettleLimit);
    // Quiet from two character times after the last byte the record exchange took (at once when
    // it took none), later with every byte that comes before then.
    Nanoseconds quietAt = next > 0 ? arrivals[next - 1].at + quiet : from;
    std::string thrown;
    for (std::size_t i = next; i < arrivals.size() && arrivals[i].at <= std::min(quietAt, limit);
         ++i) {
        thrown += arrivals[i].byte;
        quietAt = arrivals[i].at + quiet;
    }
    const yb::Answer settled = yb::test::RunFake(time, exchange.settle());
    CHECK(settled.answered());
    CHECK(settled.text == thrown);
    CHECK(since() == std::clamp(quietAt, from, limit));
}

// A download whose request of the kind gets the arrivals, and what it stores.
void CheckDownload(const Kind& kind, const std::vector<Arrival>& arrivals) {
    auto owned = std::make_unique<FakeTime>();
    FakeTime& time = *owned;
    yb::LineExchange* running = nullptr;
    const std::string fuzzed = kind.command;
    const std::string records = kind.stage == Stage::Main          ? "D1"
                                : kind.stage == Stage::Temperature ? "D20"
                                                                   : "LD";
    ScriptLine line(time, [&](const std::string& command) {
        if (command == fuzzed) return arrivals;
        // A count that came through: its records are not what this target is about.
        if (kind.how == How::Count && command.rfind(records, 0) == 0 && command.back() != '?') {
            running->cancel();
        }
        return Clean(command);
    });
    yb::LineExchange exchange(line, std::move(owned));
    running = &exchange;
    const auto store = std::make_unique<yb::RecordStore>();
    yb::test::RunFake(time, yb::Download(exchange, *store, {}));
    // What the exchange took: up to the first line end by the deadline, or the whole wait's.
    std::string taken;
    for (const Arrival& a : arrivals) {
        if (a.at > kind.wait) break;
        taken += a.byte;
        if (kind.how == How::Record && LineEnd(a.byte)) break;
    }
    CheckStored(kind, *store, taken);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const Kind& kind = kKinds[data[0] % std::size(kKinds)];
    std::vector<Arrival> arrivals;
    Nanoseconds at{0};
    for (std::size_t i = 1; i + 1 < size; i += 2) {
        at += Delay(data[i]);
        arrivals.push_back({at, static_cast<char>(data[i + 1])});
    }
    CheckExchange(kind, arrivals);
    CheckDownload(kind, arrivals);
    return 0;
}
