// Reading barcodes end to end: the built qsp-scanner-sim scans what the test types on its
// standard input; the built qspctl monitor, and the main window's Test with the program's pump
// and serial port, receive it over a pseudo-terminal in real time.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/main_lock.h"
#include "app/main_operations.h"
#include "app/qt_event_pump.h"
#include "link/fakes.h"
#include "link/qt_serial_port.h"
#include "link/sim_process.h"
#include "link/test_session.h"
#include "scanner_model.h"
#include "workbench/param_file.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using qsptest::BinDir;
using qsptest::Folder;

// A child process with pipes on its standard input, output and error.
class Child {
public:
    explicit Child(std::vector<std::string> args) {
        int in[2], out[2], err[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            posix_spawn_file_actions_addclose(&actions, fd);
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        ::close(err[1]);
        in_ = in[1];
        out_ = out[0];
        err_ = err[0];
    }
    ~Child() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            Wait();
        }
        for (int fd : {in_, out_, err_})
            if (fd >= 0) ::close(fd);
    }
    void Write(const std::string& text) {
        ASSERT_EQ(::write(in_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    // Collects output until `done` holds or `limit` has passed; false on the time-out.
    bool ReadUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            pollfd p[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
            if (::poll(p, 2, static_cast<int>(left.count())) <= 0) continue;
            bool open = false;
            for (int i = 0; i < 2; ++i) {
                if (!(p[i].revents & (POLLIN | POLLHUP))) {
                    open = true;
                    continue;
                }
                char buffer[4096];
                const ssize_t n = ::read(p[i].fd, buffer, sizeof buffer);
                if (n > 0) (i == 0 ? out : err).append(buffer, static_cast<std::size_t>(n));
                open = open || n > 0;
            }
            if (!open) return done();
        }
        return true;
    }
    // The exit status, once it has ended; -1 when it did not end normally.
    int Wait() {
        if (pid_ <= 0) return status_;
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return status_;
    }
    // Collects output until the child has ended, for at most `limit`; false if it has not.
    bool Ended(std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (pid_ > 0) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                break;
            }
            if (std::chrono::steady_clock::now() > end) return false;
            ReadUntil([] { return false; }, 20ms);
        }
        ReadUntil([] { return false; }, 50ms);
        return true;
    }

    std::string out, err;

private:
    pid_t pid_ = -1;
    int in_ = -1, out_ = -1, err_ = -1;
    int status_ = -1;
};

// The virtual scanner on COM1 of `dir`; each Scan is a barcode the user reads.
struct ScanningSim {
    ScanningSim(const fs::path& dir, std::vector<std::string> options = {})
        : log(dir / "scanner.log"), child([&] {
              std::vector<std::string> args{(BinDir() / "qsp-scanner-sim").string(),
                                            "--settings-dir", dir.string(), "--log", log.string()};
              args.insert(args.end(), options.begin(), options.end());
              return args;
          }()) {
        child.ReadUntil([this] { return child.out.find("COM1 -> ") != std::string::npos; });
    }
    void Scan(const std::string& code) { child.Write(code + "\n"); }
    // What the host sent, as text.
    std::string HostBytes() {
        std::ifstream in(log);
        std::string bytes;
        for (std::string line; std::getline(in, line);) {
            std::istringstream fields(line);
            std::string time, direction;
            fields >> time >> direction;
            for (std::string hex; direction == "H>S" && fields >> hex;)
                bytes += static_cast<char>(std::stoi(hex, nullptr, 16));
        }
        return bytes;
    }
    fs::path log;
    Child child;
};

TEST(ScanEndToEnd, MonitorCountsThreeItemsAndEnds) {
    Folder dir;
    ScanningSim sim(dir.path);
    Child monitor({(BinDir() / "qspctl").string(), "--settings-dir", dir.path.string(), "monitor",
                   "--count", "--items", "3"});
    ASSERT_TRUE(monitor.ReadUntil([&] {
        const auto at = monitor.err.find("Listening");
        return at != std::string::npos && monitor.err.find('\n', at) != std::string::npos;
    })) << monitor.err;
    EXPECT_NE(monitor.err.find("Listening: RS232 9600,N,8,1  COM1"), std::string::npos)
        << monitor.err;
    const char* codes[] = {"4006381333931", "QSP-0001", "http://x.test/a?b=1"};
    for (int i = 0; i < 3; ++i) {
        sim.Scan(codes[i]);
        const std::string total = "Total: " + std::to_string(i + 1) + "\n";
        ASSERT_TRUE(monitor.ReadUntil([&] { return monitor.err.find(total) != std::string::npos; }))
            << monitor.err;
    }
    ASSERT_TRUE(monitor.Ended(5s));
    EXPECT_EQ(monitor.Wait(), 0);
    EXPECT_EQ(monitor.out, "4006381333931\nQSP-0001\nhttp://x.test/a?b=1\n");
}

// The main window's Test with the program's pump and serial port; the test window's session
// shows into a recording view.
struct TestRig : qsp::TestView {
    explicit TestRig(const fs::path& dir) : folder(dir) {
        state.SettingsDir = dir;
        state.Settings = qsp::LoadSettingsFile(dir);
        lock.SetReceivePoll([this] { link.Serial().ReceivePoll(); });
    }
    static QCoreApplication& App() {
        static int argc = 1;
        static char name[] = "test_scan_e2e";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
        return app;
    }
    void ShowLink(int, const std::string& text) override { linkText = text; }
    void ShowClock(const std::string&) override {}
    void ShowTotal(const std::string& text) override { total = text; }
    void AppendText(const std::string& text) override { box += text; }
    void CaretToEnd() override {}
    void FocusText() override {}

    // Test; while the window is open each code is scanned and shown before the next.
    void RunTest(ScanningSim& sim, const std::vector<std::string>& codes) {
        ops.ScannerTest([&] {
            qsp::TestSession session(state, pump, text, link.Serial(), *this);
            opened = session.Activate();
            for (const auto& code : codes) {
                const std::size_t before = box.size();
                sim.Scan(code);
                pump.RunPasses(400'000, [&] { return box.size() > before + code.size(); });
            }
            session.Close();
        });
    }

    fs::path folder;
    QCoreApplication& app = App();
    qsp::AppState state;
    qsp::QtEventPump pump;
    qsptest::FakeMainView view;
    qsptest::FakePrompt prompt;
    qsp::InterfaceText text;
    qsp::ScannerLink link{state, pump, view, text, qsp::QtSerialPort::Factory(folder)};
    qsp::MainLock lock{view, pump};
    qsp::MainOperations ops{state, pump, view, lock, prompt, text, link};
    bool opened = false;
    std::string linkText, total, box;
};

TEST(ScanEndToEnd, WithoutCountingTestOpensAtOnceAndTheWindowMakesItsOwnLink) {
    Folder dir;
    ScanningSim sim(dir.path);
    TestRig rig(dir.path);
    rig.state.Settings.TestCount = false;
    rig.RunTest(sim, {"ABC", "DEF"});
    EXPECT_TRUE(rig.opened);
    EXPECT_EQ(rig.view.messages, std::vector<std::string>{});  // no search, no read
    EXPECT_EQ(rig.linkText, "RS232 9600,N,8,1  COM1");
    EXPECT_EQ(rig.box, "ABC\nDEF\n");
    EXPECT_EQ(rig.total, "");
    EXPECT_EQ(sim.HostBytes(), "LINK");
}

TEST(ScanEndToEnd, CountingTestListensAtTheSettingsProgrammedIntoTheScanner) {
    Folder dir;
    ScanningSim sim(dir.path);
    // Program the scanner to 19200 8N1; the settings file still names 9600.
    qsp::ImageBytes image{};
    qspsim::ScannerModel changed(qspsim::FactoryBlock());
    changed.SetSerial(19200, 'N', 8, 1);
    std::copy(changed.block().begin(), changed.block().end(), image.begin());
    ASSERT_TRUE(qsp::SaveParamFile(dir.path / "19200.Dec", image));
    Child write({(BinDir() / "qspctl").string(), "--settings-dir", dir.path.string(), "write",
                 (dir.path / "19200.Dec").string(), "--port", "1"});
    ASSERT_EQ(write.Wait(), 0);

    TestRig rig(dir.path);
    rig.state.Settings.TestCount = true;
    rig.state.Settings.Automation = true;
    rig.RunTest(sim, {"ONE", "TWO", "THREE"});
    ASSERT_TRUE(rig.opened);
    EXPECT_EQ(rig.linkText, "RS232 19200,N,8,1  COM1");
    EXPECT_EQ(rig.total, "Total: 3");
    EXPECT_EQ(rig.box, "ONE\nTWO\nTHREE\n");
}

}  // namespace
