#include <gtest/gtest.h>

#include <vector>

#include "app/main_lock.h"
#include "app/virtual_pump.h"

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

    lock.LockMainWindow();
    EXPECT_TRUE(lock.Locked());
    pump.Advance(std::chrono::milliseconds(100));
    EXPECT_EQ(polls, 10);

    lock.UnlockMainWindow(kButtonTest);
    EXPECT_FALSE(lock.Locked());
    pump.Advance(std::chrono::milliseconds(100));
    EXPECT_EQ(polls, 10);

    // Locking twice keeps one poll, not two.
    lock.LockMainWindow();
    lock.LockMainWindow();
    pump.Advance(std::chrono::milliseconds(50));
    EXPECT_EQ(polls, 15);
    lock.UnlockMainWindow(kButtonSetup);

    ASSERT_EQ(view.locks.size(), 5u);
    EXPECT_EQ(view.locks[1], std::make_pair(false, int{kButtonTest}));
    EXPECT_EQ(view.locks[4], std::make_pair(false, int{kButtonSetup}));
}

}  // namespace
}  // namespace qsp
