// The keyboard-wedge links end to end: the built qspctl with its socket backends against the
// built qsp-scanner-sim on ports/USB and ports/PS2, in real time.

#include <fstream>
#include <sstream>

#include "e2e_support.h"
#include "link/keyboard_wedge_devices.h"
#include "link/ps2_protocol.h"

namespace {

using namespace e2e;

// The host's messages on one link ("USB" or "PS2") in the transcript, as texts: report bytes
// 1.. up to 0xFF, frame bytes up to "z".
std::vector<std::string> HostWords(const fs::path& dir, const std::string& link) {
    std::ifstream in(dir / "sim1.log");
    std::vector<std::string> words;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string time, name, direction;
        fields >> time >> name >> direction;
        if (name != link || direction != "H>S") continue;
        std::vector<int> bytes;
        for (std::string hex; fields >> hex;)
            bytes.push_back(std::stoi(hex, nullptr, 16));
        std::string w;
        for (std::size_t i = link == "USB" ? 1 : 0;
             i < bytes.size() && bytes[i] != (link == "USB" ? 0xFF : 'z'); ++i)
            w += static_cast<char>(bytes[i]);
        words.push_back(w);
    }
    return words;
}

long Count(const std::vector<std::string>& words, const std::string& w) {
    return std::count(words.begin(), words.end(), w);
}

TEST(WedgeEndToEnd, ReadAndWriteOverBothLinks) {
    Folder dir;
    Sim sim(dir.path, {});
    ASSERT_TRUE(sim.Ready());
    EXPECT_TRUE(fs::is_socket(dir.path / "ports" / "USB"));
    EXPECT_TRUE(fs::is_socket(dir.path / "ports" / "PS2"));
    // Both links reach the same block: what one writes, the other reads.
    qsp::ImageBytes expected = FactoryImage();
    for (const std::string link : {"usb", "ps2"}) {
        SCOPED_TRACE(link);
        const fs::path read = dir.path / (link + ".Dec");
        auto run = Qspctl(dir.path, "read --link " + link + " -o '" + read.string() + "'");
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(FileImage(read), expected);

        qsp::ImageBytes changed = expected;
        changed[10] = link == "usb" ? 0x5A : 0xA5;
        changed[300] = 0x0F;
        const fs::path file = dir.path / (link + "-w.Dec");
        ASSERT_TRUE(qsp::SaveParamFile(file, changed));
        run = Qspctl(dir.path, "write --link " + link + " '" + file.string() + "'");
        ASSERT_EQ(run.status, 0) << run.output;
        const std::string name = link == "usb" ? "USB" : "PS2";
        EXPECT_NE(run.output.find(name + ": Parameter is programmed successfully."),
                  std::string::npos)
            << run.output;
        run = Qspctl(dir.path, "read --link " + link + " -o '" + read.string() + "'");
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(FileImage(read), changed);
        expected = changed;
    }
    sim.Stop();
    EXPECT_FALSE(fs::exists(dir.path / "ports" / "USB"));
    EXPECT_FALSE(fs::exists(dir.path / "ports" / "PS2"));
    const auto usb = HostWords(dir.path, "USB");
    EXPECT_EQ(Count(usb, "bin"), 3);
    EXPECT_EQ(Count(usb, "stx"), 1);
    EXPECT_EQ(Count(usb, "end"), 3);
    const auto ps2 = HostWords(dir.path, "PS2");
    EXPECT_EQ(Count(ps2, "wit"), 2);
    EXPECT_EQ(Count(ps2, "end"), 3);
}

TEST(WedgeEndToEnd, WrongChecksumIsRetriedAndNeverSavedAsSuccess) {
    {
        Folder dir;
        Sim sim(dir.path, {"--fault", "corrupt=1", "--fault", "split"});
        ASSERT_TRUE(sim.Ready());
        for (const std::string link : {"usb", "ps2"}) {
            const fs::path out = dir.path / (link + ".Dec");
            const auto run = Qspctl(dir.path, "read --link " + link + " -o '" + out.string() + "'");
            ASSERT_EQ(run.status, 0) << link << ": " << run.output;
            EXPECT_EQ(FileImage(out), FactoryImage()) << link;
        }
        sim.Stop();
        // Only the first exclusive-or on each link was spoilt: asked again once.
        EXPECT_EQ(Count(HostWords(dir.path, "USB"), "\x0F"), 1);
        EXPECT_EQ(Count(HostWords(dir.path, "PS2"), "nak"), 1);
    }
    Folder dir;
    Sim sim(dir.path, {"--fault", "corrupt"});
    ASSERT_TRUE(sim.Ready());
    const fs::path out = dir.path / "bad.Dec";
    const auto run = Qspctl(dir.path, "read --link usb -o '" + out.string() + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("Failed to load parameter!!"), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(out));
    sim.Stop();
    const auto words = HostWords(dir.path, "USB");
    EXPECT_EQ(Count(words, "set"), 3);
    EXPECT_EQ(Count(words, "ack"), 0);
    EXPECT_EQ(Count(words, "\x0F"), 3 * 3);  // each of three comparisons asked again
}

// Which device an open reaches, by the settings folder's ports/ entries.
TEST(WedgeDevices, EachPortEntryReachesItsKindOfDevice) {
    Folder dir;
    EXPECT_EQ(qsp::UsbDeviceKind(dir.path), qsp::WedgeDeviceKind::Hid);
    qsp::DeviceUsbKbLib usb(dir.path);
    if (qsp::UsbDeviceKind(dir.path) == qsp::WedgeDeviceKind::Hid) {
        // No scanner on this computer's USB: the HID open fails cleanly.
        EXPECT_EQ(usb.OpenUsbKb(273, 273), qsp::kInvalidUsbHandle);
    }
    std::uint8_t report[qsp::kUsbReportBuffer] = {};
    EXPECT_EQ(usb.WriteUsbKb(1, report, 9), 0);  // no such handle
    EXPECT_EQ(usb.CloseHandle(1), 0);

    // A character device named by ports/PS2 is used as the raw port.
    fs::create_directories(dir.path / "ports");
    fs::create_symlink("/dev/null", dir.path / "ports" / "PS2");
    EXPECT_EQ(qsp::Ps2DeviceKind(dir.path), qsp::WedgeDeviceKind::CharDevice);
    qsp::DevicePs2KbLib ps2(dir.path);
    const std::int32_t h = ps2.OpenPs2Kb();
    ASSERT_GE(h, 1);
    const auto frame = qsp::Ps2Frame("bin");
    EXPECT_NE(ps2.WritePs2Kb(h, frame.data(), 8), 0);
    std::uint8_t codes[qsp::kPs2ReceiveBuffer];
    EXPECT_EQ(ps2.ReadPs2Kb(h, codes, 8, 50), 0);
    EXPECT_EQ(ps2.ClosePs2Kb(h), 1);
    EXPECT_EQ(ps2.ClosePs2Kb(h), 0);
    EXPECT_EQ(ps2.WritePs2Kb(h, frame.data(), 8), 0);

    // A socket there is the virtual scanner's.
    fs::remove(dir.path / "ports" / "PS2");
    Sim sim(dir.path, {});
    ASSERT_TRUE(sim.Ready());
    EXPECT_EQ(qsp::UsbDeviceKind(dir.path), qsp::WedgeDeviceKind::Socket);
    EXPECT_EQ(qsp::Ps2DeviceKind(dir.path), qsp::WedgeDeviceKind::Socket);
}

}  // namespace
