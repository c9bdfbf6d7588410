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
using namespace std::chrono_literals;
using qsp::Arrival;
using qsp::ScannerPlace;
using Places = std::vector<ScannerPlace>;
using PlaceSet = std::set<ScannerPlace>;

// Events as `udevadm monitor --property` shows them, and for what else sits on the bus.
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
const std::string kGpsLink = "/dev/serial/by-id/usb-u-blox_AG_-_www.u-blox.com_u-blox_7_-_GPS_GNSS_Receiver-if00";
const qsp::DeviceProperties kUps = {
    {"ACTION", "add"}, {"SUBSYSTEM", "tty"}, {"DEVNAME", "/dev/ttyUSB1"},
    {"DEVLINKS", "/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0 /dev/serial/by-path/pci-0000:00:14.0-usb-0:3:1.0-port0"},
    {"ID_VENDOR_ID", "067b"}, {"ID_MODEL_ID", "2303"}, {"ID_SERIAL", "Prolific_Technology_Inc._USB-Serial_Controller"},
    {"ID_USB_DRIVER", "pl2303"}};
const qsp::DeviceProperties kGps = {
    {"ACTION", "add"}, {"SUBSYSTEM", "tty"}, {"DEVNAME", "/dev/ttyACM0"}, {"DEVLINKS", kGpsLink},
    {"ID_VENDOR_ID", "1546"}, {"ID_MODEL_ID", "01a7"}, {"ID_SERIAL", "u-blox_AG_-_www.u-blox.com_u-blox_7_-_GPS_GNSS_Receiver"},
    {"ID_USB_DRIVER", "cdc_acm"}};
// clang-format on

qsp::DeviceProperties With(qsp::DeviceProperties p, const std::string& key, const std::string& v) {
    p[key] = v;
    return p;
}

// Which udev events are scanners arriving or leaving, under each filter a user can give.
TEST(ScannerArrival, UdevDevicesBecomeArrivalsOnlyWhereAScannerCanBe) {
    const auto onBoard = With(kUsbSerialAdapter, "DEVNAME", "/dev/ttyS0");
    qsp::ArrivalFilter any, named, usbOnly, ftdi, byId, byName;
    named.serialPorts = {"ttyS0"};
    usbOnly.rs232 = usbOnly.ps2 = false;
    std::pair<std::string, std::string> m;
    for (const char* rule : {"ID_VENDOR_ID=0403", "ID_USB_DRIVER=ftdi_sio"}) {
        ASSERT_TRUE(qsp::ParsePropertyMatch(rule, m));
        ftdi.match.push_back(m);
    }
    EXPECT_FALSE(qsp::ParsePropertyMatch("ID_VENDOR_ID", m));
    EXPECT_FALSE(qsp::ParsePropertyMatch("=0403", m));
    ASSERT_TRUE(qsp::ParsePropertyMatch("ID_SERIAL=a=b", m));
    EXPECT_EQ(m.second, "a=b");
    byId.exclude = {kGpsLink};
    byName.exclude = {"ttyUSB1", "hidraw3"};
    const ScannerPlace scanner{qsp::kUsb, "/sys" + kScannerUsb};
    const ScannerPlace adapter{qsp::kRs232, "/dev/ttyUSB0"};
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
        {"USB serial adapter", kUsbSerialAdapter, any, Arrival::Arrived, adapter},
        {"CDC-ACM device", kCdcAcm, any, Arrival::Arrived, {qsp::kRs232, "/dev/ttyACM1"}},
        {"the scanner's HID node", kScannerHidraw, any, Arrival::Arrived, scanner},
        {"its keyboard interface is the same scanner", With(kScannerHidraw, "DEVPATH", kScannerUsb + "/1-2:1.0/0003:0111:0111.0006/hidraw/hidraw4"), any, Arrival::Arrived, scanner},
        {"behind a hub", With(kScannerHidraw, "DEVPATH", "/devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1.4/2-1.4:1.1/0003:0111:0111.0009/hidraw/hidraw7"), any, Arrival::Arrived, {qsp::kUsb, "/sys/devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1.4"}},
        {"on no USB bus", With(kScannerHidraw, "DEVPATH", "/devices/virtual/misc/uhid/0003:0111:0111.0001/hidraw/hidraw1"), any, Arrival::None, {}},
        {"a keyboard's HID node", With(kScannerHidraw, "HID_ID", "0003:0000046D:0000C31C"), any, Arrival::None, {}},
        {"HID_ID without a product", With(kScannerHidraw, "HID_ID", "0003:00000111"), any, Arrival::None, {}},
        // Removal: the same place leaves; a removal may come without numbers, and still leaves
        // under a match.
        {"adapter removed", With(kUsbSerialAdapter, "ACTION", "remove"), any, Arrival::Left, adapter},
        {"HID node removed", {{"ACTION", "remove"}, {"SUBSYSTEM", "hidraw"}, {"DEVNAME", "/dev/hidraw3"}, {"DEVPATH", kScannerHidraw.at("DEVPATH")}}, any, Arrival::Left, scanner},
        {"adapter leaving", {{"ACTION", "remove"}, {"SUBSYSTEM", "tty"}, {"DEVNAME", "/dev/ttyUSB0"}}, ftdi, Arrival::Left, adapter},
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
        // --match and --exclude leave other serial devices alone.
        {"the UPS without a match", kUps, byId, Arrival::Arrived, {qsp::kRs232, "/dev/ttyUSB1"}},
        {"the UPS with a match", kUps, ftdi, Arrival::None, {}},
        {"the GPS with a match", kGps, ftdi, Arrival::None, {}},
        {"the adapter with a match", kUsbSerialAdapter, ftdi, Arrival::Arrived, adapter},
        {"the GPS by its by-id link", kGps, byId, Arrival::None, {}},
        {"the UPS by name", kUps, byName, Arrival::None, {}},
        {"the scanner's node by name", kScannerHidraw, byName, Arrival::None, {}},
        {"the adapter by no name", kUsbSerialAdapter, byName, Arrival::Arrived, adapter},
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
    for (const char* entry : {"COM3", "COMX", "PS2"})
        fs::create_symlink("/dev/null", ports / entry);
    fs::create_symlink("/dev/nonexistent-qsp", ports / "COM4");  // left behind
    std::ofstream(ports / "USB") << "not a socket";
    const qsp::ArrivalFilter any;
    const auto places = qsp::PortsFolderPlaces(dir.path(), any);
    EXPECT_EQ(places, (PlaceSet{{qsp::kRs232, "COM3"}, {qsp::kPs2, "PS2"}}));

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

    // Links left out, and ports excluded by name, are not watched.
    fs::create_symlink("/dev/null", ports / "COM5");
    qsp::ArrivalFilter serialOnly;
    serialOnly.usb = serialOnly.ps2 = false;
    serialOnly.exclude = {"COM5"};
    EXPECT_EQ(qsp::PortsFolderPlaces(dir.path(), serialOnly), (PlaceSet{{qsp::kRs232, "COM3"}}));

    // A link to a device udev reports is udev's, so the scanner is not set up twice at once.
    if (fs::exists("/dev/ttyS0")) {
        fs::create_symlink("/dev/ttyS0", ports / "COM6");
        serialOnly.serialPorts = {"ttyS0"};
        EXPECT_EQ(qsp::PortsFolderPlaces(dir.path(), serialOnly).count({qsp::kRs232, "COM6"}), 1u);
        serialOnly.udev = true;
        EXPECT_EQ(qsp::PortsFolderPlaces(dir.path(), serialOnly).count({qsp::kRs232, "COM6"}), 0u);
    }
}

void Apply(qsp::Fleet& fleet, Arrival what, const Places& places) {
    for (const auto& p : places)
        fleet.Apply({what, p});
}

TEST(Fleet, EachArrivalIsSetUpOnceWithinTheNumberOfJobs) {
    qsp::Fleet fleet(2);
    const ScannerPlace a{0, "COM1"}, b{0, "COM2"}, c{0, "COM3"};
    Apply(fleet, Arrival::Arrived, {a, b, c, a});  // a second arrival of a present one is nothing
    EXPECT_EQ(fleet.TakeStartable(), (Places{a, b}));
    EXPECT_TRUE(fleet.TakeStartable().empty());
    EXPECT_EQ(fleet.Waiting(), 1);
    fleet.Finished(a);
    EXPECT_EQ(fleet.TakeStartable(), (Places{c}));
    // a stays: it is not set up again.
    Apply(fleet, Arrival::Arrived, {a});
    fleet.Finished(b);
    fleet.Finished(c);
    EXPECT_TRUE(fleet.TakeStartable().empty());
    // a leaves and comes back, also while being set up: set up again, after the running set-up.
    for (bool running : {false, true}) {
        Apply(fleet, Arrival::Left, {a});
        Apply(fleet, Arrival::Arrived, {a});
        if (running) fleet.Finished(a);
        EXPECT_EQ(fleet.TakeStartable(), (Places{a}));
    }
    // It leaves during its set-up and stays away: forgotten.
    Apply(fleet, Arrival::Left, {a});
    fleet.Finished(a);
    EXPECT_EQ(fleet.Running(), 0);
    EXPECT_TRUE(fleet.TakeStartable().empty());
    // A waiting scanner that leaves is not set up.
    qsp::Fleet one(1);
    Apply(one, Arrival::Arrived, {a, b});
    EXPECT_EQ(one.TakeStartable(), (Places{a}));
    Apply(one, Arrival::Left, {b});
    one.Finished(a);
    EXPECT_TRUE(one.TakeStartable().empty());
    EXPECT_EQ(qsp::Fleet(0).Jobs(), qsp::Fleet::kDefaultJobs);
    // At a stop, the scanners still waiting are handed over, once.
    qsp::Fleet stopped(1);
    Apply(stopped, Arrival::Arrived, {a, b, c});
    EXPECT_EQ(stopped.TakeStartable(), (Places{a}));
    EXPECT_EQ(stopped.TakeWaiting(), (Places{b, c}));
    EXPECT_TRUE(stopped.TakeWaiting().empty());
    EXPECT_EQ(stopped.Waiting(), 0);
}

TEST(Fleet, AUsbScannerStartsWhenItsNodesAreQuietAndALateNodeGetsOneMoreTry) {
    const qsp::Fleet::Clock::time_point t0{};
    const ScannerPlace usb{qsp::kUsb, "/sys" + kScannerUsb};
    const ScannerPlace serial{qsp::kRs232, "/dev/ttyUSB0"};
    qsp::Fleet fleet(4);
    fleet.Apply({Arrival::Arrived, usb}, t0);
    fleet.Apply({Arrival::Arrived, serial}, t0);
    // The keyboard's node came first; the vendor node follows before the quiet period ends.
    EXPECT_EQ(fleet.TakeStartable(t0 + 500ms), (Places{serial}));
    fleet.Apply({Arrival::Arrived, usb}, t0 + 800ms);
    EXPECT_TRUE(fleet.TakeStartable(t0 + 1500ms).empty());
    EXPECT_EQ(fleet.TakeStartable(t0 + 1800ms), (Places{usb}));
    // Its set-up failed, and a node of it appears while it ran: one more try, then no more.
    fleet.Apply({Arrival::Arrived, usb}, t0 + 2s);
    fleet.Finished(usb, false, t0 + 3s);
    EXPECT_TRUE(fleet.TakeStartable(t0 + 3500ms).empty());
    EXPECT_EQ(fleet.TakeStartable(t0 + 4s), (Places{usb}));
    fleet.Finished(usb, false, t0 + 5s);
    fleet.Apply({Arrival::Arrived, usb}, t0 + 6s);
    EXPECT_TRUE(fleet.TakeStartable(t0 + 60s).empty());

    // A node that arrives after a failed set-up has ended: one more try as well.
    qsp::Fleet later(1);
    later.Apply({Arrival::Arrived, usb}, t0);
    EXPECT_EQ(later.TakeStartable(t0 + 1s), (Places{usb}));
    later.Finished(usb, false, t0 + 2s);
    EXPECT_TRUE(later.TakeStartable(t0 + 10s).empty());
    later.Apply({Arrival::Arrived, usb}, t0 + 11s);
    EXPECT_EQ(later.TakeStartable(t0 + 12s), (Places{usb}));
    // One that was set up is left alone.
    later.Finished(usb, true, t0 + 13s);
    later.Apply({Arrival::Arrived, usb}, t0 + 14s);
    EXPECT_TRUE(later.TakeStartable(t0 + 20s).empty());
}

TEST(SetupBound, GrowsWithSlowLinesLongDelaysAndTheSearchAndNeverOverflows) {
    using std::chrono::milliseconds;
    const auto week = std::chrono::hours(24 * 7);
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
    s.Automation = true;  // the search's tries add up
    EXPECT_GT(qsp::SetupBound(s) - slow, milliseconds(144 * 100));
    // The largest factors and rates the settings can hold: positive, at most a week.
    for (const std::int32_t delay : {INT32_MAX, INT32_MIN, 0, -1}) {
        for (const char* baud : {"1", "0", "-300", "99999999999999999999", "", "fast"}) {
            SCOPED_TRACE(std::string(baud) + " " + std::to_string(delay));
            s.Rs232Delay = delay;
            s.BaudRate = baud;
            const auto bound = qsp::SetupBound(s);
            EXPECT_GE(bound, milliseconds(60000));
            EXPECT_LE(bound, week);
        }
    }
    s.Rs232Delay = INT32_MAX;
    EXPECT_EQ(qsp::SetupBound(s), week);
}

// Over each link, a block that differs is programmed and read back; the same change again
// writes nothing.
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
