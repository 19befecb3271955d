// The simulated logger, driven through its pseudo-terminal exactly as the downloader drives it.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/LoggerSim.h"

using namespace std::chrono_literals;
using ybsim::Fault, ybsim::LoggerSim;
using Clock = std::chrono::steady_clock;

namespace {

// A command, its exact answer (empty: none within 100 ms), and a fault rule to add before it.
struct Row {
    std::string cmd, answer;
    std::optional<Fault> fault = std::nullopt;
};

class SimTest : public ::testing::Test {
protected:
    void SetUp() override {
        StartWith({.seed = 42,
                   .mainCount = 600,
                   .tempCount = 40,
                   .lapCount = 12,
                   .interval = 1,
                   .instant = true});
    }
    void TearDown() override { ::close(fd); }
    void StartWith(const ybsim::Options& o) {
        sim = std::make_unique<LoggerSim>(o);
        sim->start();
        Reopen();
    }
    void Reopen() {
        ::close(fd);
        fd = ::open(sim->slavePath().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(fd, 0);
    }
    bool Send(const std::string& text) {
        return ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    }
    // Reads until `count` bytes have come or `timeout` has passed; returns what came.
    std::string Read(std::size_t count, std::chrono::milliseconds timeout) {
        std::string got;
        for (const auto end = Clock::now() + timeout; got.size() < count;) {
            pollfd pfd{fd, POLLIN, 0};
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
            char c;
            if (::poll(&pfd, 1, std::max(0, static_cast<int>(left.count()))) <= 0) break;
            if (::read(fd, &c, 1) != 1) break;
            got += c;
        }
        return got;
    }
    // An expected answer may take long on a busy machine; silence is only waited for briefly.
    void Expect(const std::vector<Row>& rows) {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.cmd);
            if (row.fault) sim->addFault(*row.fault);
            ASSERT_TRUE(Send(row.cmd + "\r"));
            EXPECT_EQ(Read(std::max<std::size_t>(row.answer.size(), 1),
                           row.answer.empty() ? 100ms : 5000ms),
                      row.answer);
        }
    }
    std::string Main(long i) const { return sim->mainRecord(i); }

    std::unique_ptr<LoggerSim> sim;
    int fd = -1;
};

}  // namespace

// The plain answers are exercised by every download and settings test; these are the edges.
TEST_F(SimTest, EdgesOfTheCommandSet) {
    ASSERT_TRUE(Send("\r"));  // a lone carriage return, as after every open, is not answered
    // "T3" is one digit but no interval: a circumference.
    Expect({Row{"XYZ", "?\r"}, Row{"D10257", Main(599)}, Row{"D10258", "NG\r"},
            Row{"D1001a", "NG\r"}, Row{"D20028", "NG\r"}, Row{"LD00", "NG\r"}, Row{"LD0D", "NG\r"},
            Row{"TA", "OK\r"}, Row{"T3", "OK\r"}, Row{"T??", "0A\r"}, Row{"T?", "0003\r"},
            Row{"BAh1F4", "NG\r"}});
    EXPECT_EQ(sim->received().substr(0, 5), "\rXYZ\r");
    EXPECT_EQ(sim->commands().front(), "XYZ");
    // Counts wrap to their field width; without the temperature option its commands are refused.
    StartWith({.mainCount = 0x10012, .tempFitted = false, .lapCount = 0, .instant = true});
    Expect({Row{"D1?", "0012\r"}, Row{"L?", "00\r"}, Row{"TMP?", "NG\r"}, Row{"D2?", "NG\r"}});
}

TEST_F(SimTest, FaultRules) {
    Expect({Row{"D1?", "", Fault::silence("D1?")}, Row{"D1?", "0258\r"},
            Row{"T5", "", Fault::silence("T5")}, Row{"T??", "01\r"},  // not carried out
            Row{"D1001F", "", Fault::silence("D1").onRecord(0x1F).everyTime()}, Row{"D1001F", ""},
            Row{"D10020", Main(0x20)}});
    sim->clearFaults();
    const std::string garbage = Fault::garbage("?", 40, 9).answer;
    std::string broken = Main(500);
    broken[5] = '\xFF';
    Expect({Row{"D1001F", Main(0x1F)}, Row{"BAh01F4", "ok\r", Fault::replace("BAh01F4", "ok\r")},
            Row{"BAh?", "01F4\r"}, Row{"?", garbage, Fault::garbage("?", 40, 9)},
            Row{"D101F4", broken, Fault::lineError("D1", 5).onRecord(500)},
            Row{"?", "OK\xFF", Fault::lineError("?", 99)}});

    // Only the lower bound is timed: a busy machine can make the answer later, never earlier.
    sim->addFault(Fault::late("L?", 250, "FF\r"));
    const auto t0 = Clock::now();
    ASSERT_TRUE(Send("L?\r"));
    EXPECT_EQ(Read(3, 5000ms), "FF\r");
    EXPECT_GE(Clock::now() - t0, 250ms);

    // Closing and opening the port leaves the logger up. A hang-up fails the program's writes
    // with EIO (the read ends at once); a restart keeps memory and settings. The empty rule
    // catches the carriage return sent right after an open.
    Reopen();
    Expect({Row{"T2", "OK\r"}});
    for (const std::string line : {"D1?", ""}) {
        sim->addFault(Fault::hangUp(line));
        ASSERT_TRUE(Send(line + "\r"));
        EXPECT_EQ(Read(1, 5000ms), "");
        EXPECT_FALSE(sim->isUp());
        EXPECT_TRUE(!Send("?\r") && errno == EIO);
        sim->restart();
        Reopen();
    }
    Expect({Row{"T??", "02\r"}});
}

// However busy the machine, no character can come before its time on the line (or before the
// adapter's latency has run out): a burst, an unpaced fault text or a missing latency shows.
TEST_F(SimTest, NoCharacterArrivesBeforeItsLineTime) {
    const auto ct = LoggerSim::kCharTime;
    const std::tuple<ybsim::Options, std::optional<Fault>, int> cases[] = {
        {{}, std::nullopt, 0},
        {{}, Fault::replace("D10000", "7" + std::string(16, 'A') + "\r"), 0},
        {{.adapterLatencyMs = 16}, std::nullopt, 16},
        {{.instant = true, .adapterLatencyMs = 16}, std::nullopt, 16}};
    for (const auto& [options, fault, latencyMs] : cases) {
        StartWith(options);
        if (fault) sim->addFault(*fault);
        const std::string expected = fault ? fault->answer : Main(0);
        const auto t0 = Clock::now();
        ASSERT_TRUE(Send("D10000\r"));
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(Read(1, 5000ms), expected.substr(i, 1)) << i;
            // The command's 7 characters, then one per character (all held by an adapter).
            const auto onLine =
                options.instant ? 0ns : ct * static_cast<long>(8 + (latencyMs ? 0 : i));
            EXPECT_GE(Clock::now() - t0, onLine + std::chrono::milliseconds(latencyMs))
                << latencyMs << " ms, character " << i;
        }
    }
}
