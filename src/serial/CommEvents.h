#pragma once
// Serial events of the open line: their codes and the texts the window shows for them.

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>


namespace yb {

namespace CommEvent {
constexpr int Send = 1;
constexpr int Receive = 2;
constexpr int CTS = 3;
constexpr int DSR = 4;
constexpr int CD = 5;
constexpr int Ring = 6;
constexpr int EOFChar = 7;
constexpr int Break = 1001;
constexpr int CTSTimeout = 1002;
constexpr int DSRTimeout = 1003;
constexpr int Frame = 1004;
constexpr int Overrun = 1006;
constexpr int CDTimeout = 1007;
constexpr int RxOver = 1008;
constexpr int RxParity = 1009;
constexpr int TxFull = 1010;
constexpr int DCB = 1011;
}  // namespace CommEvent

// Where the window shows an event: its message line, or the label of the line settings.
enum class CommEventPlace { Status, LineLabel };

struct CommEventDisplay {
    CommEventPlace where;
    QString text;
};

// The text an event code shows and where; nullopt for codes that show nothing.
std::optional<CommEventDisplay> CommEventText(int code);

// Running totals of line errors and line-signal changes, as the serial driver counts them.
struct LineCounters {
    std::uint32_t frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
    std::uint32_t cts = 0, dsr = 0, ring = 0, cd = 0;
};

// Event codes for what changed between two readings of the counters, line errors first.
std::vector<int> CommEventsBetween(const LineCounters& before, const LineCounters& after);

}  // namespace yb
