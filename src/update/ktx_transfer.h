#pragma once
// The KTX-type transfer: fixed address ranges of the 64 KB program image go to the scanner as
// 107 addressed 512-byte blocks, each with an exclusive-or byte, and the whole is checked by a
// 16-bit sum at the end.
//
// Per block the host asks with 0xFC and the scanner answers 0x06; then the 515-byte frame (the
// two address bytes, 512 payload bytes, the exclusive-or of the address and data bytes), again
// answered by 0x06. At the end the host sends 0xFA (answered by 0x06), then 0x06, and the
// scanner answers with its sum (high, low) and one more byte; the host confirms a matching sum
// with 0x06.

#include <array>
#include <cstdint>
#include <vector>

#include "link/serial_link.h"

namespace qsp {

inline constexpr int kKtxBlockCount = 107;
inline constexpr std::size_t kKtxPayload = 512;
inline constexpr std::size_t kKtxFrameSize = 515;
inline constexpr std::uint8_t kKtxBlockRequest = 0xFC;
inline constexpr std::uint8_t kKtxFinalRequest = 0xFA;
inline constexpr std::uint8_t kKtxAck = 0x06;

// Pauses of the transfer, in event passes.
inline constexpr std::uint64_t kKtxBlockPause = 10001;
inline constexpr std::uint64_t kKtxFinalPause = 5001;
inline constexpr std::uint64_t kKtxSumPause = 20001;

// One row of the block table: the start address (sent high byte first) and how many image bytes
// follow it; the rest of the 512-byte payload is zero padding.
struct KtxBlock {
    std::uint16_t start = 0;
    std::size_t dataBytes = 0;
    std::uint8_t High() const { return static_cast<std::uint8_t>(start >> 8); }
    std::uint8_t Low() const { return static_cast<std::uint8_t>(start & 0xFF); }
};

// Block `n` (0..106) of the table, in sending order.
KtxBlock KtxBlockAt(int n);

// The 515-byte frame of block `n` taken from `image`.
std::vector<std::uint8_t> KtxFrame(const std::vector<std::uint8_t>& image, int n);

// The sum of every data byte of the 107 blocks, as a signed 16-bit number.
std::int32_t KtxImageSum(const std::vector<std::uint8_t>& image);

class KtxTransfer {
public:
    explicit KtxTransfer(SerialLink& link) : link_(link) {}

    // Sends the 107 blocks of `image` and runs the final check. True when the scanner confirmed
    // the sum; false at the first missing or wrong reply. Shows the progress in the main
    // window's bar.
    bool Run(const std::vector<std::uint8_t>& image);

    // Mode 1: the block request (0xFC answered by 0x06). Mode 2: the final check with the host's
    // running sum.
    bool KtxHandshake(int mode, std::int32_t sum);

    // The host's running sum after the last Run.
    std::int32_t RunningSum() const { return sum_; }

private:
    void SendByte(std::uint8_t byte);
    bool ReplyIs(std::uint8_t byte);

    SerialLink& link_;
    std::int32_t sum_ = 0;
};

}  // namespace qsp
