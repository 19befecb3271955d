// A partial data file read back as the download that stopped: every file no download leaves is
// refused with its reason, and every other one gives the store and the stop a resume starts from.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "datafile/PartialRun.h"

namespace yb::test {
namespace {

// A run as its file shows it, a section's rows written one character each: 'v' values, '-' empty,
// 'h' half filled, 'x' a value no download has. Each main column holds its index + 0.5.
RunData RunOf(const std::string& main, const std::string& temperatures, const std::string& laps) {
    RunData run;
    run.intervalS = 5;
    for (const char row : main) {
        for (std::size_t c = 0; c < run.main.size(); ++c) {
            const bool none = row == '-' || (row == 'h' && c > 0);
            run.main[c].push_back(none ? MainValue() : MainValue(row == 'x' ? 1e5 : c + 0.5));
        }
    }
    for (const char row : temperatures) {
        run.temperatures.push_back(row == '-' ? std::nullopt
                                              : std::optional(row == 'x' ? 128 : 20));
    }
    for (const char row : laps) {
        const int n = static_cast<int>(run.laps.size()) + 1;
        run.laps.push_back(row == '-' ? LapRow{n, -1, -1.0}
                                      : LapRow{n, row == 'x' ? 32768 : 90, 1.5});
    }
    return run;
}

TEST(PartialRun, FilesNoDownloadLeavesAreRefused) {
    const std::tuple<std::string, std::string, std::string, const char*> cases[] = {
        {"vhv", "", "", "row 2 of the main data is half empty"},
        {"v-v", "", "", "row 3 of the main data holds values after an empty row"},
        {"v", "-v", "", "row 2 of the temperature data holds values after an empty row"},
        {"v", "v", "v--v", "row 4 of the lap data holds values after an empty row"},
        {"v-", "-", "", "the temperature data follows the stopped section"},
        {"v-", "", "v", "the lap data follows the stopped section"},
        {"v", "v-", "-", "the lap data follows the stopped section"},
        {std::string(16101, 'v'), "", "", "the main data has too many rows"},
        {"v", std::string(1351, 'v'), "", "the temperature data has too many rows"},
        {"v", "v", std::string(201, 'v'), "the lap data has too many rows"},
        {"vx", "", "", "row 2 of the main data holds a value no download has"},
        {"v", "vvx", "", "row 3 of the temperature data holds a value no download has"},
        {"v", "", "x", "row 1 of the lap data holds a value no download has"}};
    for (const auto& [main, temperatures, laps, reason] : cases) {
        const PartialRunRead read = ReadPartialRun(RunOf(main, temperatures, laps));
        EXPECT_FALSE(read.ok || read.partial) << reason;
        EXPECT_EQ(read.reason, QStringLiteral("not a partial data file: ") + reason);
    }
}

// Stopped at a section's first empty row, its count known; with values in every row, after the
// last section the file has.
TEST(PartialRun, StopsWhereTheFileShowsAndKeepsTheRecords) {
    const std::tuple<std::string, std::string, std::string, DownloadStop> cases[] = {
        {"vv--", "", "", {Stage::Main, true, std::nullopt}},
        {"v", "v-", "", {Stage::Temperature, true, std::nullopt}},
        {"v", "v", "vv-", {Stage::Laps, true, std::nullopt}},
        {"-", "", "", {Stage::Main, true, std::nullopt}},
        {"vv", "", "", {Stage::Temperature, false, std::nullopt}},
        {"vv", "vvv", "", {Stage::Laps, false, true}},
        {"v", "v", "vv", {Stage::Laps, true, true}},
        {"v", "", "v", {Stage::Laps, true, std::nullopt}},
        {std::string(16100, 'v'),
         std::string(1350, 'v'),
         std::string(200, 'v'),
         {Stage::Laps, true, true}}};
    for (const auto& [main, temperatures, laps, stop] : cases) {
        const PartialRunRead read = ReadPartialRun(RunOf(main, temperatures, laps));
        ASSERT_TRUE(read.ok && read.partial) << main << " " << read.reason.toStdString();
        const DownloadStop& got = read.partial->stop;
        EXPECT_EQ(std::tuple(got.stage, got.counted, got.temperatureFitted),
                  std::tuple(stop.stage, stop.counted, stop.temperatureFitted))
            << main << " " << temperatures << " " << laps;
        const RecordStore& store = read.partial->store;
        EXPECT_EQ(store.interval(), 5);
        for (const auto& [stage, rows] : {std::pair{Stage::Main, main},
                                          {Stage::Temperature, temperatures},
                                          {Stage::Laps, laps}}) {
            EXPECT_EQ(store.count(stage), static_cast<int>(rows.size()));
            EXPECT_EQ(store.stored(stage), std::count(rows.begin(), rows.end(), 'v'));
        }
    }
    const PartialRunRead one = ReadPartialRun(RunOf("v", "v", "v"));
    const RecordStore& store = one.partial->store;
    EXPECT_EQ(store.main(0), (MainRecord{0.5f, 1.5f, 2.5f, 5.5f, 6.5f}));
    EXPECT_EQ(store.temperature(0), 20);
    EXPECT_EQ(store.lap(0), (LapRecord{90, 1.5f}));
}

}  // namespace
}  // namespace yb::test
