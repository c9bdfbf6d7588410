// The keyboard-wedge links end to end: the built qspctl with its socket backends against the
// built qsp-scanner-sim on ports/USB and ports/PS2, in real time.

#include "e2e_support.h"
#include "link/keyboard_wedge_devices.h"
#include "link/ps2_protocol.h"

namespace {

using namespace e2e;

TEST(WedgeEndToEnd, ReadAndWriteOverBothLinksPastAWrongChecksum) {
    Folder dir;
    // The first exclusive-or on each link is spoilt and answers come in pieces: each first read
    // asks again.
    Sim sim(dir.path, {"--fault", "corrupt=1", "--fault", "split"});
    ASSERT_TRUE(sim.Ready());
    // Both links reach the same block: what one writes, the other reads.
    qsp::ImageBytes expected = FactoryImage();
    for (const std::string link : {"usb", "ps2"}) {
        SCOPED_TRACE(link);
        auto run = Qspctl(dir.path, "read --link " + link + " -o r.Dec");
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(FileImage(dir.path / "r.Dec"), expected);

        expected[10] = link == "usb" ? 0x5A : 0xA5;
        expected[300] = 0x0F;
        ASSERT_TRUE(qsp::SaveParamFile(dir.path / "w.Dec", expected));
        run = Qspctl(dir.path, "write --link " + link + " w.Dec");
        EXPECT_TRUE(Has(run.output, (link == "usb" ? "USB" : "PS2") +
                                        std::string(": Parameter is programmed successfully.")));
        ASSERT_EQ(Qspctl(dir.path, "read --link " + link + " -o r.Dec").status, 0);
        EXPECT_EQ(FileImage(dir.path / "r.Dec"), expected);
    }
}

// Which device an open reaches, by the settings folder's ports/ entries (a socket there, the
// virtual scanner's, is reached above).
TEST(WedgeDevices, EachPortEntryReachesItsKindOfDevice) {
    Folder dir;
    EXPECT_EQ(qsp::UsbDeviceKind(dir.path), qsp::WedgeDeviceKind::Hid);
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
    EXPECT_EQ(ps2.WritePs2Kb(h, frame.data(), 8), 0);  // closed
}

}  // namespace
