#include "update/ymodem.h"

#include <algorithm>

namespace qsp {

void InitCrcTables(CrcTables& tables) {
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
        tables.high[i] = static_cast<std::uint8_t>((crc >> 8) & 0xFF);
        tables.low[i] = static_cast<std::uint8_t>(crc & 0xFF);
    }
}

std::uint16_t BlockCrc(const std::uint8_t* data, std::size_t count) {
    static const CrcTables tables = [] {
        CrcTables t;
        InitCrcTables(t);
        return t;
    }();
    std::uint8_t high = 0;
    std::uint8_t low = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint8_t t = data[k] ^ high;
        high = low ^ tables.high[t];
        low = tables.low[t];
    }
    return static_cast<std::uint16_t>(high << 8 | low);
}

bool CheckReply(const std::vector<std::uint8_t>& chunk, int mode) {
    switch (mode) {
        case kReplyAck:
            return !chunk.empty() && chunk[0] == kYmodemAck;
        case kReplyWantCrc:
            return !chunk.empty() && chunk[0] == kWantCrc;
        case kReplyAckWantCrc:
            return chunk.size() >= 2 && chunk[0] == kYmodemAck && chunk[1] == kWantCrc;
        default:
            return false;
    }
}

bool HeaderFits(const std::string& fileName, const std::string& sizeText) {
    return fileName.size() + 1 + sizeText.size() <= kHeaderDataSize;
}

std::array<std::uint8_t, kHeaderDataSize> HeaderData(const std::string& fileName,
                                                     const std::string& sizeText) {
    std::array<std::uint8_t, kHeaderDataSize> data{};
    std::size_t i = 0;
    for (char c : fileName)
        data[i++] = static_cast<std::uint8_t>(c);
    data[i++] = 0;
    for (char c : sizeText)
        data[i++] = static_cast<std::uint8_t>(c);
    return data;
}

namespace {
// The start byte, the block number, its complement, the data and the CRC over the data.
std::vector<std::uint8_t> Frame(std::uint8_t start, std::uint8_t number, const std::uint8_t* data,
                                std::size_t size) {
    std::vector<std::uint8_t> block(3 + size + 2, 0);
    block[0] = start;
    block[1] = number;
    block[2] = static_cast<std::uint8_t>(255 - number);
    for (std::size_t i = 0; i < size; ++i)
        block[3 + i] = data[i];
    const std::uint16_t crc = BlockCrc(data, size);
    block[3 + size] = static_cast<std::uint8_t>(crc >> 8);
    block[4 + size] = static_cast<std::uint8_t>(crc & 0xFF);
    return block;
}
}  // namespace

std::vector<std::uint8_t> HeaderBlock(const std::string& fileName, const std::string& sizeText) {
    const auto data = HeaderData(fileName, sizeText);
    return Frame(kSoh, 0, data.data(), data.size());
}

std::vector<std::uint8_t> DataBlock(std::uint8_t number, const std::uint8_t* data,
                                    std::size_t count) {
    std::array<std::uint8_t, kDataBlockSize> payload;
    payload.fill(kFillByte);
    std::copy_n(data, std::min(count, kDataBlockSize), payload.begin());
    return Frame(kStx, number, payload.data(), payload.size());
}

std::vector<std::uint8_t> ClosingBlock() {
    const std::array<std::uint8_t, kHeaderDataSize> empty{};
    return Frame(kSoh, 0, empty.data(), empty.size());
}

}  // namespace qsp
