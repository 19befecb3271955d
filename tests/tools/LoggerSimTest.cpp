// The simulated logger, driven through its pseudo-terminal exactly as the downloader drives it.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "sim/LoggerSim.h"

using namespace std::chrono_literals;
using ybsim::Fault;
using ybsim::LoggerSim;
using ybsim::Options;
using Clock = std::chrono::steady_clock;

namespace {

// The program's end of the line: plain POSIX on the slave.
class Port {
public:
    explicit Port(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) {
        if (fd_ < 0) return;
        termios tio{};
        tcgetattr(fd_, &tio);
        cfmakeraw(&tio);
        cfsetispeed(&tio, B38400);
        cfsetospeed(&tio, B38400);
        tcsetattr(fd_, TCSANOW, &tio);
    }
    ~Port() {
        if (fd_ >= 0) ::close(fd_);
    }
    Port(const Port&) = delete;
    Port& operator=(const Port&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    bool send(const std::string& text) {
        ssize_t n = ::write(fd_, text.data(), text.size());
        if (n < 0) {
            lastError_ = errno;
            failed_ = true;
        }
        return n == static_cast<ssize_t>(text.size());
    }
    // Reads until `count` bytes have come or `timeout` has passed; returns what came.
    std::string read(std::size_t count, std::chrono::milliseconds timeout) {
        std::string got;
        auto end = Clock::now() + timeout;
        while (got.size() < count) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
            if (left.count() < 0) break;
            pollfd pfd{fd_, POLLIN, 0};
            if (::poll(&pfd, 1, static_cast<int>(left.count()) + 1) <= 0) break;
            char buf[256];
            ssize_t n = ::read(fd_, buf, std::min(sizeof buf, count - got.size()));
            if (n <= 0) {
                lastError_ = n == 0 ? 0 : errno;
                failed_ = true;
                break;
            }
            got.append(buf, static_cast<std::size_t>(n));
        }
        return got;
    }
    std::string exchange(const std::string& cmd, std::size_t count = 64,
                         std::chrono::milliseconds timeout = 100ms) {
        if (!send(cmd + "\r")) return "<write failed>";
        return read(count, timeout);
    }
    // Whether a read or write failed because the line is gone (EOF or EIO).
    bool lineGone() const { return failed_ && (lastError_ == 0 || lastError_ == EIO); }

private:
    int fd_;
    bool failed_ = false;
    int lastError_ = 0;
};

std::int16_t field16(const std::string& text, std::size_t pos) {
    return static_cast<std::int16_t>(std::stoul(text.substr(pos, 4), nullptr, 16));
}
int field8(const std::string& text, std::size_t pos) {
    return static_cast<int>(std::stoul(text.substr(pos, 2), nullptr, 16));
}
bool upperHexThenCr(const std::string& answer) {
    if (answer.empty() || answer.back() != '\r') return false;
    return answer.find_first_not_of("0123456789ABCDEF") == answer.size() - 1;
}

Options instantOptions() {
    Options o;
    o.seed = 42;
    o.mainCount = 600;
    o.tempCount = 40;
    o.lapCount = 12;
    o.instant = true;
    return o;
}

class SimTest : public ::testing::Test {
protected:
    void SetUp() override { startWith(instantOptions()); }
    void startWith(const Options& o) {
        port_.reset();
        sim_ = std::make_unique<LoggerSim>(o);
        sim_->start();
        port_ = std::make_unique<Port>(sim_->slavePath());
        ASSERT_TRUE(port_->isOpen());
    }
    Port& port() { return *port_; }
    LoggerSim& sim() { return *sim_; }

    std::unique_ptr<LoggerSim> sim_;
    std::unique_ptr<Port> port_;
};

}  // namespace

// --- answers -----------------------------------------------------------------------------

TEST_F(SimTest, QueriesAnswerWithTheirFixedLayouts) {
    EXPECT_EQ(port().exchange("?"), "OK\r");
    EXPECT_EQ(port().exchange("T??"), "01\r");
    EXPECT_EQ(port().exchange("T?"), "0708\r");
    EXPECT_EQ(port().exchange("BAh?"), "04E2\r");
    EXPECT_EQ(port().exchange("TMP?"), "OK\r");
    EXPECT_EQ(port().exchange("D1?"), "0258\r");
    EXPECT_EQ(port().exchange("D2?"), "0028\r");
    EXPECT_EQ(port().exchange("L?"), "0C\r");
    EXPECT_EQ(port().exchange("XYZ"), "?\r");
    EXPECT_EQ(port().exchange("d1?"), "?\r");
}

TEST_F(SimTest, RecordAnswersCarryTheRecordsFieldByField) {
    bool sawNegative = false;
    for (long i = 0; i < sim().mainCount(); i += 7) {
        std::string ans = port().exchange("D1" + ybsim::hexField(i, 4), 17);
        ASSERT_EQ(ans.size(), 17u) << i;
        ASSERT_TRUE(upperHexThenCr(ans)) << ans;
        EXPECT_EQ(ans, sim().mainRecord(i));
        const auto v = sim().mainValues(i);
        EXPECT_EQ(field16(ans, 0), v.solarCentiA);
        EXPECT_EQ(field16(ans, 4), v.batteryCentiA);  // negative as 16-bit two's complement
        EXPECT_EQ(field16(ans, 8), v.mainDeciV);
        EXPECT_EQ(field8(ans, 12), v.subDeciV);
        EXPECT_EQ(field8(ans, 14), v.speedKmh);
        sawNegative = sawNegative || v.batteryCentiA < 0;
    }
    EXPECT_TRUE(sawNegative);

    for (long i = 0; i < sim().tempCount(); ++i) {
        std::string ans = port().exchange("D2" + ybsim::hexField(i, 4), 3);
        ASSERT_EQ(ans, sim().tempRecord(i));
        EXPECT_TRUE(upperHexThenCr(ans));
        EXPECT_EQ(static_cast<std::int8_t>(field8(ans, 0)), sim().temperature(i));
    }
    for (long lap = 1; lap <= sim().lapCount(); ++lap) {
        std::string ans = port().exchange("LD" + ybsim::hexField(lap, 2), 9);
        ASSERT_EQ(ans.size(), 9u);
        EXPECT_EQ(ans, sim().lapRecord(lap));
        EXPECT_EQ(field16(ans, 0), sim().lapValues(lap).seconds);
        EXPECT_EQ(field16(ans, 4), sim().lapValues(lap).energyDWh);
    }
}

TEST_F(SimTest, RecordsOutsideTheMemoryOrMalformedAreRefused) {
    EXPECT_EQ(port().exchange("D10257"), sim().mainRecord(599));
    EXPECT_EQ(port().exchange("D10258"), "NG\r");
    EXPECT_EQ(port().exchange("D1001a"), "NG\r");  // lower-case hex is not understood
    EXPECT_EQ(port().exchange("D1001"), "NG\r");
    EXPECT_EQ(port().exchange("D20028"), "NG\r");
    EXPECT_EQ(port().exchange("LD00"), "NG\r");
    EXPECT_EQ(port().exchange("LD0C"), sim().lapRecord(12));
    EXPECT_EQ(port().exchange("LD0D"), "NG\r");
    EXPECT_EQ(port().exchange("LD1"), "NG\r");
}

TEST_F(SimTest, CountsWrapToTheirFieldWidth) {
    Options o = instantOptions();
    o.mainCount = 16101;
    o.tempCount = 1350;
    o.lapCount = 200;
    startWith(o);
    EXPECT_EQ(port().exchange("D1?"), "3EE5\r");
    EXPECT_EQ(port().exchange("D2?"), "0546\r");
    EXPECT_EQ(port().exchange("L?"), "C8\r");
    EXPECT_EQ(port().exchange("D13EE4"), sim().mainRecord(16100));

    o.mainCount = 0x10000 + 0x12;
    o.lapCount = 0;
    startWith(o);
    EXPECT_EQ(port().exchange("D1?"), "0012\r");
    EXPECT_EQ(port().exchange("L?"), "00\r");
    EXPECT_EQ(port().exchange("LD01"), "NG\r");
}

TEST_F(SimTest, WithoutTheTemperatureOptionTheProbeAndDataSet2AreRefused) {
    Options o = instantOptions();
    o.tempFitted = false;
    startWith(o);
    EXPECT_EQ(port().exchange("TMP?"), "NG\r");
    EXPECT_EQ(port().exchange("D2?"), "NG\r");
    EXPECT_EQ(port().exchange("D20000"), "NG\r");
}

TEST_F(SimTest, WritesChangeWhatIsReadBack) {
    EXPECT_EQ(port().exchange("T2"), "OK\r");
    EXPECT_EQ(port().exchange("T??"), "02\r");
    EXPECT_EQ(port().exchange("TA"), "OK\r");
    EXPECT_EQ(port().exchange("T??"), "0A\r");
    EXPECT_EQ(sim().interval(), 10);

    EXPECT_EQ(port().exchange("T07D0"), "OK\r");
    EXPECT_EQ(port().exchange("T?"), "07D0\r");
    EXPECT_EQ(port().exchange("T3"), "OK\r");  // one digit that is no interval: a circumference
    EXPECT_EQ(sim().tyreMm(), 3u);
    EXPECT_EQ(sim().interval(), 10);
    EXPECT_EQ(port().exchange("TFFFFF830"), "OK\r");
    EXPECT_EQ(sim().tyreMm(), 0xFFFFF830u);
    EXPECT_EQ(port().exchange("T?"), "F830\r");
    EXPECT_EQ(port().exchange("T123456789"), "NG\r");
    EXPECT_EQ(port().exchange("T07d0"), "NG\r");
    EXPECT_EQ(sim().tyreMm(), 0xFFFFF830u);

    EXPECT_EQ(port().exchange("BAh01F4"), "OK\r");
    EXPECT_EQ(port().exchange("BAh?"), "01F4\r");
    EXPECT_EQ(port().exchange("BAh1F4"), "NG\r");
    EXPECT_EQ(port().exchange("BAh01G4"), "NG\r");
    EXPECT_EQ(sim().batteryCah(), 0x01F4);
}

TEST_F(SimTest, LoneCarriageReturnIsRecordedButNotAnswered) {
    ASSERT_TRUE(port().send("\r"));
    ASSERT_TRUE(port().send("?\r\n"));
    ASSERT_TRUE(sim().waitForCommands(1, 1s));
    EXPECT_EQ(port().read(10, 150ms), "OK\r");
    EXPECT_EQ(sim().received(), "\r?\r\n");
    EXPECT_EQ(sim().commands(), std::vector<std::string>{"?"});
    sim().clearReceived();
    EXPECT_EQ(port().exchange("L?"), "0C\r");
    EXPECT_EQ(sim().received(), "L?\r");
}

// --- generated data ----------------------------------------------------------------------

TEST(SimData, SameSeedSameDataOtherSeedOtherData) {
    Options o;
    o.mainCount = 200;
    o.seed = 5;
    LoggerSim a(o), b(o);
    o.seed = 6;
    LoggerSim c(o);
    int differing = 0;
    for (long i = 0; i < 200; ++i) {
        EXPECT_EQ(a.mainRecord(i), b.mainRecord(i));
        differing += a.mainRecord(i) != c.mainRecord(i);
    }
    EXPECT_GT(differing, 150);
    EXPECT_EQ(a.tempRecord(3), b.tempRecord(3));
    EXPECT_EQ(a.lapRecord(4), b.lapRecord(4));
}

TEST(SimData, ValuesStayRealisticAndNegativesOccur) {
    Options o;
    o.seed = 123;
    o.mainCount = 16100;
    o.tempCount = 1350;
    o.lapCount = 200;
    LoggerSim sim(o);
    int negBattery = 0;
    int negTemp = 0;
    for (long i = 0; i < o.mainCount; ++i) {
        const std::string r = sim.mainRecord(i);
        ASSERT_TRUE(upperHexThenCr(r) && r.size() == 17) << r;
        const int solar = field16(r, 0), battery = field16(r, 4), mainV = field16(r, 8);
        ASSERT_TRUE(solar >= 0 && solar <= 800) << r;
        ASSERT_TRUE(battery >= -2000 && battery <= 3000) << r;
        ASSERT_TRUE(mainV >= 900 && mainV <= 1100) << r;
        ASSERT_TRUE(field8(r, 12) >= 110 && field8(r, 12) <= 140) << r;
        ASSERT_LE(field8(r, 14), 120) << r;
        negBattery += battery < 0;
    }
    for (long i = 0; i < o.tempCount; ++i) {
        const int t = static_cast<std::int8_t>(field8(sim.tempRecord(i), 0));
        ASSERT_TRUE(t >= -5 && t <= 60) << t;
        negTemp += t < 0;
    }
    for (long lap = 1; lap <= o.lapCount; ++lap) {
        const std::string r = sim.lapRecord(lap);
        ASSERT_TRUE(field16(r, 0) >= 100 && field16(r, 0) <= 400) << r;
        ASSERT_TRUE(field16(r, 4) >= 50 && field16(r, 4) <= 500) << r;
    }
    EXPECT_GT(negBattery, 100);
    EXPECT_GT(negTemp, 10);
}

// --- pacing ------------------------------------------------------------------------------

namespace {
double secondsFor500Records(bool instant) {
    Options o;
    o.mainCount = 600;
    o.instant = instant;
    LoggerSim sim(o);
    sim.start();
    Port port(sim.slavePath());
    auto t0 = Clock::now();
    for (long i = 0; i < 500; ++i) {
        std::string ans = port.exchange("D1" + ybsim::hexField(i, 4), 17, 1000ms);
        if (ans != sim.mainRecord(i)) return -1;
    }
    return std::chrono::duration<double>(Clock::now() - t0).count();
}
}  // namespace

TEST(SimPacing, PacedAnswersTakeTheLineTimeOf38400Baud) {
    const double lineTime = 500.0 * (7 + 17) * 10 / 38400;  // 3.125 s
    // A busy machine can only make a run slower, never faster: the fastest of a few runs counts.
    double paced = 1e9;
    for (int run = 0; run < 3 && paced > lineTime * 1.1; ++run) {
        const double t = secondsFor500Records(false);
        ASSERT_GT(t, 0.0) << "wrong record answer";
        std::printf("500 paced D1 exchanges: %.3f s (line time %.3f s)\n", t, lineTime);
        paced = std::min(paced, t);
    }
    EXPECT_GT(paced, lineTime * 0.9);
    EXPECT_LT(paced, lineTime * 1.1);

    const double instant = secondsFor500Records(true);
    std::printf("500 instant D1 exchanges: %.3f s\n", instant);
    EXPECT_GE(instant, 0.0);
    EXPECT_LT(instant, lineTime / 4);
}

TEST(SimPacing, AnswerCharactersArriveSpreadOverTheirLineTime) {
    Options o;
    LoggerSim sim(o);
    sim.start();
    Port port(sim.slavePath());
    ASSERT_TRUE(port.send("D10000\r"));
    // After the command's own 7 characters plus 8 answer characters only about half is there.
    std::this_thread::sleep_for(LoggerSim::kCharTime * 15);
    std::string early = port.read(17, 0ms);
    std::string rest = port.read(17 - early.size(), 100ms);
    EXPECT_LT(early.size(), 14u);
    EXPECT_EQ(early + rest, sim.mainRecord(0));
}

// --- faults ------------------------------------------------------------------------------

TEST_F(SimTest, SilenceOnceThenNormalAgain) {
    sim().addFault(Fault::silence("D1?"));
    EXPECT_EQ(port().exchange("D1?", 5, 150ms), "");
    EXPECT_EQ(port().exchange("D1?"), "0258\r");

    sim().addFault(Fault::silence("D1").onRecord(0x1F).everyTime());
    EXPECT_EQ(port().exchange("D1001F", 17, 100ms), "");
    EXPECT_EQ(port().exchange("D1001F", 17, 100ms), "");
    EXPECT_EQ(port().exchange("D10020", 17), sim().mainRecord(0x20));
    sim().clearFaults();
    EXPECT_EQ(port().exchange("D1001F", 17), sim().mainRecord(0x1F));
    EXPECT_EQ(sim().commands().size(), 6u);
}

TEST_F(SimTest, SilencedWriteIsNotCarriedOut) {
    sim().addFault(Fault::silence("T5"));
    EXPECT_EQ(port().exchange("T5", 3, 100ms), "");
    EXPECT_EQ(sim().interval(), 1);
}

TEST_F(SimTest, LateAnswerComesAfterItsDelay) {
    sim().addFault(Fault::late("?", 250));
    auto t0 = Clock::now();
    ASSERT_TRUE(port().send("?\r"));
    EXPECT_EQ(port().read(3, 150ms), "");
    EXPECT_EQ(port().read(3, 500ms), "OK\r");
    EXPECT_GE(Clock::now() - t0, 250ms);

    sim().addFault(Fault::late("L?", 120, "FF\r"));
    EXPECT_EQ(port().exchange("L?", 3, 60ms), "");
    EXPECT_EQ(port().read(3, 300ms), "FF\r");
}

TEST_F(SimTest, ReplacedAnswersAreSentExactly) {
    sim().addFault(Fault::replace("D1?", "3EE5\r"));
    sim().addFault(Fault::replace("?", "ok\r"));
    sim().addFault(Fault::replace("D1", "0123456789ABCDEF01\r").onRecord(500));
    sim().addFault(Fault::replace("BAh01F4", "NG\r"));
    EXPECT_EQ(port().exchange("D1?"), "3EE5\r");
    EXPECT_EQ(port().exchange("?"), "ok\r");
    EXPECT_EQ(port().exchange("D101F3", 17), sim().mainRecord(499));
    EXPECT_EQ(port().exchange("D101F4", 19), "0123456789ABCDEF01\r");
    EXPECT_EQ(port().exchange("BAh01F4"), "NG\r");
    EXPECT_EQ(sim().batteryCah(), 0x01F4);  // carried out all the same
}

TEST_F(SimTest, LineErrorTurnsOneCharacterInto0xFF) {
    sim().addFault(Fault::lineError("D1", 5).onRecord(500));
    std::string expected = sim().mainRecord(500);
    expected[5] = '\xFF';
    EXPECT_EQ(port().exchange("D101F4", 17), expected);
    EXPECT_EQ(port().exchange("D101F4", 17), sim().mainRecord(500));

    sim().addFault(Fault::lineError("?", 99));  // past the end: the last character
    EXPECT_EQ(port().exchange("?"), std::string("OK\xFF"));
}

TEST_F(SimTest, HangUpRuleDropsTheLineAndRestartBringsANewOne) {
    const std::string oldPath = sim().slavePath();
    sim().addFault(Fault::hangUp("D1?"));
    EXPECT_EQ(port().exchange("D1?", 5, 500ms), "");
    EXPECT_TRUE(port().lineGone());
    EXPECT_FALSE(sim().isUp());

    sim().restart();  // the old slave is still open here, so the new pty gets another name
    ASSERT_TRUE(sim().isUp());
    EXPECT_NE(sim().slavePath(), oldPath);
    Port again(sim().slavePath());
    ASSERT_TRUE(again.isOpen());
    EXPECT_EQ(again.exchange("D1?"), "0258\r");
    EXPECT_EQ(again.exchange("D10005", 17), sim().mainRecord(5));
}

TEST_F(SimTest, HangUpNowFailsReadsAndKeepsSettingsOverRestart) {
    EXPECT_EQ(port().exchange("T5"), "OK\r");
    sim().hangUp();
    EXPECT_FALSE(sim().isUp());
    EXPECT_FALSE(port().send("?\r"));
    EXPECT_TRUE(port().lineGone());
    EXPECT_EQ(port().read(3, 300ms), "");

    sim().restart();
    Port again(sim().slavePath());
    EXPECT_EQ(again.exchange("T??"), "05\r");
}

TEST_F(SimTest, SimulatorOutlivesTheProgramClosingThePort) {
    // The downloader closes and reopens the port; the logger must keep answering.
    port_.reset();
    std::this_thread::sleep_for(30ms);
    Port reopened(sim().slavePath());
    ASSERT_TRUE(reopened.isOpen());
    EXPECT_EQ(reopened.exchange("?"), "OK\r");
    EXPECT_TRUE(sim().isUp());
}
