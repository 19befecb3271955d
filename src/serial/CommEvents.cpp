#include "serial/CommEvents.h"

namespace yb {

std::optional<CommEventDisplay> CommEventText(int code) {
    const auto onLabel = [](const char* text) {
        return CommEventDisplay{CommEventPlace::LineLabel, QString::fromLatin1(text)};
    };
    switch (code) {
        case CommEvent::Receive:
            return CommEventDisplay{CommEventPlace::Status, "Message Received"};
        case CommEvent::Frame:
            return onLabel("comEventFrameError");
        case CommEvent::Overrun:
            return onLabel("comEventOverrunError");
        case CommEvent::RxOver:
            return onLabel("comEventRxOverError");
        case CommEvent::Break:
            return onLabel("comEventBreak");
        case CommEvent::RxParity:
            return onLabel("comEventRxParityError");
        case CommEvent::TxFull:
            return onLabel("comEventTxFull");
        case CommEvent::DCB:
            return onLabel("comEventDCB");
        case CommEvent::Send:
            return onLabel("comEvSend");
        case CommEvent::CTS:
            return onLabel("comEvCTS");
        case CommEvent::DSR:
            return onLabel("comEvDSR");
        case CommEvent::CD:
            return onLabel("comEvCD");
        case CommEvent::Ring:
            return onLabel("comEvRing");
        case CommEvent::EOFChar:
            return onLabel("comEvEOF");
        default:
            return std::nullopt;
    }
}

std::vector<int> CommEventsBetween(const LineCounters& before, const LineCounters& after) {
    std::vector<int> codes;
    const auto changed = [&](std::uint32_t LineCounters::*counter, int code) {
        if (after.*counter != before.*counter) codes.push_back(code);
    };
    changed(&LineCounters::brk, CommEvent::Break);
    changed(&LineCounters::frame, CommEvent::Frame);
    changed(&LineCounters::overrun, CommEvent::Overrun);
    changed(&LineCounters::bufOverrun, CommEvent::RxOver);
    changed(&LineCounters::parity, CommEvent::RxParity);
    changed(&LineCounters::cts, CommEvent::CTS);
    changed(&LineCounters::dsr, CommEvent::DSR);
    changed(&LineCounters::cd, CommEvent::CD);
    changed(&LineCounters::ring, CommEvent::Ring);
    return codes;
}

}  // namespace yb
