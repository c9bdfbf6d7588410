// The Y-modem update against the scanner model's Y-modem receiver on a virtual line, which checks
// every block's number, complement and CRC: what goes on the wire and how blocks are sent again.

#include <gtest/gtest.h>

#include <algorithm>

#include "update_rig.h"

namespace {

using updatetest::Pattern;
using updatetest::Rig;
using Packet = std::vector<std::uint8_t>;

// What the host sent after "1", cut into blocks (SOH 133 bytes, STX 1029 bytes, EOT 1 byte);
// with `data`, only the data blocks.
std::vector<Packet> Packets(const Packet& sent, bool data = false) {
    std::vector<Packet> out;
    for (std::size_t i = !sent.empty() && sent[0] == '1' ? 1 : 0; i < sent.size();) {
        const std::size_t size = sent[i] == 0x01 ? 133 : sent[i] == 0x02 ? 1029 : 1;
        if (!data || sent[i] == 0x02)
            out.emplace_back(sent.begin() + static_cast<long>(i),
                             sent.begin() + static_cast<long>(std::min(sent.size(), i + size)));
        i += size;
    }
    return out;
}

TEST(YmodemUpdate, HeaderBlocksAndEndOfAFileThatFillsTwoBlocks) {
    Rig rig;
    const auto file = Pattern(1025);
    rig.Command(rig.File("A.bin", file), qsp::kUpdateYmodem);
    ASSERT_TRUE(rig.ymodem.Completed());
    EXPECT_EQ(rig.ymodem.FileName(), "A.bin");
    EXPECT_EQ(rig.ymodem.File(), file);
    EXPECT_EQ(rig.ymodem.BlocksRefused(), 0);
    const auto packets = Packets(rig.line.sent);
    ASSERT_EQ(packets.size(), 5u);  // header, two data blocks, EOT, the closing block
    // The second data block: the last byte, then 0xFF.
    EXPECT_EQ(std::count(packets[2].begin() + 4, packets[2].begin() + 1027, 0xFF), 1023);
    EXPECT_EQ(packets[3], Packet{0x04});
    EXPECT_EQ(rig.Last(4), (std::vector<std::string>{rig.T(124) + "  A.bin", rig.T(125),
                                                     "UPDATE OK A.bin 1025 bytes", rig.T(128)}));
    EXPECT_EQ(rig.successWindows, 1);
    rig.ExpectIdle();

    // 1024 bytes are refused after the "C": nothing is sent after "1".
    Rig small;
    small.Command(small.File("A.bin", Pattern(1024)), qsp::kUpdateYmodem);
    EXPECT_EQ(small.line.sent, Packet{'1'});
    EXPECT_EQ(small.view.messages[2], small.T(129));
    small.ExpectIdle();

    // Block numbers go on from 255 to 0.
    Rig big;
    big.Command(big.File("big.bin", Pattern(257 * 1024)), qsp::kUpdateYmodem);
    EXPECT_EQ(big.ymodem.File(), Pattern(257 * 1024));
    EXPECT_EQ(big.ymodem.BlocksRefused(), 0);
}

// A refused block goes again with the same number and data; ACK and "C" of the header in
// different polls send the header again; a block refused every time goes 1 + 10 times.
TEST(YmodemUpdate, RefusedBlocksAndASplitHeaderAnswerAreSentAgain) {
    Rig nak(updatetest::With(&qspsim::UpdateOptions::nakBlock, 3));
    nak.Command(nak.File("A.bin", Pattern(5000)), qsp::kUpdateYmodem);
    auto blocks = Packets(nak.line.sent, true);
    ASSERT_EQ(blocks.size(), 6u);
    EXPECT_EQ(blocks[3], blocks[2]);
    EXPECT_EQ(nak.ymodem.File(), Pattern(5000));

    Rig split(updatetest::With(&qspsim::UpdateOptions::split, true));
    split.Command(split.File("A.bin", Pattern(3000)), qsp::kUpdateYmodem);
    const auto packets = Packets(split.line.sent);
    ASSERT_GE(packets.size(), 3u);
    EXPECT_EQ(packets[0][0], 0x01);
    EXPECT_EQ(packets[1], packets[0]);
    EXPECT_EQ(split.ymodem.File(), Pattern(3000));

    Rig refused;
    refused.fault = [](std::vector<qspsim::Answer>& answers) {
        for (auto& a : answers) {
            if (a.bytes == Packet{0x06}) a.bytes = {0x15};
        }
    };
    refused.Command(refused.File("A.bin", Pattern(3000)), qsp::kUpdateYmodem);
    EXPECT_EQ(Packets(refused.line.sent, true).size(), 11u);
    refused.ExpectIdle();
}

}  // namespace
