// The Y-modem update against the scanner model's Y-modem receiver on a virtual line: what goes
// on the wire, how replies are judged, the bounds, and how the update always ends.

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
    EXPECT_EQ(rig.ymodem.File(), file);  // the receiver checks every CRC on its own
    EXPECT_EQ(rig.ymodem.BlocksRefused(), 0);
    const auto packets = Packets(rig.line.sent);
    ASSERT_EQ(packets.size(), 5u);
    // Header: block 0, the name, 0x00, the size digits, zeros.
    Packet header{0x01, 0x00, 0xFF, 'A', '.', 'b', 'i', 'n', 0, '1', '0', '2', '5'};
    header.resize(131, 0x00);
    EXPECT_TRUE(std::equal(header.begin(), header.end(), packets[0].begin()));
    // The second data block: the last byte, then 0xFF.
    EXPECT_EQ(packets[2][3], file[1024]);
    EXPECT_EQ(std::count(packets[2].begin() + 4, packets[2].begin() + 1027, 0xFF), 1023);
    EXPECT_EQ(packets[3], Packet{0x04});
    Packet closing{0x01, 0x00, 0xFF};
    closing.resize(133, 0x00);
    EXPECT_EQ(packets[4], closing);
    EXPECT_EQ(rig.view.messages[rig.view.messages.size() - 2], "UPDATE OK A.bin 1025 bytes");
    EXPECT_EQ(rig.view.messages[rig.view.messages.size() - 4], rig.T(124) + "  A.bin");
    EXPECT_EQ(rig.successWindows, 1);
    rig.ExpectIdle();

    // 1024 bytes are refused after the "C": nothing is sent after "1".
    Rig small;
    small.Command(small.File("A.bin", Pattern(1024)), qsp::kUpdateYmodem);
    EXPECT_EQ(small.line.sent, Packet{'1'});
    EXPECT_EQ(small.view.messages[2], small.T(129));
    small.ExpectIdle();
}

TEST(YmodemUpdate, BlockNumbersWrapAfter255) {
    Rig rig;
    const auto file = Pattern(257 * 1024);
    rig.Command(rig.File("big.bin", file), qsp::kUpdateYmodem);
    const auto blocks = Packets(rig.line.sent, true);
    ASSERT_EQ(blocks.size(), 257u);
    EXPECT_EQ(blocks[254][1], 255);
    EXPECT_EQ(blocks[255][1], 0);
    EXPECT_EQ(blocks[255][2], 255);
    EXPECT_EQ(rig.ymodem.File(), file);
}

// A refused block goes again with the same number and data; ACK and "C" of the header in
// different polls send the header again; a block refused every time goes 1 + 10 times.
TEST(YmodemUpdate, RefusedBlocksAndASplitHeaderAnswerAreSentAgain) {
    Rig nak(updatetest::With(&qspsim::UpdateOptions::nakBlock, 3));
    nak.Command(nak.File("A.bin", Pattern(5000)), qsp::kUpdateYmodem);
    auto blocks = Packets(nak.line.sent, true);
    ASSERT_EQ(blocks.size(), 6u);
    EXPECT_EQ(blocks[2][1], 3);
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

TEST(YmodemUpdate, RefusedBeforeAnythingIsSent) {
    {  // A port that cannot be opened.
        Rig rig;
        rig.state.Settings.CommPort = "2";
        rig.Command(rig.File("A.bin", Pattern(3000)), qsp::kUpdateYmodem);
        EXPECT_TRUE(rig.line.sent.empty());
        EXPECT_EQ(rig.view.messages, (std::vector<std::string>{rig.T(119), rig.T(185)}));
        EXPECT_EQ(rig.boxes.back().text, rig.T(185));
        rig.ExpectIdle();
    }
    {  // Y-modem chosen, the settings window not confirmed: back to KTX and 9600.
        Rig rig;
        rig.confirmSettings = false;
        rig.state.Settings.BaudRate = "2400";
        rig.Command(rig.File("A.bin", Pattern(3000)), qsp::kUpdateYmodem);
        EXPECT_TRUE(rig.line.sent.empty());
        rig.ExpectIdle();
    }
}

}  // namespace
