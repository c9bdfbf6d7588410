// The scanner test as the user sees it, over a virtual serial line with the virtual scanner:
// what the text box shows, what the three status panels read and when an item is counted.

#include <gtest/gtest.h>

#include "app/main_lock.h"
#include "fakes.h"
#include "link/test_session.h"
#include "virtual_line.h"

namespace {

using Clock = qsp::EventPump::Clock;
using std::chrono::milliseconds;

struct RecordingTestView : qsp::TestView {
    void ShowLink(int interface, const std::string& text) override {
        linkIcon = interface;
        links.push_back(text);
    }
    void ShowClock(const std::string& text) override { clock = text; }
    void ShowTotal(const std::string& text) override { total = text; }
    void AppendText(const std::string& text) override { box += text; }
    void CaretToEnd() override {}
    void FocusText() override { ++focused; }

    int linkIcon = -1;
    std::vector<std::string> links;
    std::string clock, total, box;
    int focused = 0;
};

struct SessionRig {
    SessionRig() : model(qspsim::FactoryBlock()) {
        state.Settings = qsp::ParseSettings("");
        state.Settings.CommPort = "1";
        state.Settings.Rs232Delay = 20;
        state.Settings.TestCount = true;
        std::copy(model.block().begin(), model.block().end(), state.ParamImage.begin());
        lock.SetReceivePoll([this] { link.ReceivePoll(); });
        lock.LockMainWindow();
    }
    // A counting test on RS-232 with this terminator; the scanner's own settings 9600 8N1.
    void Counting(int terminator) {
        state.ParamImage[qsp::kTerminatorIndex] = static_cast<std::uint8_t>(terminator);
        ASSERT_TRUE(session.Activate());
    }
    // The text of one receive poll.
    void Poll(const std::string& text) {
        line.DeliverAt(pump.Now() + milliseconds(1), {text.begin(), text.end()});
        pump.Advance(milliseconds(50));
    }
    // The user reads a barcode; the scanner sends it at its own pace.
    void Scan(const std::string& data) {
        const auto& s = line.port()->settings();
        ASSERT_TRUE(
            model.Scan(data, qspsim::ViewOf(std::stoi(s.baud), s.parity[0], std::stoi(s.stop))));
        Clock at = pump.Now();
        for (const auto& answer : model.TakeAnswers()) {
            for (std::uint8_t b : answer.bytes) {
                line.DeliverAt(at, {b});
                at += Clock(10'000'000 / answer.baud);
            }
        }
        pump.Advance(milliseconds(300));
    }

    qspsim::ScannerModel model;
    qsp::AppState state;
    qsp::VirtualPump pump;
    qsptest::FakeMainView mainView;
    qsptest::VirtualLine line{pump, &model, 1};
    qsp::SerialLink link{state, pump, mainView, line.Factory()};
    qsp::MainLock lock{mainView, pump};
    qsp::InterfaceText text;
    RecordingTestView view;
    qsp::TestSession session{state, pump, text, link, view};
};
struct TestSessionTest : ::testing::Test, SessionRig {};

// An item is counted once per receive poll that holds the terminator's last character; the text
// box shows each item on its line.
TEST(TestSessionCounting, OncePerPollThatHoldsTheTerminator) {
    struct Case {
        int terminator;
        std::vector<std::pair<std::string, int>> polls;  // text, count after it
        std::string box;
    };
    const Case cases[] = {
        {2, {{"ABC", 0}, {"\r\n", 1}, {"DEF\r\nGHI\r\n", 2}}, "ABC\nDEF\nGHI\n"},  // CR
        {3, {{"X\r", 0}, {"\n", 1}}, "X\n"},           // CR + LF: the line feed counts
        {0, {{"AB", 1}, {"CD", 2}}, "\nAB\nCD"},        // none: every poll, on a line of its own
        {6, {{"A1\x1B", 1}, {"B2", 1}}, "A1\x1B\nB2"},  // ESC ends its line
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.terminator);
        SessionRig r;
        r.Counting(c.terminator);
        for (const auto& [text, count] : c.polls) {
            r.Poll(text);
            EXPECT_EQ(r.session.Counter().Count(), count) << text;
        }
        EXPECT_EQ(r.view.box, c.box);
        EXPECT_EQ(r.view.total, "Total: " + std::to_string(c.polls.back().second));
    }
}

TEST_F(TestSessionTest, OpensAtTheScannersSettingsOrNotAtAll) {
    Counting(2);
    EXPECT_EQ(view.links.back(), "RS232 9600,N,8,1  COM1");
    EXPECT_EQ(view.linkIcon, qsp::kRs232);
    EXPECT_EQ(line.opens, std::vector<std::string>{"9600,N,8,1"});
    // The window closes at once for settings the image does not name and unknown links.
    state.ParamImage[143] = 0x01;
    EXPECT_FALSE(session.Activate());
    state.Settings.InterfaceIndex = "7";
    EXPECT_FALSE(session.Activate());
}

TEST_F(TestSessionTest, ClockShowsHoursMinutesSecondsWithLeadingBlanks) {
    Counting(2);
    EXPECT_EQ(view.clock, "Link 0: 0: 0");
    pump.Advance(std::chrono::seconds(61));
    EXPECT_EQ(view.clock, "Link 0: 1: 1");
    session.Close();
    pump.Advance(std::chrono::seconds(5));
    EXPECT_EQ(view.clock, "Link 0: 1: 1");
}

TEST_F(TestSessionTest, TestLinkSearchesWithOneStopBitAndReportsAFailureInTheTextBox) {
    state.Settings.TestCount = false;
    state.Settings.Automation = true;
    model.SetSerial(19200, 'O', 8, 1);
    ASSERT_TRUE(session.Activate());
    EXPECT_EQ(view.links[2], "Connecting, please wait...9600N");
    EXPECT_EQ(view.links.back(), "RS232 19200,O,8,1  COM1");
    for (const auto& opened : line.opens)
        EXPECT_EQ(opened.back(), '1') << opened;
    Scan("XY");
    EXPECT_EQ(view.box, "XY\n");

    model.SetSerial(4800, 'N', 8, 2);  // stop bits 2 are never tried
    view = RecordingTestView();
    ASSERT_TRUE(session.Activate());
    EXPECT_EQ(view.links.back(), "Connecting, please wait...300M");
    EXPECT_EQ(view.box, "Cannot connect to scanner.\n");
    EXPECT_FALSE(session.Listening());
    EXPECT_FALSE(link.PortOpen());
}

}  // namespace
