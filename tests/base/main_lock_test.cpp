#include <gtest/gtest.h>

#include <vector>

#include "base/main_lock.h"
#include "base/virtual_pump.h"

namespace qsp {
namespace {

struct RecordingView : MainView {
    std::vector<std::pair<bool, int>> locks;
    void AddMessage(const std::string&) override {}
    void SetLocked(bool locked, int focus) override { locks.emplace_back(locked, focus); }
    void SetProgress(int, int) override {}
    void SetSearchText(const std::string&, bool) override {}
    void SetDelayBox(const std::string&) override {}
    void RefreshLinkLabel() override {}
};

TEST(MainLock, TheReceivePollRunsEveryTenMillisecondsOnlyWhileLocked) {
    RecordingView view;
    VirtualPump pump;
    MainLock lock(view, pump);
    int polls = 0;
    lock.SetReceivePoll([&] { ++polls; });

    pump.Advance(std::chrono::milliseconds(100));
    EXPECT_EQ(polls, 0);
    // Locking twice keeps one poll, not two.
    lock.LockMainWindow();
    lock.LockMainWindow();
    pump.Advance(std::chrono::milliseconds(100));
    EXPECT_EQ(polls, 10);
    lock.UnlockMainWindow(kButtonTest);
    pump.Advance(std::chrono::milliseconds(100));
    EXPECT_EQ(polls, 10);
    EXPECT_EQ(view.locks.back(), std::make_pair(false, int{kButtonTest}));
}

}  // namespace
}  // namespace qsp
