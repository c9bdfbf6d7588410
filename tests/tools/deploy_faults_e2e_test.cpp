// qspctl deploy under faults, in seeded rounds: each round plugs in virtual scanners that each
// draw a fault of their own, and the round draws one thing that happens to deploy itself. After
// each round, what an operator relies on must hold: one report line per scanner that arrived,
// every line JSON, every scanner reported set up holds the source, no scanner had two talkers,
// and the exit status says whether all were set up. QSP_FAULT_SEED replays a round set.

#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <iostream>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <sstream>

#include "base/device_lock.h"
#include "e2e_support.h"

namespace {

using namespace e2e;

constexpr int kScanners = 4;
constexpr int kRounds = 6;

enum ScannerFault { kNoFault, kUnplugged, kRefuses, kBadChecksum, kSlow };
struct FaultKind {
    const char* name;
    std::vector<std::string> simOptions;
};
// The unplugged one answers its write late enough to be unplugged meanwhile.
const FaultKind kFaults[] = {{"none", {}},
                             {"unplugged mid-write", {"--fault", "late=write:3000"}},
                             {"refuses the write", {"--fault", "nak"}},
                             {"bad checksum", {"--fault", "corrupt"}},
                             {"slow line", {"--fault", "late=200"}}};
enum RoundEvent { kNothing, kGroupStop, kGroupStopTwice, kParentKilled, kFullDisk, kSecondTalker };
const char* const kEvents[] = {
    "none",          "SIGTERM to the group",  "two SIGTERMs to the group",
    "parent killed", "report on a full disk", "a second talker"};

qsp::ImageBytes SourceImage() {
    qsp::ImageBytes image = FactoryImage();
    image[3] = 0x44;
    image[106] = 'F';
    image[300] = 0x42;
    return image;
}

// qspctl deploy, once, of dir/source.Dec to the scanners in dir's ports folder.
std::vector<std::string> Deploy(const Folder& dir, std::vector<std::string> more = {}) {
    more.insert(more.begin(),
                {(BinDir() / "qspctl").string(), "--settings-dir", dir.path.string(), "deploy",
                 (dir.path / "source.Dec").string(), "--once", "--ports-only"});
    return more;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The pids of a process's children, as the kernel lists them.
std::vector<pid_t> ChildrenOf(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
    std::vector<pid_t> pids;
    for (pid_t p; in >> p;)
        pids.push_back(p);
    return pids;
}

// Waits until every one of `pids` has ended (they need not be ours), at most `limit`.
bool AllEnded(const std::vector<pid_t>& pids, std::chrono::milliseconds limit) {
    std::vector<pollfd> fds;
    for (pid_t p : pids) {
        const int fd = static_cast<int>(::syscall(SYS_pidfd_open, p, 0));
        if (fd >= 0) fds.push_back({fd, POLLIN, 0});  // one already gone has no descriptor
    }
    const auto end = std::chrono::steady_clock::now() + limit;
    bool all = true;
    for (auto& f : fds) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        all = all && ::poll(&f, 1, static_cast<int>(std::max<long>(0, left.count()))) == 1;
        ::close(f.fd);
    }
    return all;
}

// Waits until the host has sent `sim` at least `count` bytes, at most `limit`.
bool HostSent(const Sim& sim, std::size_t count, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (sim.Bytes("H>S").size() < count) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// One round: the scanners' faults are drawn; the rounds take the events in turn, so that each
// is met.
void Round(std::mt19937& random, int round, unsigned seed) {
    Folder dir;
    const auto what = static_cast<RoundEvent>(round % 6);
    std::uniform_int_distribution<int> draw(0, 4);
    std::vector<ScannerFault> faults;
    std::string trace = "seed " + std::to_string(seed) + ", round " + std::to_string(round) + ": " +
                        kEvents[what] + "; scanners:";
    for (int i = 0; i < kScanners; ++i) {
        faults.push_back(static_cast<ScannerFault>(draw(random)));
        trace += std::string(" ") + kFaults[faults.back()].name + ",";
    }
    std::cout << trace << std::endl;
    SCOPED_TRACE(trace);

    ASSERT_TRUE(qsp::SaveParamFile(dir.path / "source.Dec", SourceImage()));
    std::vector<std::unique_ptr<Sim>> sims;
    for (int port = 1; port <= kScanners; ++port) {
        std::vector<std::string> options{
            "--serial-only", "--save",
            (dir.path / ("COM" + std::to_string(port) + ".Dec")).string()};
        const auto& more = kFaults[faults[port - 1]].simOptions;
        options.insert(options.end(), more.begin(), more.end());
        sims.push_back(std::make_unique<Sim>(dir.path, options, port));
        ASSERT_TRUE(sims.back()->Ready());
    }
    // Another program holds the first scanner: deploy must leave it alone, and a further
    // qspctl finds it busy too.
    const int held =
        what == kSecondTalker ? qsp::OpenLockedDevice(fs::canonical(sims[0]->link())) : -1;
    ASSERT_TRUE(what != kSecondTalker || held >= 0);
    const std::string report =
        what == kFullDisk ? "/dev/full" : (dir.path / "report.jsonl").string();
    // A session of its own, so that a stop can go to the whole process group.
    auto command = Deploy(dir, {"--jobs", "2", "--report", report});
    command.insert(command.begin(), "setsid");
    Child deploy(command);
    if (what == kSecondTalker) {
        auto read = Qspctl(dir.path, "read --port 1 -o held.Dec");
        EXPECT_EQ(read.status, 1);
        EXPECT_TRUE(Has(read.output, "in use by another program"));
    }
    // A scanner drawn to be unplugged goes once the host's write has reached it.
    for (int i = 0; i < kScanners; ++i) {
        if (faults[i] != kUnplugged) continue;
        EXPECT_TRUE(HostSent(*sims[i], 300, 60s)) << "no write reached COM" << i + 1;
        sims[i]->Stop();
    }
    const bool stopped = what == kGroupStop || what == kGroupStopTwice;
    ASSERT_TRUE(!(stopped || what == kParentKilled) || deploy.ReadUntil("[1] ", 60s)) << deploy.out;
    if (stopped) {
        ASSERT_EQ(::getpgid(deploy.Pid()), deploy.Pid());
        ::kill(-deploy.Pid(), SIGTERM);
        if (what == kGroupStopTwice) ::kill(-deploy.Pid(), SIGTERM);
    }
    std::unique_ptr<Child> fresh;
    if (what == kParentKilled) {
        const auto orphans = ChildrenOf(deploy.Pid());
        deploy.Signal(SIGKILL);
        deploy.Wait();
        // Whatever it left running finishes on its own before a fresh deploy starts.
        ASSERT_TRUE(AllEnded(orphans, 120s));
        fs::remove(report);
        fresh = std::make_unique<Child>(command);
    }
    Child& last = fresh ? *fresh : deploy;
    ASSERT_TRUE(last.ReadUntil("Total: ", 120s)) << last.out;
    const int status = last.Wait();
    const std::string out = last.out;
    if (held >= 0) {
        const auto sent = sims[0]->Bytes("H>S");
        EXPECT_EQ(std::string(sent.begin(), sent.end()).find("LINK"), std::string::npos)
            << "bytes reached a scanner another program held";
        ::close(held);
    }

    SCOPED_TRACE(out);
    std::vector<std::pair<std::string, std::string>> lines;  // device, result
    if (what == kFullDisk) {
        // Nothing reached the report, which is said; the console still has each scanner's line.
        EXPECT_TRUE(Has(out, "cannot write the report /dev/full"));
        for (const auto& line : Lines(out)) {
            const auto at = line.find("] COM");
            if (line.empty() || line.front() != '[' || at == std::string::npos) continue;
            lines.emplace_back(line.substr(at + 2, line.find(' ', at + 2) - at - 2),
                               line.find(" programmed | ") != std::string::npos  ? "programmed"
                               : line.find(" unchanged | ") != std::string::npos ? "unchanged"
                                                                                 : "other");
        }
    } else {
        static const std::set<std::string> kResults{"programmed", "unchanged",   "failed",
                                                    "no scanner", "interrupted", "not started"};
        for (const auto& line : Lines(ReadText(report))) {
            nlohmann::json j;
            ASSERT_NO_THROW(j = nlohmann::json::parse(line)) << line;
            lines.emplace_back(j.at("device"), j.at("result"));
            EXPECT_EQ(kResults.count(lines.back().second), 1u) << lines.back().second;
        }
    }
    std::map<std::string, std::string> results;
    bool allSetUp = what != kFullDisk;
    for (const auto& [device, result] : lines) {
        EXPECT_EQ(results.count(device), 0u) << device << " has two lines";
        results[device] = result;
        allSetUp = allSetUp && (result == "programmed" || result == "unchanged");
    }
    EXPECT_EQ(status, allSetUp ? 0 : 1);
    // One line for every scanner that arrived; after a killed parent, the fresh deploy's
    // arrivals are those still plugged in.
    std::size_t arrived = 0;
    for (int i = 0; i < kScanners; ++i) {
        const std::string device = "COM" + std::to_string(i + 1);
        SCOPED_TRACE(device + ": " + kFaults[faults[i]].name);
        const bool gone = what == kParentKilled && faults[i] == kUnplugged;
        arrived += !gone;
        EXPECT_EQ(results.count(device), gone ? 0u : 1u);
        if (gone) continue;
        const std::string result = results[device];
        if (result == "programmed" || result == "unchanged") {
            EXPECT_TRUE(SameBlock(FileImage(dir.path / (device + ".Dec")), SourceImage()));
        }
        // A refused, corrupted or unplugged write is never reported programmed.
        EXPECT_FALSE(faults[i] != kNoFault && faults[i] != kSlow && result == "programmed");
    }
    EXPECT_EQ(results.size(), arrived);
    if (what == kSecondTalker) {
        EXPECT_TRUE(Has(out, "COM1 (rs232) failed | the device is in use by another program"));
    }
    // A single stop lets every started set-up finish: nothing is cut off.
    if (what == kGroupStop) {
        EXPECT_FALSE(Has(out, " interrupted | "));
        EXPECT_FALSE(Has(out, "the set-up process was stopped"));
    }
}

TEST(DeployFaults, SeededRoundsKeepEveryScannerAccountedFor) {
    const char* seedText = std::getenv("QSP_FAULT_SEED");
    const unsigned seed = seedText ? static_cast<unsigned>(std::stoul(seedText)) : 2424u;
    std::mt19937 random(seed);
    for (int round = 0; round < kRounds && !::testing::Test::HasFatalFailure(); ++round)
        Round(random, round, seed);
}

// A report line a crash left torn is ended before the first new line; a first stop lets the
// running set-up finish and starts no other, a second cuts it off; each scanner has its line.
TEST(DeployFaults, ATornReportLineIsClosedAndTwoStopsLeaveNoScannerUnaccounted) {
    Folder dir;
    ASSERT_TRUE(qsp::SaveParamFile(dir.path / "source.Dec", SourceImage()));
    const fs::path report = dir.path / "report.jsonl";
    const std::string torn = "{\"time\":\"2026-01-01T00:00:00Z\",\"link\":\"rs";
    std::ofstream(report) << torn;
    std::vector<std::unique_ptr<Sim>> sims;
    for (int port = 1; port <= 4; ++port) {
        // Slow enough that each set-up is still running when the stops come.
        sims.push_back(std::make_unique<Sim>(
            dir.path, std::vector<std::string>{"--serial-only", "--fault", "late=300"}, port));
        ASSERT_TRUE(sims.back()->Ready());
    }
    Child deploy(Deploy(dir, {"--jobs", "1", "--report", report.string()}));
    ASSERT_TRUE(deploy.ReadUntil("[1] ", 60s)) << deploy.out;
    deploy.Signal(SIGINT);
    ASSERT_TRUE(deploy.ReadUntil("stop again to cut them off", 60s)) << deploy.out;
    deploy.Signal(SIGINT);
    ASSERT_TRUE(deploy.ReadUntil("Total: ", 60s)) << deploy.out;
    EXPECT_EQ(deploy.Wait(), 1);
    EXPECT_TRUE(Has(deploy.out,
                    "1 programmed, 0 unchanged, 0 failed, 2 not started, "
                    "1 interrupted, 0 no scanner"));
    const auto lines = Lines(ReadText(report));
    ASSERT_EQ(lines.size(), 5u) << ReadText(report);
    EXPECT_EQ(lines[0], torn);
    std::multiset<std::string> results;
    for (std::size_t i = 1; i < lines.size(); ++i)
        results.insert(nlohmann::json::parse(lines[i]).at("result").get<std::string>());
    EXPECT_EQ(results, (std::multiset<std::string>{"programmed", "interrupted", "not started",
                                                   "not started"}));
}

// deploy killed while a set-up is still reading: the set-up writes nothing, since nobody would
// record it, and ends.
TEST(DeployFaults, ASetUpWhoseDeployDiedBeforeTheWriteWritesNothing) {
    Folder dir;
    ASSERT_TRUE(qsp::SaveParamFile(dir.path / "source.Dec", SourceImage()));
    Sim scanner(dir.path, {"--serial-only", "--save", (dir.path / "COM1.Dec").string(), "--fault",
                           "late=read:500"});
    ASSERT_TRUE(scanner.Ready());
    Child deploy(Deploy(dir));
    // The handshake has reached the scanner: the set-up runs and its read is answered late.
    ASSERT_TRUE(HostSent(scanner, 4, 30s)) << deploy.out;
    const auto orphans = ChildrenOf(deploy.Pid());
    ASSERT_EQ(orphans.size(), 1u);
    deploy.Signal(SIGKILL);
    deploy.Wait();
    ASSERT_TRUE(AllEnded(orphans, 60s));
    EXPECT_LT(scanner.Bytes("H>S").size(), 100u) << "a write went out";
    EXPECT_TRUE(SameBlock(FileImage(dir.path / "COM1.Dec"), FactoryImage()));
}

}  // namespace
