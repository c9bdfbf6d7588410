// Setting up a fleet of scanners: which udev devices and ports/ entries are scanners arriving or
// leaving, which of them get set up when, and the set-up of one scanner over each link.

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "link/batch_link.h"
#include "link/rs232_protocol.h"
#include "link/scanner_arrival.h"
#include "link_rig.h"
#include "test_support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using qsp::Arrival;
using qsp::ScannerPlace;

// Property sets as `udevadm monitor --property` shows them.
const qsp::DeviceProperties kUsbSerialAdapter = {{"ACTION", "add"},
                                                 {"SUBSYSTEM", "tty"},
                                                 {"DEVNAME", "/dev/ttyUSB0"},
                                                 {"ID_BUS", "usb"},
                                                 {"ID_VENDOR_ID", "0403"},
                                                 {"ID_MODEL_ID", "6001"},
                                                 {"ID_USB_DRIVER", "ftdi_sio"},
                                                 {"MAJOR", "188"},
                                                 {"MINOR", "0"}};
const qsp::DeviceProperties kCdcAcm = {{"ACTION", "add"},           {"SUBSYSTEM", "tty"},
                                       {"DEVNAME", "/dev/ttyACM1"}, {"ID_BUS", "usb"},
                                       {"ID_VENDOR_ID", "0111"},    {"ID_MODEL_ID", "0111"},
                                       {"ID_USB_DRIVER", "cdc_acm"}};
const qsp::DeviceProperties kScannerHidraw = {
    {"ACTION", "add"},
    {"SUBSYSTEM", "hidraw"},
    {"DEVNAME", "/dev/hidraw3"},
    {"DEVPATH",
     "/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.1/0003:0111:0111.0007/hidraw/"
     "hidraw3"},
    {"HID_ID", "0003:00000111:00000111"},
    {"HID_NAME", "Barcode Scanner"}};
const qsp::DeviceProperties kKeyboardHidraw = {{"ACTION", "add"},
                                               {"SUBSYSTEM", "hidraw"},
                                               {"DEVNAME", "/dev/hidraw0"},
                                               {"DEVPATH",
                                                "/devices/pci0000:00/0000:00:14.0/usb1/1-1/"
                                                "1-1:1.0/0003:046D:C31C.0001/hidraw/hidraw0"},
                                               {"HID_ID", "0003:0000046D:0000C31C"},
                                               {"HID_NAME", "Logitech USB Keyboard"}};

qsp::DeviceProperties With(qsp::DeviceProperties p, const std::string& key, const std::string& v) {
    p[key] = v;
    return p;
}

TEST(ScannerArrival, UdevDevicesBecomeArrivalsOnlyWhereAScannerCanBe) {
    const qsp::ArrivalFilter any;
    // Serial adapters of any make: the scanner sits behind the adapter, not in its numbers.
    auto d = qsp::DecideArrival(kUsbSerialAdapter, any);
    EXPECT_EQ(d.what, Arrival::Arrived);
    EXPECT_EQ(d.place, (ScannerPlace{qsp::kRs232, "/dev/ttyUSB0"}));
    d = qsp::DecideArrival(kCdcAcm, any);
    EXPECT_EQ(d.what, Arrival::Arrived);
    EXPECT_EQ(d.place, (ScannerPlace{qsp::kRs232, "/dev/ttyACM1"}));
    // The scanner's own HID node; a keyboard's is none of ours.
    d = qsp::DecideArrival(kScannerHidraw, any);
    EXPECT_EQ(d.what, Arrival::Arrived);
    const std::string scannerUsb = "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-2";
    EXPECT_EQ(d.place, (ScannerPlace{qsp::kUsb, scannerUsb}));
    // Its other interface (the keyboard) is the same scanner, not a second one.
    auto keyboardSide = With(kScannerHidraw, "DEVNAME", "/dev/hidraw4");
    keyboardSide["DEVPATH"] =
        "/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/0003:0111:0111.0006/hidraw/hidraw4";
    EXPECT_EQ(qsp::DecideArrival(keyboardSide, any).place, d.place);
    EXPECT_EQ(qsp::UsbDeviceOf("/devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1.4/2-1.4:1.1/"
                               "0003:0111:0111.0009/hidraw/hidraw7"),
              "/sys/devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1.4");
    EXPECT_EQ(qsp::UsbDeviceOf("/devices/virtual/misc/uhid/0003:0111:0111.0001/hidraw/hidraw1"),
              "");
    EXPECT_EQ(qsp::DecideArrival(kKeyboardHidraw, any).what, Arrival::None);
    EXPECT_EQ(qsp::DecideArrival(With(kScannerHidraw, "HID_ID", "0003:00000111"), any).what,
              Arrival::None);

    // Removal: the same place leaves; a hidraw removal may come without numbers.
    d = qsp::DecideArrival(With(kUsbSerialAdapter, "ACTION", "remove"), any);
    EXPECT_EQ(d.what, Arrival::Left);
    EXPECT_EQ(d.place.device, "/dev/ttyUSB0");
    qsp::DeviceProperties bare = {{"ACTION", "remove"},
                                  {"SUBSYSTEM", "hidraw"},
                                  {"DEVNAME", "/dev/hidraw3"},
                                  {"DEVPATH", kScannerHidraw.at("DEVPATH")}};
    EXPECT_EQ(qsp::DecideArrival(bare, any).what, Arrival::Left);
    // Other actions, names and subsystems are not arrivals.
    EXPECT_EQ(qsp::DecideArrival(With(kCdcAcm, "ACTION", "change"), any).what, Arrival::None);
    EXPECT_EQ(qsp::DecideArrival(With(kCdcAcm, "DEVNAME", "/dev/ttyACMx"), any).what,
              Arrival::None);
    EXPECT_EQ(qsp::DecideArrival(With(kCdcAcm, "SUBSYSTEM", "usb"), any).what, Arrival::None);

    // On-board ports only when named; links left out are not watched.
    const auto onBoard = With(kUsbSerialAdapter, "DEVNAME", "/dev/ttyS0");
    EXPECT_EQ(qsp::DecideArrival(onBoard, any).what, Arrival::None);
    qsp::ArrivalFilter named;
    named.serialPorts = {"ttyS0"};
    EXPECT_EQ(qsp::DecideArrival(onBoard, named).what, Arrival::Arrived);
    EXPECT_EQ(qsp::DecideArrival(With(onBoard, "DEVNAME", "/dev/ttyS1"), named).what,
              Arrival::None);
    qsp::ArrivalFilter usbOnly;
    usbOnly.rs232 = usbOnly.ps2 = false;
    EXPECT_EQ(qsp::DecideArrival(kCdcAcm, usbOnly).what, Arrival::None);
    EXPECT_EQ(qsp::DecideArrival(kScannerHidraw, usbOnly).what, Arrival::Arrived);
}

TEST(ScannerArrival, PortsFolderEntriesThatLeadToADeviceAreScanners) {
    test_support::TempDir dir;
    const fs::path ports = dir.path() / "ports";
    fs::create_directories(ports);
    fs::create_symlink("/dev/null", ports / "COM3");
    fs::create_symlink("/dev/nonexistent-qsp", ports / "COM4");  // left behind
    fs::create_symlink("/dev/null", ports / "COMX");
    fs::create_symlink("/dev/null", ports / "PS2");
    std::ofstream(ports / "USB") << "not a socket";
    const qsp::ArrivalFilter any;
    auto places = qsp::PortsFolderPlaces(dir.path(), any);
    EXPECT_EQ(places, (std::set<ScannerPlace>{{qsp::kRs232, "COM3"}, {qsp::kPs2, "PS2"}}));

    // A socket at ports/USB is the virtual scanner's USB side.
    fs::remove(ports / "USB");
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strcpy(a.sun_path, (ports / "USB").c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    const auto now = qsp::PortsFolderPlaces(dir.path(), any);
    ::close(fd);
    auto changes = qsp::PlaceChanges(places, now);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].what, Arrival::Arrived);
    EXPECT_EQ(changes[0].place, (ScannerPlace{qsp::kUsb, "USB"}));
    changes = qsp::PlaceChanges(now, {{qsp::kUsb, "USB"}});
    ASSERT_EQ(changes.size(), 2u);
    for (const auto& c : changes)
        EXPECT_EQ(c.what, Arrival::Left);

    qsp::ArrivalFilter serialOnly;
    serialOnly.usb = serialOnly.ps2 = false;
    EXPECT_EQ(qsp::PortsFolderPlaces(dir.path(), serialOnly),
              (std::set<ScannerPlace>{{qsp::kRs232, "COM3"}}));

    // A link to a device udev reports is udev's, so the scanner is not set up twice at once.
    if (fs::exists("/dev/ttyS0")) {
        fs::create_symlink("/dev/ttyS0", ports / "COM6");
        serialOnly.serialPorts = {"ttyS0"};
        EXPECT_EQ(qsp::PortsFolderPlaces(dir.path(), serialOnly).count({qsp::kRs232, "COM6"}), 1u);
        serialOnly.udev = true;
        EXPECT_EQ(qsp::PortsFolderPlaces(dir.path(), serialOnly).count({qsp::kRs232, "COM6"}), 0u);
    }
}

TEST(Fleet, EachArrivalIsSetUpOnceWithinTheNumberOfJobs) {
    qsp::Fleet fleet(2);
    const ScannerPlace a{0, "COM1"}, b{0, "COM2"}, c{0, "COM3"};
    for (const auto& p : {a, b, c, a})  // a second arrival of a present scanner is nothing new
        fleet.Apply({Arrival::Arrived, p});
    EXPECT_EQ(fleet.TakeStartable(), (std::vector<ScannerPlace>{a, b}));
    EXPECT_TRUE(fleet.TakeStartable().empty());
    EXPECT_EQ(fleet.Waiting(), 1);
    fleet.Finished(a);
    EXPECT_EQ(fleet.TakeStartable(), (std::vector<ScannerPlace>{c}));
    // a stays: it is not set up again.
    fleet.Apply({Arrival::Arrived, a});
    fleet.Finished(b);
    fleet.Finished(c);
    EXPECT_TRUE(fleet.TakeStartable().empty());
    // a leaves and comes back: set up again.
    fleet.Apply({Arrival::Left, a});
    fleet.Apply({Arrival::Arrived, a});
    EXPECT_EQ(fleet.TakeStartable(), (std::vector<ScannerPlace>{a}));
    // It leaves and comes back while being set up: once more after this set-up ends.
    fleet.Apply({Arrival::Left, a});
    fleet.Apply({Arrival::Arrived, a});
    fleet.Finished(a);
    EXPECT_EQ(fleet.TakeStartable(), (std::vector<ScannerPlace>{a}));
    // It leaves during its set-up and stays away: forgotten.
    fleet.Apply({Arrival::Left, a});
    fleet.Finished(a);
    EXPECT_EQ(fleet.Running(), 0);
    EXPECT_TRUE(fleet.TakeStartable().empty());
    // A waiting scanner that leaves is not set up.
    qsp::Fleet one(1);
    one.Apply({Arrival::Arrived, a});
    one.Apply({Arrival::Arrived, b});
    EXPECT_EQ(one.TakeStartable(), (std::vector<ScannerPlace>{a}));
    one.Apply({Arrival::Left, b});
    one.Finished(a);
    EXPECT_TRUE(one.TakeStartable().empty());
    EXPECT_EQ(qsp::Fleet(0).Jobs(), 8);
}

std::uint8_t XorOf(const qspsim::Block& block) {
    std::uint8_t x = 0;
    for (auto v : block)
        x ^= v;
    return x;
}

TEST(SetUpScanner, ProgramsOnlyADifferentBlockAndChecksItOnEveryLink) {
    for (int interface : {qsp::kRs232, qsp::kUsb, qsp::kPs2}) {
        SCOPED_TRACE(interface);
        qsptest::Rig rig(interface);
        rig.state.Settings.UsbDelay = "1";
        rig.state.Settings.Ps2Delay = "1";
        qsp::ImageBytes wanted{};
        std::copy(rig.model.block().begin(), rig.model.block().end(), wanted.begin());
        wanted[3] = 0x44;
        wanted[300] = 0x12;
        wanted[511] ^= 0xFF;
        // A profile-like change: only the low nibble of byte 3 and all of 300 and 511.
        auto edit = [&wanted](qsp::ImageBytes& image) {
            image[3] = static_cast<std::uint8_t>((image[3] & 0xF0) | (wanted[3] & 0x0F));
            image[300] = wanted[300];
            image[511] = wanted[511];
            return std::string();
        };
        qsp::ImageBytes expected = wanted;
        expected[3] = static_cast<std::uint8_t>((rig.model.block()[3] & 0xF0) | 0x04);
        if (interface == qsp::kRs232) {  // the serial write's sum, kept by the scanner
            const auto sum = qsp::ImageSum(expected);
            expected[254] = static_cast<std::uint8_t>(sum >> 8);
            expected[255] = static_cast<std::uint8_t>(sum & 0xFF);
        }
        int changed = 0;
        for (std::size_t i = 0; i < 512; ++i)
            changed += expected[i] != rig.model.block()[i];

        rig.lock.LockMainWindow();
        auto out = qsp::SetUpScanner(rig.link, interface, "1", edit);
        EXPECT_EQ(out.result, qsp::SetupResult::Programmed) << out.message;
        EXPECT_EQ(out.message, "Parameter is programmed successfully.");
        EXPECT_EQ(out.bytesChanged, changed);
        EXPECT_EQ(rig.ScannerImage(expected), expected);
        EXPECT_EQ(out.blockXor, XorOf(rig.model.block()));

        // Set up again: nothing to write.
        auto writes = [&] {
            return rig.model.writesAccepted() + rig.usbModel.writesAccepted() +
                   rig.ps2Model.writesAccepted();
        };
        const int written = writes();
        out = qsp::SetUpScanner(rig.link, interface, "1", edit);
        EXPECT_EQ(out.result, qsp::SetupResult::Unchanged) << out.message;
        EXPECT_EQ(out.bytesChanged, 0);
        EXPECT_EQ(out.blockXor, XorOf(rig.model.block()));
        EXPECT_EQ(writes(), written);

        rig.lock.UnlockMainWindow(qsp::kButtonSetup);
    }
}

// A change that cannot be made on this scanner's block fails with its reason, and nothing is
// written.
TEST(SetUpScanner, AChangeThatCannotBeMadeFailsWithItsReason) {
    qsptest::Rig rig(qsp::kRs232);
    rig.lock.LockMainWindow();
    const auto out = qsp::SetUpScanner(rig.link, qsp::kRs232, "1", [](qsp::ImageBytes&) {
        return std::string("profile:3: no such row");
    });
    rig.lock.UnlockMainWindow(qsp::kButtonSetup);
    EXPECT_EQ(out.result, qsp::SetupResult::Failed);
    EXPECT_EQ(out.message, "profile:3: no such row");
    EXPECT_EQ(rig.model.writesAccepted(), 0);
}

}  // namespace
