#include "link/udev_watch.h"

#include <libudev.h>

#include "base/text_ids.h"

namespace qsp {

namespace {

// The device's own properties; a hidraw node takes its USB numbers from its HID parent.
DeviceProperties PropertiesOf(udev_device* device, const char* action) {
    DeviceProperties p;
    for (udev_list_entry* e = udev_device_get_properties_list_entry(device); e;
         e = udev_list_entry_get_next(e)) {
        const char* value = udev_list_entry_get_value(e);
        p[udev_list_entry_get_name(e)] = value ? value : "";
    }
    if (action) p["ACTION"] = action;
    if (!p.count("HID_ID")) {
        if (udev_device* hid =
                udev_device_get_parent_with_subsystem_devtype(device, "hid", nullptr)) {
            if (const char* id = udev_device_get_property_value(hid, "HID_ID")) p["HID_ID"] = id;
        }
    }
    return p;
}

}  // namespace

UdevWatch::~UdevWatch() {
    if (monitor_) udev_monitor_unref(monitor_);
    if (udev_) udev_unref(udev_);
}

bool UdevWatch::Start(TextMessage& error) {
    udev_ = udev_new();
    if (!udev_) {
        error = {kTextUdevUnavailable, {}};
        return false;
    }
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (!monitor_ ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "tty", nullptr) < 0 ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0) {
        error = {kTextUdevCannotListen, {}};
        if (monitor_) udev_monitor_unref(monitor_);
        monitor_ = nullptr;
        return false;
    }
    return true;
}

int UdevWatch::Fd() const {
    return monitor_ ? udev_monitor_get_fd(monitor_) : -1;
}

std::vector<DeviceProperties> UdevWatch::Present() {
    std::vector<DeviceProperties> out;
    if (!udev_) return out;
    udev_enumerate* e = udev_enumerate_new(udev_);
    if (!e) return out;
    udev_enumerate_add_match_subsystem(e, "tty");
    udev_enumerate_add_match_subsystem(e, "hidraw");
    udev_enumerate_scan_devices(e);
    for (udev_list_entry* entry = udev_enumerate_get_list_entry(e); entry;
         entry = udev_list_entry_get_next(entry)) {
        udev_device* d = udev_device_new_from_syspath(udev_, udev_list_entry_get_name(entry));
        if (!d) continue;
        out.push_back(PropertiesOf(d, "add"));
        udev_device_unref(d);
    }
    udev_enumerate_unref(e);
    return out;
}

std::vector<DeviceProperties> UdevWatch::TakeEvents() {
    std::vector<DeviceProperties> out;
    if (!monitor_) return out;
    // The monitor's descriptor does not block: receiving ends when nothing waits.
    while (udev_device* d = udev_monitor_receive_device(monitor_)) {
        out.push_back(PropertiesOf(d, udev_device_get_action(d)));
        udev_device_unref(d);
    }
    return out;
}

}  // namespace qsp
