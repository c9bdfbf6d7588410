// The USB and PS/2 configuration exchanges against the scanner model through in-process
// libraries, on the virtual clock: what reaches the scanner, what the user sees, what is stored.

#include <gtest/gtest.h>

#include "link_rig.h"

namespace {

using qsptest::Bytes;
using qsptest::Rig;

TEST(WedgeText, ScanCodesReportsAndRawKeyboardBytes) {
    const std::uint8_t digits[] = {0x0B, 0x02, 0x0A, 0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x25};
    EXPECT_EQ(qsp::ScanCodeText(digits, sizeof digits), "019ABCDEFz");
    EXPECT_EQ(qsp::BlockReplyBytes("12Azzzzz"), (Bytes{0x12}));  // the lone A dropped
    EXPECT_EQ(qsp::BlockReplyBytes("01AB00FF"), (Bytes{0x01, 0xAB, 0x00, 0xFF}));
    const std::uint8_t ack[] = {0x1E, 0x2E, 0x25, 0x99, 0x00, 0x00, 0x00, 0x00};
    const std::uint8_t notAck[] = {0x1E, 0x2E, 0x26, 0x1C, 0x1C, 0x1C, 0x1C, 0x1C};
    EXPECT_TRUE(qsp::IsPs2Acknowledge(ack));
    EXPECT_FALSE(qsp::IsPs2Acknowledge(notAck));

    // Make codes stay; breaks, the port's 0xFA and extended keys go.
    const std::uint8_t raw[] = {0x1E, 0x9E, 0xFA, 0x2E, 0xE0, 0x1C, 0xE0, 0x9C, 0x25};
    std::uint8_t codes[sizeof raw];
    bool extended = false;
    const auto n = qsp::KeepMakeCodes(raw, sizeof raw, codes, extended);
    EXPECT_EQ(Bytes(codes, codes + n), (Bytes{0x1E, 0x2E, 0x25}));
}

TEST(WedgeTimeout, FactorsAreCappedAndWrittenThroughDelayBox) {
    EXPECT_EQ(qsp::UsbTimeout(qsp::UsbDelayFactor(" 6")), 3000);
    EXPECT_EQ(qsp::Ps2Timeout(qsp::Ps2DelayFactor("700")), 30000);
    EXPECT_EQ(qsp::Ps2Timeout(qsp::Ps2DelayFactor("12")), 600);

    // A silent scanner: five "bin" on each link, with the time-out the library is handed and
    // DelayBox showing the factor.
    Rig rig(qsp::kRs232, qspsim::Faults{qspsim::Stage::Any});
    rig.state.Settings.UsbDelay = "100";
    rig.state.Settings.Ps2Delay = "0.5";
    EXPECT_FALSE(rig.link.ConnectScanner("1", qsp::kUsb));
    EXPECT_EQ(rig.usbWire.timeouts, std::vector<int>(5, 30000));
    EXPECT_EQ(rig.view.delayBox.back(), "60");
    EXPECT_FALSE(rig.link.ConnectScanner("1", qsp::kPs2));
    EXPECT_EQ(rig.ps2Wire.sent.size(), 5u);
    EXPECT_EQ(rig.ps2Wire.timeouts.front(), 50);
    EXPECT_EQ(rig.view.delayBox.back(), "1");
}

TEST(UsbExchange, ReadWriteAndEndOnTheWire) {
    Rig rig(qsp::kUsb);
    ASSERT_TRUE(rig.link.ConnectScanner("1", qsp::kUsb));
    EXPECT_EQ(rig.usbWire.sent.front(), (Bytes{0x00, 'b', 'i', 'n', 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    rig.view.progress.clear();
    ASSERT_TRUE(rig.link.ReadParameters(qsp::kUsb));
    // Block k of 128 shows k/128: half-way at block 64, full at the last; then hidden again.
    ASSERT_EQ(rig.view.progress.size(), 130u);
    EXPECT_EQ(rig.view.progress[64], 50);
    EXPECT_EQ(rig.view.progress[128], 100);
    EXPECT_EQ(rig.view.progress.back(), -1);

    // An image whose exclusive-or is 0: its checksum goes as the report 00 00 FF...
    rig.state.ParamImage.fill(0);
    rig.state.ParamImage[0] = rig.state.ParamImage[1] = 0xAB;
    rig.view.progress.clear();
    ASSERT_TRUE(rig.link.WriteParameters(qsp::kUsb));
    EXPECT_EQ(rig.model.block()[1], 0xAB);
    // 1/130 at the start, (k+1)/130 before block k, full once the checksum is confirmed.
    ASSERT_EQ(rig.view.progress.size(), 130u);
    EXPECT_EQ(std::vector<int>(rig.view.progress.begin(), rig.view.progress.begin() + 4),
              (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(rig.view.progress[64], 50);
    EXPECT_EQ(rig.view.progress[128], 99);
    EXPECT_EQ(rig.view.progress.back(), 100);
    EXPECT_EQ(rig.usbWire.sent.back(),
              (Bytes{0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    ASSERT_TRUE(rig.link.CloseScannerLink(qsp::kUsb));
    EXPECT_EQ(rig.usbWire.sent.back(), (Bytes{0x00, 'e', 'n', 'd', 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_TRUE(rig.usbWire.open.empty());
}

TEST(Ps2Exchange, SetupShowsItsMessagesWriteEndsWithEndAndAFailedOpenSaysSo) {
    Rig rig(qsp::kPs2);
    rig.state.Settings.InterfaceIndex = " 2";
    int opened = 0;
    rig.ops.ScannerSetup([&] { ++opened; });
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(
        rig.view.messages,
        (std::vector<std::string>{
            "Loading scanner parameter, please wait...",
            "QSP program is starting...Please wait for 5 seconds...", "Loading, please wait...",
            "Connect Scanner , Please wait for 5 seconds...", "Refreshing, please wait..."}));
    EXPECT_EQ(rig.ps2Wire.sent.front(), (Bytes{'b', 'i', 'n', 'z', 'z', 'z', 'z', 'z'}));

    ASSERT_TRUE(rig.link.WriteParameters(qsp::kPs2));
    ASSERT_TRUE(rig.link.CloseScannerLink(qsp::kPs2));
    EXPECT_EQ(rig.ps2Wire.sent.back(), (Bytes{'e', 'n', 'd', 'z', 'z', 'z', 'z', 'z'}));
    EXPECT_TRUE(rig.ps2Wire.open.empty());

    // A keyboard port that cannot be opened: both error lines, then the usual one.
    rig.ps2Wire.present = false;
    rig.view.messages.clear();
    rig.ops.ScannerSetup([] { FAIL() << "settings window opened"; });
    EXPECT_EQ(rig.view.messages,
              (std::vector<std::string>{"Loading scanner parameter, please wait...",
                                        "QSP connection failed! Please restart QSP program.",
                                        "QSP programe error! Please restart QSP program.",
                                        "Cannot connect to scanner."}));
}

// Raw reads straight from the port, as the scanner's pieces arrive: up to three pieces, and a
// frame is whole only with eight codes.
TEST(Ps2Exchange, RepliesInPiecesAreCollectedUpToEightCodes) {
    Rig rig(qsp::kPs2);
    ASSERT_TRUE(rig.link.ConnectScanner("1", qsp::kPs2));
    const std::vector<std::tuple<std::vector<Bytes>, bool, int>> cases = {
        {{{0x1E, 0x2E, 0x25, 0x1C, 0x1C}, {0x1C, 0x1C, 0x1C}}, true, 8},
        {{{1, 2, 3, 4, 5}, {6, 7, 8, 9}}, false, 9},
        {{{1, 2}, {3, 4}, {5, 6}, {7, 8}}, false, 6},  // a fourth piece is not waited for
    };
    for (const auto& [pieces, ok, count] : cases) {
        for (const auto& piece : pieces)
            rig.ps2Wire.Queue(piece);
        const auto r = rig.ps2Protocol->ReceiveFrame();
        EXPECT_EQ(r.ok, ok);
        EXPECT_EQ(r.count, count);
    }
}

}  // namespace
