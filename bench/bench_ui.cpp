// The window thread while the scanner works: with the program's Qt event pump and the virtual
// scanner at 115,200 baud, Setup (connect and read), Parameters Update, a KTX-type update and a
// Y-modem update of 64 KiB run one after the other, while a 1 ms timer notes every turn of the
// event loop. The longest time between two turns is how long the window could not repaint or
// take a click. Prints one line per operation and, last, the longest of them; the goal is at most
// 20 ms. Passes unless it crashes.
//
// Some of a gap may be the machine's doing rather than the window thread's:
// - other processes held the processor while the window thread was ready to run; the kernel
//   counts that time for each thread (/proc/thread-self/schedstat);
// - the whole processor was taken away (a virtual machine's processor paused by its host), which
//   no count inside the machine shows. An idle peer thread on the same processor, waking every
//   millisecond and doing nothing else, sees that as a silence of its own at the same moment.
// The stall is the gap less the larger of the two; the raw gap is printed beside it.

#include <pthread.h>
#include <sched.h>
#include <time.h>
#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "app/main_operations.h"
#include "link/program_rig.h"
#include "link/sim_process.h"
#include "update/firmware_update.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kFileSize = 64 * 1024;
constexpr double kGoalMs = 20;
constexpr double kPeerPeriodMs = 1;

double NowMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// One wake of a thread: when, and its running totals of processor time and of time spent ready
// but waiting for a processor, in ms.
struct Mark {
    double at = 0, cpu = 0, waiting = 0;
};
Mark MarkNow() {
    Mark m;
    std::ifstream in("/proc/thread-self/schedstat");
    double cpuNs = 0, waitNs = 0;
    if (in >> cpuNs >> waitNs) m.cpu = cpuNs / 1e6, m.waiting = waitNs / 1e6;
    m.at = NowMs();
    return m;
}

// Pins the calling thread to one processor until destroyed.
class Pinned {
public:
    explicit Pinned(int cpu) {
        pthread_getaffinity_np(pthread_self(), sizeof saved_, &saved_);
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(cpu, &one);
        pthread_setaffinity_np(pthread_self(), sizeof one, &one);
    }
    ~Pinned() { pthread_setaffinity_np(pthread_self(), sizeof saved_, &saved_); }

private:
    cpu_set_t saved_;
};

// A thread on the window thread's processor that sleeps a millisecond at a time and notes each
// wake.
class IdlePeer {
public:
    explicit IdlePeer(int cpu) {
        marks_.reserve(1 << 16);
        thread_ = std::thread([this, cpu] {
            Pinned pin(cpu);
            const timespec period{0, static_cast<long>(kPeerPeriodMs * 1e6)};
            marks_.push_back(MarkNow());
            while (!stop_.load(std::memory_order_acquire)) {
                clock_nanosleep(CLOCK_MONOTONIC, 0, &period, nullptr);
                if (marks_.size() < marks_.capacity()) marks_.push_back(MarkNow());
            }
            marks_.push_back(MarkNow());
        });
    }
    // Stops the thread and hands over its wakes.
    std::vector<Mark> Finish() {
        stop_.store(true, std::memory_order_release);
        thread_.join();
        return std::move(marks_);
    }

private:
    std::vector<Mark> marks_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Within [from, to], the longest time the peer could not run although it was neither waiting for
// a processor nor asleep by its own choice.
double PeerSilence(const std::vector<Mark>& peer, double from, double to) {
    double longest = 0;
    auto it = std::lower_bound(peer.begin(), peer.end(), from,
                               [](const Mark& m, double t) { return m.at < t; });
    if (it != peer.begin()) --it;
    for (; it + 1 < peer.end() && it->at < to; ++it) {
        const Mark& a = *it;
        const Mark& b = *(it + 1);
        const double unexplained = (b.at - a.at) - (b.waiting - a.waiting) - kPeerPeriodMs;
        const double overlap = std::min(b.at, to) - std::max(a.at, from);
        longest = std::max(longest, std::min(unexplained, overlap));
    }
    return std::max(0.0, longest);
}

// Notes every turn of the event loop while an operation runs, then measures its gaps.
class StallProbe {
public:
    StallProbe() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Turn(); });
        marks_.reserve(1 << 16);
    }
    void Start() {
        marks_.clear();
        Turn();
        timer_.start();
    }
    // Stops and counts the time since the last turn too.
    void Stop() {
        Turn();
        timer_.stop();
    }
    struct Result {
        double longestGap = 0;  // as the clock saw it
        double longestOwn = 0;  // less the machine's share
        double ownCpu = 0;      // processor time spent in that gap
    };
    Result Measure(const std::vector<Mark>& peer) const {
        Result r;
        for (std::size_t i = 1; i < marks_.size(); ++i) {
            const Mark& a = marks_[i - 1];
            const Mark& b = marks_[i];
            const double gap = b.at - a.at;
            const double machine = std::max(b.waiting - a.waiting, PeerSilence(peer, a.at, b.at));
            r.longestGap = std::max(r.longestGap, gap);
            if (gap - machine > r.longestOwn) {
                r.longestOwn = gap - machine;
                r.ownCpu = b.cpu - a.cpu;
            }
        }
        return r;
    }

private:
    void Turn() {
        if (marks_.size() < marks_.capacity()) marks_.push_back(MarkNow());
    }
    QTimer timer_;
    std::vector<Mark> marks_;
};

using Program = qsptest::ProgramRig<qsp::MainOperations>;

void WriteFile(const fs::path& path, unsigned seed) {
    std::ofstream out(path, std::ios::binary);
    for (std::size_t i = 0; i < kFileSize; ++i)
        out.put(static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qsptest::Folder dir;
    {
        qsp::AppSettings s = qsp::LoadSettingsFile(dir.path);
        s.BaudRate = "115200";
        s.Rs232Delay = 200;
        qsp::SaveSettingsFile(dir.path, s);
    }
    WriteFile(dir.path / "KTXA.bin", 11);
    WriteFile(dir.path / "fw.bin", 5);
    StallProbe probe;
    double worst = 0, worstGap = 0;
    // Runs `op` against a scanner of its own; the scanner's start and `prepare` go before the
    // clock runs.
    const auto measure = [&](const char* name, std::vector<std::string> simOptions,
                             const std::function<bool(Program&)>& op,
                             const std::function<bool(Program&)>& prepare = nullptr) {
        simOptions.insert(simOptions.end(), {"--baud", "115200"});
        qsptest::Sim sim(dir.path, simOptions);
        if (!sim.Ready()) {
            std::printf("%-20s not run: qsp-scanner-sim did not start\n", name);
            return;
        }
        Program program(dir.path);
        if (prepare && !prepare(program)) {
            std::printf("%-20s not run: its preparation failed\n", name);
            return;
        }
        // The window thread and its idle peer share one processor while the clock runs; the
        // scanner, started before, may use any.
        const int cpu = std::max(0, sched_getcpu());
        StallProbe::Result r;
        bool ok = false;
        double ms = 0;
        {
            Pinned pin(cpu);
            IdlePeer peer(cpu);
            const double start = NowMs();
            probe.Start();
            ok = op(program);
            probe.Stop();
            ms = NowMs() - start;
            r = probe.Measure(peer.Finish());
        }
        std::printf(
            "%-18s %s in %7.1f ms; window-thread stall %5.1f ms (%.1f ms on the "
            "processor); longest gap with the machine's share %5.1f ms\n",
            name, ok ? "done  " : "FAILED", ms, r.longestOwn, r.ownCpu, r.longestGap);
        worst = std::max(worst, r.longestOwn);
        worstGap = std::max(worstGap, r.longestGap);
    };

    measure("Setup", {}, [](Program& p) {
        const bool opened = p.Setup();
        if (opened) p.link.CloseScannerLink(qsp::kRs232);
        return opened;
    });
    // What the settings window's Parameters Update does after its question, on the link Setup
    // left open: the write and the end of the link.
    measure(
        "Parameters Update", {},
        [](Program& p) {
            const bool ok =
                p.link.WriteParameters(qsp::kRs232) && p.link.CloseScannerLink(qsp::kRs232);
            p.lock.UnlockMainWindow(qsp::kButtonSetup);
            return ok;
        },
        [](Program& p) { return p.Setup(); });
    const auto update = [&](const char* name, int type, const fs::path& file) {
        measure(name, {"--update-out", (dir.path / "received.bin").string()}, [&](Program& p) {
            qsp::FirmwareUpdate run(p.state, p.pump, p.view, p.lock, p.prompt, p.text, p.link);
            run.SetSettingsWindow([&](qsp::UpdateSettingsMode) {
                p.state.Settings.UpdateFilesPath = file.string();
                p.state.UpdateType = type;
                p.state.UpdateConfirmed = true;
            });
            bool succeeded = false;
            run.SetSuccessWindow([&] { succeeded = true; });
            run.ScannerUpdateCommand();
            return succeeded;
        });
    };
    update("KTX-type update", qsp::kUpdateKtx, dir.path / "KTXA.bin");
    update("Y-modem update", qsp::kUpdateYmodem, dir.path / "fw.bin");
    std::printf("longest gap with the machine's share: %.0f ms\n", worstGap);
    std::printf("longest window-thread stall: %.0f ms (goal: at most %.0f ms)\n", worst, kGoalMs);
    return 0;
}
