#pragma once
// LockMainWindow / UnlockMainWindow: one operation at a time. While locked, the serial receive
// poll (Timer1) runs every 10 ms through the event pump.

#include <functional>

#include "base/event_pump.h"
#include "base/main_view.h"

namespace qsp {

class MainLock {
public:
    static constexpr EventPump::Clock kPollInterval = std::chrono::milliseconds(10);

    MainLock(MainView& view, EventPump& pump) : view_(view), pump_(pump) {}
    ~MainLock() { StopPoll(); }
    MainLock(const MainLock&) = delete;
    MainLock& operator=(const MainLock&) = delete;

    // What Timer1 runs while the window is locked (the serial receive poll).
    void SetReceivePoll(std::function<void()> poll) { poll_ = std::move(poll); }

    void LockMainWindow();
    void UnlockMainWindow(int focusButton);
    bool Locked() const { return locked_; }
    bool PollRunning() const { return timer_ != 0; }

private:
    void StopPoll();

    MainView& view_;
    EventPump& pump_;
    std::function<void()> poll_;
    EventPump::TimerId timer_ = 0;
    bool locked_ = false;
};

}  // namespace qsp
