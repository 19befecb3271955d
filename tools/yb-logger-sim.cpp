// yb-logger-sim: a simulated YB logger on a pseudo-terminal, for trying the downloader without
// the vehicle. Prints the serial device path on its first line, then answers until SIGINT,
// SIGTERM or SIGHUP.
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>

#include "sim/LoggerSim.h"

namespace {

const char kUsage[] =
    "usage: yb-logger-sim [--seed N] [--main N] [--temp N] [--no-temp] [--laps N]\n"
    "                     [--interval S] [--tyre MM] [--battery HUNDREDTHS] [--instant]\n"
    "                     [--adapter-latency MS] [--bad-answers N]\n"
    "                     [--late-answers N] [--link PATH]\n"
    "Simulated YB logger on a pseudo-terminal. Prints the device path, then answers the\n"
    "downloader's commands until interrupted. It holds one race: the laps fill the main\n"
    "records' time (count x interval), the temperatures come every minute (every two at the\n"
    "10 s interval). By default an hour at 5 s in 14 laps; a full logger:\n"
    "--main 16100 --temp 1350 --laps 200 (22 h at 5 s; 45 h at 10 s with --interval 10).\n"
    "  --seed N       data seed (same seed, same data; default 1)\n"
    "  --main N       main-data records (default 720)\n"
    "  --temp N       temperature records (default 60)\n"
    "  --no-temp      no temperature option fitted\n"
    "  --laps N       laps (default 14)\n"
    "  --interval S   recording interval in s: 1, 2, 5 or 10 (default 5)\n"
    "  --tyre MM      tyre circumference in mm (default 1800)\n"
    "  --battery H    battery initial capacity in hundredths of Ah (default 1250)\n"
    "  --instant      answer at once instead of at the 38400-baud line pace\n"
    "  --adapter-latency MS\n"
    "                 hold each answer MS ms after its first character, then send it in one\n"
    "                 burst, as a USB serial adapter with a latency timer does (FTDI: 16)\n"
    "  --bad-answers N\n"
    "                 a noisy line: one answer in N (at random, from the seed) has a\n"
    "                 character spoiled\n"
    "  --late-answers N\n"
    "                 a slow logger: one answer in N (at random, from the seed) comes 550 ms\n"
    "                 late, after its request was given up on\n"
    "  --link PATH    also make PATH a symbolic link to the device (removed on exit); PATH\n"
    "                 must be free or a symbolic link already\n"
    "Exit status: 0 after SIGINT, SIGTERM or SIGHUP; 1 when the pseudo-terminal or the link\n"
    "cannot be made; 2 on a usage error.\n";

// Points `link` at `target`. Only a symbolic link is replaced: anything else at that path
// (a file, a folder, a device) stays and the result is an error text.
std::string MakeLink(const std::string& link, const std::string& target) {
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) return link + " exists and is not a symbolic link; not replaced";
        if (::unlink(link.c_str()) != 0)
            return "cannot remove " + link + ": " + std::strerror(errno);
    } else if (errno != ENOENT) {
        return "cannot look at " + link + ": " + std::strerror(errno);
    }
    if (::symlink(target.c_str(), link.c_str()) != 0) {
        return "cannot link " + link + ": " + std::strerror(errno);
    }
    return {};
}

// Removes `link` if it still points at `target` (another simulator may have taken it over).
void RemoveLink(const std::string& link, const std::string& target) {
    char buf[4096];
    const ssize_t n = ::readlink(link.c_str(), buf, sizeof buf);
    if (n >= 0 && std::string(buf, static_cast<std::size_t>(n)) == target) ::unlink(link.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    ybsim::Options options;
    std::string link;
    try {
        for (int i = 1; i < argc; ++i) {
            std::string arg = argv[i];
            auto next = [&]() -> std::string {
                if (i + 1 >= argc) throw std::invalid_argument(arg + " needs a value");
                return argv[++i];
            };
            auto number = [&] { return std::stol(next(), nullptr, 0); };
            if (arg == "--help" || arg == "-h") {
                std::cout << kUsage;
                return 0;
            } else if (arg == "--seed") {
                options.seed = static_cast<std::uint32_t>(number());
            } else if (arg == "--main") {
                options.mainCount = number();
            } else if (arg == "--temp") {
                options.tempCount = number();
            } else if (arg == "--no-temp") {
                options.tempFitted = false;
            } else if (arg == "--laps") {
                options.lapCount = number();
            } else if (arg == "--interval") {
                options.interval = static_cast<int>(number());
            } else if (arg == "--tyre") {
                options.tyreMm = static_cast<std::uint32_t>(number());
            } else if (arg == "--battery") {
                options.batteryCah = static_cast<std::uint16_t>(number());
            } else if (arg == "--instant") {
                options.instant = true;
            } else if (arg == "--adapter-latency") {
                options.adapterLatencyMs = static_cast<int>(number());
                if (options.adapterLatencyMs < 0) throw std::invalid_argument(arg + " < 0");
            } else if (arg == "--bad-answers") {
                options.badAnswerEvery = number();
            } else if (arg == "--late-answers") {
                options.lateAnswerEvery = number();
            } else if (arg == "--link") {
                link = next();
            } else {
                throw std::invalid_argument("unknown option " + arg);
            }
        }
    } catch (const std::exception& e) {
        std::cerr << "yb-logger-sim: " << e.what() << "\n" << kUsage;
        return 2;
    }

    // Block the stop signals before the worker thread exists, then wait for them here.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    ybsim::LoggerSim sim(options);
    try {
        sim.start();
    } catch (const std::exception& e) {
        std::cerr << "yb-logger-sim: " << e.what() << "\n";
        return 1;
    }
    std::string path = sim.slavePath();
    if (!link.empty()) {
        if (const std::string error = MakeLink(link, path); !error.empty()) {
            std::cerr << "yb-logger-sim: " << error << "\n";
            return 1;
        }
    }
    std::cout << path << std::endl;

    int sig = 0;
    sigwait(&stopSignals, &sig);
    sim.stop();
    if (!link.empty()) RemoveLink(link, path);
    return 0;
}
