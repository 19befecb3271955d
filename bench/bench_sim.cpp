// The simulated logger's pace, seen by a client that reads whatever has arrived as soon as
// anything has: main-record exchanges against the line-time limit, how many pieces an answer
// arrives in, and what a USB adapter's latency timer costs.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "sim/LoggerSim.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
    double seconds = 0;  // for all exchanges
    double pieces = 0;   // reads per answer
    bool ok = true;
};

// `count` main-record requests, each sent when the answer before it is complete; the answer of
// the first one replaced by `replacement` when given.
Figures Exchanges(const ybsim::Options& options, long count, const std::string& replacement = {}) {
    ybsim::LoggerSim sim(options);
    sim.start();
    const int fd = ::open(sim.slavePath().c_str(), O_RDWR | O_NOCTTY);
    if (replacement.size()) sim.addFault(ybsim::Fault::replace("D10000", replacement));
    Figures f;
    long reads = 0;
    const auto t0 = Clock::now();
    for (long i = 0; i < count && f.ok; ++i) {
        char cmd[16];
        std::snprintf(cmd, sizeof cmd, "D1%04X\r", static_cast<unsigned>(i & 0xFFFF));
        const std::string expected = i == 0 && replacement.size() ? replacement : sim.mainRecord(i);
        f.ok = ::write(fd, cmd, 7) == 7;
        std::string got;
        while (f.ok && got.size() < expected.size()) {
            pollfd pfd{fd, POLLIN, 0};
            char buf[64];
            f.ok = ::poll(&pfd, 1, 1000) == 1;
            const ssize_t n = f.ok ? ::read(fd, buf, sizeof buf) : -1;
            f.ok = n > 0;
            if (f.ok) got.append(buf, static_cast<std::size_t>(n));
            ++reads;
        }
        f.ok = f.ok && got == expected;
    }
    f.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    f.pieces = static_cast<double>(reads) / static_cast<double>(count);
    ::close(fd);
    return f;
}

}  // namespace

int main() {
    constexpr long kRecords = 500;
    const double lineTime = kRecords * (7 + 17) * 10 / 38400.0;  // command and answer at 38400 baud
    bool ok = true;
    std::printf("simulated logger, %ld main-record exchanges (line-time limit %.3f s)\n", kRecords,
                lineTime);
    for (const int latency : {0, 1, 16}) {
        const Figures f = Exchanges({.mainCount = kRecords, .adapterLatencyMs = latency}, kRecords);
        ok = ok && f.ok;
        std::printf(
            "  adapter latency %2d ms  %6.3f s  %5.2f x line time  %5.2f ms/record"
            "  %5.2f pieces/answer%s\n",
            latency, f.seconds, f.seconds / lineTime, f.seconds * 1000 / kRecords, f.pieces,
            f.ok ? "" : "  WRONG ANSWERS");
    }
    const Figures instant = Exchanges({.mainCount = kRecords, .instant = true}, kRecords);
    std::printf("  instant               %6.3f s  %5.2f x line time\n", instant.seconds,
                instant.seconds / lineTime);
    // A fault text is paced like any answer: "7" and a whole record, 18 characters.
    const Figures replaced = Exchanges({}, 1, "7" + std::string(16, '0') + "\r");
    std::printf("  replaced answer of 18 characters: %.2f ms, %.0f pieces\n",
                replaced.seconds * 1000, replaced.pieces);
    return ok && instant.ok && replaced.ok ? 0 : 1;
}
