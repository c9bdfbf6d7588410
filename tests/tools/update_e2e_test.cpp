// Firmware updates through the built qspctl (the program's update code, pump and serial port)
// against the built qsp-scanner-sim on a pseudo-terminal, and a Y-modem update received by rb.

#include <thread>

#include "e2e_support.h"

namespace {

using namespace e2e;

std::string Pattern(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (auto& b : bytes) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<char>(seed >> 16);
    }
    return bytes;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(UpdateEndToEnd, KtxTypeUpdateRebuildsTheImageOnTheScanner) {
    Folder dir;
    Sim sim(dir.path, {"--update-out", (dir.path / "image.bin").string()});
    ASSERT_TRUE(sim.Ready());
    auto expected = Pattern(65536, 11);
    WriteFile(dir.path / "KTXA.bin", expected);
    const auto run = Qspctl(dir.path, "update KTXA.bin --type ktx --yes --delay 200");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Has(run.output, "Programming completed."));
    sim.Stop();

    const auto image = ReadText(dir.path / "image.bin");
    ASSERT_EQ(image.size(), 65536u);
    expected[0xFFBF] = static_cast<char>(0xFC);
    // Every sent range, and nothing else, arrived in 107 blocks; the scanner's sum was confirmed.
    const std::pair<int, int> sent[] = {{0x1080, 0x1600}, {0x182C, 0xE600}, {0xFE00, 0x10000}};
    for (const auto& [from, to] : sent)
        EXPECT_EQ(image.substr(from, to - from), expected.substr(from, to - from)) << from;
    EXPECT_EQ(image[0x1000], 0);
    EXPECT_EQ(image[0xE600], 0);
    const auto log = ReadText(dir.path / "sim1.log");
    EXPECT_TRUE(Has(log, "KTX update: 107 blocks, sum "));
    EXPECT_TRUE(Has(log, "KTX update: the host confirmed the sum"));
}

TEST(UpdateEndToEnd, YmodemUpdateDeliversTheFileUnchanged) {
    Folder dir;
    // The header's answer comes split over two writes.
    Sim sim(dir.path,
            {"--update-out", (dir.path / "received.bin").string(), "--update-fault", "split"});
    ASSERT_TRUE(sim.Ready());
    WriteFile(dir.path / "fw.bin", Pattern(70000, 5));
    const auto run = Qspctl(dir.path, "update fw.bin --type ymodem --yes --baud 2400 --delay 200");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Has(run.output, "UPDATE OK fw.bin 70000 bytes"));
    EXPECT_EQ(ReadText(dir.path / "received.bin"), Pattern(70000, 5));
}

// The exit status follows the transfer: a scanner that stops answering part-way fails the
// command without "Update Success !"; a complete transfer succeeds whatever the scanner then
// reports, and its report is printed as it came.
TEST(UpdateEndToEnd, TheExitStatusFollowsTheTransferAndTheReportIsPrinted) {
    const std::string success = "Update Success !";
    {
        Folder dir;
        Sim sim(dir.path, {"--update-fault", "silent=2"});
        ASSERT_TRUE(sim.Ready());
        WriteFile(dir.path / "fw.bin", Pattern(5000, 7));
        const auto run = Qspctl(dir.path, "update fw.bin --type ymodem --yes --delay 200");
        EXPECT_EQ(run.status, 1) << run.output;
        EXPECT_EQ(run.output.find(success), std::string::npos) << run.output;
        EXPECT_TRUE(Has(run.output, "Cannot connect to scanner."));
    }
    Folder dir;
    // The scanner receives the whole file but cannot store it, and says so.
    Sim sim(dir.path, {"--update-out", (dir.path / "missing" / "fw.bin").string()});
    ASSERT_TRUE(sim.Ready());
    WriteFile(dir.path / "fw.bin", Pattern(5000, 7));
    const auto run = Qspctl(dir.path, "update fw.bin --type ymodem --yes --delay 200");
    EXPECT_EQ(run.status, 0) << run.output;
    const auto report = run.output.find("UPDATE FAILED cannot store fw.bin\n");
    ASSERT_NE(report, std::string::npos) << run.output;
    EXPECT_GT(run.output.find(success), report) << run.output;
}

TEST(UpdateEndToEnd, LrzszRbReceivesTheYmodemFile) {
    Folder dir;
    fs::create_directories(dir.path / "ports");
    fs::create_directories(dir.path / "rx");
    const auto com = dir.path / "ports" / "COM1", far = dir.path / "rb-side";
    Child socat(
        {"socat", "pty,raw,echo=0,link=" + com.string(), "pty,raw,echo=0,link=" + far.string()});
    for (int i = 0; i < 500 && !(fs::exists(com) && fs::exists(far)); ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(fs::exists(com) && fs::exists(far)) << "socat (scripts/setup.sh installs it)";
    Child rb({"sh", "-c",
              "cd '" + (dir.path / "rx").string() + "' && exec rb -q <'" + far.string() + "' >'" +
                  far.string() + "'"});
    // rb is listening once its output is the far side of the line (the shell opens it, then
    // becomes rb; what arrives before rb reads waits in the line).
    const auto line = fs::canonical(far);
    const auto rbOutput = fs::path("/proc") / std::to_string(rb.Pid()) / "fd" / "1";
    std::error_code error;
    for (int i = 0; i < 1000 && fs::read_symlink(rbOutput, error) != line; ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_EQ(fs::read_symlink(rbOutput, error), line) << "rb did not open " << far;
    WriteFile(dir.path / "fw.bin", Pattern(70000, 3));
    // rb answers the end of the file its own way: the update connects, delivers and says how.
    const auto run = Qspctl(dir.path, "update fw.bin --type ymodem --yes --delay 200");
    EXPECT_TRUE(Has(run.output, "Connection completed."));
    EXPECT_TRUE(Has(run.output, "Please unplug and then plug the scanner back in again."));
    rb.Stop();
    EXPECT_EQ(ReadText(dir.path / "rx" / "fw.bin"), Pattern(70000, 3));
}

}  // namespace
