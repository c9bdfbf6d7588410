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

TEST(VirtualPump, WaitsEndEarlyWhenTheirConditionHoldsAndOtherwiseRunTheirFullCount) {
    VirtualPump pump;
    int fired = 0;
    pump.ScheduleAfter(std::chrono::milliseconds(3), [&] { ++fired; });
    // 1000 passes of 5 us: the event at 3 ms is inside; the wait ends when it has fired.
    const auto used = pump.RunPasses(1000, [&] { return fired > 0; });
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(used, 600u);
    EXPECT_EQ(pump.Now(), std::chrono::milliseconds(3));

    // Nothing due: the full count passes and the clock moves by it.
    EXPECT_EQ(pump.RunPasses(300001, [] { return false; }), 300001u);
    EXPECT_EQ(pump.Now(), std::chrono::milliseconds(3) + std::chrono::microseconds(1500005));
}

}  // namespace
}  // namespace qsp
