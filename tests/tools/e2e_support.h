#pragma once
// What the end-to-end tests share: qspctl runs, child processes with pipes, parameter files and
// the program's link with its Qt pump and serial port in a settings folder of the test's own.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/main_lock.h"
#include "app/qt_event_pump.h"
#include "app/settings_file.h"
#include "link/fakes.h"
#include "link/qt_serial_port.h"
#include "link/scanner_link.h"
#include "link/sim_process.h"
#include "workbench/param_file.h"
#if __has_include("scanner_model.h")
#include "scanner_model.h"
#endif

namespace e2e {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using qsptest::BinDir;
using qsptest::Folder;
using qsptest::Sim;

struct Run {
    int status;
    std::string output;  // standard output and error together
};

// qspctl in the settings folder `dir`.
inline Run Qspctl(const fs::path& dir, const std::string& args) {
    const std::string cmd =
        (BinDir() / "qspctl").string() + " --settings-dir '" + dir.string() + "' " + args + " 2>&1";
    Run r{-1, {}};
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        r.output.append(buf, n);
    const int status = ::pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

inline qsp::ImageBytes FileImage(const fs::path& file) {
    qsp::ImageBytes image{};
    EXPECT_TRUE(qsp::LoadParamFile(file, image).ok) << file;
    return image;
}

#if __has_include("scanner_model.h")
// The virtual scanner's block as a parameter image (bytes 512.. zero).
inline qsp::ImageBytes FactoryImage() {
    qsp::ImageBytes image{};
    const auto block = qspsim::FactoryBlock();
    std::copy(block.begin(), block.end(), image.begin());
    return image;
}
#endif

inline QCoreApplication& QtApp() {
    static int argc = 1;
    static char name[] = "qsp_e2e_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// A child process (found on PATH) with pipes on its standard input, output and error; ended by
// its id when the test is done with it.
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
        if (::posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        ::close(err[1]);
        in_ = in[1];
        out_ = out[0];
        err_ = err[0];
    }
    ~Child() {
        Stop();
        for (int fd : {in_, out_, err_})
            if (fd >= 0) ::close(fd);
    }
    void Stop() {
        if (pid_ > 0) ::kill(pid_, SIGTERM);
        Wait();
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

// The main window's commands (`Operations`: MainOperations or FirmwareUpdate) with the
// program's pump, link and serial port over the settings folder `dir`.
template <class Operations>
struct ProgramRig {
    explicit ProgramRig(const fs::path& dir) : folder(dir) {
        state.SettingsDir = dir;
        state.Settings = qsp::LoadSettingsFile(dir);
        lock.SetReceivePoll([this] { link.Serial().ReceivePoll(); });
    }
    fs::path folder;
    QCoreApplication& app = QtApp();
    qsp::AppState state;
    qsp::QtEventPump pump;
    qsptest::FakeMainView view;
    qsptest::FakePrompt prompt;
    qsp::InterfaceText text;
    qsp::ScannerLink link{state, pump, view, text, qsp::QtSerialPort::Factory(folder)};
    qsp::MainLock lock{view, pump};
    Operations ops{state, pump, view, lock, prompt, text, link};
};

}  // namespace e2e
