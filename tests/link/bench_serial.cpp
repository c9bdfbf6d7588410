// Serial link figures against qsp-scanner-sim on a pseudo-terminal, with the program's own port
// and event pump: a read and a write at 115,200 baud against the time the bytes need on the
// line, and the processor time a reply time-out costs. Prints them; fails only if it crashes.

#include <sys/resource.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>

#include "app/main_lock.h"
#include "app/qt_event_pump.h"
#include "fakes.h"
#include "link/qt_serial_port.h"
#include "link/scanner_link.h"
#include "scanner_model.h"
#include "sim_process.h"

namespace {

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Time on the wire of `bytes` characters of 10 bits at 115,200 baud.
double Floor(int bytes) {
    return bytes * 10.0 / 115200.0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qsptest::Folder dir;
    qsptest::Sim sim(dir.path, {});
    if (!sim.Ready()) {
        std::printf("bench_serial: qsp-scanner-sim did not start; no figures\n");
        return 0;
    }
    qsp::AppState state;
    state.SettingsDir = dir.path;
    state.Settings = qsp::LoadSettingsFile(dir.path);
    state.Settings.Rs232Delay = 200;
    qsp::QtEventPump pump;
    qsptest::FakeMainView view;
    qsp::InterfaceText text;
    qsp::ScannerLink link(state, pump, view, text, qsp::QtSerialPort::Factory(dir.path));
    qsp::MainLock lock(view, pump);
    lock.SetReceivePoll([&] { link.Serial().ReceivePoll(); });
    lock.LockMainWindow();

    const int rounds = 5;
    double readTime = 0;
    double writeTime = 0;
    int ok = 0;
    for (int i = 0; i < rounds; ++i) {
        if (!link.ConnectScanner("1", qsp::kRs232)) break;
        auto t = std::chrono::steady_clock::now();
        const bool read = link.ReadParameters(qsp::kRs232);
        readTime += Seconds(t);
        std::copy_n(state.RxBuffer.begin() + 1, 512, state.ParamImage.begin());
        t = std::chrono::steady_clock::now();
        const bool written = link.WriteParameters(qsp::kRs232);
        writeTime += Seconds(t);
        link.CloseScannerLink(qsp::kRs232);
        if (read && written) ++ok;
    }
    if (ok == rounds) {
        // Read: 0xFB out, 514 bytes back. Write: 0x06, the frame and its check out, 0x06 back.
        std::printf("read  at 115200: %.1f ms, %.2f x the line-rate floor (%.1f ms)\n",
                    readTime / rounds * 1e3, readTime / rounds / Floor(1 + 514),
                    Floor(1 + 514) * 1e3);
        std::printf("write at 115200: %.1f ms, %.2f x the line-rate floor (%.1f ms)\n",
                    writeTime / rounds * 1e3, writeTime / rounds / Floor(1 + 514 + 1),
                    Floor(1 + 514 + 1) * 1e3);
    } else {
        std::printf("bench_serial: only %d of %d exchanges succeeded\n", ok, rounds);
    }

    // A reply that never comes: 40 x 500 x 3 + 1 passes at 9600 baud, about 0.3 s.
    sim.Stop();
    state.Settings.Rs232Delay = 40;
    link.Serial().BaudFactor("9600");
    std::filesystem::remove(dir.path / "ports" / "COM1");
    const auto wall0 = std::chrono::steady_clock::now();
    const double cpu0 = CpuSeconds();
    link.Serial().WaitReply(1);
    const double wall = Seconds(wall0);
    const double cpu = CpuSeconds() - cpu0;
    std::printf("WaitReply time-out: %.3f s wall, %.4f s processor, %.1f %% of wall time\n", wall,
                cpu, 100.0 * cpu / wall);
    lock.UnlockMainWindow(qsp::kButtonSetup);
    return 0;
}
