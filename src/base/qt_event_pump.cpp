#include "base/qt_event_pump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>

namespace qsp {

QtEventPump::QtEventPump() {
    clock_.start();
    wake_.setSingleShot(true);
    wake_.setTimerType(Qt::PreciseTimer);
}

QtEventPump::~QtEventPump() = default;

EventPump::Clock QtEventPump::Now() const {
    return Clock(clock_.nsecsElapsed() / 1000);
}

void QtEventPump::RunOnce() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

std::uint64_t QtEventPump::RunPasses(std::uint64_t passes, const std::function<bool()>& stop) {
    const Clock start = Now();
    const Clock budget = kPassDuration * static_cast<Clock::rep>(passes);
    auto elapsedPasses = [&] {
        const auto used = static_cast<std::uint64_t>((Now() - start) / kPassDuration);
        return std::min(used, passes);
    };
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (stop && stop()) return std::max<std::uint64_t>(1, elapsedPasses());
        const Clock used = Now() - start;
        if (used >= budget) return passes;
        // Sleep in the event loop until something happens or the time is up. Timers (the 10 ms
        // receive poll among them) and input wake it.
        const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(
            budget - used + std::chrono::microseconds(999));
        wake_.start(static_cast<int>(std::clamp<std::int64_t>(remaining.count(), 1, 1000)));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        wake_.stop();
    }
}

EventPump::TimerId QtEventPump::StartTimer(Clock interval, std::function<void()> callback) {
    const TimerId id = nextId_++;
    auto timer = std::make_unique<QTimer>();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(interval).count();
    timer->setInterval(static_cast<int>(std::max<std::int64_t>(1, ms)));
    QObject::connect(timer.get(), &QTimer::timeout, [cb = std::move(callback)] { cb(); });
    timer->start();
    timers_[id] = std::move(timer);
    return id;
}

void QtEventPump::StopTimer(TimerId id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    it->second->stop();
    // The timer may be stopping itself from inside its own callback: delete it later.
    it->second.release()->deleteLater();
    timers_.erase(it);
}

}  // namespace qsp
