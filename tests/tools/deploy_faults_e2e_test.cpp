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

enum class ScannerFault { None, Unplugged, Refuses, BadChecksum, Slow };
enum class RoundEvent { None, GroupStop, GroupStopTwice, ParentKilled, FullDisk, SecondTalker };

const char* Name(ScannerFault f) {
    const char* names[] = {"none", "unplugged mid-write", "refuses the write", "bad checksum",
                           "slow line"};
    return names[static_cast<int>(f)];
}
const char* Name(RoundEvent e) {
    const char* names[] = {"none",          "SIGTERM to the group",  "two SIGTERMs to the group",
                           "parent killed", "report on a full disk", "a second talker"};
    return names[static_cast<int>(e)];
}

qsp::ImageBytes SourceImage() {
    qsp::ImageBytes image = FactoryImage();
    image[3] = 0x44;
    image[106] = 'F';
    image[300] = 0x42;
    return image;
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

// The bytes the host sent a scanner, its sessions counted by their "LINK"s.
int Sessions(const Sim& sim) {
    const auto bytes = sim.Bytes("H>S");
    const std::string text(bytes.begin(), bytes.end());
    int n = 0;
    for (auto at = text.find("LINK"); at != std::string::npos; at = text.find("LINK", at + 4))
        ++n;
    return n;
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

class DeployRound {
public:
    // The scanners' faults are drawn; the rounds take the events in turn, so that each is met.
    DeployRound(std::mt19937& random, int round) {
        std::uniform_int_distribution<int> fault(0, 4);
        for (int i = 0; i < kScanners; ++i)
            faults.push_back(static_cast<ScannerFault>(fault(random)));
        what = static_cast<RoundEvent>(round % 6);
    }

    std::string Describe() const {
        std::string d = std::string("round: ") + Name(what) + "; scanners:";
        for (auto f : faults)
            d += std::string(" ") + Name(f) + ",";
        return d;
    }

    void Run() {
        ASSERT_TRUE(qsp::SaveParamFile(dir.path / "source.Dec", SourceImage()));
        for (int i = 0; i < kScanners; ++i) {
            const int port = i + 1;
            std::vector<std::string> options{
                "--serial-only", "--save",
                (dir.path / ("COM" + std::to_string(port) + ".Dec")).string()};
            switch (faults[i]) {
                case ScannerFault::Unplugged:
                    // Its write is answered late enough to be unplugged meanwhile.
                    options.insert(options.end(), {"--fault", "late=write:3000"});
                    break;
                case ScannerFault::Refuses:
                    options.insert(options.end(), {"--fault", "nak"});
                    break;
                case ScannerFault::BadChecksum:
                    options.insert(options.end(), {"--fault", "corrupt"});
                    break;
                case ScannerFault::Slow:
                    options.insert(options.end(), {"--fault", "late=200"});
                    break;
                case ScannerFault::None:
                    break;
            }
            sims.push_back(std::make_unique<Sim>(dir.path, options, port));
            ASSERT_TRUE(sims.back()->Ready());
        }
        int held = -1;
        if (what == RoundEvent::SecondTalker) {
            // Another program holds the first scanner: deploy must leave it alone, and a
            // further qspctl finds it busy too.
            held = qsp::OpenLockedDevice(fs::canonical(sims[0]->link()));
            ASSERT_GE(held, 0);
        }
        const std::string report =
            what == RoundEvent::FullDisk ? "/dev/full" : (dir.path / "report.jsonl").string();
        Child deploy(Command(report));
        if (what == RoundEvent::SecondTalker) {
            auto read = Qspctl(dir.path, "read --port 1 -o held.Dec");
            EXPECT_EQ(read.status, 1);
            EXPECT_TRUE(Has(read.output, "in use by another program"));
        }
        UnplugWhenWriting();
        if (what == RoundEvent::GroupStop || what == RoundEvent::GroupStopTwice) {
            ASSERT_TRUE(deploy.ReadUntil("[1] ", 60s)) << deploy.out;
            ASSERT_EQ(::getpgid(deploy.Pid()), deploy.Pid());
            ::kill(-deploy.Pid(), SIGTERM);
            if (what == RoundEvent::GroupStopTwice) ::kill(-deploy.Pid(), SIGTERM);
        }
        if (what == RoundEvent::ParentKilled) {
            ASSERT_TRUE(deploy.ReadUntil("[1] ", 60s)) << deploy.out;
            const auto orphans = ChildrenOf(deploy.Pid());
            deploy.Signal(SIGKILL);
            deploy.Wait();
            // Whatever it left running finishes on its own before a fresh deploy starts.
            ASSERT_TRUE(AllEnded(orphans, 120s));
            fs::remove(report);
            Child fresh(Command(report));
            ASSERT_TRUE(fresh.ReadUntil("Total: ", 120s)) << fresh.out;
            status = fresh.Wait();
            out = fresh.out;
        } else {
            ASSERT_TRUE(deploy.ReadUntil("Total: ", 120s)) << deploy.out;
            status = deploy.Wait();
            out = deploy.out;
        }
        if (held >= 0) {
            EXPECT_EQ(Sessions(*sims[0]), 0) << "bytes reached a scanner another program held";
            ::close(held);
        }
        if (what != RoundEvent::FullDisk) reportText = ReadText(report);
    }

    void Check() {
        SCOPED_TRACE(out);
        std::map<std::string, std::string> results;  // device: result
        bool allSetUp = true;
        if (what == RoundEvent::FullDisk) {
            // Nothing reached the report, which is said, and the status shows it.
            EXPECT_TRUE(Has(out, "cannot write the report /dev/full"));
            EXPECT_EQ(status, 1);
            for (const auto& line : Lines(out)) {
                const auto at = line.find("] COM");
                if (line.empty() || line.front() != '[' || at == std::string::npos) continue;
                const std::string device = line.substr(at + 2, line.find(' ', at + 2) - at - 2);
                EXPECT_EQ(results.count(device), 0u) << device << " has two lines";
                results[device] = line.find(" programmed | ") != std::string::npos  ? "programmed"
                                  : line.find(" unchanged | ") != std::string::npos ? "unchanged"
                                                                                    : "other";
            }
        } else {
            for (const auto& line : Lines(reportText)) {
                nlohmann::json j;
                ASSERT_NO_THROW(j = nlohmann::json::parse(line)) << line;
                const std::string device = j.at("device");
                const std::string result = j.at("result");
                EXPECT_EQ(results.count(device), 0u) << device << " has two lines";
                static const std::set<std::string> kResults{"programmed",  "unchanged",
                                                            "failed",      "no scanner",
                                                            "interrupted", "not started"};
                EXPECT_EQ(kResults.count(result), 1u) << result;
                results[device] = result;
                allSetUp = allSetUp && (result == "programmed" || result == "unchanged");
            }
            EXPECT_EQ(status, allSetUp ? 0 : 1);
        }
        // One line for every scanner that arrived; after a killed parent, the fresh deploy's
        // arrivals are those still plugged in.
        std::size_t arrived = 0;
        for (int i = 0; i < kScanners; ++i) {
            const std::string device = "COM" + std::to_string(i + 1);
            SCOPED_TRACE(device + ": " + Name(faults[i]));
            if (what == RoundEvent::ParentKilled && faults[i] == ScannerFault::Unplugged) {
                EXPECT_EQ(results.count(device), 0u);
                continue;
            }
            ++arrived;
            EXPECT_EQ(results.count(device), 1u);
            const std::string result = results[device];
            if (result == "programmed" || result == "unchanged") {
                EXPECT_TRUE(SameBlock(FileImage(dir.path / (device + ".Dec")), SourceImage()));
            }
            if (faults[i] == ScannerFault::Refuses || faults[i] == ScannerFault::BadChecksum ||
                faults[i] == ScannerFault::Unplugged) {
                EXPECT_NE(result, "programmed");
            }
        }
        EXPECT_EQ(results.size(), arrived);
        if (what == RoundEvent::SecondTalker) {
            EXPECT_TRUE(Has(out, "COM1 (rs232) failed | the device is in use by another program"));
        }
        // A single stop lets every started set-up finish: nothing is cut off.
        if (what == RoundEvent::GroupStop) {
            EXPECT_FALSE(Has(out, " interrupted | "));
            EXPECT_FALSE(Has(out, "the set-up process was stopped"));
        }
    }

private:
    std::vector<std::string> Command(const std::string& report) const {
        // A session of its own, so that a stop can go to the whole process group.
        return {"setsid",         (BinDir() / "qspctl").string(),
                "--settings-dir", dir.path.string(),
                "deploy",         (dir.path / "source.Dec").string(),
                "--once",         "--ports-only",
                "--jobs",         "2",
                "--report",       report};
    }

    // A scanner drawn to be unplugged goes once the host's write has reached it.
    void UnplugWhenWriting() {
        for (int i = 0; i < kScanners; ++i) {
            if (faults[i] != ScannerFault::Unplugged) continue;
            EXPECT_TRUE(HostSent(*sims[i], 300, 60s)) << "no write reached COM" << i + 1;
            sims[i]->Stop();
        }
    }

public:
    std::vector<ScannerFault> faults;
    RoundEvent what = RoundEvent::None;

private:
    Folder dir;
    std::vector<std::unique_ptr<Sim>> sims;
    int status = -1;
    std::string out, reportText;
};

TEST(DeployFaults, SeededRoundsKeepEveryScannerAccountedFor) {
    const char* seedText = std::getenv("QSP_FAULT_SEED");
    const unsigned seed = seedText ? static_cast<unsigned>(std::stoul(seedText)) : 2424u;
    std::mt19937 random(seed);
    for (int round = 0; round < kRounds; ++round) {
        DeployRound r(random, round);
        std::cout << "seed " << seed << ", round " << round << ": " << r.Describe() << std::endl;
        SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round) + ": " +
                     r.Describe());
        r.Run();
        if (::testing::Test::HasFatalFailure()) return;
        r.Check();
    }
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
    Child deploy({(BinDir() / "qspctl").string(), "--settings-dir", dir.path.string(), "deploy",
                  (dir.path / "source.Dec").string(), "--once", "--ports-only", "--jobs", "1",
                  "--report", report.string()});
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
    Child deploy({(BinDir() / "qspctl").string(), "--settings-dir", dir.path.string(), "deploy",
                  (dir.path / "source.Dec").string(), "--once", "--ports-only"});
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
