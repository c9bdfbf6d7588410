// The serial link and the RS-232 exchange: opening ports, the reply wait, the search, the write
// frame, and the main window's Setup and Test around them, on the virtual clock.

#include <gtest/gtest.h>

#include "link/rs232_protocol.h"
#include "link_rig.h"

namespace {

using qsp::EventPump;
using qsptest::Rig;
using Clock = EventPump::Clock;

TEST(SerialLink, OpenRefusesBadPortTextsWithoutTouchingThePort) {
    Rig rig;
    auto& link = rig.link.Serial();
    for (const char* port : {"0", "", "100", " 0", "2"})  // "2": no such port
        EXPECT_FALSE(link.OpenSerialPort(port, "9600", "N", "8", "1", false)) << port;
    EXPECT_TRUE(rig.line.opens.empty());
    EXPECT_TRUE(link.OpenSerialPort(" 1", "9600", "N", "8", "1", false));
    EXPECT_FALSE(link.OpenSerialPort("1", "9600", "X", "8", "1", false));  // invalid settings
    EXPECT_FALSE(link.PortOpen());
}

// WaitReply(n) polls for at most Rs232Delay x 500 x the baud factor passes and succeeds at the
// first poll that sees exactly n bytes; n = 0 waits the whole time for any input at all.
TEST(SerialWaitReply, NeedsExactlyTheCountWithinItsTimeOut) {
    using qsptest::Bytes;
    struct Case {
        const char* label;
        const char* baud;
        std::vector<std::pair<int, Bytes>> chunks;  // at (us from the start), bytes
        int count;
        bool ok;
        int rxCount;
        Clock elapsed;  // exactly, or at most when the wait succeeds early
    };
    const Clock whole = EventPump::kPassDuration * (200 * 500 + 1);
    // clang-format off
    const Case cases[] = {
        {"silence at 9600: three times as long", "9600", {}, 1, false, 0, EventPump::kPassDuration * (200 * 500 * 3 + 1)},
        {"514 in two chunks", "38400", {{3000, Bytes(300, 0x11)}, {15000, Bytes(214, 0x22)}}, 514, true, 514, Clock(20000 + 5)},
        {"510 then 515", "38400", {{3000, Bytes(510, 1)}, {13000, Bytes(5, 2)}}, 514, false, 515, whole},
        {"any input", "38400", {{1000, {0x41}}}, 0, true, 1, whole},
        {"beyond the buffer", "38400", {{1000, Bytes(600, 7)}}, 0, false, 516, whole},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Rig r;
        r.state.Settings.Rs232Delay = 200;
        r.lock.LockMainWindow();
        auto& link = r.link.Serial();
        ASSERT_TRUE(link.OpenSerialPort("1", c.baud, "N", "8", "1", false));
        link.BaudFactor(c.baud);
        const Clock start = r.pump.Now();
        for (const auto& [at, bytes] : c.chunks)
            r.line.DeliverAt(start + Clock(at), bytes);
        EXPECT_EQ(link.WaitReply(c.count), c.ok);
        EXPECT_EQ(r.state.RxCount, c.rxCount);
        if (c.ok && c.count > 0) {
            EXPECT_LE(r.pump.Now() - start, c.elapsed);
            EXPECT_EQ(r.state.RxBuffer[513], 0x22);
        } else {
            EXPECT_EQ(r.pump.Now() - start, c.elapsed);
        }
    }
}

TEST(SerialLink, SearchTriesEveryFrameAndBothStopBits) {
    Rig rig;
    auto& link = rig.link.Serial();
    std::vector<std::string> tried;
    EXPECT_FALSE(link.SettingsSearch("1", [&](const qsp::SerialSettings& s) {
        tried.push_back(s.Text());
        return qsp::TryResult::NoAnswer;
    }));
    ASSERT_EQ(tried.size(), 144u);
    EXPECT_EQ(tried[0], "9600,N,8,1");
    EXPECT_EQ(tried[1], "9600,N,8,2");
    EXPECT_EQ(tried.back(), "300,M,7,2");
    EXPECT_FALSE(rig.view.searchVisible);
}

TEST(Rs232Exchange, WriteSendsTheSumInPlaceOfBytes254And255) {
    // All 0xFF in bytes 0..253: 254 x 255 = 64770 = 0xFD02. (The scanner model checks the
    // frame's exclusive-or on every write.)
    qsp::ImageBytes image;
    image.fill(0xFF);
    const auto frame = qsp::WriteFrame(image);
    EXPECT_EQ(frame[255], 0xFD);
    EXPECT_EQ(frame[256], 0x02);
}

TEST(MainSetup, ReadsTheImageAndHandsOverToTheSettingsWindow) {
    Rig rig;
    rig.ops.ScannerSetup([] {});
    EXPECT_EQ(rig.view.messages,
              (std::vector<std::string>{"Loading scanner parameter, please wait...",
                                        "Loading, please wait...", "Refreshing, please wait..."}));
    EXPECT_EQ(rig.prompt.beeps, 1);
    EXPECT_TRUE(rig.link.Serial().PortOpen());  // left open at 115,200 for the later write
    EXPECT_EQ(rig.line.opens, (std::vector<std::string>{"9600,N,8,1", "115200,N,8,1"}));
}

TEST(MainTest, ReadsTheScannersSettingsOrNothingThenOpensTheTestWindow) {
    for (const bool counting : {true, false}) {
        Rig rig;
        rig.state.Settings.TestCount = counting;
        bool portOpenInWindow = true;
        rig.ops.ScannerTest([&] { portOpenInWindow = rig.link.Serial().PortOpen(); });
        EXPECT_FALSE(portOpenInWindow);  // the link was ended before the window opened
        EXPECT_EQ(rig.view.messages.size(),
                  counting ? 2u : 0u);  // "Searching...", "Scanner found."
        EXPECT_EQ(rig.line.sent.empty(), !counting);
        EXPECT_EQ(rig.state.ParamImage[142], counting ? rig.model.block()[142] : 0x5A);
        rig.ExpectIdle(qsp::kButtonTest);
    }
}

}  // namespace
