// Y-modem update speed: the program's sender and lrzsz's sb each send the same 64 KiB file to the
// virtual scanner, which paces the line at 115,200 baud. Prints each time against the line-rate
// floor (the file's bytes at 10 bits each); passes unless it crashes.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>

#include "app/main_lock.h"
#include "app/qt_event_pump.h"
#include "link/fakes.h"
#include "link/qt_serial_port.h"
#include "link/sim_process.h"
#include "update/firmware_update.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kFileSize = 64 * 1024;
constexpr double kFloorSeconds = kFileSize * 10.0 / 115200.0;

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The program's Y-modem update, timed from the start text to the closed port.
double ProgramTime(const fs::path& dir, const fs::path& file, bool& same) {
    qsptest::Sim sim(dir, {"--update-out", (dir / "received.bin").string()});
    if (!sim.Ready()) return -1;
    qsp::AppState state;
    state.SettingsDir = dir;
    state.Settings = qsp::LoadSettingsFile(dir);
    qsp::QtEventPump pump;
    qsptest::FakeMainView view;
    qsptest::FakePrompt prompt;
    const qsp::InterfaceText text;
    qsp::ScannerLink link(state, pump, view, text, qsp::QtSerialPort::Factory(dir));
    qsp::MainLock lock(view, pump);
    lock.SetReceivePoll([&] { link.Serial().ReceivePoll(); });
    qsp::FirmwareUpdate update(state, pump, view, lock, prompt, text, link);
    state.UpdateType = qsp::kUpdateYmodem;
    const auto start = std::chrono::steady_clock::now();
    update.F4_UpdateSend(file.string());
    const double seconds = Seconds(start);
    sim.Stop();
    same = ReadFile(dir / "received.bin") == ReadFile(file);
    return seconds;
}

// lrzsz's sb on the same virtual scanner: "1" is written first (sb does not send it), then sb
// takes over the line at 115,200 8N1.
double SbTime(const fs::path& dir, const fs::path& file, bool& same) {
    qsptest::Sim sim(dir, {"--update-out", (dir / "received.bin").string()});
    if (!sim.Ready()) return -1;
    const int fd = ::open(sim.link().c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) return -1;
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::cfsetispeed(&t, B115200);
    ::cfsetospeed(&t, B115200);
    ::tcsetattr(fd, TCSANOW, &t);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, fd, 0);
    ::posix_spawn_file_actions_adddup2(&actions, fd, 1);
    ::posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string a0 = "sb", a1 = "-k", a2 = "-q", a3 = file.string();
    char* argv[] = {a0.data(), a1.data(), a2.data(), a3.data(), nullptr};
    const auto start = std::chrono::steady_clock::now();
    const char one = '1';
    if (::write(fd, &one, 1) != 1) return -1;
    pid_t pid = -1;
    if (::posix_spawnp(&pid, "sb", &actions, nullptr, argv, environ) != 0) {
        ::close(fd);
        return -1;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    const double seconds = Seconds(start);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(fd);
    // The scanner writes the file after the closing block; give it a moment.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    sim.Stop();
    same = ReadFile(dir / "received.bin") == ReadFile(file);
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qsptest::Folder dir;
    const fs::path file = dir.path / "bench.bin";
    {
        std::ofstream out(file, std::ios::binary);
        unsigned seed = 1;
        for (std::size_t i = 0; i < kFileSize; ++i) {
            seed = seed * 1103515245u + 12345u;
            out.put(static_cast<char>(seed >> 16));
        }
    }
    std::printf("Y-modem, %zu-byte file at 115200 baud; line-rate floor %.3f s\n", kFileSize,
                kFloorSeconds);
    bool same = false;
    const double program = ProgramTime(dir.path, file, same);
    if (program < 0) {
        std::printf("  program: the virtual scanner did not start\n");
    } else {
        std::printf("  program: %.3f s = %.3f x floor%s\n", program, program / kFloorSeconds,
                    same ? "" : " (file NOT received intact)");
    }
    const double sb = SbTime(dir.path, file, same);
    if (sb < 0) {
        std::printf("  lrzsz sb: not run (sb or the virtual scanner missing)\n");
    } else {
        std::printf("  lrzsz sb -k: %.3f s = %.3f x floor%s\n", sb, sb / kFloorSeconds,
                    same ? "" : " (file NOT received intact)");
    }
    return 0;
}
