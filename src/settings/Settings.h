#pragma once
// The three logger settings: tyre circumference, battery initial capacity, recording interval.
//
// Each has a read (logger value into its text box) and a write (text box value to the logger).
// All six operations follow one pattern, driven by a table with one entry per setting.

#include <cstdint>

#include "serial/CommandExchange.h"
#include "serial/View.h"
#include "serial/WindowState.h"

namespace yb {

enum class Setting { TyreCircumference, BatteryCapacity, RecordingInterval };

struct SettingsContext {
    CommandExchange& exchange;
    WindowState& state;
    View& view;
    std::int16_t& LogInterval;  // written by the recording-interval read
};

// Reads the setting from the logger into its text box. Never throws.
void ReadSetting(Setting setting, SettingsContext& ctx);
// Validates the text box, sends the value and reports the outcome in Status. Never throws.
void WriteSetting(Setting setting, SettingsContext& ctx);

}  // namespace yb
