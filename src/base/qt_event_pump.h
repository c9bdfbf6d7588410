#pragma once
// The program's event pump: a pass lets Qt's pending events run once and counts as the nominal
// pass duration. Waits block in the event loop until an event arrives or their time is up, so
// they neither spin a core nor freeze the window.

#include <QElapsedTimer>
#include <QTimer>
#include <map>
#include <memory>

#include "base/event_pump.h"

namespace qsp {

class QtEventPump : public EventPump {
public:
    QtEventPump();
    ~QtEventPump() override;

    void RunOnce() override;
    std::uint64_t RunPasses(std::uint64_t passes, const std::function<bool()>& stop) override;
    Clock Now() const override;
    TimerId StartTimer(Clock interval, std::function<void()> callback) override;
    void StopTimer(TimerId id) override;

private:
    QElapsedTimer clock_;
    QTimer wake_;
    int nextId_ = 1;
    std::map<TimerId, std::unique_ptr<QTimer>> timers_;
};

}  // namespace qsp
