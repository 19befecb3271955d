#include "cli/Termination.h"

#include <atomic>
#include <csignal>
#include <cstddef>
#include <iterator>

#include "cli/ExitCodes.h"

#ifdef Q_OS_WIN
#include <windows.h>
#include <QWinEventNotifier>
#else
#include <fcntl.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <cerrno>
#endif

namespace yb {

namespace {

using Cause = Termination::Cause;

// The first cause, as an int: written by a signal handler, read by the event loop. A lock-free
// atomic is safe to touch in a handler.
std::atomic<int> gCause{0};
static_assert(std::atomic<int>::is_always_lock_free);

void Note(Cause cause) {
    int none = static_cast<int>(Cause::None);
    gCause.compare_exchange_strong(none, static_cast<int>(cause));
}

#ifdef Q_OS_WIN

// Set by the handlers, watched by the event loop.
HANDLE gWake = nullptr;
// Set when the Termination ends: the console handler may return then.
HANDLE gDone = nullptr;

// The C runtime calls this on its own thread for Ctrl+C, and resets the handler before it does.
extern "C" void __cdecl OnSignal(int signal) {
    Note(signal == SIGINT ? Cause::Interrupt : Cause::Terminate);
    std::signal(signal, OnSignal);
    SetEvent(gWake);
}

// The console window closed, or the user logged off, or the system shuts down: Windows' hang-up.
// Ctrl+C and Ctrl+Break are left to the C runtime's handler, which calls OnSignal.
BOOL WINAPI OnConsoleEnd(DWORD event) {
    if (event != CTRL_CLOSE_EVENT && event != CTRL_LOGOFF_EVENT && event != CTRL_SHUTDOWN_EVENT) {
        return FALSE;
    }
    Note(Cause::HangUp);
    SetEvent(gWake);
    // The system ends the process as soon as this returns (and after about five seconds in any
    // case): wait until the program has cancelled its operation, saved and closed the port.
    WaitForSingleObject(gDone, 4500);
    return TRUE;
}

constexpr int kSignals[] = {SIGINT, SIGTERM};

#else

// The pipe's write end, for the handler.
volatile std::sig_atomic_t gWakeFd = -1;

extern "C" void OnSignal(int signal) {
    const int saved = errno;
    Note(signal == SIGINT    ? Cause::Interrupt
         : signal == SIGTERM ? Cause::Terminate
                             : Cause::HangUp);
    // The pipe does not block: when it is full, a wake-up is waiting already.
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = ::write(gWakeFd, &byte, 1);
    errno = saved;
}

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

#endif

constexpr std::size_t kWatched = std::size(kSignals);

}  // namespace

#ifdef Q_OS_WIN

struct Termination::Watch {
    using Handler = void(__cdecl*)(int);
    Handler before[kWatched] = {};
    bool caught[kWatched] = {};
    bool console = false;
    std::unique_ptr<QWinEventNotifier> notifier;
};

Termination::Termination(QObject* parent) : QObject(parent), watch_(std::make_unique<Watch>()) {
    gCause = static_cast<int>(Cause::None);
    // Made once and kept: a console handler may still be waiting on gDone while the program ends.
    if (!gWake) gWake = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!gDone) gDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!gWake || !gDone) return;
    ResetEvent(gWake);
    ResetEvent(gDone);
    watch_->notifier = std::make_unique<QWinEventNotifier>(gWake);
    connect(watch_->notifier.get(), &QWinEventNotifier::activated, this, [this] {
        ResetEvent(gWake);
        wake();
    });
    for (std::size_t i = 0; i < kWatched; ++i) {
        const Watch::Handler before = std::signal(kSignals[i], OnSignal);
        if (before == SIG_IGN || before == SIG_ERR) {
            if (before == SIG_IGN) std::signal(kSignals[i], SIG_IGN);
            continue;
        }
        watch_->before[i] = before;
        watch_->caught[i] = true;
    }
    watch_->console = SetConsoleCtrlHandler(OnConsoleEnd, TRUE) != 0;
}

Termination::~Termination() {
    for (std::size_t i = 0; i < kWatched; ++i) {
        if (watch_->caught[i]) std::signal(kSignals[i], watch_->before[i]);
    }
    if (watch_->console) SetConsoleCtrlHandler(OnConsoleEnd, FALSE);
    watch_->notifier.reset();
    if (gDone) SetEvent(gDone);
}

#else

struct Termination::Watch {
    int pipe[2] = {-1, -1};
    struct sigaction before[kWatched] = {};
    bool caught[kWatched] = {};
    std::unique_ptr<QSocketNotifier> notifier;
};

Termination::Termination(QObject* parent) : QObject(parent), watch_(std::make_unique<Watch>()) {
    gCause = static_cast<int>(Cause::None);
    // Without a pipe there is no wake-up: the signals keep their default action.
    if (::pipe(watch_->pipe) != 0) return;
    for (const int fd : watch_->pipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    gWakeFd = watch_->pipe[1];
    watch_->notifier = std::make_unique<QSocketNotifier>(watch_->pipe[0], QSocketNotifier::Read);
    connect(watch_->notifier.get(), &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(watch_->pipe[0], bytes, sizeof bytes) > 0) {
        }
        wake();
    });

    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals) sigaddset(&action.sa_mask, signal);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kWatched; ++i) {
        struct sigaction& before = watch_->before[i];
        if (::sigaction(kSignals[i], nullptr, &before) != 0) continue;
        if ((before.sa_flags & SA_SIGINFO) == 0 && before.sa_handler == SIG_IGN) continue;
        watch_->caught[i] = ::sigaction(kSignals[i], &action, nullptr) == 0;
    }
}

Termination::~Termination() {
    for (std::size_t i = 0; i < kWatched; ++i) {
        if (watch_->caught[i]) ::sigaction(kSignals[i], &watch_->before[i], nullptr);
    }
    gWakeFd = -1;
    watch_->notifier.reset();
    for (const int fd : watch_->pipe) {
        if (fd >= 0) ::close(fd);
    }
}

#endif

Termination::Cause Termination::cause() const {
    return static_cast<Cause>(gCause.load());
}

int Termination::exitCode() const {
    switch (cause()) {
        case Cause::Interrupt:
            return kExitInterrupted;
        case Cause::Terminate:
            return kExitTerminated;
        case Cause::HangUp:
            return kExitHungUp;
        case Cause::None:
            break;
    }
    return kExitSuccess;
}

void Termination::wake() {
    if (told_ || !requested()) return;
    told_ = true;
    emit ended(cause());
}

}  // namespace yb
