#pragma once
// The connection check: does a logger answer "?" with "OK" on the open port?

#include "serial/CommandExchange.h"
#include "serial/View.h"
#include "serial/WindowState.h"

namespace yb {

// Shows the outcome in Status; on failure the raw answer, whatever it is, replaces Text1.
// Never throws: a port that fails during the check is a failed check.
void TBB_Click(CommandExchange& exchange, WindowState& state, View& view);

}  // namespace yb
