// The USB and PS/2 configuration exchanges against the scanner model through in-process
// libraries, on the virtual clock: what reaches the scanner, what the user sees, what is stored.

#include <gtest/gtest.h>

#include "app/main_lock.h"
#include "app/main_operations.h"
#include "fakes.h"
#include "link/ps2_protocol.h"
#include "link/scanner_link.h"
#include "link/usb_protocol.h"
#include "virtual_line.h"
#include "wedge_fakes.h"

namespace {

using qsptest::Bytes;

class DelayView : public qsptest::FakeMainView {
public:
    void SetDelayBox(const std::string& text) override { delayBox.push_back(text); }
    std::vector<std::string> delayBox;
};

struct WedgeRig {
    explicit WedgeRig(qspsim::Faults f = {})
        : faults(f),
          usbModel(block, faults),
          ps2Model(block, faults),
          usbWire(pump, &usbModel),
          ps2Wire(pump, &ps2Model) {
        state.Settings = qsp::ParseSettings("");
        auto usb = std::make_unique<qsptest::ModelUsbLib>(usbWire, usbHandles);
        usbLib = usb.get();
        link.SetProtocol(qsp::kUsb,
                         std::make_unique<qsp::UsbProtocol>(state, pump, view, std::move(usb)));
        auto ps2 = std::make_unique<qsp::Ps2Protocol>(
            state, pump, view, text, std::make_unique<qsptest::ModelPs2Lib>(ps2Wire, ps2Handles));
        ps2Protocol = ps2.get();
        link.SetProtocol(qsp::kPs2, std::move(ps2));
        link.SetStatusText([this](const std::string& t) { status.push_back(t); });
        lock.SetReceivePoll([this] { link.Serial().ReceivePoll(); });
    }
    qsp::ImageBytes BlockImage() const {
        qsp::ImageBytes image{};
        std::copy(block.begin(), block.end(), image.begin());
        return image;
    }
    // The texts of the host's messages: report bytes 1.. up to 0xFF, or a frame up to "z".
    static std::vector<std::string> Words(const std::vector<Bytes>& sent, bool usb) {
        std::vector<std::string> words;
        for (const Bytes& m : sent) {
            std::string w;
            for (std::size_t i = usb ? 1 : 0; i < m.size() && m[i] != (usb ? 0xFF : 'z'); ++i)
                w += static_cast<char>(m[i]);
            words.push_back(w);
        }
        return words;
    }

    qspsim::Block block = qspsim::FactoryBlock();
    qspsim::Faults faults;
    qspsim::UsbWedgeModel usbModel;
    qspsim::Ps2WedgeModel ps2Model;
    qsp::AppState state;
    qsp::VirtualPump pump;
    DelayView view;
    qsptest::FakePrompt prompt;
    qsp::InterfaceText text;
    qsptest::WedgeWire usbWire;
    qsptest::WedgeWire ps2Wire;
    qsptest::HandleTable usbHandles;
    qsptest::HandleTable ps2Handles;
    qsptest::ModelUsbLib* usbLib = nullptr;
    qsp::Ps2Protocol* ps2Protocol = nullptr;
    qsptest::VirtualLine line{pump, nullptr};
    qsp::ScannerLink link{state, pump, view, text, line.Factory()};
    qsp::MainLock lock{view, pump};
    qsp::MainOperations ops{state, pump, view, lock, prompt, text, link};
    std::vector<std::string> status;
};

qsp::ImageBytes PatternImage() {
    qsp::ImageBytes image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return image;
}

// ---- Texts, frames and time-outs both links share ----

TEST(WedgeText, ScanCodesDecodeToHexadecimalText) {
    const std::uint8_t digits[] = {0x0B, 0x02, 0x0A, 0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x25};
    EXPECT_EQ(qsp::ScanCodeText(digits, sizeof digits), "019ABCDEFz");
    EXPECT_EQ(qsp::ScanCodeText(digits + 1, 1), "1");
    // "12Az": one byte, the lone A dropped.
    EXPECT_EQ(qsp::BlockReplyBytes("12Azzzzz"), (Bytes{0x12}));
    EXPECT_EQ(qsp::BlockReplyBytes("01AB00FF"), (Bytes{0x01, 0xAB, 0x00, 0xFF}));
    EXPECT_TRUE(qsp::BlockReplyBytes("z1234567").empty());
    EXPECT_EQ(qsp::HexTextValue("1A"), 26);
    EXPECT_EQ(qsp::HexDigitValue('f'), 0);  // upper case only

    const std::uint8_t ack[] = {0x1E, 0x2E, 0x25, 0x99, 0x00, 0x00, 0x00, 0x00};
    const std::uint8_t notAck[] = {0x1E, 0x2E, 0x26, 0x1C, 0x1C, 0x1C, 0x1C, 0x1C};
    EXPECT_TRUE(qsp::IsPs2Acknowledge(ack));
    EXPECT_FALSE(qsp::IsPs2Acknowledge(notAck));
}

TEST(WedgeText, HidReportsAndRawKeyboardBytes) {
    // Input from a device without report ids gets the id 0 in front.
    const std::uint8_t input[] = {0x06, 1, 2, 3, 4, 5, 6, 7};
    std::uint8_t report[qsp::kUsbReportSize] = {};
    ASSERT_EQ(qsp::HidInputToReport(input, 8, report, sizeof report), 9u);
    EXPECT_EQ(Bytes(report, report + 9), (Bytes{0, 0x06, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(qsp::HidInputToReport(input, 5, report, sizeof report), 6u);  // a short report
    EXPECT_EQ(qsp::HidInputToReport(input, 0, report, sizeof report), 0u);

    // Make codes stay; breaks, the port's 0xFA and extended keys go.
    const std::uint8_t raw[] = {0x1E, 0x9E, 0xFA, 0x2E, 0xE0, 0x1C, 0xE0, 0x9C, 0x25, 0xE0};
    std::uint8_t codes[sizeof raw];
    bool extended = false;
    const auto n = qsp::KeepMakeCodes(raw, sizeof raw, codes, extended);
    EXPECT_EQ(Bytes(codes, codes + n), (Bytes{0x1E, 0x2E, 0x25}));
    EXPECT_TRUE(extended);  // the prefix at the end holds over
    const std::uint8_t next[] = {0x48, 0x02};
    EXPECT_EQ(qsp::KeepMakeCodes(next, 2, codes, extended), 1u);
    EXPECT_EQ(codes[0], 0x02);
}

TEST(WedgeTimeout, FactorsAreCappedAndWrittenThroughDelayBox) {
    EXPECT_EQ(qsp::UsbTimeout(qsp::UsbDelayFactor("100")), 30000);
    EXPECT_EQ(qsp::UsbTimeout(qsp::UsbDelayFactor(" 6")), 3000);
    EXPECT_EQ(qsp::Ps2Timeout(qsp::Ps2DelayFactor("0.5")), 50);
    EXPECT_EQ(qsp::Ps2Timeout(qsp::Ps2DelayFactor("700")), 30000);
    EXPECT_EQ(qsp::Ps2Timeout(qsp::Ps2DelayFactor("12")), 600);

    // What the libraries are handed, and what DelayBox shows.
    WedgeRig rig(qspsim::Faults{qspsim::Stage::Any});
    rig.state.Settings.UsbDelay = "100";
    rig.state.Settings.Ps2Delay = "0.5";
    EXPECT_FALSE(rig.link.ConnectScanner("1", qsp::kUsb));
    EXPECT_EQ(rig.usbWire.timeouts, std::vector<int>(5, 30000));
    EXPECT_EQ(rig.view.delayBox.back(), "60");
    EXPECT_FALSE(rig.link.ConnectScanner("1", qsp::kPs2));
    ASSERT_FALSE(rig.ps2Wire.timeouts.empty());
    EXPECT_EQ(rig.ps2Wire.timeouts.front(), 50);
    EXPECT_EQ(rig.view.delayBox.back(), "1");
}

// ---- USB ----

TEST(UsbExchange, ReadsTheBlockAndEnds) {
    WedgeRig rig;
    ASSERT_TRUE(rig.link.ConnectScanner("1", qsp::kUsb));
    EXPECT_EQ(rig.usbLib->openArgs, (std::vector<std::pair<int, int>>{{273, 273}}));
    EXPECT_EQ(rig.usbWire.sent.front(),
              (Bytes{0x00, 0x62, 0x69, 0x6E, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    rig.state.ParamImage.fill(0x55);
    ASSERT_TRUE(rig.link.ReadParameters(qsp::kUsb));
    auto expected = rig.BlockImage();
    std::fill(expected.begin() + 512, expected.end(), 0x55);
    EXPECT_EQ(rig.state.ParamImage, expected);
    ASSERT_TRUE(rig.link.CloseScannerLink(qsp::kUsb));
    EXPECT_TRUE(rig.usbHandles.open.empty());
    EXPECT_EQ(rig.usbModel.mode(), qspsim::WedgeModel::Mode::Idle);

    const auto words = WedgeRig::Words(rig.usbWire.sent, true);
    ASSERT_EQ(words.size(), 1u + 1 + 127 + 1 + 1 + 1);
    EXPECT_EQ(words[1], "set");
    EXPECT_EQ(words[2], "\x06");
    EXPECT_EQ(words[129], "\x06");  // asks for the exclusive-or
    EXPECT_EQ(words[130], "ack");
    EXPECT_EQ(words[131], "end");
    EXPECT_EQ(rig.view.progress.back(), -1);  // the bar is hidden again
}

TEST(UsbExchange, WriteProgramsTheBlockAndSendsTheChecksumAsOneCharacter) {
    WedgeRig rig;
    rig.state.ParamImage.fill(0);  // exclusive-or 0x00
    rig.state.ParamImage[0] = 0x01;
    rig.state.ParamImage[1] = 0xAB;
    rig.state.ParamImage[3] = 0xFF;
    rig.state.ParamImage[8] = 0xAA;
    rig.state.ParamImage[9] = 0xFF;
    std::vector<int> progress;
    rig.link.SetWriteProgress([&](int v, int m) { progress.push_back(v * 100 / m); });
    ASSERT_TRUE(rig.link.ConnectScanner("1", qsp::kUsb));
    ASSERT_TRUE(rig.link.WriteParameters(qsp::kUsb));
    EXPECT_TRUE(std::equal(rig.block.begin(), rig.block.end(), rig.state.ParamImage.begin()));
    EXPECT_EQ(rig.usbModel.writesAccepted(), 1);
    EXPECT_EQ(progress.back(), 100);

    const auto& sent = rig.usbWire.sent;
    ASSERT_EQ(sent.size(), 1u + 1 + 128 + 1);
    EXPECT_EQ(WedgeRig::Words(sent, true)[1], "stx");
    EXPECT_EQ(WedgeRig::Words(sent, true)[2], "01AB00FF");
    EXPECT_EQ(sent.back(), (Bytes{0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(UsbExchange, FailuresRetryAsFarAsAllowedAndTheHandleClosesAnyway) {
    WedgeRig silent(qspsim::Faults{qspsim::Stage::Link});
    EXPECT_FALSE(silent.link.ConnectScanner("1", qsp::kUsb));
    EXPECT_EQ(silent.usbWire.sent.size(), 5u);
    EXPECT_EQ(silent.usbHandles.open.size(), 1u);  // left open after a failed connect
    EXPECT_FALSE(silent.link.ConnectScanner("1", qsp::kUsb));
    EXPECT_EQ(silent.usbHandles.open.size(), 1u);  // and replaced by the next one

    qspsim::Faults refuse;
    refuse.nakWrite = true;
    WedgeRig nak(refuse);
    ASSERT_TRUE(nak.link.ConnectScanner("1", qsp::kUsb));
    const auto before = nak.block;
    EXPECT_FALSE(nak.link.WriteParameters(qsp::kUsb));
    EXPECT_EQ(nak.block, before);
    EXPECT_EQ(nak.usbModel.writesRefused(), 3 * 3);  // 3 attempts x 3 checksum tries

    WedgeRig mute(qspsim::Faults{qspsim::Stage::Ack});  // "end" unanswered
    ASSERT_TRUE(mute.link.ConnectScanner("1", qsp::kUsb));
    EXPECT_FALSE(mute.link.CloseScannerLink(qsp::kUsb));
    EXPECT_TRUE(mute.usbHandles.open.empty());
    // A receive that times out stops the "end" tries at once.
    EXPECT_EQ(WedgeRig::Words(mute.usbWire.sent, true).back(), "end");
    EXPECT_EQ(mute.usbWire.sent.size(), 2u);
}

// ---- PS/2 ----

TEST(Ps2Exchange, SetupReadsTheBlockWithItsMessages) {
    WedgeRig rig;
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
    EXPECT_TRUE(std::equal(rig.block.begin(), rig.block.end(), rig.state.ParamImage.begin()));
    EXPECT_TRUE(rig.view.locked);

    const auto& sent = rig.ps2Wire.sent;
    const auto words = WedgeRig::Words(sent, false);
    ASSERT_EQ(words.size(), 1u + 1 + 127 + 1 + 1);
    EXPECT_EQ(sent.front(), (Bytes{'b', 'i', 'n', 'z', 'z', 'z', 'z', 'z'}));
    EXPECT_EQ(words[1], "set");
    EXPECT_EQ(words[2], "ack");
    EXPECT_EQ(words.back(), "wit");
    // Each block request waits 3,001 passes before its answer is read: 128 x 15 ms at least.
    EXPECT_GE(rig.pump.Now(), std::chrono::milliseconds(128 * 15));
}

TEST(Ps2Exchange, FailedOpenReportsAndClosesTwice) {
    WedgeRig rig;
    rig.ps2Handles.present = false;
    rig.state.Settings.InterfaceIndex = "2";
    rig.ops.ScannerSetup([] { FAIL() << "settings window opened"; });
    EXPECT_EQ(rig.view.messages,
              (std::vector<std::string>{"Loading scanner parameter, please wait...",
                                        "QSP connection failed! Please restart QSP program.",
                                        "QSP programe error! Please restart QSP program.",
                                        "Cannot connect to scanner."}));
    EXPECT_FALSE(rig.view.locked);
    EXPECT_EQ(rig.view.focus, qsp::kButtonSetup);

    // An open port that never acknowledges: five "bin", closed without the error message.
    WedgeRig silent(qspsim::Faults{qspsim::Stage::Link});
    EXPECT_FALSE(silent.link.ConnectScanner("1", qsp::kPs2));
    EXPECT_EQ(silent.ps2Wire.sent.size(), 5u);
    EXPECT_TRUE(silent.ps2Handles.open.empty());
    EXPECT_EQ(silent.view.messages,
              (std::vector<std::string>{"QSP program is starting...Please wait for 5 seconds..."}));
}

// Raw reads straight from the port, as the scanner's pieces arrive (whole reads in pieces: the
// end-to-end tests with the simulator's split replies).
TEST(Ps2Exchange, RepliesInPiecesAreCollectedUpToEightCodes) {
    WedgeRig raw;
    ASSERT_TRUE(raw.link.ConnectScanner("1", qsp::kPs2));
    auto& p = *raw.ps2Protocol;
    raw.ps2Wire.Queue({0x1E, 0x2E, 0x25, 0x1C, 0x1C});
    raw.ps2Wire.Queue({0x1C, 0x1C, 0x1C});
    auto r = p.ReceiveFrame();
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(qsp::IsPs2Acknowledge(p.Frame().data()));
    raw.ps2Wire.Queue({1, 2, 3, 4, 5});
    raw.ps2Wire.Queue({6, 7, 8, 9});
    r = p.ReceiveFrame();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.count, 9);
    raw.ps2Wire.Queue({1, 2});
    raw.ps2Wire.Queue({3, 4});
    raw.ps2Wire.Queue({5, 6});
    raw.ps2Wire.Queue({7, 8});  // a fourth piece is not waited for
    r = p.ReceiveFrame();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.count, 6);
}

TEST(Ps2Exchange, WriteAndEndShowTheirStatusTexts) {
    WedgeRig rig;
    rig.state.ParamImage = PatternImage();
    ASSERT_TRUE(rig.link.ConnectScanner("1", qsp::kPs2));
    ASSERT_TRUE(rig.link.WriteParameters(qsp::kPs2));
    EXPECT_TRUE(std::equal(rig.block.begin(), rig.block.end(), rig.state.ParamImage.begin()));
    ASSERT_TRUE(rig.link.CloseScannerLink(qsp::kPs2));
    EXPECT_TRUE(rig.ps2Handles.open.empty());

    ASSERT_EQ(rig.status.size(), 1u + 128 + 1 + 1);
    EXPECT_EQ(rig.status.front(), "QSP program is starting...Please wait for 5 seconds...");
    EXPECT_EQ(rig.status[1], "Transmitting data, please wait...");
    EXPECT_EQ(rig.status[129], "QSP program is finishing...Please wait for 5 seconds...");
    EXPECT_EQ(rig.status.back(), "End");

    const auto& sent = rig.ps2Wire.sent;
    const std::string checksum = qsp::HexByteText(qsp::ImageChecksum(rig.state.ParamImage));
    EXPECT_EQ(WedgeRig::Words(sent, false)[sent.size() - 2], checksum);
    EXPECT_EQ(sent.back(), (Bytes{0x65, 0x6E, 0x64, 0x7A, 0x7A, 0x7A, 0x7A, 0x7A}));
}

TEST(Ps2Exchange, WrongChecksumGetsTwoNaksThenTheAttemptFails) {
    qspsim::Faults always;
    always.corruptRead = true;
    WedgeRig rig(always);
    ASSERT_TRUE(rig.link.ConnectScanner("1", qsp::kPs2));
    EXPECT_FALSE(rig.link.ReadParameters(qsp::kPs2));
    const auto words = WedgeRig::Words(rig.ps2Wire.sent, false);
    EXPECT_EQ(std::count(words.begin(), words.end(), "nak"), 3 * 2);
    EXPECT_EQ(std::count(words.begin(), words.end(), "wit"), 0);
    EXPECT_EQ(std::count(rig.view.messages.begin(), rig.view.messages.end(),
                         "Connect Scanner , Please wait for 5 seconds..."),
              3);
}

}  // namespace
