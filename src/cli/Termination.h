#pragma once
// The program was asked to end from outside, and by which signal.
//
// Ctrl+C (SIGINT), a termination request (SIGTERM: `kill`, a service manager, a system shutting
// down) and the loss of the terminal (SIGHUP; on Windows the console window closed, logged off or
// shut down) are caught while a Termination lives. The signal handler only notes the first signal
// and wakes the event loop (POSIX: one byte into a pipe that a QSocketNotifier watches; Windows:
// an event object that a QWinEventNotifier watches), so `requested` is emitted from the event loop
// at once, never from inside the handler. The shells answer it: the command line cancels its
// operation, the window ends without questions; both end with exitCode().
//
// A signal that was ignored when the Termination was made (SIGHUP under nohup) stays ignored. One
// Termination at a time; its destruction puts back what was there before.

#include <QObject>

#include <memory>

namespace yb {

class Termination : public QObject {
    Q_OBJECT
public:
    enum class Cause { None, Interrupt, Terminate, HangUp };

    explicit Termination(QObject* parent = nullptr);
    ~Termination() override;
    Termination(const Termination&) = delete;
    Termination& operator=(const Termination&) = delete;

    // The first request so far; None before any.
    Cause cause() const;
    bool requested() const { return cause() != Cause::None; }
    // kExitInterrupted, kExitTerminated or kExitHungUp for the cause; 0 before any request.
    int exitCode() const;

signals:
    // Emitted once, for the first request, from the event loop.
    void ended(yb::Termination::Cause cause);

private:
    void wake();

    struct Watch;
    std::unique_ptr<Watch> watch_;
    bool told_ = false;
};

}  // namespace yb
