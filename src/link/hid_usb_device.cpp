// The scanner on USB through hidapi (hidraw). Reports carry no id on the device, so a report is
// written with id 0 in front and its input comes without one; the library's 9-byte report puts
// the id 0 back in front (HidInputToReport).

#include <hidapi.h>
#include <unistd.h>

#include <string>

#include "base/device_lock.h"
#include "link/keyboard_wedge.h"
#include "link/wedge_device.h"

namespace qsp {

namespace {

class HidUsbDevice : public WedgeDevice {
public:
    HidUsbDevice(hid_device* device, int lock) : device_(device), lock_(lock) {}
    ~HidUsbDevice() override {
        hid_close(device_);
        ::close(lock_);
    }
    HidUsbDevice(const HidUsbDevice&) = delete;
    HidUsbDevice& operator=(const HidUsbDevice&) = delete;

    bool Send(const std::uint8_t* data, std::size_t size) override {
        unsigned char stale[64];
        while (hid_read_timeout(device_, stale, sizeof stale, 0) > 0) {
        }
        return hid_write(device_, data, size) == static_cast<int>(size);
    }

    std::size_t Receive(std::uint8_t* data, std::size_t size, int timeoutMs) override {
        unsigned char input[64];
        const int n = hid_read_timeout(device_, input, sizeof input, timeoutMs);
        if (n <= 0) return 0;
        return HidInputToReport(input, static_cast<std::size_t>(n), data, size);
    }

private:
    hid_device* device_;
    int lock_;  // an open of the same node that holds the device's lock
};

// Whether the hidraw node `node` (/dev/hidrawN) belongs to the USB device `usbDevice` in sysfs.
bool OnUsbDevice(const std::string& node, const std::filesystem::path& usbDevice) {
    std::error_code deviceError, usbError;
    const auto name = std::filesystem::path(node).filename();
    const auto device =
        std::filesystem::canonical("/sys/class/hidraw" / name / "device", deviceError);
    const auto usb = std::filesystem::canonical(usbDevice, usbError);
    if (deviceError || usbError) return false;
    const std::string prefix = usb.string() + "/";
    return device.string().compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

// A scanner may show several HID interfaces (its keyboard among them); the configuration one is
// taken to be the interface with a vendor-defined usage page, else the first one found.
std::unique_ptr<WedgeDevice> OpenHidDevice(std::uint16_t vendor, std::uint16_t product,
                                           const std::filesystem::path& usbDevice) {
    if (hid_init() != 0) return nullptr;
    hid_device_info* list = hid_enumerate(vendor, product);
    std::string path;
    for (hid_device_info* d = list; d; d = d->next) {
        if (!d->path || (!usbDevice.empty() && !OnUsbDevice(d->path, usbDevice))) continue;
        if (path.empty()) path = d->path;
        if (d->usage_page >= 0xFF00) {
            path = d->path;
            break;
        }
    }
    hid_free_enumeration(list);
    if (path.empty()) return nullptr;
    const int lock = OpenLockedDevice(path);
    if (lock < 0) return nullptr;
    hid_device* device = hid_open_path(path.c_str());
    if (!device) {
        ::close(lock);
        return nullptr;
    }
    return std::make_unique<HidUsbDevice>(device, lock);
}

}  // namespace qsp
