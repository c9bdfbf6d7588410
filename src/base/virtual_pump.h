#pragma once
// A deterministic event pump with a virtual clock. Each pass advances the clock by the nominal
// pass duration; timers and scheduled events fire when the clock reaches them. Long waits jump
// straight to the next due event, so a wait of a million passes costs only the events in it.

#include <map>
#include <vector>

#include "base/event_pump.h"

namespace qsp {

class VirtualPump : public EventPump {
public:
    void RunOnce() override;
    std::uint64_t RunPasses(std::uint64_t passes, const std::function<bool()>& stop) override;
    Clock Now() const override { return now_; }
    TimerId StartTimer(Clock interval, std::function<void()> callback) override;
    void StopTimer(TimerId id) override;

    // Runs `callback` once, when the clock reaches `at` (or at the next pass if already past).
    void ScheduleAt(Clock at, std::function<void()> callback);
    void ScheduleAfter(Clock delay, std::function<void()> callback) {
        ScheduleAt(now_ + delay, std::move(callback));
    }

    // Advances the clock by `duration` without a stop condition.
    void Advance(Clock duration);

private:
    struct Timer {
        Clock interval;
        Clock due;
        std::function<void()> callback;
    };
    // Fires everything due at or before now_; true if anything ran.
    bool FireDue();
    // Earliest due time of a timer or event, or a huge value.
    Clock NextDue() const;

    Clock now_{0};
    int nextTimerId_ = 1;
    std::map<TimerId, Timer> timers_;
    std::multimap<Clock, std::function<void()>> events_;
};

}  // namespace qsp
