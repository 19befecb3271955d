#pragma once
// What a download fetched from the logger, in memory: the main records (five values each), the
// temperatures and the laps, the count the logger gave for each, and the recording interval.
//
// Fixed capacity, allocated once. Every slot access is checked: an index outside the store
// throws SlotRangeError, which fails the operation that made it instead of touching memory
// outside. A slot that holds no value keeps its empty marker. The download fills the store
// through its writing members; everyone else reads it (the session hands out a const reference).

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "download/Records.h"

namespace yb {

class SlotRangeError : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

class RecordStore {
public:
    // Slots per kind; a download fills at most one fewer, so the last slot keeps its marker.
    static constexpr int kMainSlots = 16101;
    static constexpr int kTempSlots = 1351;
    static constexpr int kLapSlots = 201;
    static constexpr std::int16_t kMainLimit = kMainSlots - 1;
    static constexpr std::int16_t kTempLimit = kTempSlots - 1;
    static constexpr std::int16_t kLapLimit = kLapSlots - 1;

    // Empty markers: a slot holding one of these holds no value. A download never decodes a
    // main value or a temperature to its marker; the lap markers are values a lap can have.
    static constexpr float kMainEmpty = 99999.0f;
    static constexpr std::int16_t kTempEmpty = 9999;
    static constexpr std::int16_t kLapTimeEmpty = -1;
    static constexpr float kLapWhEmpty = -1.0f;
    static constexpr MainRecord kEmptyMainRecord{kMainEmpty, kMainEmpty, kMainEmpty, kMainEmpty,
                                                 kMainEmpty};

    RecordStore();
    RecordStore(const RecordStore& other);
    RecordStore& operator=(const RecordStore& other);
    RecordStore(RecordStore&&) noexcept = default;
    RecordStore& operator=(RecordStore&&) noexcept = default;

    // The count the logger gave for a kind of record (0 until then); the records held are slots
    // 0 to count - 1. A negative count holds none.
    std::int16_t count(Stage stage) const { return counts_[Index(stage)]; }
    std::int16_t mainCount() const { return count(Stage::Main); }
    std::int16_t tempCount() const { return count(Stage::Temperature); }
    std::int16_t lapCount() const { return count(Stage::Laps); }
    // How many records of a kind were stored since the store was emptied, from slot 0 on.
    int stored(Stage stage) const { return stored_[Index(stage)]; }
    // The recording interval in seconds the records were recorded at; 0 when unknown.
    std::int16_t interval() const { return interval_; }

    MainRecord main(int slot) const;
    std::int16_t temperature(int slot) const;  // degrees Celsius
    LapRecord lap(int slot) const;             // slot i: lap number i + 1

    // Counts every change: whoever saves the store notes the revision it saved.
    std::uint64_t revision() const { return revision_; }

    // Every slot to its marker, every count and the interval to 0.
    void clear();
    void setInterval(std::int16_t seconds);
    void setCount(Stage stage, std::int16_t count);
    void storeMain(int slot, const MainRecord& record);
    void storeTemperature(int slot, std::int16_t degrees);
    void storeLap(int slot, const LapRecord& lap);
    // Keeps the first `keep` records of a kind: the slots from `keep` on hold their markers
    // again. The count stays.
    void truncate(Stage stage, int keep);

private:
    template <typename T, int N>
    using Slots = std::unique_ptr<std::array<T, N>>;
    static int Index(Stage stage) { return static_cast<int>(stage); }
    // Slot `slot` of an array of `size`, checked.
    static std::size_t Checked(int slot, int size);
    void stored(Stage stage, int slot);

    std::array<std::int16_t, 3> counts_{};
    std::array<int, 3> stored_{};
    std::int16_t interval_ = 0;
    std::uint64_t revision_ = 0;
    Slots<MainRecord, kMainSlots> main_;
    Slots<std::int16_t, kTempSlots> temperatures_;
    Slots<LapRecord, kLapSlots> laps_;
};

}  // namespace yb
