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
#include <thread>
#include <vector>

#include "sim/LoggerSim.h"

using namespace std::chrono_literals;
using ybsim::Fault, ybsim::hexField, ybsim::LoggerSim;
using Clock = std::chrono::steady_clock;

namespace {

// A command, its exact answer (empty: none within 100 ms), and a fault rule to add before it.
struct Row {
    std::string cmd, answer;
    std::optional<Fault> fault = std::nullopt;
};

// A simulated logger and the program's end of its line: plain POSIX on the slave, which the
// logger has already made raw like a serial port.
class SimTest : public ::testing::Test {
protected:
    void SetUp() override {
        StartWith({.seed = 42, .mainCount = 600, .tempCount = 40, .lapCount = 12, .instant = true});
    }
    void TearDown() override { ::close(fd); }
    void StartWith(const ybsim::Options& o) {
        sim = std::make_unique<LoggerSim>(o);
        sim->start();
        Reopen();
    }
    // Closes the line, waits `pause` and opens the logger's (current) slave again.
    void Reopen(std::chrono::milliseconds pause = 0ms) {
        ::close(fd);
        std::this_thread::sleep_for(pause);
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
    void Expect(const std::vector<Row>& rows) {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.cmd);
            if (row.fault) sim->addFault(*row.fault);
            ASSERT_TRUE(Send(row.cmd + "\r"));
            EXPECT_EQ(Read(std::max<std::size_t>(row.answer.size(), 1), 100ms), row.answer);
        }
    }
    std::string Main(long i) const { return sim->mainRecord(i); }

    std::unique_ptr<LoggerSim> sim;
    int fd = -1;
};

}  // namespace

TEST_F(SimTest, EveryCommandGetsItsAnswerAndWritesAreReadBack) {
    // A lone carriage return is recorded but not answered.
    ASSERT_TRUE(Send("\r") && Send("?\r\n"));
    EXPECT_EQ(Read(10, 150ms), "OK\r");
    EXPECT_EQ(sim->received(), "\r?\r\n");
    EXPECT_EQ(sim->commands(), std::vector<std::string>{"?"});

    Expect({Row{"T??", "01\r"}, Row{"T?", "0708\r"}, Row{"BAh?", "04E2\r"}, Row{"TMP?", "OK\r"},
            Row{"D1?", "0258\r"}, Row{"D2?", "0028\r"}, Row{"L?", "0C\r"}, Row{"XYZ", "?\r"},
            Row{"d1?", "?\r"}});
    Expect({Row{"D10000", Main(0)}, Row{"D10257", Main(599)}, Row{"D10258", "NG\r"},
            Row{"D1001a", "NG\r"}, Row{"D1001", "NG\r"}, Row{"D20000", sim->tempRecord(0)},
            Row{"D20027", sim->tempRecord(39)}, Row{"D20028", "NG\r"}, Row{"LD00", "NG\r"},
            Row{"LD01", sim->lapRecord(1)}, Row{"LD0C", sim->lapRecord(12)}, Row{"LD0D", "NG\r"},
            Row{"LD1", "NG\r"}});
    for (long i = 1; i < sim->mainCount(); i += 7) Expect({{"D1" + hexField(i, 4), Main(i)}});
    // "T3" is one digit but no interval: a circumference. Wider values keep their low 16 bits.
    Expect({Row{"T2", "OK\r"}, Row{"T??", "02\r"}, Row{"TA", "OK\r"}, Row{"T??", "0A\r"},
            Row{"T07D0", "OK\r"}, Row{"T?", "07D0\r"}, Row{"T3", "OK\r"}, Row{"T?", "0003\r"},
            Row{"T??", "0A\r"}, Row{"TFFFFF830", "OK\r"}, Row{"T?", "F830\r"},
            Row{"T123456789", "NG\r"}, Row{"T07d0", "NG\r"}, Row{"BAh01F4", "OK\r"},
            Row{"BAh?", "01F4\r"}, Row{"BAh1F4", "NG\r"}, Row{"BAh01G4", "NG\r"}});
    EXPECT_EQ(sim->tyreMm(), 0xFFFFF830u);
    EXPECT_EQ(sim->batteryCah(), 0x01F4);
    EXPECT_EQ(sim->interval(), 10);

    // Counts wrap to their field width; without the temperature option its commands are refused.
    StartWith({.mainCount = 16101, .tempCount = 1350, .lapCount = 200, .instant = true});
    Expect({Row{"D1?", "3EE5\r"}, Row{"D2?", "0546\r"}, Row{"L?", "C8\r"},
            Row{"D13EE4", Main(16100)}});
    StartWith({.mainCount = 0x10012, .tempFitted = false, .lapCount = 0, .instant = true});
    Expect({Row{"D1?", "0012\r"}, Row{"L?", "00\r"}, Row{"LD01", "NG\r"}, Row{"TMP?", "NG\r"},
            Row{"D2?", "NG\r"}, Row{"D20000", "NG\r"}});
}

TEST_F(SimTest, FaultRulesChangeTheirAnswersAndHangUpDropsTheLine) {
    // Silence: once or every time; a silenced write is not carried out, but is recorded.
    Expect({Row{"D1?", "", Fault::silence("D1?")}, Row{"D1?", "0258\r"},
            Row{"T5", "", Fault::silence("T5")}, Row{"T??", "01\r"},
            Row{"D1001F", "", Fault::silence("D1").onRecord(0x1F).everyTime()}, Row{"D1001F", ""},
            Row{"D10020", Main(0x20)}});
    sim->clearFaults();
    Expect({{"D1001F", Main(0x1F)}});
    EXPECT_EQ(sim->commands().size(), 8u);
    // Replace: the text exactly as given, the command carried out all the same.
    Expect({Row{"D1?", "3EE5\r", Fault::replace("D1?", "3EE5\r")},
            Row{"?", "ok\r", Fault::replace("?", "ok\r")},
            Row{"D101F3", Main(499), Fault::replace("D1", "0123456789ABCDEF01\r").onRecord(500)},
            Row{"D101F4", "0123456789ABCDEF01\r"},
            Row{"BAh01F4", "NG\r", Fault::replace("BAh01F4", "NG\r")}, Row{"BAh?", "01F4\r"}});
    // Line error: one character turned into 0xFF, past the end the last one.
    std::string broken = Main(500);
    broken[5] = '\xFF';
    Expect({Row{"D101F4", broken, Fault::lineError("D1", 5).onRecord(500)},
            Row{"D101F4", Main(500)}, Row{"?", "OK\xFF", Fault::lineError("?", 99)}});
    // Late: nothing within 100 ms, then the answer or the given text.
    const auto t0 = Clock::now();
    Expect({{"?", "", Fault::late("?", 250)}});
    EXPECT_EQ(Read(3, 500ms), "OK\r");
    EXPECT_GE(Clock::now() - t0, 250ms);
    Expect({{"L?", "", Fault::late("L?", 120, "FF\r")}});
    EXPECT_EQ(Read(3, 300ms), "FF\r");

    // Hang-up drops the line, which fails the program's writes with EIO; a restart keeps memory
    // and settings.
    Reopen(30ms);  // the downloader closes and reopens its port: the logger stays
    const std::string oldPath = sim->slavePath();
    Expect({Row{"T2", "OK\r"}, Row{"D1?", "", Fault::hangUp("D1?")}});
    EXPECT_FALSE(sim->isUp());
    EXPECT_TRUE(!Send("?\r") && errno == EIO);
    sim->restart();  // the old slave is still open here, so the new pty gets another name
    ASSERT_TRUE(sim->isUp());
    EXPECT_NE(sim->slavePath(), oldPath);
    Reopen();
    Expect({Row{"D1?", "0258\r"}, Row{"D10005", Main(5)}, Row{"T??", "02\r"}});
    sim->hangUp();
    EXPECT_FALSE(sim->isUp());
    EXPECT_TRUE(!Send("?\r") && errno == EIO);
    EXPECT_EQ(Read(3, 300ms), "");
}

// Records are their fields' hexadecimal in order, negatives wrapped to the field width.
TEST(SimData, RecordsFollowTheSeedEncodeTheirValuesAndStayRealistic) {
    EXPECT_EQ(hexField(-2, 4) + hexField(-5, 2) + hexField(0xABC, 4), "FFFEFB0ABC");
    const ybsim::Options o{.seed = 123, .mainCount = 16100, .tempCount = 1350, .lapCount = 200};
    const LoggerSim a(o), b(o), other({.seed = 124, .mainCount = 16100});
    const auto in = [](int value, int low, int high) { return value >= low && value <= high; };
    long differing = 0, negBattery = 0, negTemp = 0;
    for (long i = 0; i < o.mainCount; ++i) {
        const ybsim::MainValues v = a.mainValues(i);
        ASSERT_EQ(a.mainRecord(i), hexField(v.solarCentiA, 4) + hexField(v.batteryCentiA, 4) +
                                       hexField(v.mainDeciV, 4) + hexField(v.subDeciV, 2) +
                                       hexField(v.speedKmh, 2) + "\r");
        ASSERT_EQ(a.mainRecord(i), b.mainRecord(i));
        ASSERT_TRUE(in(v.solarCentiA, 0, 800) && in(v.batteryCentiA, -2000, 3000) &&
                    in(v.mainDeciV, 900, 1100) && in(v.subDeciV, 110, 140) &&
                    in(v.speedKmh, 0, 120))
            << i;
        differing += a.mainRecord(i) != other.mainRecord(i);
        negBattery += v.batteryCentiA < 0;
    }
    for (long i = 0; i < o.tempCount; ++i) {
        const int t = a.temperature(i);
        ASSERT_TRUE(a.tempRecord(i) == hexField(t, 2) + "\r" && in(t, -5, 60)) << t;
        negTemp += t < 0;
    }
    for (long n = 1; n <= o.lapCount; ++n) {
        const ybsim::LapValues v = a.lapValues(n);
        ASSERT_TRUE(a.lapRecord(n) == hexField(v.seconds, 4) + hexField(v.energyDWh, 4) + "\r" &&
                    in(v.seconds, 100, 400) && in(v.energyDWh, 50, 500))
            << n;
    }
    EXPECT_TRUE(a.tempRecord(3) == b.tempRecord(3) && a.lapRecord(4) == b.lapRecord(4));
    EXPECT_GT(differing, o.mainCount * 3 / 4);
    EXPECT_GT(negBattery, 100);
    EXPECT_GT(negTemp, 10);
}

TEST_F(SimTest, PacedAnswersTakeTheLineTimeOf38400Baud) {
    // Time for 500 D1 exchanges; 0 when an answer was wrong.
    const auto secondsFor500Records = [this](bool instant) {
        StartWith({.mainCount = 600, .instant = instant});
        const auto t0 = Clock::now();
        for (long i = 0; i < 500; ++i) {
            if (!Send("D1" + hexField(i, 4) + "\r") || Read(17, 1000ms) != Main(i)) return 0.0;
        }
        return std::chrono::duration<double>(Clock::now() - t0).count();
    };
    const double lineTime = 500.0 * (7 + 17) * 10 / 38400;  // 3.125 s
    // A busy machine can only make a run slower, never faster: the fastest of a few runs counts.
    double paced = secondsFor500Records(false);
    for (int run = 1; run < 3 && paced > lineTime * 1.1; ++run) {
        paced = std::min(paced, secondsFor500Records(false));
    }
    EXPECT_GT(paced, lineTime * 0.9);
    EXPECT_LT(paced, lineTime * 1.1);
    EXPECT_LT(secondsFor500Records(true), lineTime / 4);

    // One answer's characters are spread over its line time, not sent in one burst: after the
    // command's own 7 characters plus 8 answer characters only about half is there.
    StartWith({});
    ASSERT_TRUE(Send("D10000\r"));
    std::this_thread::sleep_for(LoggerSim::kCharTime * 15);
    const std::string early = Read(17, 0ms);
    EXPECT_LT(early.size(), 14u);
    EXPECT_EQ(early + Read(17 - early.size(), 100ms), Main(0));
}
