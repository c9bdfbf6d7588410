#pragma once
// One open keyboard-wedge device as the libraries' handles see it: a report or frame goes out
// whole, input comes back with a time-out. Behind it: a HID device (hidapi), a raw PS/2 port
// (serio_raw) or a socket of the virtual scanner.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>

namespace qsp {

class WedgeDevice {
public:
    virtual ~WedgeDevice() = default;
    // Sends `size` bytes as one report or frame; false when they could not all be sent. Input
    // left over from an earlier exchange is dropped first, so the next read is this one's answer.
    virtual bool Send(const std::uint8_t* data, std::size_t size) = 0;
    // Waits at most `timeoutMs` for input and stores up to `size` bytes of it; the number stored,
    // 0 when nothing came.
    virtual std::size_t Receive(std::uint8_t* data, std::size_t size, int timeoutMs) = 0;
};

// The scanner on USB through hidapi's hidraw backend; null when it cannot be opened. With
// `usbDevice` (a USB device in sysfs), only a scanner interface of that device: a fleet set-up
// reaches each of several alike scanners that way.
std::unique_ptr<WedgeDevice> OpenHidDevice(std::uint16_t vendor, std::uint16_t product,
                                           const std::filesystem::path& usbDevice = {});
// A raw PS/2 port (a serio_raw character device); null when it cannot be opened.
std::unique_ptr<WedgeDevice> OpenSerioDevice(const std::filesystem::path& device);
// A virtual device on a Unix-domain SOCK_SEQPACKET socket; null when nothing listens there.
std::unique_ptr<WedgeDevice> OpenSocketDevice(const std::filesystem::path& socket);

}  // namespace qsp
