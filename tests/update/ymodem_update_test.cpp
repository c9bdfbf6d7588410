// The Y-modem update against the scanner model's Y-modem receiver on a virtual line: what goes
// on the wire, how replies are judged, the bounds, and how the update always ends.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "update/ymodem.h"
#include "update_rig.h"

namespace {

using updatetest::Pattern;
using updatetest::Rig;

// What the host sent after "1", cut into blocks (SOH 133 bytes, STX 1029 bytes, EOT 1 byte).
std::vector<std::vector<std::uint8_t>> Packets(const std::vector<std::uint8_t>& sent) {
    std::vector<std::vector<std::uint8_t>> out;
    std::size_t i = 0;
    if (i < sent.size() && sent[i] == '1') ++i;
    while (i < sent.size()) {
        const std::size_t size = sent[i] == 0x01 ? 133 : sent[i] == 0x02 ? 1029 : 1;
        out.emplace_back(sent.begin() + static_cast<long>(i),
                         sent.begin() + static_cast<long>(std::min(sent.size(), i + size)));
        i += size;
    }
    return out;
}

std::vector<std::vector<std::uint8_t>> DataBlocks(const std::vector<std::uint8_t>& sent) {
    auto packets = Packets(sent);
    packets.erase(
        std::remove_if(packets.begin(), packets.end(), [](const auto& p) { return p[0] != 0x02; }),
        packets.end());
    return packets;
}

void ExpectUsualEnding(Rig& rig) {
    EXPECT_EQ(rig.state.UpdateType, qsp::kUpdateKtx);
    EXPECT_EQ(rig.state.Settings.BaudRate, "9600");
    EXPECT_FALSE(rig.line.port() && rig.line.port()->IsOpen());
    EXPECT_FALSE(rig.view.locked);
    EXPECT_EQ(rig.view.focus, qsp::kButtonUpdate);
    EXPECT_EQ(rig.view.messages.back(), rig.text.LoadText(128));
}

TEST(YmodemProtocol, CrcTableAndCheckValue) {
    qsp::CrcTables tables;
    qsp::InitCrcTables(tables);
    EXPECT_EQ(tables.high[1] << 8 | tables.low[1], 0x1021);
    EXPECT_EQ(tables.high[255] << 8 | tables.low[255], 0x1EF0);
    const char* check = "123456789";
    EXPECT_EQ(qsp::BlockCrc(reinterpret_cast<const std::uint8_t*>(check), 9), 0x31C3);

    // Mode 3 needs ACK and "C" in the same chunk, in that order.
    EXPECT_TRUE(qsp::CheckReply({0x06, 'C'}, 3));
    EXPECT_FALSE(qsp::CheckReply({0x06}, 3));
    EXPECT_FALSE(qsp::CheckReply({'C', 0x06}, 3));
}

TEST(YmodemUpdate, FileArrivesWholeAndTheHeaderNamesIt) {
    Rig rig;
    const auto file = Pattern(70000);
    rig.Command(rig.File("KTXA.bin", file), qsp::kUpdateYmodem);
    ASSERT_TRUE(rig.ymodem.Completed());
    EXPECT_EQ(rig.ymodem.File(), file);
    EXPECT_EQ(rig.ymodem.FileName(), "KTXA.bin");
    EXPECT_EQ(rig.ymodem.BlocksRefused(), 0);

    const auto packets = Packets(rig.line.sent);
    ASSERT_GE(packets.size(), 3u);
    // Header: the name, 0x00, the size digits and 114 bytes 0x00.
    std::vector<std::uint8_t> data(128, 0);
    std::memcpy(data.data(),
                "KTXA.bin\0"
                "70000",
                14);
    EXPECT_EQ(std::vector<std::uint8_t>(packets[0].begin() + 3, packets[0].begin() + 131), data);
    EXPECT_EQ(packets[0][1], 0x00);
    EXPECT_EQ(packets[0][2], 0xFF);
    // 69 data blocks, EOT, then the closing block of zeros.
    EXPECT_EQ(DataBlocks(rig.line.sent).size(), 69u);
    const auto& last = packets.back();
    std::vector<std::uint8_t> closing{0x01, 0x00, 0xFF};
    closing.resize(133, 0x00);
    EXPECT_EQ(last, closing);
    EXPECT_EQ(packets[packets.size() - 2], std::vector<std::uint8_t>{0x04});

    const auto& m = rig.view.messages;
    const std::vector<std::string> expected{rig.text.LoadText(119),
                                            rig.text.LoadText(120),
                                            rig.text.LoadText(121),
                                            rig.text.LoadText(122),
                                            rig.text.LoadText(124) + "  KTXA.bin",
                                            rig.text.LoadText(125),
                                            "UPDATE OK KTXA.bin 70000 bytes",
                                            rig.text.LoadText(128)};
    EXPECT_EQ(m, expected);
    EXPECT_EQ(rig.successWindows, 1);
    ExpectUsualEnding(rig);
}

TEST(YmodemUpdate, BlockFillingAndTheSmallestFile) {
    Rig rig;
    const auto file = Pattern(1025);
    rig.Command(rig.File("A.bin", file), qsp::kUpdateYmodem);
    const auto blocks = DataBlocks(rig.line.sent);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_TRUE(std::equal(file.begin(), file.begin() + 1024, blocks[0].begin() + 3));
    EXPECT_EQ(blocks[1][3], file[1024]);
    EXPECT_EQ(std::count(blocks[1].begin() + 4, blocks[1].begin() + 1027, 0xFF), 1023);
    // The receiver checks every CRC on its own and accepted both blocks.
    EXPECT_EQ(rig.ymodem.BlocksRefused(), 0);
    EXPECT_EQ(rig.ymodem.File(), file);

    Rig exact;
    exact.Command(exact.File("A.bin", Pattern(2048)), qsp::kUpdateYmodem);
    EXPECT_EQ(DataBlocks(exact.line.sent).size(), 2u);

    // 1024 bytes are refused after the "C": nothing is sent after "1".
    Rig small;
    small.Command(small.File("A.bin", Pattern(1024)), qsp::kUpdateYmodem);
    EXPECT_EQ(small.line.sent, std::vector<std::uint8_t>{'1'});
    EXPECT_EQ(small.view.messages[2], small.text.LoadText(129));
    ExpectUsualEnding(small);
}

TEST(YmodemUpdate, BlockNumbersWrapAfter255) {
    Rig rig;
    const auto file = Pattern(257 * 1024);
    rig.Command(rig.File("big.bin", file), qsp::kUpdateYmodem);
    const auto blocks = DataBlocks(rig.line.sent);
    ASSERT_EQ(blocks.size(), 257u);
    EXPECT_EQ(blocks[254][1], 255);
    EXPECT_EQ(blocks[255][1], 0);
    EXPECT_EQ(blocks[255][2], 255);
    EXPECT_EQ(blocks[256][1], 1);
    EXPECT_EQ(rig.ymodem.File(), file);
}

TEST(YmodemUpdate, RefusedBlockGoesAgainUnchanged) {
    qspsim::UpdateOptions nak;
    nak.nakBlock = 3;
    Rig rig(nak);
    const auto file = Pattern(5000);
    rig.Command(rig.File("A.bin", file), qsp::kUpdateYmodem);
    const auto blocks = DataBlocks(rig.line.sent);
    ASSERT_EQ(blocks.size(), 6u);
    EXPECT_EQ(blocks[2][1], 3);
    EXPECT_EQ(blocks[3], blocks[2]);  // same number, same data, same CRC
    EXPECT_EQ(rig.ymodem.File(), file);
}

TEST(YmodemUpdate, AckAndCInDifferentPollsSendTheHeaderAgain) {
    qspsim::UpdateOptions split;
    split.split = true;
    Rig rig(split);
    const auto file = Pattern(3000);
    rig.Command(rig.File("A.bin", file), qsp::kUpdateYmodem);
    const auto packets = Packets(rig.line.sent);
    ASSERT_GE(packets.size(), 3u);
    EXPECT_EQ(packets[0][0], 0x01);
    EXPECT_EQ(packets[1], packets[0]);
    EXPECT_EQ(packets[2][0], 0x02);
    EXPECT_EQ(rig.ymodem.File(), file);
}

// Every answer refused: block 1 goes 11 times, then the update gives up.
TEST(YmodemUpdate, RefusedBlocksAreSentElevenTimesAtMost) {
    Rig rig({}, [](std::vector<qspsim::Answer>& answers) {
        for (auto& a : answers) {
            if (a.bytes == std::vector<std::uint8_t>{0x06}) a.bytes = {0x15};
        }
    });
    rig.Command(rig.File("A.bin", Pattern(3000)), qsp::kUpdateYmodem);
    EXPECT_EQ(DataBlocks(rig.line.sent).size(), 11u);
    EXPECT_EQ(rig.view.messages[rig.view.messages.size() - 2], rig.text.LoadText(129));
    ExpectUsualEnding(rig);
}

TEST(YmodemUpdate, RefusedBeforeAnythingIsSent) {
    {  // A name that does not fit the header with its size.
        Rig rig;
        const std::string name = std::string(120, 'n') + ".bin";
        rig.Command(rig.File(name, Pattern(3000)), qsp::kUpdateYmodem);
        EXPECT_TRUE(rig.line.sent.empty());
        ASSERT_EQ(rig.prompt.boxes.size(), 1u);
        EXPECT_NE(rig.prompt.boxes[0].text.find(name), std::string::npos);
        EXPECT_TRUE(rig.view.messages.empty());
        EXPECT_EQ(rig.state.UpdateType, qsp::kUpdateKtx);
        EXPECT_EQ(rig.state.Settings.BaudRate, "9600");
    }
    {  // A port that cannot be opened.
        Rig rig;
        rig.state.Settings.CommPort = "2";
        rig.Command(rig.File("A.bin", Pattern(3000)), qsp::kUpdateYmodem);
        EXPECT_TRUE(rig.line.sent.empty());
        EXPECT_EQ(rig.view.messages,
                  (std::vector<std::string>{rig.text.LoadText(119), rig.text.LoadText(185)}));
        ASSERT_EQ(rig.prompt.boxes.size(), 1u);
        EXPECT_EQ(rig.prompt.boxes[0].text, rig.text.LoadText(185));
        EXPECT_EQ(rig.state.UpdateType, qsp::kUpdateKtx);
    }
    {  // Y-modem chosen, the settings window not confirmed: back to KTX and 9600.
        Rig rig;
        rig.confirmSettings = false;
        rig.state.Settings.BaudRate = "2400";
        rig.Command(rig.File("A.bin", Pattern(3000)), qsp::kUpdateYmodem);
        EXPECT_TRUE(rig.line.sent.empty());
        EXPECT_EQ(rig.state.UpdateType, qsp::kUpdateKtx);
        EXPECT_EQ(rig.state.Settings.BaudRate, "9600");
    }
}

}  // namespace
