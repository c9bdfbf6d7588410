#include "link/scanner_arrival.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "base/settings_file.h"

namespace qsp {

namespace fs = std::filesystem;

namespace {

std::string Property(const DeviceProperties& device, const std::string& name) {
    auto it = device.find(name);
    return it == device.end() ? std::string() : it->second;
}

// "/dev/ttyUSB12" starts with "/dev/ttyUSB" and ends in digits.
bool NumberedName(const std::string& name, const std::string& stem) {
    if (name.size() <= stem.size() || name.compare(0, stem.size(), stem) != 0) return false;
    return std::all_of(name.begin() + static_cast<long>(stem.size()), name.end(),
                       [](unsigned char c) { return std::isdigit(c) != 0; });
}

bool HexEquals(const std::string& text, unsigned value) {
    if (text.empty() || text.size() > 8) return false;
    char* end = nullptr;
    const unsigned long v = std::strtoul(text.c_str(), &end, 16);
    return end && *end == '\0' && v == value;
}

// The vendor and product of a USB device: ID_VENDOR_ID and ID_MODEL_ID (four hexadecimal
// digits), or a HID device's HID_ID "bus:vendor:product" (eight digits each).
bool IsScannerUsb(const DeviceProperties& device) {
    const std::string hid = Property(device, "HID_ID");
    if (!hid.empty()) {
        const auto first = hid.find(':');
        const auto second = hid.find(':', first == std::string::npos ? first : first + 1);
        if (first == std::string::npos || second == std::string::npos) return false;
        return HexEquals(hid.substr(first + 1, second - first - 1), kScannerVendorId) &&
               HexEquals(hid.substr(second + 1), kScannerProductId);
    }
    return HexEquals(Property(device, "ID_VENDOR_ID"), kScannerVendorId) &&
           HexEquals(Property(device, "ID_MODEL_ID"), kScannerProductId);
}

bool ListedSerialPort(const std::string& devname, const std::vector<std::string>& ports) {
    const std::string name = devname.substr(devname.rfind('/') + 1);
    return std::any_of(ports.begin(), ports.end(),
                       [&](const std::string& p) { return p == devname || p == name; });
}

// "/dev/ttyUSB1" is left out by "/dev/ttyUSB1", "ttyUSB1" or one of its udev links.
bool Excluded(const DeviceProperties& device, const std::vector<std::string>& exclude) {
    if (exclude.empty()) return false;
    const std::string devname = Property(device, "DEVNAME");
    std::vector<std::string> names{devname, devname.substr(devname.rfind('/') + 1)};
    const std::string links = Property(device, "DEVLINKS");
    for (std::size_t at = 0; at < links.size();) {
        const std::size_t end = std::min(links.find(' ', at), links.size());
        if (end > at) names.push_back(links.substr(at, end - at));
        at = end + 1;
    }
    return std::any_of(exclude.begin(), exclude.end(), [&](const std::string& e) {
        return std::find(names.begin(), names.end(), e) != names.end();
    });
}

bool Matches(const DeviceProperties& device,
             const std::vector<std::pair<std::string, std::string>>& match) {
    return std::all_of(match.begin(), match.end(), [&](const auto& m) {
        const auto it = device.find(m.first);
        return it != device.end() && it->second == m.second;
    });
}

// USB-serial adapters and CDC-ACM devices come and go; an on-board port only when named.
bool IsWatchedSerialDevice(const std::string& devname, const ArrivalFilter& filter) {
    return NumberedName(devname, "/dev/ttyUSB") || NumberedName(devname, "/dev/ttyACM") ||
           (NumberedName(devname, "/dev/ttyS") && ListedSerialPort(devname, filter.serialPorts));
}

}  // namespace

std::string UsbDeviceOf(const std::string& devpath) {
    // /devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.1/0003:0111:0111.0007/hidraw/hidraw3: the
    // components after the bus "usbN" up to the first interface ("1-2:1.1") name the device.
    const auto bus = devpath.find("/usb");
    if (bus == std::string::npos) return {};
    std::size_t end = devpath.find('/', bus + 1);
    std::size_t deviceEnd = std::string::npos;
    while (end != std::string::npos) {
        const std::size_t next = devpath.find('/', end + 1);
        const std::string part =
            devpath.substr(end + 1, next == std::string::npos ? next : next - end - 1);
        if (part.find(':') != std::string::npos) break;
        deviceEnd = next;
        end = next;
    }
    if (deviceEnd == std::string::npos || end == std::string::npos) return {};
    return "/sys" + devpath.substr(0, deviceEnd);
}

bool ArrivalFilter::Takes(int interface) const {
    return (interface == kRs232 && rs232) || (interface == kUsb && usb) ||
           (interface == kPs2 && ps2);
}

ArrivalDecision DecideArrival(const DeviceProperties& device, const ArrivalFilter& filter) {
    ArrivalDecision d;
    const std::string action = Property(device, "ACTION");
    const Arrival what = action == "add"      ? Arrival::Arrived
                         : action == "remove" ? Arrival::Left
                                              : Arrival::None;
    const std::string devname = Property(device, "DEVNAME");
    const std::string subsystem = Property(device, "SUBSYSTEM");
    if (what == Arrival::None || devname.empty() || devname.front() != '/') return d;
    // A removal may come without the properties that chose the device; leaving a place that was
    // never taken changes nothing.
    if (what == Arrival::Arrived && Excluded(device, filter.exclude)) return d;
    if (subsystem == "tty" && filter.rs232) {
        if (IsWatchedSerialDevice(devname, filter) &&
            (what == Arrival::Left || Matches(device, filter.match)))
            d = {what, {kRs232, devname}};
    } else if (subsystem == "hidraw" && filter.usb && NumberedName(devname, "/dev/hidraw")) {
        // A removal may come without the numbers; leaving an unknown place changes nothing.
        const std::string usb = UsbDeviceOf(Property(device, "DEVPATH"));
        if (!usb.empty() && (IsScannerUsb(device) || what == Arrival::Left))
            d = {what, {kUsb, usb}};
    }
    return d;
}

std::set<ScannerPlace> PortsFolderPlaces(const fs::path& settingsDir, const ArrivalFilter& filter) {
    std::set<ScannerPlace> places;
    const fs::path ports = settingsDir / "ports";
    std::error_code ec;
    for (fs::directory_iterator it(ports, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code e;
        if (NumberedName(name, "COM") && filter.rs232) {
            const int n = std::atoi(name.c_str() + 3);
            // A link left behind by a scanner that is gone points nowhere.
            if (n < 1 || n > 99 || !fs::exists(it->path(), e)) continue;
            if (std::find(filter.exclude.begin(), filter.exclude.end(), name) !=
                filter.exclude.end())
                continue;
            const std::string target = fs::canonical(it->path(), e).string();
            if (filter.udev && IsWatchedSerialDevice(target, filter)) continue;
            places.insert({kRs232, name});
        } else if (name == "USB" && filter.usb && fs::is_socket(it->path(), e)) {
            places.insert({kUsb, name});
        } else if (name == "PS2" && filter.ps2 &&
                   (fs::is_socket(it->path(), e) || fs::is_character_file(it->path(), e))) {
            places.insert({kPs2, name});
        }
    }
    return places;
}

std::vector<ArrivalDecision> PlaceChanges(const std::set<ScannerPlace>& before,
                                          const std::set<ScannerPlace>& now) {
    std::vector<ArrivalDecision> changes;
    for (const auto& p : before)
        if (!now.count(p)) changes.push_back({Arrival::Left, p});
    for (const auto& p : now)
        if (!before.count(p)) changes.push_back({Arrival::Arrived, p});
    return changes;
}

void Fleet::Queue(const ScannerPlace& place, Entry& entry, Clock::time_point now) {
    entry.state = State::Waiting;
    if (place.interface == kUsb && place.IsDevicePath()) entry.notBefore = now + kUsbSettle;
    if (std::find(order_.begin(), order_.end(), place) == order_.end()) order_.push_back(place);
}

void Fleet::Apply(const ArrivalDecision& change, Clock::time_point now) {
    auto it = places_.find(change.place);
    if (change.what == Arrival::Arrived) {
        if (it == places_.end()) {
            Queue(change.place, places_[change.place], now);
            return;
        }
        Entry& e = it->second;
        if (!e.present) {
            // Left while its set-up ran, and back: it is set up again when that one ends.
            e.present = true;
            e.again = true;
        } else if (e.state == State::Waiting) {
            Queue(change.place, e, now);  // another node of it: the quiet period starts again
        } else if (e.state == State::Running) {
            e.lateNode = true;
        } else if (e.failed && !e.retried) {
            e.retried = true;
            Queue(change.place, e, now);
        }
    } else if (change.what == Arrival::Left && it != places_.end()) {
        if (it->second.state == State::Running) {
            it->second.present = false;
            it->second.again = false;
        } else {
            if (it->second.state == State::Waiting)
                order_.erase(std::find(order_.begin(), order_.end(), change.place));
            places_.erase(it);
        }
    }
}

std::vector<ScannerPlace> Fleet::TakeStartable(Clock::time_point now) {
    std::vector<ScannerPlace> start;
    int running = Running();
    for (auto it = order_.begin(); running < jobs_ && it != order_.end();) {
        Entry& e = places_[*it];
        if (e.notBefore > now) {
            ++it;
            continue;
        }
        e.state = State::Running;
        e.lateNode = false;
        start.push_back(*it);
        it = order_.erase(it);
        ++running;
    }
    return start;
}

void Fleet::Finished(const ScannerPlace& place, bool succeeded, Clock::time_point now) {
    auto it = places_.find(place);
    if (it == places_.end() || it->second.state != State::Running) return;
    Entry& e = it->second;
    e.failed = !succeeded;
    if (!e.present) {
        places_.erase(it);
    } else if (e.again) {
        e = Entry{};
        Queue(place, e, now);
    } else if (e.lateNode && e.failed && !e.retried) {
        e.retried = true;
        Queue(place, e, now);
    } else {
        e.state = State::Done;
    }
}

std::vector<ScannerPlace> Fleet::TakeWaiting() {
    std::vector<ScannerPlace> waiting;
    waiting.swap(order_);
    for (const auto& p : waiting)
        places_.erase(p);
    return waiting;
}

bool ParsePropertyMatch(const std::string& text, std::pair<std::string, std::string>& match) {
    const auto equals = text.find('=');
    if (equals == std::string::npos || equals == 0) return false;
    match = {text.substr(0, equals), text.substr(equals + 1)};
    return true;
}

std::chrono::milliseconds SetupBound(const AppSettings& s) {
    using std::int64_t;
    // Every figure is 64-bit and starts from 32-bit settings, so no sum below can overflow.
    int64_t baud = std::strtoll(s.BaudRate.c_str(), nullptr, 10);
    if (baud <= 0) baud = 300;  // unknown: the slowest rate the link offers
    const int64_t data = s.DataLength.empty() || s.DataLength[0] != '7' ? 8 : 7;
    const int64_t parity = s.DataParity.empty() || s.DataParity[0] == 'N' ? 0 : 1;
    const int64_t stop = s.StopBits.empty() || s.StopBits[0] != '2' ? 1 : 2;
    const int64_t bitsPerByte = 1 + data + parity + stop;
    // Read, write and read back: three blocks with their frames, plus the handshakes.
    constexpr int64_t kBytes = 3 * 520 + 64;
    const int64_t transferMs = kBytes * bitsPerByte * 1000 / baud + 1;
    // A reply waits up to Rs232Delay x 500 passes, x 8 at the slowest rate, of about 5 us each.
    const int64_t delay = std::max<int64_t>(s.Rs232Delay, 0);
    const int64_t replyMs = delay * 500 * 8 * 5 / 1000 + 10;
    constexpr int64_t kReplies = 8;
    // The search tries 144 settings, each with a LINK at down to 300 baud, a wait and a pause.
    const int64_t searchMs = s.Automation ? 144 * (replyMs + 4 * 12 * 1000 / 300 + 10) : 0;
    constexpr int64_t kWeekMs = int64_t{7} * 24 * 3600 * 1000;
    const int64_t total = 60000 + transferMs + kReplies * replyMs + searchMs;
    return std::chrono::milliseconds(std::clamp<int64_t>(total, 60000, kWeekMs));
}

int Fleet::Running() const {
    return static_cast<int>(std::count_if(places_.begin(), places_.end(), [](const auto& e) {
        return e.second.state == State::Running;
    }));
}

int Fleet::Waiting() const {
    return static_cast<int>(order_.size());
}

}  // namespace qsp
