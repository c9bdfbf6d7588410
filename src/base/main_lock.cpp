#include "base/main_lock.h"

namespace qsp {

void MainLock::LockMainWindow() {
    locked_ = true;
    view_.SetLocked(true, 0);
    StopPoll();
    timer_ = pump_.StartTimer(kPollInterval, [this] {
        if (poll_) poll_();
    });
}

void MainLock::UnlockMainWindow(int focusButton) {
    locked_ = false;
    view_.SetLocked(false, focusButton);
    StopPoll();
}

void MainLock::StopPoll() {
    if (timer_ != 0) pump_.StopTimer(timer_);
    timer_ = 0;
}

}  // namespace qsp
