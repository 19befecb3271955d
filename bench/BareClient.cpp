#include "BareClient.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

std::string Hex(long value, int width) {
    char text[32];
    std::snprintf(text, sizeof text, "%0*lX", width, value);
    return text;
}

}  // namespace

bool BareDownload(const std::string& device, long main, long temp, long laps) {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) return false;
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
    bool ok = true;
    // `length`: the answer's characters, 0 for a command exchange and its fixed wait.
    const auto ask = [&](const std::string& command, std::size_t length) {
        if (!ok) return;
        tcflush(fd, TCIFLUSH);
        const std::string line = command + '\r';
        ok = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
        if (length == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            tcflush(fd, TCIFLUSH);
            return;
        }
        char buf[64];
        for (std::size_t got = 0; ok && got < length;) {
            pollfd p{fd, POLLIN, 0};
            const auto n = ::poll(&p, 1, 500) > 0 ? ::read(fd, buf, sizeof buf) : -1;
            ok = n > 0;
            if (ok) got += static_cast<std::size_t>(n);
        }
    };
    ask("T??", 0);
    ask("D1?", 0);
    for (long i = 0; i < main; ++i) ask("D1" + Hex(i, 4), 17);
    ask("TMP?", 0);
    ask("D2?", 0);
    for (long i = 0; i < temp; ++i) ask("D2" + Hex(i, 4), 3);
    ask("L?", 0);
    for (long lap = 1; lap <= laps; ++lap) ask("LD" + Hex(lap, 2), 9);
    ::close(fd);
    return ok;
}
