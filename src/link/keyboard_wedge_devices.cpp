#include "link/keyboard_wedge_devices.h"

#include <algorithm>

#include "link/ps2_protocol.h"
#include "link/scanner_link.h"
#include "link/usb_protocol.h"

namespace qsp {

namespace fs = std::filesystem;

namespace {

const fs::path kDefaultPs2Port = "/dev/serio_raw0";

bool IsSocket(const fs::path& p) {
    std::error_code ec;
    return fs::is_socket(p, ec);
}

bool IsCharDevice(const fs::path& p) {
    std::error_code ec;
    return fs::is_character_file(p, ec);
}

template <typename Map>
WedgeDevice* Find(Map& devices, std::int32_t handle) {
    auto it = devices.find(handle);
    return it == devices.end() ? nullptr : it->second.get();
}

}  // namespace

WedgeDeviceKind UsbDeviceKind(const fs::path& settingsDir) {
    const fs::path named = settingsDir / "ports" / "USB";
    if (IsSocket(named)) return WedgeDeviceKind::Socket;
    std::error_code ec;
    return fs::is_directory(named, ec) ? WedgeDeviceKind::HidOnUsbDevice : WedgeDeviceKind::Hid;
}

WedgeDeviceKind Ps2DeviceKind(const fs::path& settingsDir, fs::path* device) {
    const fs::path named = settingsDir / "ports" / "PS2";
    fs::path chosen = named;
    WedgeDeviceKind kind = WedgeDeviceKind::None;
    if (IsSocket(named)) {
        kind = WedgeDeviceKind::Socket;
    } else if (IsCharDevice(named)) {
        kind = WedgeDeviceKind::CharDevice;
    } else if (IsCharDevice(kDefaultPs2Port)) {
        chosen = kDefaultPs2Port;
        kind = WedgeDeviceKind::CharDevice;
    }
    if (device) *device = chosen;
    return kind;
}

std::int32_t DeviceUsbKbLib::OpenUsbKb(std::int32_t vendor, std::int32_t product) {
    std::unique_ptr<WedgeDevice> device;
    const WedgeDeviceKind kind = UsbDeviceKind(dir_);
    if (kind == WedgeDeviceKind::Socket) {
        device = OpenSocketDevice(dir_ / "ports" / "USB");
    } else if (vendor >= 0 && vendor <= 0xFFFF && product >= 0 && product <= 0xFFFF) {
        const fs::path usbDevice =
            kind == WedgeDeviceKind::HidOnUsbDevice ? dir_ / "ports" / "USB" : fs::path();
        device = OpenHidDevice(static_cast<std::uint16_t>(vendor),
                               static_cast<std::uint16_t>(product), usbDevice);
    }
    if (!device) return kInvalidUsbHandle;
    const std::int32_t handle = next_++;
    devices_[handle] = std::move(device);
    return handle;
}

std::int16_t DeviceUsbKbLib::WriteUsbKb(std::int32_t handle, const std::uint8_t* report,
                                        std::int32_t length) {
    WedgeDevice* device = Find(devices_, handle);
    if (!device || length <= 0) return 0;
    return device->Send(report, static_cast<std::size_t>(length)) ? 1 : 0;
}

std::int16_t DeviceUsbKbLib::ReadUsbKb(std::int32_t handle, std::uint8_t* report,
                                       std::int16_t timeout) {
    WedgeDevice* device = Find(devices_, handle);
    if (!device) return 0;
    return static_cast<std::int16_t>(device->Receive(report, kUsbReportSize, timeout));
}

std::int32_t DeviceUsbKbLib::CloseHandle(std::int32_t handle) {
    return devices_.erase(handle) > 0 ? 1 : 0;
}

std::int32_t DevicePs2KbLib::OpenPs2Kb() {
    fs::path path;
    std::unique_ptr<WedgeDevice> device;
    switch (Ps2DeviceKind(dir_, &path)) {
        case WedgeDeviceKind::Socket:
            device = OpenSocketDevice(path);
            break;
        case WedgeDeviceKind::CharDevice:
            device = OpenSerioDevice(path);
            break;
        default:
            break;
    }
    if (!device) return 0;
    const std::int32_t handle = next_++;
    devices_[handle] = std::move(device);
    return handle;
}

std::int32_t DevicePs2KbLib::WritePs2Kb(std::int32_t handle, const std::uint8_t* frame,
                                        std::int32_t length) {
    WedgeDevice* device = Find(devices_, handle);
    if (!device || length <= 0) return 0;
    return device->Send(frame, static_cast<std::size_t>(length)) ? 1 : 0;
}

std::int16_t DevicePs2KbLib::ReadPs2Kb(std::int32_t handle, std::uint8_t* buffer,
                                       std::int32_t count, std::int16_t timeout) {
    WedgeDevice* device = Find(devices_, handle);
    if (!device || count <= 0) return 0;
    return static_cast<std::int16_t>(
        device->Receive(buffer, static_cast<std::size_t>(std::min(count, 64)), timeout));
}

std::int16_t DevicePs2KbLib::ClosePs2Kb(std::int32_t handle) {
    return devices_.erase(handle) > 0 ? 1 : 0;
}

void InstallKeyboardWedgeProtocols(ScannerLink& link, const fs::path& settingsDir) {
    SerialLink& serial = link.Serial();
    link.SetProtocol(kUsb,
                     std::make_unique<UsbProtocol>(serial.State(), serial.Pump(), serial.View(),
                                                   std::make_unique<DeviceUsbKbLib>(settingsDir)));
    link.SetProtocol(kPs2, std::make_unique<Ps2Protocol>(
                               serial.State(), serial.Pump(), serial.View(), link.Text(),
                               std::make_unique<DevicePs2KbLib>(settingsDir)));
}

}  // namespace qsp
