#include "download/RecordStore.h"

#include <algorithm>

namespace yb {

RecordStore::RecordStore()
    : main_(std::make_unique<std::array<MainRecord, kMainSlots>>()),
      temperatures_(std::make_unique<std::array<std::int16_t, kTempSlots>>()),
      laps_(std::make_unique<std::array<LapRecord, kLapSlots>>()) {
    clear();
}

RecordStore::RecordStore(const RecordStore& other)
    : counts_(other.counts_),
      stored_(other.stored_),
      interval_(other.interval_),
      revision_(other.revision_),
      main_(std::make_unique<std::array<MainRecord, kMainSlots>>(*other.main_)),
      temperatures_(std::make_unique<std::array<std::int16_t, kTempSlots>>(*other.temperatures_)),
      laps_(std::make_unique<std::array<LapRecord, kLapSlots>>(*other.laps_)) {}

RecordStore& RecordStore::operator=(const RecordStore& other) {
    if (this != &other) *this = RecordStore(other);
    return *this;
}

std::size_t RecordStore::Checked(int slot, int size) {
    if (slot < 0 || slot >= size) {
        throw SlotRangeError("slot " + std::to_string(slot) + " outside 0.." +
                             std::to_string(size - 1));
    }
    return static_cast<std::size_t>(slot);
}

MainRecord RecordStore::main(int slot) const {
    return (*main_)[Checked(slot, kMainSlots)];
}

std::int16_t RecordStore::temperature(int slot) const {
    return (*temperatures_)[Checked(slot, kTempSlots)];
}

LapRecord RecordStore::lap(int slot) const {
    return (*laps_)[Checked(slot, kLapSlots)];
}

void RecordStore::clear() {
    main_->fill(kEmptyMainRecord);
    temperatures_->fill(kTempEmpty);
    laps_->fill(LapRecord{kLapTimeEmpty, kLapWhEmpty});
    counts_ = {};
    stored_ = {};
    interval_ = 0;
    ++revision_;
}

void RecordStore::setInterval(std::int16_t seconds) {
    interval_ = seconds;
    ++revision_;
}

void RecordStore::setCount(Stage stage, std::int16_t count) {
    counts_[Index(stage)] = count;
    ++revision_;
}

void RecordStore::stored(Stage stage, int slot) {
    stored_[Index(stage)] = std::max(stored_[Index(stage)], slot + 1);
    ++revision_;
}

void RecordStore::storeMain(int slot, const MainRecord& record) {
    (*main_)[Checked(slot, kMainSlots)] = record;
    stored(Stage::Main, slot);
}

void RecordStore::storeTemperature(int slot, std::int16_t degrees) {
    (*temperatures_)[Checked(slot, kTempSlots)] = degrees;
    stored(Stage::Temperature, slot);
}

void RecordStore::storeLap(int slot, const LapRecord& lap) {
    (*laps_)[Checked(slot, kLapSlots)] = lap;
    stored(Stage::Laps, slot);
}

void RecordStore::truncate(Stage stage, int keep) {
    const int from = std::max(keep, 0);
    if (from >= stored(stage)) return;
    switch (stage) {
        case Stage::Main:
            std::fill(main_->begin() + from, main_->end(), kEmptyMainRecord);
            break;
        case Stage::Temperature:
            std::fill(temperatures_->begin() + from, temperatures_->end(), kTempEmpty);
            break;
        case Stage::Laps:
            std::fill(laps_->begin() + from, laps_->end(), LapRecord{kLapTimeEmpty, kLapWhEmpty});
            break;
    }
    stored_[Index(stage)] = from;
    ++revision_;
}

}  // namespace yb
