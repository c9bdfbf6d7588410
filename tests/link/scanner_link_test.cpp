// The configuration exchange against the scanner model, and the main window's Setup and Test
// procedures around it, on the virtual clock.

#include <gtest/gtest.h>

#include <algorithm>

#include "app/main_lock.h"
#include "app/main_operations.h"
#include "fakes.h"
#include "link/scanner_link.h"
#include "virtual_line.h"

namespace {

using qspsim::Faults;
using qspsim::Stage;

struct Rig {
    explicit Rig(Faults faults = {}, bool automation = false)
        : model(qspsim::FactoryBlock(), faults) {
        state.Settings.CommPort = "1";
        state.Settings.Rs232Delay = 20;
        state.Settings.BaudRate = "9600";
        state.Settings.DataParity = "None";
        state.Settings.DataLength = "8 bits";
        state.Settings.StopBits = "1 bit";
        state.Settings.UsbDelay = "6";
        state.Settings.InterfaceIndex = "0";
        state.Settings.Automation = automation;
        state.Settings.TestCount = true;
        lock.SetReceivePoll([this] { link.Serial().ReceivePoll(); });
    }
    // The bytes 1..512 the scanner holds, as the host's parameter image would.
    qsp::ImageBytes ScannerImage() const {
        qsp::ImageBytes image{};
        std::copy(model.block().begin(), model.block().end(), image.begin());
        return image;
    }

    qspsim::ScannerModel model;
    qsp::AppState state;
    qsp::VirtualPump pump;
    qsptest::FakeMainView view;
    qsptest::FakePrompt prompt;
    qsp::InterfaceText text;
    qsptest::VirtualLine line{pump, &model};
    qsp::ScannerLink link{state, pump, view, text, line.Factory()};
    qsp::MainLock lock{view, pump};
    qsp::MainOperations ops{state, pump, view, lock, prompt, text, link};
};

TEST(Rs232Exchange, ReadsTheScannersBlockAndEndsTheLink) {
    Rig rig;
    rig.lock.LockMainWindow();
    ASSERT_TRUE(rig.link.ConnectScanner("1", qsp::kRs232));
    EXPECT_EQ(rig.line.opens, (std::vector<std::string>{"9600,N,8,1", "115200,N,8,1"}));
    ASSERT_TRUE(rig.link.ReadParameters(qsp::kRs232));
    EXPECT_EQ(rig.state.RxCount, 514);
    EXPECT_TRUE(std::equal(rig.model.block().begin(), rig.model.block().end(),
                           rig.state.RxBuffer.begin() + 1));
    EXPECT_TRUE(rig.link.CloseScannerLink(qsp::kRs232));
    EXPECT_FALSE(rig.link.Serial().PortOpen());
    EXPECT_FALSE(rig.link.CloseScannerLink(qsp::kRs232));  // already closed
    const std::vector<std::uint8_t> expected{'L', 'I', 'N', 'K', 0x06, 0xFB, 0xF9, 0xF9};
    EXPECT_EQ(rig.line.sent, expected);
    EXPECT_EQ(rig.model.mode(), qspsim::ScannerModel::Mode::Idle);
}

TEST(Rs232Exchange, OtherLinksFailUntilTheirProtocolIsInstalled) {
    Rig rig;
    for (int i : {1, 2, 3, -1}) {
        EXPECT_FALSE(rig.link.ConnectScanner("1", i));
        EXPECT_FALSE(rig.link.ReadParameters(i));
        EXPECT_FALSE(rig.link.WriteParameters(i));
        EXPECT_FALSE(rig.link.CloseScannerLink(i));
    }
    EXPECT_TRUE(rig.line.sent.empty());
}

TEST(Rs232Exchange, WriteSendsTheSumInPlaceOfBytes254And255) {
    Rig rig;
    rig.lock.LockMainWindow();
    rig.state.ParamImage.fill(0xFF);
    rig.state.ParamImage[142] = 6;  // keep the scanner at 9600 N 8 1
    rig.state.ParamImage[143] = 0x13;
    ASSERT_TRUE(rig.link.ConnectScanner("1", qsp::kRs232));
    const auto before = rig.state.ParamImage;
    ASSERT_TRUE(rig.link.WriteParameters(qsp::kRs232));
    EXPECT_EQ(rig.state.ParamImage, before);  // the sum goes on the wire only
    // The scanner keeps the frame as received (its bytes on the wire: the end-to-end transcript).
    const unsigned sum = 252u * 255u + 6u + 0x13u;
    EXPECT_EQ(rig.model.writesAccepted(), 1);
    EXPECT_EQ(rig.model.block()[254], sum >> 8);
    EXPECT_EQ(rig.model.block()[255], sum & 0xFF);

    // All 0xFF in bytes 0..253: 254 x 255 = 64770 = 0xFD02.
    rig.state.ParamImage.fill(0xFF);
    const auto allFf = qsp::WriteFrame(rig.state.ParamImage);
    EXPECT_EQ(allFf[255], 0xFD);
    EXPECT_EQ(allFf[256], 0x02);
    std::uint8_t x = 0;
    for (std::size_t i = 0; i < 513; ++i)
        x ^= allFf[i];
    EXPECT_EQ(allFf[513], x);
}

TEST(MainSetup, ReadsTheImageAndHandsOverToTheSettingsWindow) {
    Rig rig;
    rig.state.ParamImage.fill(0x55);
    int opened = 0;
    rig.ops.ScannerSetup([&] { ++opened; });
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(rig.view.messages,
              (std::vector<std::string>{"Loading scanner parameter, please wait...",
                                        "Loading, please wait...", "Refreshing, please wait..."}));
    EXPECT_EQ(rig.prompt.beeps, 1);
    EXPECT_TRUE(rig.view.locked);
    EXPECT_TRUE(rig.lock.PollRunning());
    EXPECT_FALSE(rig.state.ProgrammedFlag);
    auto expected = rig.ScannerImage();
    std::fill(expected.begin() + 512, expected.end(), 0x55);  // bytes 512..515 are not read
    EXPECT_EQ(rig.state.ParamImage, expected);
    EXPECT_TRUE(rig.link.Serial().PortOpen());  // left open at 115,200 for the later write
}

// A failed connect or read: the error line, an unlocked window with focus on Setup, an untouched
// image; only a failed read asks for the scanner to be plugged in again. (Every other fault:
// fault_injection_test.cpp.)
TEST(MainSetup, FailuresUnlockWithFocusOnSetup) {
    const std::pair<Stage, const char*> cases[] = {
        {Stage::Link, "Cannot connect to scanner."}, {Stage::Read, "Failed to load parameter!!"}};
    for (const auto& [stage, last] : cases) {
        SCOPED_TRACE(last);
        Rig rig(Faults{stage});
        rig.state.ParamImage.fill(0x5A);
        const auto before = rig.state.ParamImage;
        rig.ops.ScannerSetup([] { FAIL() << "settings window opened"; });
        EXPECT_EQ(rig.view.messages.front(), "Loading scanner parameter, please wait...");
        EXPECT_EQ(rig.view.messages.back(), last);
        EXPECT_FALSE(rig.view.locked);
        EXPECT_EQ(rig.view.focus, qsp::kButtonSetup);
        EXPECT_FALSE(rig.lock.PollRunning());
        EXPECT_EQ(rig.state.ParamImage, before);
        ASSERT_EQ(rig.prompt.boxes.size(), stage == Stage::Read ? 1u : 0u);
        if (stage != Stage::Read) continue;
        EXPECT_EQ(rig.prompt.boxes[0].text, "Please unplug and then plug the scanner back in again.");
        EXPECT_EQ(rig.prompt.boxes[0].title, "Connect Scanner");
        EXPECT_EQ(rig.prompt.boxes[0].icon, qsp::PromptIcon::Information);
        EXPECT_FALSE(rig.link.Serial().PortOpen());
    }
}

TEST(MainTest, ReadsTheScannersSettingsThenOpensTheTestWindow) {
    Rig rig;
    bool portOpenInWindow = true;
    rig.ops.ScannerTest([&] { portOpenInWindow = rig.link.Serial().PortOpen(); });
    EXPECT_FALSE(portOpenInWindow);  // the link was ended before the window opened
    EXPECT_EQ(rig.view.messages,
              (std::vector<std::string>{"Searching scanner, please wait...", "Scanner found."}));
    EXPECT_EQ(rig.prompt.beeps, 1);
    EXPECT_EQ(rig.state.ParamImage[142], rig.model.block()[142]);
    EXPECT_FALSE(rig.view.locked);
    EXPECT_EQ(rig.view.focus, qsp::kButtonTest);
    EXPECT_EQ(rig.model.mode(), qspsim::ScannerModel::Mode::Idle);
}

TEST(MainTest, WithoutCountingTheWindowOpensWithoutAnyExchange) {
    Rig off;
    off.state.Settings.TestCount = false;
    int opened = 0;
    off.ops.ScannerTest([&] {
        ++opened;
        EXPECT_TRUE(off.view.locked);
    });
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(off.line.sent.empty());
    EXPECT_FALSE(off.view.locked);
    EXPECT_EQ(off.view.focus, qsp::kButtonTest);
}

}  // namespace
