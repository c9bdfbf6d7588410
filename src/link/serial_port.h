#pragma once
// The serial port as the link layer sees it: open with a port number and settings, write bytes,
// learn how much input waits, take it, discard it, close. The program's port is a QSerialPort;
// tests connect a fake one to the scanner model.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qsp {

// Line settings as the link layer passes them around: the baud text whole, the parity letter
// ("N", "E", "O", "S", "M"), the data bits ("7", "8") and the stop bits ("1", "2") as texts.
struct SerialSettings {
    std::string baud = "9600";
    std::string parity = "N";
    std::string data = "8";
    std::string stop = "1";

    // "9600,N,8,1"
    std::string Text() const { return baud + "," + parity + "," + data + "," + stop; }
    bool operator==(const SerialSettings&) const = default;
};

class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Opens port `number` with `settings` (closing it first if open). False when the port does
    // not exist, is in use or the settings are invalid; the port is closed then.
    virtual bool Open(int number, const SerialSettings& settings) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    // Queues bytes for sending, in order. False when the port is closed or broken.
    virtual bool Write(const std::uint8_t* data, std::size_t size) = 0;
    bool Write(const std::vector<std::uint8_t>& bytes) { return Write(bytes.data(), bytes.size()); }

    // Bytes received and not yet taken.
    virtual std::size_t BytesWaiting() = 0;
    // Takes all waiting input.
    virtual std::vector<std::uint8_t> ReadAll() = 0;
    // Drops all waiting input.
    virtual void DiscardInput() = 0;
};

using SerialPortFactory = std::function<std::unique_ptr<SerialPort>()>;

// The device behind port `number`: the target of the symbolic link ports/COM<number> in the
// settings folder when that link exists, else /dev/ttyS<number-1>.
std::filesystem::path SerialDevicePath(const std::filesystem::path& settingsDir, int number);

}  // namespace qsp
