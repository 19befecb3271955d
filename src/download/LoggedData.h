#pragma once
// The in-memory copy of everything a download fetched from the logger.
//
// Fixed capacity, allocated once with the main window. Every slot access is checked against the
// array's range: an index outside it throws SlotRangeError, which fails the operation that made
// the access instead of touching memory outside the array.

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace yb {

class SlotRangeError : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

template <typename T, int N>
class SlotArray {
public:
    SlotArray() : slots_(std::make_unique<std::array<T, N>>()) {}

    static constexpr int size() { return N; }

    T& at(int index) {
        check(index);
        return (*slots_)[static_cast<std::size_t>(index)];
    }
    const T& at(int index) const {
        check(index);
        return (*slots_)[static_cast<std::size_t>(index)];
    }
    void fill(const T& value) { slots_->fill(value); }

private:
    static void check(int index) {
        if (index < 0 || index >= N) {
            throw SlotRangeError("slot " + std::to_string(index) + " outside 0.." +
                                 std::to_string(N - 1));
        }
    }
    std::unique_ptr<std::array<T, N>> slots_;
};

struct LoggedData {
    // Slots per array; a download fills at most one fewer, so the last slot keeps its marker.
    static constexpr int kMainSlots = 16101;
    static constexpr int kTempSlots = 1351;
    static constexpr int kLapSlots = 201;
    static constexpr std::int16_t kMainLimit = kMainSlots - 1;
    static constexpr std::int16_t kTempLimit = kTempSlots - 1;
    static constexpr std::int16_t kLapLimit = kLapSlots - 1;

    // Empty markers: a slot holding one of these holds no value.
    static constexpr float kMainEmpty = 99999.0f;
    static constexpr std::int16_t kTempEmpty = 9999;
    static constexpr std::int16_t kLapTimeEmpty = -1;
    static constexpr float kLapWhEmpty = -1.0f;

    bool fData_Saved = true;  // no downloaded data waits to be saved
    std::int16_t DataCount1 = 0;
    std::int16_t DataCount2 = 0;
    std::int16_t LapCount = 0;
    SlotArray<std::int16_t, kLapSlots> LapTime;     // slot i: lap number i + 1, seconds
    SlotArray<float, kLapSlots> LapMotorWh;         // slot i: lap number i + 1, Wh
    SlotArray<float, kMainSlots> Data1Solar;        // A
    SlotArray<float, kMainSlots> Data1Battery;      // A
    SlotArray<float, kMainSlots> Data1MainVolt;     // V
    SlotArray<float, kMainSlots> Data1SubVolt;      // V
    SlotArray<float, kMainSlots> Data1Speed;        // km/h
    SlotArray<std::int16_t, kTempSlots> Data2Temp;  // degrees Celsius
    std::int16_t LogInterval = 0;  // seconds, as last read from the logger; 0 until then

    // Empties the store: every slot to its marker, every count to 0. Leaves fData_Saved and
    // LogInterval alone.
    void InitData();
};

}  // namespace yb
