// Fleet set-up speed: qspctl deploy --once on one virtual scanner and on eight at once, each at
// 9600 baud on its own pseudo-terminal, every one needing programming. Prints the wall time of
// each case and their ratio; passes unless it crashes.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "link/sim_process.h"
#include "scanner_model.h"
#include "workbench/param_file.h"

namespace {

using Steady = std::chrono::steady_clock;
constexpr int kRounds = 3;

// Seconds for one deploy run over `count` freshly started scanners; negative when it failed.
double DeployOnce(int count) {
    qsptest::Folder dir;
    qsp::ImageBytes image{};
    const auto block = qspsim::FactoryBlock();
    std::copy(block.begin(), block.end(), image.begin());
    image[3] ^= 0x0F;
    image[300] = 0x42;
    if (!qsp::SaveParamFile(dir.path / "fleet.Dec", image)) return -1;
    std::vector<std::unique_ptr<qsptest::Sim>> sims;
    for (int port = 1; port <= count; ++port) {
        sims.push_back(std::make_unique<qsptest::Sim>(
            dir.path, std::vector<std::string>{"--serial-only", "--baud", "9600"}, port));
        if (!sims.back()->Ready()) return -1;
    }
    const std::string command = "'" + (qsptest::BinDir() / "qspctl").string() +
                                "' --settings-dir '" + dir.path.string() + "' deploy '" +
                                (dir.path / "fleet.Dec").string() +
                                "' --once --ports-only --no-search >/dev/null 2>&1";
    const auto start = Steady::now();
    const int status = std::system(command.c_str());
    const double seconds = std::chrono::duration<double>(Steady::now() - start).count();
    return status == 0 ? seconds : -1;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main() {
    std::vector<double> one, eight;
    for (int i = 0; i < kRounds; ++i) {
        one.push_back(DeployOnce(1));
        eight.push_back(DeployOnce(8));
    }
    if (*std::min_element(one.begin(), one.end()) < 0 ||
        *std::min_element(eight.begin(), eight.end()) < 0) {
        std::printf("bench_deploy: a deploy run failed\n");
        return 0;
    }
    const double t1 = Median(one), t8 = Median(eight);
    std::printf("deploy, 1 scanner at 9600 baud: %.2f s (median of %d)\n", t1, kRounds);
    std::printf("deploy, 8 scanners at 9600 baud at once: %.2f s (median of %d)\n", t8, kRounds);
    std::printf("8 scanners: %.2f x the time of one\n", t8 / t1);
    return 0;
}
