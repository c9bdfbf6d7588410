#include "link/busy_device.h"

#include <cstdlib>

#include "base/device_lock.h"
#include "base/settings_file.h"
#include "link/keyboard_wedge_devices.h"
#include "link/serial_port.h"

namespace qsp {

bool ScannerDeviceBusy(const std::filesystem::path& settingsDir, int interface,
                       const std::string& port) {
    std::filesystem::path device;
    if (interface == kRs232) {
        device = SerialDevicePath(settingsDir, std::atoi(port.c_str()));
    } else if (interface == kPs2 &&
               Ps2DeviceKind(settingsDir, &device) != WedgeDeviceKind::CharDevice) {
        device.clear();
    }
    return !device.empty() && DeviceBusy(device);
}

}  // namespace qsp
