#pragma once
// The program's keyboard-wedge libraries: which device a handle reaches is decided when it is
// opened, from the settings folder's ports/ entries.
//
// USB: ports/USB a Unix-domain socket -> the virtual scanner there; ports/USB a link to a USB
// device in sysfs -> the scanner interface of that device; otherwise the HID device with the
// vendor and product numbers of the open call (hidapi, hidraw).
// PS/2: ports/PS2 a Unix-domain socket -> the virtual scanner there; ports/PS2 a character device
// (or a link to one) -> that raw PS/2 port; otherwise /dev/serio_raw0.

#include <filesystem>
#include <map>
#include <memory>

#include "link/keyboard_wedge.h"
#include "link/wedge_device.h"

namespace qsp {

class ScannerLink;

enum class WedgeDeviceKind { None, Socket, CharDevice, Hid, HidOnUsbDevice };

// What an open would reach, and where.
WedgeDeviceKind UsbDeviceKind(const std::filesystem::path& settingsDir);
WedgeDeviceKind Ps2DeviceKind(const std::filesystem::path& settingsDir,
                              std::filesystem::path* device = nullptr);

class DeviceUsbKbLib : public UsbKbLib {
public:
    explicit DeviceUsbKbLib(std::filesystem::path settingsDir) : dir_(std::move(settingsDir)) {}
    std::int32_t OpenUsbKb(std::int32_t vendor, std::int32_t product) override;
    std::int16_t WriteUsbKb(std::int32_t handle, const std::uint8_t* report,
                            std::int32_t length) override;
    std::int16_t ReadUsbKb(std::int32_t handle, std::uint8_t* report,
                           std::int16_t timeout) override;
    std::int32_t CloseHandle(std::int32_t handle) override;

private:
    std::filesystem::path dir_;
    std::int32_t next_ = 1;
    std::map<std::int32_t, std::unique_ptr<WedgeDevice>> devices_;
};

class DevicePs2KbLib : public Ps2KbLib {
public:
    explicit DevicePs2KbLib(std::filesystem::path settingsDir) : dir_(std::move(settingsDir)) {}
    std::int32_t OpenPs2Kb() override;
    std::int32_t WritePs2Kb(std::int32_t handle, const std::uint8_t* frame,
                            std::int32_t length) override;
    std::int16_t ReadPs2Kb(std::int32_t handle, std::uint8_t* buffer, std::int32_t count,
                           std::int16_t timeout) override;
    std::int16_t ClosePs2Kb(std::int32_t handle) override;

private:
    std::filesystem::path dir_;
    std::int32_t next_ = 1;
    std::map<std::int32_t, std::unique_ptr<WedgeDevice>> devices_;
};

// Installs the USB (interface 1) and PS/2 (interface 2) exchanges over these libraries.
void InstallKeyboardWedgeProtocols(ScannerLink& link, const std::filesystem::path& settingsDir);

}  // namespace qsp
