#include "base/virtual_pump.h"

#include <limits>

namespace qsp {

bool VirtualPump::FireDue() {
    // Events and timers may schedule or stop others; re-read the state after each call. A pump
    // pass inside a callback (a nested wait) advances the clock and fires what is due then.
    bool ran = false;
    for (;;) {
        auto ev = events_.begin();
        if (ev != events_.end() && ev->first <= now_) {
            auto callback = std::move(ev->second);
            events_.erase(ev);
            callback();
            ran = true;
            continue;
        }
        bool fired = false;
        for (auto& [id, timer] : timers_) {
            if (timer.due <= now_) {
                timer.due += timer.interval;
                if (timer.due <= now_) timer.due = now_ + timer.interval;
                auto callback = timer.callback;  // the timer may stop itself
                callback();
                ran = fired = true;
                break;
            }
        }
        if (!fired) break;
    }
    return ran;
}

EventPump::Clock VirtualPump::NextDue() const {
    Clock next{std::numeric_limits<Clock::rep>::max()};
    if (!events_.empty()) next = std::min(next, events_.begin()->first);
    for (const auto& [id, timer] : timers_)
        next = std::min(next, timer.due);
    return next;
}

void VirtualPump::RunOnce() {
    now_ += kPassDuration;
    FireDue();
}

std::uint64_t VirtualPump::RunPasses(std::uint64_t passes, const std::function<bool()>& stop) {
    const Clock pass = kPassDuration;
    std::uint64_t done = 0;
    while (done < passes) {
        // Jump over passes in which nothing is due: they cannot change anything.
        const Clock next = NextDue();
        std::uint64_t skip = 0;
        if (next > now_ + pass) {
            skip = static_cast<std::uint64_t>((next - now_ - pass).count() / pass.count());
            skip = std::min(skip, passes - done - 1);
        }
        now_ += pass * static_cast<Clock::rep>(skip + 1);
        done += skip + 1;
        FireDue();
        if (stop && stop()) break;
    }
    return done;
}

EventPump::TimerId VirtualPump::StartTimer(Clock interval, std::function<void()> callback) {
    if (interval.count() <= 0) interval = kPassDuration;
    const TimerId id = nextTimerId_++;
    timers_[id] = Timer{interval, now_ + interval, std::move(callback)};
    return id;
}

void VirtualPump::StopTimer(TimerId id) {
    timers_.erase(id);
}

void VirtualPump::ScheduleAt(Clock at, std::function<void()> callback) {
    events_.emplace(at, std::move(callback));
}

void VirtualPump::Advance(Clock duration) {
    const auto passes = static_cast<std::uint64_t>(duration.count() / kPassDuration.count());
    RunPasses(passes, nullptr);
}

}  // namespace qsp
