// Children under the supervisor: each ends with its own result or its own failure, and none
// takes another down.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <string>

#include "base/child_supervisor.h"

namespace {

using namespace std::chrono_literals;

bool WriteText(int fd, const std::string& text) {
    return ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

// Waits for every child but `leave` to end, at most `limit`.
std::map<int, qsp::ChildSupervisor::Ended> WaitAll(qsp::ChildSupervisor& s,
                                                   std::chrono::seconds limit, int leave = 0) {
    std::map<int, qsp::ChildSupervisor::Ended> ended;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (s.Running() > leave && std::chrono::steady_clock::now() < end) {
        for (auto& e : s.Wait(100ms, {}))
            ended[e.id] = e;
    }
    return ended;
}

TEST(ChildSupervisor, ACrashOrAHangFailsThatChildOnlyAndResultsArriveWhole) {
    qsp::ChildSupervisor s;
    const int good = s.Start([](int fd) { return WriteText(fd, "programmed\t3\n") ? 0 : 1; }, 20s);
    const int crash = s.Start(
        [](int fd) {
            WriteText(fd, "half a ");
            std::abort();
            return 0;
        },
        20s);
    const int hang = s.Start(
        [](int) {
            for (;;)
                ::pause();
            return 0;
        },
        1s);
    const int silent = s.Start([](int) { return 3; }, 20s);
    const int big =
        s.Start([](int fd) { return WriteText(fd, std::string(200000, 'x')) ? 0 : 1; }, 20s);
    ASSERT_GT(good, 0);
    EXPECT_EQ(s.Running(), 5);

    auto ended = WaitAll(s, 60s);
    ASSERT_EQ(ended.size(), 5u) << "children still running: " << s.Running();
    EXPECT_TRUE(ended[good].ok);
    EXPECT_EQ(ended[good].result, "programmed\t3\n");
    EXPECT_TRUE(ended[good].problem.empty());
    EXPECT_GT(ended[good].seconds, 0.0);

    EXPECT_FALSE(ended[crash].ok);
    EXPECT_EQ(ended[crash].problem.Text(),
              "the set-up process crashed (signal " + std::to_string(SIGABRT) + ")");
    EXPECT_FALSE(ended[hang].ok);
    EXPECT_EQ(ended[hang].problem.Text(), "no result within 1 s");
    EXPECT_GE(ended[hang].seconds, 1.0);
    EXPECT_EQ(ended[silent].problem.Text(), "the set-up process ended with status 3");
    EXPECT_EQ(ended[big].result.size(), 200000u);
}

TEST(ChildSupervisor, OtherDescriptorsWakeTheWaitAndStopsReachOnlyWhomTheParentEnds) {
    qsp::ChildSupervisor s;
    int p[2];
    ASSERT_EQ(::pipe(p), 0);
    const int waiting = s.Start(
        [](int) {
            ::pause();
            return 0;
        },
        60s);
    // A child that has its result back: the stop signals of a terminal or a service manager do
    // not end it.
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    const int finishes = s.Start(
        [&](int fd) {
            ::close(go[1]);
            char c;
            if (::read(go[0], &c, 1) != 1) return 1;
            return WriteText(fd, "done\n") ? 0 : 1;
        },
        60s);
    ::close(go[0]);
    ASSERT_TRUE(WriteText(p[1], "!"));
    std::vector<int> ready;
    s.Wait(10s, {p[0]}, &ready);
    EXPECT_EQ(ready, std::vector<int>{p[0]});
    s.SignalAll(SIGTERM);
    s.SignalAll(SIGINT);
    ASSERT_TRUE(WriteText(go[1], "!"));
    auto ended = WaitAll(s, 30s, 1);
    ASSERT_EQ(ended.count(finishes), 1u);
    EXPECT_TRUE(ended[finishes].ok);
    EXPECT_EQ(ended[finishes].result, "done\n");
    EXPECT_EQ(s.Running(), 1);

    s.StopAll();
    ended = WaitAll(s, 30s);
    ASSERT_EQ(ended.count(waiting), 1u);
    EXPECT_TRUE(ended[waiting].stopped);
    EXPECT_EQ(ended[waiting].problem.Text(), "the set-up process was stopped");
    ::close(go[1]);
    ::close(p[0]);
    ::close(p[1]);
}

}  // namespace
