#pragma once
// Scanners arriving and leaving, as the fleet set-up sees them: a place is where one scanner is
// reached (a serial device, a hidraw node, or a ports/ entry of the virtual scanner); udev's
// device properties and the ports/ folder turn into "arrived here" and "left here".

#include <chrono>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/settings_file.h"

namespace qsp {

// The scanner's USB numbers (the library's open call takes the same pair).
inline constexpr unsigned kScannerVendorId = 0x0111;
inline constexpr unsigned kScannerProductId = 0x0111;

struct ScannerPlace {
    int interface = 0;  // 0 RS-232, 1 USB, 2 PS/2
    // An absolute path: a serial device (/dev/ttyUSB0) or, on USB, the scanner's USB device in
    // sysfs (/sys/devices/.../usb1/1-2), which may show several hidraw nodes; or an entry of the
    // settings folder's ports/: "COM<n>", "USB", "PS2".
    std::string device;

    bool IsDevicePath() const { return !device.empty() && device.front() == '/'; }
    auto operator<=>(const ScannerPlace&) const = default;
};

// Which links a fleet set-up looks at.
struct ArrivalFilter {
    bool rs232 = true;
    bool usb = true;
    bool ps2 = true;
    // On-board serial ports (/dev/ttyS*) carry no scanner by themselves: only those named here.
    std::vector<std::string> serialPorts;
    // udev is watched too: a ports/COM<n> link to a device udev reports is left to udev, so one
    // scanner is not set up twice at once.
    bool udev = false;
    // A serial device counts only when it has every one of these udev properties with exactly
    // this value (ID_VENDOR_ID=0403, ID_SERIAL=...): a UPS or a GPS receiver on the same bus is
    // left alone. Empty: every watched serial device.
    std::vector<std::pair<std::string, std::string>> match;
    // Devices left out, by path (/dev/ttyUSB1), by one of their udev links
    // (/dev/serial/by-id/...), by name (ttyUSB1, hidraw2) or by ports/ entry (COM3).
    std::vector<std::string> exclude;

    bool Takes(int interface) const;
};

enum class Arrival { None, Arrived, Left };

struct ArrivalDecision {
    Arrival what = Arrival::None;
    ScannerPlace place;
};

// One udev event or enumerated device, as its properties (ACTION, SUBSYSTEM, DEVNAME, and the
// USB numbers as ID_VENDOR_ID/ID_MODEL_ID or, for hidraw, the parent's HID_ID).
using DeviceProperties = std::map<std::string, std::string>;
// The sysfs path of the USB device a device path lies under ("/sys/devices/.../usb1/1-2");
// empty when it lies under none.
std::string UsbDeviceOf(const std::string& devpath);
ArrivalDecision DecideArrival(const DeviceProperties& device, const ArrivalFilter& filter);

// The places the settings folder's ports/ offers now: COM<n> links whose device exists, and the
// USB and PS2 entries.
std::set<ScannerPlace> PortsFolderPlaces(const std::filesystem::path& settingsDir,
                                         const ArrivalFilter& filter);

// What changed between two looks at the ports/ folder.
std::vector<ArrivalDecision> PlaceChanges(const std::set<ScannerPlace>& before,
                                          const std::set<ScannerPlace>& now);

// "KEY=VALUE" as a udev property to match; false when there is no "=" or no key.
bool ParsePropertyMatch(const std::string& text, std::pair<std::string, std::string>& match);

// How long one scanner's set-up may take before it counts as hung: a minute for the exchange,
// the transfer of the blocks at the configured rate and character size, every reply's longest
// wait, and the longest settings search the settings allow. Never negative, at most a week,
// whatever the delay factor.
std::chrono::milliseconds SetupBound(const AppSettings& settings);

// Which places to set up, and when: each scanner once per arrival, at most `jobs` at a time.
// A USB scanner shows a hidraw node per interface, one after another: it starts only after its
// nodes have been quiet for `kUsbSettle`, and one whose set-up failed gets one more try when a
// further node of it arrives.
class Fleet {
public:
    using Clock = std::chrono::steady_clock;
    // jobs 0: kDefaultJobs.
    explicit Fleet(int jobs) : jobs_(jobs > 0 ? jobs : kDefaultJobs) {}
    static constexpr int kDefaultJobs = 32;
    static constexpr std::chrono::milliseconds kUsbSettle{1000};

    void Apply(const ArrivalDecision& change, Clock::time_point now = Clock::now());
    // Places to start now (marked running).
    std::vector<ScannerPlace> TakeStartable(Clock::time_point now = Clock::now());
    // A set-up has ended; a scanner that left and came back meanwhile waits again.
    void Finished(const ScannerPlace& place, bool succeeded = true,
                  Clock::time_point now = Clock::now());
    // The places still waiting, in order of arrival; they wait no more.
    std::vector<ScannerPlace> TakeWaiting();

    int Running() const;
    int Waiting() const;
    int Jobs() const { return jobs_; }

private:
    enum class State { Waiting, Running, Done };
    struct Entry {
        State state = State::Waiting;
        bool present = true;
        bool again = false;     // came back while its set-up was running
        bool lateNode = false;  // a further node of it arrived while its set-up was running
        bool failed = false;    // its last set-up failed
        bool retried = false;   // it had its one more try
        Clock::time_point notBefore{};
    };
    void Queue(const ScannerPlace& place, Entry& entry, Clock::time_point now);
    int jobs_;
    std::map<ScannerPlace, Entry> places_;
    std::vector<ScannerPlace> order_;  // waiting places, in order of arrival
};

}  // namespace qsp
