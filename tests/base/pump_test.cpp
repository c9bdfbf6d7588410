// The event pumps: passes, timers and stop conditions on the virtual clock, and the program's
// pump blocking in the event loop for the nominal time of its passes.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QTimer>
#include <chrono>

#include "base/qt_event_pump.h"
#include "base/virtual_pump.h"

namespace {

using qsp::EventPump;
using Clock = EventPump::Clock;
using namespace std::chrono_literals;

TEST(VirtualPump, TimersFireOnTimeAndAStopConditionEndsTheWaitAtItsEvent) {
    qsp::VirtualPump pump;
    std::vector<Clock> fired;
    const auto id = pump.StartTimer(10ms, [&] { fired.push_back(pump.Now()); });
    EXPECT_EQ(pump.RunPasses(9000, nullptr), 9000u);  // 45 ms
    EXPECT_EQ(fired, (std::vector<Clock>{10ms, 20ms, 30ms, 40ms}));
    pump.StopTimer(id);
    bool arrived = false;
    pump.ScheduleAfter(Clock(12347), [&] { arrived = true; });
    EXPECT_EQ(pump.RunPasses(1'000'000, [&] { return arrived; }),
              2470u);  // the first pass at or after
    EXPECT_EQ(pump.Now(), 45ms + EventPump::kPassDuration * 2470);
    EXPECT_EQ(fired.size(), 4u);
}

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "test_pump";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

TEST(QtEventPump, PassesTakeTheirNominalTimeWithoutSpinningAndEndAtTheirEvent) {
    App();
    qsp::QtEventPump pump;
    int polls = 0;
    const auto id = pump.StartTimer(10ms, [&] { ++polls; });
    const auto wall0 = std::chrono::steady_clock::now();
    const double cpu0 = CpuSeconds();
    EXPECT_EQ(pump.RunPasses(80'000, nullptr), 80'000u);  // 0.4 s
    const double wall = Seconds(wall0);
    EXPECT_GE(wall, 0.4);
    EXPECT_LT(wall, 0.6);
    EXPECT_LT((CpuSeconds() - cpu0) / wall, 0.10);
    EXPECT_GE(polls, 30);  // the 10 ms timer runs during the wait
    pump.StopTimer(id);

    bool arrived = false;
    QTimer::singleShot(30, [&] { arrived = true; });
    const auto wall1 = std::chrono::steady_clock::now();
    const auto passes = pump.RunPasses(400'000, [&] { return arrived; });  // up to 2 s
    EXPECT_LT(Seconds(wall1), 0.2);
    EXPECT_GE(passes, 5'000u);  // about 30 ms of passes
    EXPECT_LT(passes, 40'000u);
}

}  // namespace
