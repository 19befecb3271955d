#pragma once
// State of the main window that every conversation with the logger shares.

#include <string>

namespace yb {

struct WindowState {
    bool fCommOpen = false;            // the port is open for exchanges
    std::string CmdStr;                // command of the current exchange
    std::string AnsStr;                // answer of the current exchange, raw
    std::string CmdTerminator = "\r";  // follows every command on the line
};

}  // namespace yb
