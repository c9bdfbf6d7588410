// Serial link figures against qsp-scanner-sim on a pseudo-terminal, with the program's own port
// and event pump: a read and a write at 115,200 baud against the time the bytes need on the
// line, and the processor time a reply time-out costs. Prints them; fails only if it crashes.

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "base/main_lock.h"
#include "base/qt_event_pump.h"
#include "link/fakes.h"
#include "link/qt_serial_port.h"
#include "link/scanner_link.h"
#include "link/sim_process.h"

namespace {

using Steady = std::chrono::steady_clock;

double CpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}
double Since(Steady::time_point t) {
    return std::chrono::duration<double>(Steady::now() - t).count();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qsptest::Folder dir;
    qsptest::Sim sim(dir.path, {});
    if (!sim.Ready()) return std::printf("bench_serial: qsp-scanner-sim did not start\n"), 0;
    qsp::AppState state;
    state.SettingsDir = dir.path;
    state.Settings = qsp::LoadSettingsFile(dir.path);
    qsp::QtEventPump pump;
    qsptest::FakeMainView view;
    qsp::InterfaceText text;
    qsp::ScannerLink link(state, pump, view, text, qsp::QtSerialPort::Factory(dir.path));
    qsp::MainLock lock(view, pump);
    lock.SetReceivePoll([&] { link.Serial().ReceivePoll(); });
    lock.LockMainWindow();

    // Read: 0xFB out, 514 bytes back. Write: 0x06, the frame and its check out, 0x06 back.
    const int rounds = 5;
    const double readFloor = (1 + 514) * 10.0 / 115200, writeFloor = (1 + 514 + 1) * 10.0 / 115200;
    double read = 0, write = 0;
    int ok = 0;
    for (int i = 0; i < rounds && link.ConnectScanner("1", qsp::kRs232); ++i) {
        auto t = Steady::now();
        const bool r = link.ReadParameters(qsp::kRs232);
        read += Since(t);
        std::copy_n(state.RxBuffer.begin() + 1, 512, state.ParamImage.begin());
        t = Steady::now();
        ok += r && link.WriteParameters(qsp::kRs232);
        write += Since(t);
        link.CloseScannerLink(qsp::kRs232);
    }
    std::printf(
        "%d of %d exchanges succeeded\nread  at 115200: %.1f ms, %.2f x the line-rate "
        "floor (%.1f ms)\nwrite at 115200: %.1f ms, %.2f x the line-rate floor (%.1f ms)\n",
        ok, rounds, read / rounds * 1e3, read / rounds / readFloor, readFloor * 1e3,
        write / rounds * 1e3, write / rounds / writeFloor, writeFloor * 1e3);

    // A reply that never comes: 40 x 500 x 3 + 1 passes at 9600 baud, about 0.3 s.
    sim.Stop();
    state.Settings.Rs232Delay = 40;
    link.Serial().BaudFactor("9600");
    std::filesystem::remove(dir.path / "ports" / "COM1");
    const auto wall0 = Steady::now();
    const double cpu0 = CpuSeconds();
    link.Serial().WaitReply(1);
    const double wall = Since(wall0), cpu = CpuSeconds() - cpu0;
    std::printf("WaitReply time-out: %.3f s wall, %.4f s processor, %.1f %% of wall time\n", wall,
                cpu, 100.0 * cpu / wall);
    return 0;
}
