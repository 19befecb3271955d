// The simulated YB logger's memory and command interpreter, without any I/O.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/Race.h"

namespace ybsim {

// What the simulated logger holds when it is switched on: a race (Race.h) of these counts. By
// default an hour at 5 s with a temperature a minute and laps of about four minutes.
struct Options {
    std::uint32_t seed = 1;
    long mainCount = 720;             // main-data records
    long tempCount = 60;              // temperature records
    bool tempFitted = true;           // temperature option present ("TMP?" answers OK)
    long lapCount = 14;               // laps
    int interval = 5;                 // recording interval in s: 1, 2, 5 or 10
    std::uint32_t tyreMm = 1800;      // tyre circumference in mm
    std::uint16_t batteryCah = 1250;  // battery initial capacity in hundredths of Ah
    bool instant = false;             // answer at once instead of at the 38400-baud line pace
    // A USB serial adapter's latency timer (FTDI: 16 ms by default): each answer is held until
    // this long after its first character and then arrives in one burst. 0: no adapter.
    int adapterLatencyMs = 0;
    // A noisy line: one answer in this many (at random, from `seed`) arrives with a character
    // spoiled (0xFF, as a framing error leaves it). 0: a clean line.
    long badAnswerEvery = 0;
    // A logger that is sometimes slow: one answer in this many (at random, from `seed`) comes
    // lateAnswerMs late, and holds back every answer after it. 0: always on time.
    long lateAnswerEvery = 0;
    int lateAnswerMs = 550;
};

// Upper-case hexadecimal of the low width*4 bits of value, zero-filled to width digits.
std::string hexField(long long value, int width);

class Logger {
public:
    explicit Logger(const Options& options);

    // Runs one command (without its carriage return) and returns the answer, carriage return
    // included. Write commands change the settings.
    std::string answer(std::string_view command);

    // Exact answer texts of record i (from 0) and lap n (from 1), carriage return included.
    std::string mainRecord(long i) const;
    std::string tempRecord(long i) const;
    std::string lapRecord(long lap) const;

    const MainValues& mainValues(long i) const { return main_.at(static_cast<std::size_t>(i)); }
    int temperature(long i) const { return temps_.at(static_cast<std::size_t>(i)); }
    const LapValues& lapValues(long lap) const {
        return laps_.at(static_cast<std::size_t>(lap - 1));
    }

    long mainCount() const { return static_cast<long>(main_.size()); }
    long tempCount() const { return static_cast<long>(temps_.size()); }
    long lapCount() const { return static_cast<long>(laps_.size()); }
    bool tempFitted() const { return tempFitted_; }
    int interval() const { return interval_; }
    std::uint32_t tyreMm() const { return tyreMm_; }
    std::uint16_t batteryCah() const { return batteryCah_; }

private:
    std::vector<MainValues> main_;
    std::vector<int> temps_;
    std::vector<LapValues> laps_;
    bool tempFitted_;
    int interval_;
    std::uint32_t tyreMm_;
    std::uint16_t batteryCah_;
};

}  // namespace ybsim
