#pragma once
// The configuration exchange over the serial port. Connect: "LINK" answered by 0x06 at the
// configured settings (or those a search finds), then the port at 115,200 8N1 and 0x06 answered
// by any byte. Read: 0xFB answered by 514 bytes, the block in bytes 1..512. Write: 0x06, a
// 513-byte frame (0, the block with the 16-bit sum of bytes 0..253 in place of bytes 254 and
// 255) and its exclusive-or, answered by 0x06. End: 0xF9 twice, then the port closes.

#include <array>
#include <cstdint>
#include <functional>

#include "link/link_protocol.h"
#include "link/serial_link.h"

namespace qsp {

inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kReadCommand = 0xFB;
inline constexpr std::uint8_t kEndCommand = 0xF9;
inline constexpr std::size_t kReadReplySize = 514;
inline constexpr std::size_t kWriteFrameSize = 513;

// Sum of image bytes 0..253, modulo 65536.
std::uint16_t ImageSum(const ImageBytes& image);

// The 513-byte write frame followed by its exclusive-or: 514 bytes.
std::vector<std::uint8_t> WriteFrame(const ImageBytes& image);

class Rs232Protocol : public LinkProtocol {
public:
    explicit Rs232Protocol(SerialLink& link) : link_(link) {}

    bool Connect(const std::string& port) override;
    bool Read() override;
    bool Write() override;
    bool Close() override;

    // One connect try with `settings` (open, "LINK", the change to 115,200).
    TryResult TryConnect(const std::string& port, const SerialSettings& settings);

    // Where the write shows its progress (the settings window's bar).
    void SetWriteProgress(std::function<void(int, int)> progress) {
        writeProgress_ = std::move(progress);
    }

private:
    SerialLink& link_;
    std::function<void(int, int)> writeProgress_;
};

}  // namespace qsp
