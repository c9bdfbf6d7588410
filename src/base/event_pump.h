#pragma once
// The one way the program lets pending events run while it waits.
//
// Every wait in the program is counted in "passes": one pass lets pending window events (and
// timers that are due) run once. The program's pump gives a pass a fixed nominal duration and
// blocks in the event loop instead of spinning; the test pump advances a virtual clock, so
// protocol code behaves the same in both and tests never sleep.

#include <chrono>
#include <cstdint>
#include <functional>

namespace qsp {

class EventPump {
public:
    using Clock = std::chrono::microseconds;
    using TimerId = int;

    // Nominal duration of one pass in the program.
    static constexpr Clock kPassDuration{5};

    virtual ~EventPump() = default;

    // Lets pending events run once: one pass.
    virtual void RunOnce() = 0;

    // Runs up to `passes` passes, stopping early as soon as `stop` (checked whenever events have
    // run) returns true. Returns the number of passes that elapsed. A null `stop` runs them all.
    virtual std::uint64_t RunPasses(std::uint64_t passes, const std::function<bool()>& stop) = 0;

    // Time since the pump was made, in microseconds (virtual in tests).
    virtual Clock Now() const = 0;

    // Repeating timer that fires during passes. An interval of zero is not allowed.
    virtual TimerId StartTimer(Clock interval, std::function<void()> callback) = 0;
    virtual void StopTimer(TimerId id) = 0;
};

}  // namespace qsp
