// Setting up a fleet of scanners: which udev devices and ports/ entries are scanners arriving or
// leaving, which of them get set up when, and the set-up of one scanner over each link.

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <numeric>

#include "link/batch_link.h"
#include "link/rs232_protocol.h"
#include "link/scanner_arrival.h"
#include "link_rig.h"
#include "test_support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using qsp::Arrival;
using qsp::ScannerPlace;

// Events as `udevadm monitor --property` shows them.
// clang-format off
const qsp::DeviceProperties kUsbSerialAdapter = {
    {"ACTION", "add"}, {"SUBSYSTEM", "tty"}, {"DEVNAME", "/dev/ttyUSB0"}, {"ID_BUS", "usb"},
    {"ID_VENDOR_ID", "0403"}, {"ID_MODEL_ID", "6001"}, {"ID_USB_DRIVER", "ftdi_sio"},
    {"MAJOR", "188"}, {"MINOR", "0"}};
const qsp::DeviceProperties kCdcAcm = {
    {"ACTION", "add"}, {"SUBSYSTEM", "tty"}, {"DEVNAME", "/dev/ttyACM1"}, {"ID_BUS", "usb"},
    {"ID_VENDOR_ID", "0111"}, {"ID_MODEL_ID", "0111"}, {"ID_USB_DRIVER", "cdc_acm"}};
const std::string kScannerUsb = "/devices/pci0000:00/0000:00:14.0/usb1/1-2";
const qsp::DeviceProperties kScannerHidraw = {
    {"ACTION", "add"}, {"SUBSYSTEM", "hidraw"}, {"DEVNAME", "/dev/hidraw3"},
    {"DEVPATH", kScannerUsb + "/1-2:1.1/0003:0111:0111.0007/hidraw/hidraw3"},
    {"HID_ID", "0003:00000111:00000111"}, {"HID_NAME", "Barcode Scanner"}};
// clang-format on

qsp::DeviceProperties With(qsp::DeviceProperties p, const std::string& key, const std::string& v) {
    p[key] = v;
    return p;
}

TEST(ScannerArrival, UdevDevicesBecomeArrivalsOnlyWhereAScannerCanBe) {
    const auto onBoard = With(kUsbSerialAdapter, "DEVNAME", "/dev/ttyS0");
    qsp::ArrivalFilter any, named, usbOnly;
    named.serialPorts = {"ttyS0"};
    usbOnly.rs232 = usbOnly.ps2 = false;
    const ScannerPlace scanner{qsp::kUsb, "/sys" + kScannerUsb};
    struct Case {
        const char* label;
        qsp::DeviceProperties device;
        const qsp::ArrivalFilter& filter;
        Arrival what;
        ScannerPlace place;
    };
    // clang-format off
    const Case cases[] = {
        // Serial adapters of any make: the scanner sits behind the adapter, not in its numbers.
        {"USB serial adapter", kUsbSerialAdapter, any, Arrival::Arrived, {qsp::kRs232, "/dev/ttyUSB0"}},
        {"CDC-ACM device", kCdcAcm, any, Arrival::Arrived, {qsp::kRs232, "/dev/ttyACM1"}},
        {"the scanner's HID node", kScannerHidraw, any, Arrival::Arrived, scanner},
        {"its keyboard interface is the same scanner", With(kScannerHidraw, "DEVPATH", kScannerUsb + "/1-2:1.0/0003:0111:0111.0006/hidraw/hidraw4"), any, Arrival::Arrived, scanner},
        {"behind a hub", With(kScannerHidraw, "DEVPATH", "/devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1.4/2-1.4:1.1/0003:0111:0111.0009/hidraw/hidraw7"), any, Arrival::Arrived, {qsp::kUsb, "/sys/devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1.4"}},
        {"on no USB bus", With(kScannerHidraw, "DEVPATH", "/devices/virtual/misc/uhid/0003:0111:0111.0001/hidraw/hidraw1"), any, Arrival::None, {}},
        {"a keyboard's HID node", With(kScannerHidraw, "HID_ID", "0003:0000046D:0000C31C"), any, Arrival::None, {}},
        {"HID_ID without a product", With(kScannerHidraw, "HID_ID", "0003:00000111"), any, Arrival::None, {}},
        // Removal: the same place leaves; a hidraw removal may come without numbers.
        {"adapter removed", With(kUsbSerialAdapter, "ACTION", "remove"), any, Arrival::Left, {qsp::kRs232, "/dev/ttyUSB0"}},
        {"HID node removed", {{"ACTION", "remove"}, {"SUBSYSTEM", "hidraw"}, {"DEVNAME", "/dev/hidraw3"}, {"DEVPATH", kScannerHidraw.at("DEVPATH")}}, any, Arrival::Left, scanner},
        // Other actions, names and subsystems are not arrivals.
        {"change", With(kCdcAcm, "ACTION", "change"), any, Arrival::None, {}},
        {"unnumbered name", With(kCdcAcm, "DEVNAME", "/dev/ttyACMx"), any, Arrival::None, {}},
        {"USB subsystem", With(kCdcAcm, "SUBSYSTEM", "usb"), any, Arrival::None, {}},
        // On-board ports only when named; links left out are not watched.
        {"on-board port", onBoard, any, Arrival::None, {}},
        {"named on-board port", onBoard, named, Arrival::Arrived, {qsp::kRs232, "/dev/ttyS0"}},
        {"another on-board port", With(onBoard, "DEVNAME", "/dev/ttyS1"), named, Arrival::None, {}},
        {"serial left out", kCdcAcm, usbOnly, Arrival::None, {}},
        {"USB kept", kScannerHidraw, usbOnly, Arrival::Arrived, scanner},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const auto d = qsp::DecideArrival(c.device, c.filter);
        EXPECT_EQ(d.what, c.what);
        if (c.what != Arrival::None) {
            EXPECT_EQ(d.place, c.place);
        }
    }
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
    EXPECT_EQ(qsp::Fleet(0).Jobs(), qsp::Fleet::kDefaultJobs);
    // At a stop, the scanners still waiting are handed over, once.
    qsp::Fleet stopped(1);
    for (const auto& p : {a, b, c})
        stopped.Apply({Arrival::Arrived, p});
    EXPECT_EQ(stopped.TakeStartable(), (std::vector<ScannerPlace>{a}));
    EXPECT_EQ(stopped.TakeWaiting(), (std::vector<ScannerPlace>{b, c}));
    EXPECT_TRUE(stopped.TakeWaiting().empty());
    EXPECT_EQ(stopped.Waiting(), 0);
}

TEST(Fleet, AUsbScannerStartsWhenItsNodesAreQuietAndALateNodeGetsOneMoreTry) {
    using namespace std::chrono_literals;
    const qsp::Fleet::Clock::time_point t0{};
    const ScannerPlace usb{qsp::kUsb, "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-2"};
    const ScannerPlace serial{qsp::kRs232, "/dev/ttyUSB0"};
    qsp::Fleet fleet(4);
    fleet.Apply({Arrival::Arrived, usb}, t0);
    fleet.Apply({Arrival::Arrived, serial}, t0);
    // The keyboard's node came first; the vendor node follows before the quiet period ends.
    EXPECT_EQ(fleet.TakeStartable(t0 + 500ms), (std::vector<ScannerPlace>{serial}));
    fleet.Apply({Arrival::Arrived, usb}, t0 + 800ms);
    EXPECT_TRUE(fleet.TakeStartable(t0 + 1500ms).empty());
    EXPECT_EQ(fleet.TakeStartable(t0 + 1800ms), (std::vector<ScannerPlace>{usb}));

    // Its set-up failed, and a node of it appears while it ran: one more try, then no more.
    fleet.Apply({Arrival::Arrived, usb}, t0 + 2s);
    fleet.Finished(usb, false, t0 + 3s);
    EXPECT_TRUE(fleet.TakeStartable(t0 + 3500ms).empty());
    EXPECT_EQ(fleet.TakeStartable(t0 + 4s), (std::vector<ScannerPlace>{usb}));
    fleet.Finished(usb, false, t0 + 5s);
    fleet.Apply({Arrival::Arrived, usb}, t0 + 6s);
    EXPECT_TRUE(fleet.TakeStartable(t0 + 60s).empty());

    // A node that arrives after a failed set-up has ended: one more try as well.
    qsp::Fleet later(1);
    later.Apply({Arrival::Arrived, usb}, t0);
    EXPECT_EQ(later.TakeStartable(t0 + 1s), (std::vector<ScannerPlace>{usb}));
    later.Finished(usb, false, t0 + 2s);
    EXPECT_TRUE(later.TakeStartable(t0 + 10s).empty());
    later.Apply({Arrival::Arrived, usb}, t0 + 11s);
    EXPECT_EQ(later.TakeStartable(t0 + 12s), (std::vector<ScannerPlace>{usb}));
    // One that was set up is left alone.
    later.Finished(usb, true, t0 + 13s);
    later.Apply({Arrival::Arrived, usb}, t0 + 14s);
    EXPECT_TRUE(later.TakeStartable(t0 + 20s).empty());
}

// Property sets as `udevadm info --query=property` shows them for what else sits on the bus.
// clang-format off
const qsp::DeviceProperties kUps = {
    {"ACTION", "add"}, {"SUBSYSTEM", "tty"}, {"DEVNAME", "/dev/ttyUSB1"},
    {"DEVLINKS", "/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0 /dev/serial/by-path/pci-0000:00:14.0-usb-0:3:1.0-port0"},
    {"ID_VENDOR_ID", "067b"}, {"ID_MODEL_ID", "2303"}, {"ID_SERIAL", "Prolific_Technology_Inc._USB-Serial_Controller"},
    {"ID_USB_DRIVER", "pl2303"}};
const qsp::DeviceProperties kGps = {
    {"ACTION", "add"}, {"SUBSYSTEM", "tty"}, {"DEVNAME", "/dev/ttyACM0"},
    {"DEVLINKS", "/dev/serial/by-id/usb-u-blox_AG_-_www.u-blox.com_u-blox_7_-_GPS_GNSS_Receiver-if00"},
    {"ID_VENDOR_ID", "1546"}, {"ID_MODEL_ID", "01a7"}, {"ID_SERIAL", "u-blox_AG_-_www.u-blox.com_u-blox_7_-_GPS_GNSS_Receiver"},
    {"ID_USB_DRIVER", "cdc_acm"}};
// clang-format on

TEST(ScannerArrival, MatchAndExcludeLeaveOtherSerialDevicesAlone) {
    qsp::ArrivalFilter ftdi, byId, byName, byPort;
    std::pair<std::string, std::string> m;
    ASSERT_TRUE(qsp::ParsePropertyMatch("ID_VENDOR_ID=0403", m));
    ftdi.match.push_back(m);
    ASSERT_TRUE(qsp::ParsePropertyMatch("ID_USB_DRIVER=ftdi_sio", m));
    ftdi.match.push_back(m);
    EXPECT_FALSE(qsp::ParsePropertyMatch("ID_VENDOR_ID", m));
    EXPECT_FALSE(qsp::ParsePropertyMatch("=0403", m));
    ASSERT_TRUE(qsp::ParsePropertyMatch("ID_SERIAL=a=b", m));
    EXPECT_EQ(m.second, "a=b");
    byId.exclude = {
        "/dev/serial/by-id/usb-u-blox_AG_-_www.u-blox.com_u-blox_7_-_GPS_GNSS_Receiver-if00"};
    byName.exclude = {"ttyUSB1", "hidraw3"};
    byPort.exclude = {"COM3"};
    struct Case {
        const char* label;
        const qsp::DeviceProperties& device;
        const qsp::ArrivalFilter& filter;
        Arrival what;
    };
    const Case cases[] = {
        {"the UPS without a match", kUps, byId, Arrival::Arrived},
        {"the UPS with a match", kUps, ftdi, Arrival::None},
        {"the GPS with a match", kGps, ftdi, Arrival::None},
        {"the adapter with a match", kUsbSerialAdapter, ftdi, Arrival::Arrived},
        {"the GPS by its by-id link", kGps, byId, Arrival::None},
        {"the UPS by name", kUps, byName, Arrival::None},
        {"the scanner's node by name", kScannerHidraw, byName, Arrival::None},
        {"the adapter by no name", kUsbSerialAdapter, byName, Arrival::Arrived},
        // Its removal carries no numbers: it still leaves.
        {"the adapter leaving",
         {{"ACTION", "remove"}, {"SUBSYSTEM", "tty"}, {"DEVNAME", "/dev/ttyUSB0"}},
         ftdi,
         Arrival::Left},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(qsp::DecideArrival(c.device, c.filter).what, c.what);
    }
    test_support::TempDir dir;
    fs::create_directories(dir.path() / "ports");
    fs::create_symlink("/dev/null", dir.path() / "ports" / "COM3");
    fs::create_symlink("/dev/null", dir.path() / "ports" / "COM4");
    byPort.usb = byPort.ps2 = false;
    EXPECT_EQ(qsp::PortsFolderPlaces(dir.path(), byPort),
              (std::set<ScannerPlace>{{qsp::kRs232, "COM4"}}));
}

TEST(SetupBound, GrowsWithSlowLinesLongDelaysAndTheSearchAndNeverOverflows) {
    using std::chrono::milliseconds;
    qsp::AppSettings s;
    s.BaudRate = "115200";
    s.DataParity = "None";
    s.DataLength = "8";
    s.StopBits = "1";
    s.Rs232Delay = 1;
    const auto fast = qsp::SetupBound(s);
    EXPECT_GE(fast, milliseconds(60000));
    EXPECT_LT(fast, milliseconds(62000));
    // 300 baud, 8E2: three blocks of about 520 characters of 12 bits take over a minute.
    s.BaudRate = "300";
    s.DataParity = "Even";
    s.StopBits = "2";
    const auto slow = qsp::SetupBound(s);
    EXPECT_GT(slow - fast, milliseconds(3 * 520 * 12 * 1000 / 300));
    // The search's tries add up.
    s.Automation = true;
    EXPECT_GT(qsp::SetupBound(s) - slow, milliseconds(144 * 100));
    // The largest factors and rates the settings can hold: positive, at most a week.
    for (const std::int32_t delay : {INT32_MAX, INT32_MIN, 0, -1}) {
        for (const char* baud : {"1", "0", "-300", "99999999999999999999", "", "fast"}) {
            SCOPED_TRACE(std::string(baud) + " " + std::to_string(delay));
            s.Rs232Delay = delay;
            s.BaudRate = baud;
            const auto bound = qsp::SetupBound(s);
            EXPECT_GE(bound, milliseconds(60000));
            EXPECT_LE(bound, std::chrono::hours(24 * 7));
        }
    }
    s.Rs232Delay = INT32_MAX;
    EXPECT_EQ(qsp::SetupBound(s), std::chrono::hours(24 * 7));
}

// Over each link, a block that differs is programmed and read back; the same change again
// writes nothing. (What a failure reports is the end-to-end tests' part.)
TEST(SetUpScanner, ProgramsOnlyADifferentBlockAndChecksItOnEveryLink) {
    for (int interface : {qsp::kRs232, qsp::kUsb, qsp::kPs2}) {
        SCOPED_TRACE(interface);
        qsptest::Rig rig(interface);
        rig.state.Settings.UsbDelay = rig.state.Settings.Ps2Delay = "1";
        const auto writes = [&] {
            return rig.model.writesAccepted() + rig.usbModel.writesAccepted() +
                   rig.ps2Model.writesAccepted();
        };
        // A profile-like change: the low nibble of byte 3, all of 300 and 511.
        const auto edit = [last = rig.model.block()[511] ^ 0xFF](qsp::ImageBytes& image) {
            image[3] = static_cast<std::uint8_t>((image[3] & 0xF0) | 0x04);
            image[300] = 0x12;
            image[511] = static_cast<std::uint8_t>(last);
            return std::string();
        };
        qsp::ImageBytes expected = rig.ScannerImage({});
        edit(expected);
        if (interface == qsp::kRs232) {  // the serial write's sum, kept by the scanner
            const auto sum = qsp::ImageSum(expected);
            expected[254] = static_cast<std::uint8_t>(sum >> 8);
            expected[255] = static_cast<std::uint8_t>(sum & 0xFF);
        }
        int changed = 0;
        for (std::size_t i = 0; i < 512; ++i)
            changed += expected[i] != rig.model.block()[i];
        const auto blockXor =
            std::accumulate(expected.begin(), expected.begin() + 512, 0, std::bit_xor<>());
        rig.lock.LockMainWindow();
        auto out = qsp::SetUpScanner(rig.link, interface, "1", edit);
        EXPECT_EQ(out.result, qsp::SetupResult::Programmed) << out.message;
        EXPECT_EQ(out.message, "Parameter is programmed successfully.");
        EXPECT_EQ(out.bytesChanged, changed);
        EXPECT_EQ(rig.ScannerImage(expected), expected);
        EXPECT_EQ(out.blockXor, blockXor);

        const int written = writes();
        out = qsp::SetUpScanner(rig.link, interface, "1", edit);
        EXPECT_EQ(out.result, qsp::SetupResult::Unchanged) << out.message;
        EXPECT_EQ(out.bytesChanged, 0);
        EXPECT_EQ(out.blockXor, blockXor);
        EXPECT_EQ(writes(), written);
        rig.lock.UnlockMainWindow(qsp::kButtonSetup);
    }
}

}  // namespace
