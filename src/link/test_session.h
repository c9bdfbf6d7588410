#pragma once
// The scanner test apart from its window: what one showing of the "Test Scanner" window does
// from activation to closing. On RS-232 it opens the port in text mode, either at the scanner's
// own settings read from the parameter image (TestCount on) or after a connect of its own
// (TestCount off), and takes the text of every receive poll; on USB and PS/2 the scanner types
// into the window and the window hands each typed character here. Items are counted by the
// scanner's terminator (ItemCounter), and a one-second clock (Timer3) shows how long the test
// has run. `qspctl monitor` runs the same session on a terminal.

#include <functional>
#include <optional>
#include <string>

#include "base/app_state.h"
#include "base/event_pump.h"
#include "base/interface_text.h"
#include "base/link_clock.h"
#include "link/serial_link.h"
#include "link/test_counter.h"

namespace qsp {

// What the session shows. The window implements it; the terminal monitor and the tests too.
class TestView {
public:
    virtual ~TestView() = default;
    // Status panel 1: the icon of `interface` and a text.
    virtual void ShowLink(int interface, const std::string& text) = 0;
    // Status panel 2: "Link h: m: s".
    virtual void ShowClock(const std::string& text) = 0;
    // Status panel 3: "Total: n".
    virtual void ShowTotal(const std::string& text) = 0;
    // Adds text (lines end in line feeds) at the end of the text box; the caret goes after it.
    virtual void AppendText(const std::string& text) = 0;
    // The caret to the end of the text box.
    virtual void CaretToEnd() = 0;
    // The focus back to the text box.
    virtual void FocusText() = 0;
};

// The test's own RS-232 connect: "LINK" answered by 0x06 at the configured settings, then, with
// Automation on, at 9600 to 300 baud with data 8 and parity N E O S M and data 7 with E O S M,
// one stop bit. `showTry` is given each candidate before it is tried ("Connecting, please
// wait...9600N"). On success the port is open again at the settings that answered, in text mode;
// on failure it is closed. Returns the settings that answered.
std::optional<SerialSettings> TestConnect(SerialLink& link, const std::string& port,
                                          const std::string& tryText,
                                          const std::function<void(const std::string&)>& showTry);

// "RS232 9600,N,8,1  COM1"
std::string TestLinkText(const SerialSettings& settings, const std::string& port);

class TestSession {
public:
    static constexpr EventPump::Clock kClockInterval = std::chrono::seconds(1);

    TestSession(AppState& state, EventPump& pump, const InterfaceText& text, SerialLink& serial,
                TestView& view);
    ~TestSession();
    TestSession(const TestSession&) = delete;
    TestSession& operator=(const TestSession&) = delete;

    // Activation: clock and count from zero, Timer3 on, the link panel, and on RS-232 the port.
    // False when the window is to close at once (an unknown interface, or the port cannot be
    // opened at the scanner's own settings).
    bool Activate();
    // Closing: Timer3 off; serial text is no longer taken.
    void Close();

    // One receive poll's text (RS-232 in text mode).
    void Received(const std::string& text);
    // A character typed into the text box (it goes in as typed).
    void Typed(char c);
    // A character typed while the Exit button has the focus.
    void TypedOnExit(char c);

    // Whether the RS-232 port is open for the test (false after a failed connect).
    bool Listening() const { return listening_; }
    int Interface() const { return interface_; }
    const ItemCounter& Counter() const { return counter_; }

private:
    void Tick();
    void ShowTotal();

    AppState& state_;
    EventPump& pump_;
    const InterfaceText& text_;
    SerialLink& serial_;
    TestView& view_;
    ItemCounter counter_;
    LineBreaks lineBreaks_;
    LinkClock clock_;
    EventPump::TimerId timer3_ = 0;
    int interface_ = kRs232;
    bool listening_ = false;
};

}  // namespace qsp
