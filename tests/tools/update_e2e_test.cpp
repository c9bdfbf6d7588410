// Firmware updates with the program's pump and port against the built qsp-scanner-sim on a
// pseudo-terminal, through qspctl, and a Y-modem update received by lrzsz's rb.

#include <fstream>
#include <iostream>
#include <thread>

#include "e2e_support.h"
#include "update/firmware_update.h"

namespace {

using namespace e2e;

std::vector<std::uint8_t> Pattern(std::size_t size, unsigned seed) {
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(seed >> 16);
    }
    return bytes;
}

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// The Scanner Update command with the program's pump and serial port; the settings window
// answered with the file and the type, the confirmation with OK.
struct UpdateRig : ProgramRig<qsp::FirmwareUpdate> {
    explicit UpdateRig(const fs::path& dir) : ProgramRig(dir) {
        state.Settings.Rs232Delay = 200;
        ops.SetSuccessWindow([this] { ++successWindows; });
    }
    void Run(const fs::path& file, int type) {
        ops.SetSettingsWindow([&](qsp::UpdateSettingsMode) {
            state.Settings.UpdateFilesPath = file.string();
            state.UpdateType = type;
            state.UpdateConfirmed = true;
        });
        ops.ScannerUpdateCommand();
    }
    void ExpectUsualEnding() {
        EXPECT_EQ(state.Settings.BaudRate, "9600");
        EXPECT_EQ(state.UpdateType, qsp::kUpdateKtx);
        EXPECT_FALSE(link.Serial().PortOpen());
        EXPECT_FALSE(view.locked);
    }
    int successWindows = 0;
};

// The transcript's remarks of the virtual scanner.
std::string Notes(const fs::path& log) {
    std::ifstream in(log);
    std::string notes;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("# ", 0) == 0) notes += line + "\n";
    }
    return notes;
}

TEST(UpdateEndToEnd, KtxTypeUpdateRebuildsTheImageOnTheScanner) {
    Folder dir;
    Sim sim(dir.path, {"--update-out", (dir.path / "image.bin").string()});
    ASSERT_TRUE(sim.Ready());
    const auto file = Pattern(65536, 11);
    WriteFile(dir.path / "KTXA.bin", file);
    UpdateRig rig(dir.path);
    rig.Run(dir.path / "KTXA.bin", qsp::kUpdateKtx);
    EXPECT_EQ(rig.view.messages.back(), "Programming completed.");
    EXPECT_EQ(rig.successWindows, 1);
    rig.ExpectUsualEnding();
    sim.Stop();

    const auto image = ReadFile(dir.path / "image.bin");
    ASSERT_EQ(image.size(), 65536u);
    auto expected = file;
    expected[0xFFBF] = 0xFC;
    // Every sent range, and nothing else, arrived.
    const std::pair<unsigned, unsigned> sent[] = {
        {0x1080, 0x1600}, {0x182C, 0xE600}, {0xFE00, 0x10000}};
    std::uint32_t sum = 0;
    for (const auto& [from, to] : sent) {
        EXPECT_TRUE(
            std::equal(expected.begin() + from, expected.begin() + to, image.begin() + from))
            << std::hex << from;
        for (unsigned i = from; i < to; ++i)
            sum += expected[i];
    }
    EXPECT_EQ(image[0x1000], 0);
    EXPECT_EQ(image[0xE600], 0);
    const std::string notes = Notes(dir.path / "sim1.log");
    char hex[5];
    std::snprintf(hex, sizeof hex, "%04X", sum & 0xFFFF);
    EXPECT_NE(notes.find(std::string("107 blocks, sum ") + hex), std::string::npos) << notes;
    EXPECT_NE(notes.find("the host confirmed the sum"), std::string::npos) << notes;
}

TEST(UpdateEndToEnd, YmodemUpdateDeliversTheFileUnchanged) {
    Folder dir;
    Sim sim(dir.path, {"--update-out", (dir.path / "received.bin").string()});
    ASSERT_TRUE(sim.Ready());
    const auto file = Pattern(70000, 5);
    WriteFile(dir.path / "fw.bin", file);
    UpdateRig rig(dir.path);
    rig.state.Settings.BaudRate = "2400";
    rig.Run(dir.path / "fw.bin", qsp::kUpdateYmodem);
    EXPECT_EQ(ReadFile(dir.path / "received.bin"), file);
    const auto& m = rig.view.messages;
    ASSERT_GE(m.size(), 2u);
    EXPECT_EQ(m[m.size() - 2], "UPDATE OK fw.bin 70000 bytes");
    EXPECT_EQ(rig.successWindows, 1);
    rig.ExpectUsualEnding();

    // The same through qspctl, with the header's answer split over two writes.
    Folder other;
    Sim split(other.path,
              {"--update-out", (other.path / "received.bin").string(), "--update-fault", "split"});
    ASSERT_TRUE(split.Ready());
    WriteFile(other.path / "fw.bin", Pattern(3000, 9));
    const auto run = Qspctl(other.path, "update '" + (other.path / "fw.bin").string() +
                                            "' --type ymodem --yes --delay 200");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(ReadFile(other.path / "received.bin"), Pattern(3000, 9));
}

TEST(UpdateEndToEnd, LrzszRbReceivesTheYmodemFile) {
    Folder dir;
    fs::create_directories(dir.path / "ports");
    fs::create_directories(dir.path / "rx");
    const auto com = dir.path / "ports" / "COM1";
    const auto far = dir.path / "rb-side";
    Child socat(
        {"socat", "pty,raw,echo=0,link=" + com.string(), "pty,raw,echo=0,link=" + far.string()});
    for (int i = 0; i < 500 && !(fs::exists(com) && fs::exists(far)); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(fs::exists(com) && fs::exists(far)) << "socat (scripts/setup.sh installs it)";
    Child rb({"sh", "-c",
              "cd '" + (dir.path / "rx").string() + "' && exec rb -q <'" + far.string() + "' >'" +
                  far.string() + "'"});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    const auto file = Pattern(70000, 3);
    WriteFile(dir.path / "fw.bin", file);
    UpdateRig rig(dir.path);
    rig.Run(dir.path / "fw.bin", qsp::kUpdateYmodem);
    rb.Stop();
    socat.Stop();

    EXPECT_EQ(ReadFile(dir.path / "rx" / "fw.bin"), file);
    // rb answers the end of the file its own way; the update still ends and says how.
    std::string all;
    for (const auto& m : rig.view.messages)
        all += m + "\n";
    const auto& m = rig.view.messages;
    std::cout << all;  // how the update ended with rb
    ASSERT_GE(m.size(), 3u) << all;
    EXPECT_NE(std::find(m.begin(), m.end(), "Connection completed."), m.end()) << all;
    EXPECT_EQ(m.back(), "Please unplug and then plug the scanner back in again.") << all;
    rig.ExpectUsualEnding();
}

}  // namespace
