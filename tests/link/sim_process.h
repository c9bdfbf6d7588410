#pragma once
// qsp-scanner-sim as a child process of a test or benchmark, in a settings folder of its own.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/settings_file.h"

extern char** environ;

namespace qsptest {

namespace fs = std::filesystem;

inline fs::path BinDir() {
    const char* dir = std::getenv("QSP_BIN_DIR");
    return dir ? fs::path(dir) : fs::path(QSP_DEFAULT_BIN_DIR);
}

// A settings folder of its own, for one test. Its reply time-out (100: 0.75 s at 9600 baud) is
// half the program's default but still far beyond what a reply needs on a loaded machine.
struct Folder {
    Folder() {
        std::string t = (fs::temp_directory_path() / "qsp-e2e-XXXXXX").string();
        path = ::mkdtemp(t.data());
        qsp::AppSettings s = qsp::ParseSettings("");
        s.Rs232Delay = 100;
        qsp::SaveSettingsFile(path, s);
    }
    ~Folder() {
        if (std::getenv("QSP_KEEP_TEST_DIR")) return;
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path path;
};

// qsp-scanner-sim for the length of a test.
class Sim {
public:
    Sim(const fs::path& dir, std::vector<std::string> options, int port = 1)
        : link_(dir / "ports" / ("COM" + std::to_string(port))),
          log_(dir / ("sim" + std::to_string(port) + ".log")) {
        std::vector<std::string> args{(BinDir() / "qsp-scanner-sim").string(),
                                      "--settings-dir",
                                      dir.string(),
                                      "--port",
                                      std::to_string(port),
                                      "--log",
                                      log_.string()};
        args.insert(args.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (::posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
        // Ready once its link exists (the simulator makes it last); 30 s is far beyond any start.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (pid_ > 0 && !fs::is_symlink(link_) && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~Sim() { Stop(); }
    bool Ready() const { return pid_ > 0 && fs::is_symlink(link_); }
    void Stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }
    const fs::path& link() const { return link_; }
    // The bytes of one direction ("H>S" or "S>H"), in order.
    std::vector<std::uint8_t> Bytes(const std::string& direction) const {
        std::ifstream in(log_);
        std::vector<std::uint8_t> out;
        for (std::string line; std::getline(in, line);) {
            std::istringstream fields(line);
            std::string time, dir;
            fields >> time >> dir;
            if (time == "#" || dir != direction) continue;
            for (std::string hex; fields >> hex;)
                out.push_back(static_cast<std::uint8_t>(std::stoi(hex, nullptr, 16)));
        }
        return out;
    }

private:
    fs::path link_;
    fs::path log_;
    pid_t pid_ = -1;
};

}  // namespace qsptest
