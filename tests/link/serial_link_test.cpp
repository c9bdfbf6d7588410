// The serial link: opening ports, the receive poll and reply wait, baud factors, the search.

#include <gtest/gtest.h>

#include "app/main_lock.h"
#include "fakes.h"
#include "link/serial_link.h"
#include "virtual_line.h"

namespace {

using qsp::EventPump;
using Clock = EventPump::Clock;

struct SerialRig {
    SerialRig() {
        state.Settings.Rs232Delay = 200;
        lock.SetReceivePoll([this] { link.ReceivePoll(); });
        lock.LockMainWindow();
    }
    qsp::AppState state;
    qsp::VirtualPump pump;
    qsptest::FakeMainView view;
    qsptest::VirtualLine line{pump, nullptr, 3};
    qsp::SerialLink link{state, pump, view, line.Factory()};
    qsp::MainLock lock{view, pump};
};
struct SerialLinkTest : ::testing::Test, SerialRig {};

TEST_F(SerialLinkTest, OpenRefusesBadPortTextsWithoutTouchingThePort) {
    for (const char* port : {"0", "", "100", " 0"}) {
        EXPECT_FALSE(link.OpenSerialPort(port, "9600", "N", "8", "1", false)) << port;
    }
    EXPECT_TRUE(line.opens.empty());
    EXPECT_FALSE(link.OpenSerialPort("2", "9600", "N", "8", "1", false));  // no such port
    EXPECT_TRUE(link.OpenSerialPort(" 3", "9600", "N", "8", "1", false));
    EXPECT_TRUE(link.PortOpen());
    EXPECT_FALSE(link.OpenSerialPort("3", "9600", "X", "8", "1", false));  // invalid settings
    EXPECT_FALSE(link.PortOpen());
}

// WaitReply(n) polls for at most Rs232Delay x 500 x the baud factor passes and succeeds at the
// first poll that sees exactly n bytes; n = 0 waits the whole time for any input at all.
TEST(SerialWaitReply, NeedsExactlyTheCountWithinItsTimeOut) {
    using Bytes = std::vector<std::uint8_t>;
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
    const Case cases[] = {
        {"silence at 9600: three times as long", "9600", {}, 1, false, 0,
         EventPump::kPassDuration * (200 * 500 * 3 + 1)},
        {"514 in two chunks", "38400", {{3000, Bytes(300, 0x11)}, {15000, Bytes(214, 0x22)}}, 514,
         true, 514, Clock(20000 + 5)},  // the second poll after the last chunk
        {"510 then 515", "38400", {{3000, Bytes(510, 1)}, {13000, Bytes(5, 2)}}, 514, false, 515,
         whole},
        {"any input", "38400", {{1000, {0x41}}}, 0, true, 1, whole},
        {"beyond the buffer", "38400", {{1000, Bytes(600, 7)}}, 0, false, 516, whole},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        SerialRig r;
        ASSERT_TRUE(r.link.OpenSerialPort("3", c.baud, "N", "8", "1", false));
        r.link.BaudFactor(c.baud);
        const Clock start = r.pump.Now();
        for (const auto& [at, bytes] : c.chunks)
            r.line.DeliverAt(start + Clock(at), bytes);
        EXPECT_EQ(r.link.WaitReply(c.count), c.ok);
        EXPECT_EQ(r.state.RxCount, c.rxCount);
        if (c.ok && c.count > 0) {
            EXPECT_LE(r.pump.Now() - start, c.elapsed);
            EXPECT_EQ(r.state.RxBuffer[0], 0x11);
            EXPECT_EQ(r.state.RxBuffer[513], 0x22);
        } else {
            EXPECT_EQ(r.pump.Now() - start, c.elapsed);
        }
        if (c.ok && c.count == 0) {
            EXPECT_FALSE(r.link.WaitReply(0));  // nothing new for a second wait
        }
    }
}

TEST_F(SerialLinkTest, TextModeAndYmodemInputBypassTheBuffer) {
    std::string text;
    std::vector<std::uint8_t> ymodem;
    link.SetTextReceiver([&](const std::string& t) { text += t; });
    link.SetYmodemReceiver([&](const std::vector<std::uint8_t>& b) { ymodem = b; });
    ASSERT_TRUE(link.OpenSerialPort("3", "9600", "N", "8", "1", true));
    line.DeliverAt(pump.Now() + Clock(1000), {'a', 'b', '\r'});
    pump.Advance(Clock(20000));
    EXPECT_EQ(text, "ab\r");
    ASSERT_TRUE(link.OpenSerialPort("3", "115200", "N", "8", "1", false));
    state.UpdateType = qsp::kUpdateYmodem;
    line.DeliverAt(pump.Now() + Clock(1000), {'C'});
    pump.Advance(Clock(20000));
    EXPECT_EQ(ymodem, std::vector<std::uint8_t>{'C'});
    EXPECT_EQ(state.RxCount, 0);
}

TEST_F(SerialLinkTest, PollStopsWhenTheWindowIsUnlocked) {
    ASSERT_TRUE(link.OpenSerialPort("3", "9600", "N", "8", "1", false));
    lock.UnlockMainWindow(qsp::kButtonSetup);
    line.DeliverAt(pump.Now() + Clock(1000), {1, 2});
    pump.Advance(Clock(50000));
    EXPECT_EQ(state.RxCount, 0);
}

TEST_F(SerialLinkTest, SearchTriesEveryFrameAndBothStopBits) {
    std::vector<std::string> tried;
    EXPECT_FALSE(link.SettingsSearch("1", [&](const qsp::SerialSettings& s) {
        tried.push_back(s.Text());
        return qsp::TryResult::NoAnswer;
    }));
    ASSERT_EQ(tried.size(), 144u);
    EXPECT_EQ(tried[0], "9600,N,8,1");
    EXPECT_EQ(tried[1], "9600,N,8,2");
    EXPECT_EQ(tried.back(), "300,M,7,2");
    EXPECT_EQ(view.progress.back(), 100);
    EXPECT_FALSE(view.searchVisible);
    EXPECT_NE(
        std::find(view.searchTexts.begin(), view.searchTexts.end(), "COM 1 , 4800 , E , 7 , 1"),
        view.searchTexts.end());

    // A port that cannot be opened skips the second stop bit; a success ends the search.
    tried.clear();
    qsp::SerialSettings found;
    EXPECT_TRUE(link.SettingsSearch(
        "1",
        [&](const qsp::SerialSettings& s) {
            tried.push_back(s.Text());
            if (s.baud == "19200" && s.parity == "O") return qsp::TryResult::Connected;
            return qsp::TryResult::PortUnavailable;
        },
        &found));
    EXPECT_EQ(found.Text(), "19200,O,8,1");
    EXPECT_EQ(tried.size(), 9u + 9u + 3u);
}

TEST(ScannerSerialSettings, ReadsRateAndFramingFromTheImage) {
    qsp::ImageBytes image{};
    image[142] = 22;
    image[143] = 0x13;
    EXPECT_EQ(qsp::ScannerSerialSettings(image), (qsp::SerialSettings{"38400", "N", "8", "1"}));
    image[142] = 8;
    image[143] = 0x46;  // 1 00 001 10: two stop bits, odd, 7 data bits
    EXPECT_EQ(qsp::ScannerSerialSettings(image), (qsp::SerialSettings{"115200", "O", "7", "2"}));
    image[143] = 0x7D;  // 1 11 111 01: no pattern means anything
    EXPECT_EQ(qsp::ScannerSerialSettings(image), (qsp::SerialSettings{"115200", "", "", ""}));
}

}  // namespace
