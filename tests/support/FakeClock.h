#pragma once
// A clock that only moves when its owner moves it, and the loop that runs a coroutine on it.
//
// FakeTime is the exchange's clock and the line's schedule in one: characters arrive and the
// exchange wakes up in the order of their instants, and nothing waits on the wall clock.
// Coroutines resume right inside the events, so a whole exchange or download runs in one call of
// RunFake(). No test framework: the fuzz targets use it too.

#include <chrono>
#include <exception>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <utility>

#include <qcoro/qcorotask.h>

#include "serial/Line.h"

namespace yb::test {

using namespace std::chrono_literals;

class FakeTime : public LineClock {
public:
    TimePoint now() const override { return now_; }
    void wakeAt(TimePoint when) override { wake_ = when; }
    void stopWake() override { wake_.reset(); }

    void at(TimePoint when, std::function<void()> event) {
        events_.emplace(when, std::move(event));
    }
    // Runs the earliest event, a delivery or the wake-up; false when nothing is left.
    bool step() {
        const bool delivery = !events_.empty() && (!wake_ || events_.begin()->first <= *wake_);
        if (delivery) {
            auto event = events_.extract(events_.begin());
            now_ = std::max(now_, event.key());
            event.mapped()();
            return true;
        }
        if (!wake_) return false;
        now_ = std::max(now_, *std::exchange(wake_, std::nullopt));
        if (onWake) onWake();
        return true;
    }
    // Moves time on to `when`, running everything due by then.
    void runTo(TimePoint when) {
        while ((!events_.empty() && events_.begin()->first <= when) || (wake_ && *wake_ <= when)) {
            step();
        }
        now_ = std::max(now_, when);
    }

private:
    TimePoint now_ = TimePoint(1h);  // any instant; the steady clock's are not near its zero
    std::optional<TimePoint> wake_;
    std::multimap<TimePoint, std::function<void()>> events_;
};

// Runs until the task has ended; its result, or its exception rethrown. Throws when time runs out
// of events first.
template <typename T>
T RunFake(FakeTime& time, QCoro::Task<T>&& task) {
    std::optional<T> result;
    std::exception_ptr error;
    auto keep = [](QCoro::Task<T>& t, std::optional<T>& r, std::exception_ptr& e) -> QCoro::Task<> {
        try {
            r.emplace(co_await t);
        } catch (...) {
            e = std::current_exception();
        }
    }(task, result, error);
    while (!result && !error && time.step()) {
    }
    if (error) std::rethrow_exception(error);
    if (!result) throw std::logic_error("the task never ended");
    return std::move(*result);
}

}  // namespace yb::test
