// Y-modem update speed: the program's sender and lrzsz's sb each send the same 64 KiB file to the
// virtual scanner, which paces the line at 115,200 baud. Prints each time against the line-rate
// floor (the file's bytes at 10 bits each); passes unless it crashes.

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "base/main_lock.h"
#include "base/qt_event_pump.h"
#include "link/fakes.h"
#include "link/qt_serial_port.h"
#include "link/sim_process.h"
#include "update/firmware_update.h"

namespace fs = std::filesystem;

namespace {

using Steady = std::chrono::steady_clock;
constexpr std::size_t kFileSize = 64 * 1024;
constexpr double kFloorSeconds = kFileSize * 10.0 / 115200.0;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The program's Y-modem update, from the start text to the closed port.
void ProgramSend(const fs::path& dir, const fs::path& file) {
    qsp::AppState state;
    state.SettingsDir = dir;
    state.Settings = qsp::LoadSettingsFile(dir);
    state.UpdateType = qsp::kUpdateYmodem;
    qsp::QtEventPump pump;
    qsptest::FakeMainView view;
    qsptest::FakePrompt prompt;
    const qsp::InterfaceText text;
    qsp::ScannerLink link(state, pump, view, text, qsp::QtSerialPort::Factory(dir));
    qsp::MainLock lock(view, pump);
    lock.SetReceivePoll([&] { link.Serial().ReceivePoll(); });
    qsp::FirmwareUpdate(state, pump, view, lock, prompt, text, link).F4_UpdateSend(file.string());
}

// lrzsz's sb on the line at 115,200 8N1, after the "1" sb does not send itself.
bool SbSend(const fs::path& link, const fs::path& file) {
    const std::string l = "'" + link.string() + "'";
    const bool ran =
        std::system(("stty -F " + l + " raw -echo 115200 && printf 1 >" + l + " && sb -k -q '" +
                     file.string() + "' <" + l + " >" + l + " 2>/dev/null")
                        .c_str()) == 0;
    // The scanner writes the file after the closing block; give it a moment.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return ran;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qsptest::Folder dir;
    const fs::path file = dir.path / "bench.bin", received = dir.path / "received.bin";
    {
        std::ofstream out(file, std::ios::binary);
        unsigned seed = 1;
        for (std::size_t i = 0; i < kFileSize; ++i)
            out.put(static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16));
    }
    std::printf("Y-modem, %zu-byte file at 115200 baud; line-rate floor %.3f s\n", kFileSize,
                kFloorSeconds);
    for (const char* sender : {"program", "lrzsz sb -k"}) {
        qsptest::Sim sim(dir.path, {"--update-out", received.string()});
        const auto start = Steady::now();
        bool ran = sim.Ready();
        if (ran && sender[0] == 'p') ProgramSend(dir.path, file);
        if (ran && sender[0] == 'l') ran = SbSend(sim.link(), file);
        const double s = std::chrono::duration<double>(Steady::now() - start).count();
        sim.Stop();
        if (!ran) {
            std::printf("  %s: not run (sb or the virtual scanner missing)\n", sender);
            continue;
        }
        std::printf("  %s: %.3f s = %.3f x floor%s\n", sender, s, s / kFloorSeconds,
                    ReadFile(received) == ReadFile(file) ? "" : " (file NOT received intact)");
        fs::remove(received);
    }
    return 0;
}
