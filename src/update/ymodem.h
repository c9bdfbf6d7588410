#pragma once
// The pieces of the Y-modem protocol as the update uses them: the CRC-16 tables, the header
// block's data, and the test of a reply.
//
// Header block (block 0): SOH, 0x00, 0xFF, 128 data bytes (the file name, 0x00, the file length
// in decimal digits, then 0x00 to the end), CRC high, CRC low. Data block: STX, the block number,
// 255 minus it, 1024 data bytes (after the end of the file 0xFF), CRC high, CRC low. Closing
// block: SOH, 0x00, 0xFF and 130 bytes 0x00.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qsp {

inline constexpr std::uint8_t kSoh = 0x01;
inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEot = 0x04;
inline constexpr std::uint8_t kYmodemAck = 0x06;
inline constexpr std::uint8_t kNak = 0x15;
inline constexpr std::uint8_t kWantCrc = 'C';
inline constexpr std::size_t kHeaderDataSize = 128;
inline constexpr std::size_t kDataBlockSize = 1024;
inline constexpr std::uint8_t kFillByte = 0xFF;

// The high and low bytes of the CRC-16 table of the polynomial 0x1021 (CRC-16/XMODEM).
struct CrcTables {
    std::array<std::uint8_t, 256> high{};
    std::array<std::uint8_t, 256> low{};
};
void InitCrcTables(CrcTables& tables);

// CRC-16/XMODEM (initial value 0, no reflection, no final exclusive-or) of data[0..count).
std::uint16_t BlockCrc(const std::uint8_t* data, std::size_t count);

// Reply tests on the latest received chunk. Mode 1: the first byte is ACK. Mode 2: the first
// byte is "C". Mode 3: ACK followed by "C". Anything else, or too few bytes, fails.
enum ReplyMode : int { kReplyAck = 1, kReplyWantCrc = 2, kReplyAckWantCrc = 3 };
bool CheckReply(const std::vector<std::uint8_t>& chunk, int mode);

// Whether the file name, its terminating 0x00 and the size digits fit the header's 128 bytes.
bool HeaderFits(const std::string& fileName, const std::string& sizeText);

// The header's 128 data bytes. Only for a name that fits.
std::array<std::uint8_t, kHeaderDataSize> HeaderData(const std::string& fileName,
                                                     const std::string& sizeText);

// The whole blocks as they go on the wire: the header block (133 bytes), data block `number`
// (1029 bytes: `data` filled up to 1024 bytes with 0xFF), and the closing block (133 bytes).
std::vector<std::uint8_t> HeaderBlock(const std::string& fileName, const std::string& sizeText);
std::vector<std::uint8_t> DataBlock(std::uint8_t number, const std::uint8_t* data,
                                    std::size_t count);
std::vector<std::uint8_t> ClosingBlock();

}  // namespace qsp
