// The window thread while the scanner works: with the program's Qt event pump and the virtual
// scanner at 115,200 baud, Setup (connect and read), Parameters Update, a KTX-type update and a
// Y-modem update of 64 KiB run one after the other, while a 1 ms timer notes every turn of the
// event loop. The longest time between two turns is how long the window could not repaint or
// take a click. Prints one line per operation and, last, the longest of them; the goal is at most
// 20 ms. Passes unless it crashes.
//
// On a loaded machine a gap may be the machine's doing (other processes held every core while
// the window thread was ready to run); the kernel counts that time (/proc/thread-self/schedstat)
// and the stall leaves it out. The longest gap including it is printed too.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>

#include "app/main_operations.h"
#include "base/main_lock.h"
#include "base/qt_event_pump.h"
#include "link/fakes.h"
#include "link/qt_serial_port.h"
#include "link/sim_process.h"
#include "update/firmware_update.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kFileSize = 64 * 1024;
constexpr double kGoalMs = 20;

// This thread's processor time and its time spent runnable but waiting for a processor, in ms.
struct SchedTimes {
    double cpu = 0, waiting = 0;
};
SchedTimes ThreadSchedTimes() {
    SchedTimes t;
    std::ifstream in("/proc/thread-self/schedstat");
    double cpuNs = 0, waitNs = 0;
    if (in >> cpuNs >> waitNs) t = {cpuNs / 1e6, waitNs / 1e6};
    return t;
}

// Notes the longest time between two turns of the event loop. A gap is the window thread's own
// doing (working, or blocked in a call) except for the time it stood ready while other processes
// held the processors, which the kernel counts apart; both figures are kept.
class StallProbe {
public:
    StallProbe() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Turn(); });
    }
    void Start() {
        longestGap_ = longestOwn_ = longestCpu_ = 0;
        clock_.start();
        lastMs_ = 0;
        last_ = ThreadSchedTimes();
        timer_.start();
    }
    // Stops and counts the time since the last turn too.
    void Stop() {
        Turn();
        timer_.stop();
    }
    // The longest gap as the clock saw it.
    double LongestGapMs() const { return longestGap_; }
    // The longest gap less the time the thread waited for a processor, and the processor time
    // spent in that gap.
    double LongestOwnMs() const { return longestOwn_; }
    double LongestOwnCpuMs() const { return longestCpu_; }

private:
    void Turn() {
        const double now = static_cast<double>(clock_.nsecsElapsed()) / 1e6;
        const SchedTimes t = ThreadSchedTimes();
        const double gap = now - lastMs_;
        const double own = gap - (t.waiting - last_.waiting);
        longestGap_ = std::max(longestGap_, gap);
        if (own > longestOwn_) {
            longestOwn_ = own;
            longestCpu_ = t.cpu - last_.cpu;
        }
        lastMs_ = now;
        last_ = t;
    }
    QTimer timer_;
    QElapsedTimer clock_;
    SchedTimes last_;
    double lastMs_ = 0, longestGap_ = 0, longestOwn_ = 0, longestCpu_ = 0;
};

// The main window's side of one operation: the program's pump, link and lock over the settings
// folder, with message boxes answered OK.
struct Program {
    explicit Program(const fs::path& dir) : folder(dir) {
        state.SettingsDir = dir;
        state.Settings = qsp::LoadSettingsFile(dir);
        lock.SetReceivePoll([this] { link.Serial().ReceivePoll(); });
    }
    // Setup as the main window runs it; true when the settings window would open.
    bool Setup() {
        qsp::MainOperations ops(state, pump, view, lock, prompt, text, link);
        bool opened = false;
        ops.ScannerSetup([&] { opened = true; });
        return opened;
    }
    fs::path folder;
    qsp::AppState state;
    qsp::QtEventPump pump;
    qsptest::FakeMainView view;
    qsptest::FakePrompt prompt;
    qsp::InterfaceText text;
    qsp::ScannerLink link{state, pump, view, text, qsp::QtSerialPort::Factory(folder)};
    qsp::MainLock lock{view, pump};
};

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
        QElapsedTimer clock;
        clock.start();
        probe.Start();
        const bool ok = op(program);
        probe.Stop();
        const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        std::printf(
            "%-18s %s in %7.1f ms; window-thread stall %5.1f ms (%.1f ms on the "
            "processor); longest gap with the machine's waits %5.1f ms\n",
            name, ok ? "done  " : "FAILED", ms, probe.LongestOwnMs(), probe.LongestOwnCpuMs(),
            probe.LongestGapMs());
        worst = std::max(worst, probe.LongestOwnMs());
        worstGap = std::max(worstGap, probe.LongestGapMs());
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
    std::printf("longest gap with the machine's waits: %.0f ms\n", worstGap);
    std::printf("longest window-thread stall: %.0f ms (goal: at most %.0f ms)\n", worst, kGoalMs);
    return 0;
}
