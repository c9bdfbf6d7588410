// Fleet set-up speed and size: qspctl deploy --once on 1, 8 and 32 virtual scanners at once
// (--jobs equal to the count), each at 9600 baud on its own pseudo-terminal, every one needing
// programming. Prints the wall time of each case, the ratios to one scanner, and the peak
// proportional set size (PSS) of deploy's whole process tree per scanner at 8 and at 32 (the
// supervisor's own size, some 9 to 14 MB of mapped Qt libraries, is shared by fewer scanners at
// 8; the goal is on the fleet size, 32); passes unless it crashes.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "link/sim_process.h"
#include "scanner_model.h"
#include "workbench/param_file.h"

extern char** environ;

namespace {

using Steady = std::chrono::steady_clock;
constexpr int kRounds = 3;

// Proportional set size of one process, in kB (0 once it is gone).
long PssKb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
    for (std::string key; in >> key;) {
        long kb = 0;
        if (key == "Pss:" && in >> kb) return kb;
    }
    return 0;
}

// A process and every process below it.
std::vector<pid_t> Tree(pid_t root) {
    std::vector<pid_t> all{root};
    for (std::size_t i = 0; i < all.size(); ++i) {
        std::ifstream in("/proc/" + std::to_string(all[i]) + "/task/" + std::to_string(all[i]) +
                         "/children");
        for (pid_t p; in >> p;)
            all.push_back(p);
    }
    return all;
}

struct Run {
    double seconds = -1;  // negative when it failed
    long peakPssKb = 0;
};

Run DeployOnce(int count) {
    qsptest::Folder dir;
    qsp::ImageBytes image{};
    const auto block = qspsim::FactoryBlock();
    std::copy(block.begin(), block.end(), image.begin());
    image[3] ^= 0x0F;
    image[300] = 0x42;
    if (!qsp::SaveParamFile(dir.path / "fleet.Dec", image)) return {};
    std::vector<std::unique_ptr<qsptest::Sim>> sims;
    for (int port = 1; port <= count; ++port) {
        sims.push_back(std::make_unique<qsptest::Sim>(
            dir.path, std::vector<std::string>{"--serial-only", "--baud", "9600"}, port));
        if (!sims.back()->Ready()) return {};
    }
    std::vector<std::string> args{(qsptest::BinDir() / "qspctl").string(),
                                  "--settings-dir",
                                  dir.path.string(),
                                  "deploy",
                                  (dir.path / "fleet.Dec").string(),
                                  "--once",
                                  "--ports-only",
                                  "--no-search",
                                  "--jobs",
                                  std::to_string(count)};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    Run run;
    pid_t pid = -1;
    const auto start = Steady::now();
    const int spawned = ::posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) return {};
    // The tree's size, sampled while it runs (a benchmark may look at the clock).
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        long pss = 0;
        for (pid_t p : Tree(pid))
            pss += PssKb(p);
        run.peakPssKb = std::max(run.peakPssKb, pss);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const double seconds = std::chrono::duration<double>(Steady::now() - start).count();
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) run.seconds = seconds;
    return run;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main() {
    const int counts[] = {1, 8, 32};
    std::vector<double> times[3];
    long peakPerScanner[3] = {0, 0, 0};  // kB, the largest of the rounds, per count
    for (int round = 0; round < kRounds; ++round) {
        for (int c = 0; c < 3; ++c) {
            const Run r = DeployOnce(counts[c]);
            if (r.seconds < 0) {
                std::printf("bench_deploy: a deploy run of %d scanners failed\n", counts[c]);
                return 0;
            }
            times[c].push_back(r.seconds);
            peakPerScanner[c] = std::max(peakPerScanner[c], r.peakPssKb / counts[c]);
        }
    }
    const double one = Median(times[0]);
    for (int c = 0; c < 3; ++c) {
        std::printf("deploy, %d scanner%s at 9600 baud at once: %.2f s (median of %d)\n", counts[c],
                    counts[c] == 1 ? "" : "s", Median(times[c]), kRounds);
    }
    for (int c = 1; c < 3; ++c)
        std::printf("%d scanners: %.2f x the time of one\n", counts[c], Median(times[c]) / one);
    std::printf("peak PSS of deploy's process tree per scanner, 8 at once: %.2f MB\n",
                peakPerScanner[1] / 1024.0);
    std::printf(
        "peak PSS of deploy's process tree per scanner, 32 at once: %.2f MB (goal: at most 2)\n",
        peakPerScanner[2] / 1024.0);
    return 0;
}
