// The scanner test as the user sees it, over a virtual serial line with the virtual scanner:
// what the text box shows, what the three status panels read and when an item is counted.

#include <gtest/gtest.h>

#include "link_rig.h"

namespace {

using std::chrono::milliseconds;

struct SessionRig : qsptest::Rig {
    SessionRig() {
        state.ParamImage = ScannerImage(state.ParamImage);  // the scanner's own 9600 8N1
        lock.LockMainWindow();
    }
    // A counting test on RS-232 with this terminator.
    void Counting(int terminator) {
        state.ParamImage[qsp::kTerminatorIndex] = static_cast<std::uint8_t>(terminator);
        ASSERT_TRUE(session.Activate());
    }
    // The text of one receive poll.
    void Poll(const std::string& text) {
        line.DeliverAt(pump.Now() + milliseconds(1), {text.begin(), text.end()});
        pump.Advance(milliseconds(50));
    }
    qsptest::RecordingTestView tv;
    qsp::TestSession session{state, pump, text, link.Serial(), tv};
};

// At the scanner's own settings, an item is counted once per receive poll that holds the
// terminator's last character; the text box shows each item on its line, the clock the time
// listened.
TEST(TestSessionCounting, OncePerPollThatHoldsTheTerminator) {
    struct Case {
        int terminator;
        std::vector<std::pair<std::string, int>> polls;  // text, count after it
        std::string box;
    };
    // clang-format off
    const Case cases[] = {
        {2, {{"ABC", 0}, {"\r\n", 1}, {"DEF\r\nGHI\r\n", 2}}, "ABC\nDEF\nGHI\n"},  // CR
        {3, {{"X\r", 0}, {"\n", 1}}, "X\n"},           // CR + LF: the line feed counts
        {0, {{"AB", 1}, {"CD", 2}}, "\nAB\nCD"},        // none: every poll, on a line of its own
        {6, {{"A1\x1B", 1}, {"B2", 1}}, "A1\x1B\nB2"},  // ESC ends its line
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.terminator);
        SessionRig r;
        r.Counting(c.terminator);
        EXPECT_EQ(r.tv.links.back(), "RS232 9600,N,8,1  COM1");
        EXPECT_EQ(r.tv.clock, "Link 0: 0: 0");
        for (const auto& [text, count] : c.polls) {
            r.Poll(text);
            EXPECT_EQ(r.tv.total, "Total: " + std::to_string(count)) << text;
        }
        EXPECT_EQ(r.tv.box, c.box);
        // The time listened, until the window closes.
        r.pump.Advance(std::chrono::seconds(61));
        EXPECT_EQ(r.tv.clock, "Link 0: 1: 1");
        r.session.Close();
        r.pump.Advance(std::chrono::seconds(5));
        EXPECT_EQ(r.tv.clock, "Link 0: 1: 1");
    }
}

// The status panels speak the window's language: the clock's word and the total's.
TEST(TestSessionCounting, PanelsReadInTheWindowsLanguage) {
    SessionRig r;
    const qsp::InterfaceText japanese(qsp::Language::Japanese);
    qsptest::RecordingTestView tv;
    qsp::TestSession session{r.state, r.pump, japanese, r.link.Serial(), tv};
    r.state.ParamImage[qsp::kTerminatorIndex] = 2;
    ASSERT_TRUE(session.Activate());
    r.pump.Advance(std::chrono::seconds(61));
    EXPECT_EQ(tv.clock, "接続 0: 1: 1");
    r.Poll("A\r\n");
    EXPECT_EQ(tv.total, "合計： 1");
}

// The window's own connect: a failure is said in the text box and nothing is listened to; the
// next activation searches again, with one stop bit only, and listens at what answered.
TEST(TestSession, OwnConnectSearchesWithOneStopBitAndReportsAFailureInTheTextBox) {
    SessionRig r;
    r.state.Settings.TestCount = false;
    r.state.Settings.Automation = true;
    r.model.SetSerial(4800, 'N', 8, 2);  // stop bits 2 are never tried
    ASSERT_TRUE(r.session.Activate());
    EXPECT_EQ(r.tv.links.back(), "Connecting, please wait...300M");
    EXPECT_EQ(r.tv.box, "Cannot connect to scanner.\n");
    EXPECT_FALSE(r.session.Listening());

    r.model.SetSerial(19200, 'O', 8, 1);
    r.tv = qsptest::RecordingTestView();
    ASSERT_TRUE(r.session.Activate());
    EXPECT_TRUE(r.session.Listening());
    EXPECT_EQ(r.tv.links[2], "Connecting, please wait...9600N");
    EXPECT_EQ(r.tv.links.back(), "RS232 19200,O,8,1  COM1");
    for (const auto& opened : r.line.opens)
        EXPECT_EQ(opened.back(), '1') << opened;
    r.Scan("XY");
    EXPECT_EQ(r.tv.box, "XY\n");
    // The scanner's bytes are Windows-1252 characters, not UTF-8.
    r.Poll("\xE9\x80\r\n");
    EXPECT_EQ(r.tv.box, "XY\n\xC3\xA9\xE2\x82\xAC\n");
}

}  // namespace
