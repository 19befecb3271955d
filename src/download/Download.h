#pragma once
// The download: everything the logger holds into the store, stage by stage.

#include <functional>

#include "download/LoggedData.h"
#include "serial/CommandExchange.h"
#include "serial/View.h"
#include "serial/WindowState.h"

namespace yb {

struct DownloadContext {
    CommandExchange& exchange;
    WindowState& state;
    View& view;
    LoggedData& data;
    // The recording-interval read, run before anything else; reports its own failures.
    std::function<void()> readInterval;
    // Lets pending window events run once (after each main-data record).
    std::function<void()> pumpEvents;
};

// Runs the whole download; reports through Status, Text1..Text3 and the store. Never throws.
void DownLoadBtn_Click(DownloadContext& ctx);

// Asks the logger whether it has the temperature option ("TMP?" answered with "OK"). False also
// when the exchange fails underneath. Never throws.
bool CheckTempSensor(DownloadContext& ctx);

}  // namespace yb
