#include "link/test_session.h"

#include <array>
#include <cmath>
#include <utility>

#include "base/text_number.h"
#include "catalogue/catalogue_text.h"
#include "catalogue/key_codes.h"
#include "link/rs232_protocol.h"

namespace qsp {

namespace {

constexpr int kTextTotal = 118;
constexpr int kTextConnecting = 119;
constexpr int kTextCannotConnect = 129;

// One try: "LINK" at these settings, answered by 0x06.
bool LinkAnswered(SerialLink& link, const std::string& port, const SerialSettings& s) {
    if (!link.OpenSerialPort(port, s, false)) return false;
    link.Send(std::string("LINK"));
    return link.WaitReply(1) && link.State().RxBuffer[0] == kAck;
}

}  // namespace

std::string TestLinkText(const SerialSettings& s, const std::string& port) {
    return "RS232 " + s.Text() + "  COM" + port;
}

std::optional<SerialSettings> TestConnect(SerialLink& link, const std::string& port,
                                          const std::string& tryText,
                                          const std::function<void(const std::string&)>& showTry) {
    const AppSettings& settings = link.State().Settings;
    auto first = [](const std::string& t) { return t.substr(0, 1); };
    SerialSettings s{settings.BaudRate, first(settings.DataParity), first(settings.DataLength),
                     first(settings.StopBits)};
    link.BaudFactor(s.baud);
    bool found = LinkAnswered(link, port, s);
    if (!found && settings.Automation) {
        std::string baud = "9600";
        link.BaudFactor(baud);
        for (; !baud.empty() && !found; link.NextBaud(baud)) {
            for (const auto& [data, parity] : kSearchFrames) {
                s = SerialSettings{baud, parity, data, "1"};
                if (showTry) showTry(tryText + baud + parity);
                if ((found = LinkAnswered(link, port, s))) break;
            }
            if (found) break;
        }
    }
    link.ClosePort();
    if (!found || !link.OpenSerialPort(port, s, true)) return std::nullopt;
    return s;
}

TestSession::TestSession(AppState& state, EventPump& pump, const InterfaceText& text,
                         SerialLink& serial, TestView& view)
    : state_(state),
      pump_(pump),
      text_(text),
      serial_(serial),
      view_(view),
      clock_(CatalogueText(text.language())("Link")) {
    serial_.SetTextReceiver([this](const std::string& received) { Received(received); });
}

TestSession::~TestSession() {
    Close();
}

bool TestSession::Activate() {
    clock_.Reset(pump_.Now());
    counter_ = ItemCounter(state_.ParamImage[kTerminatorIndex]);
    lineBreaks_ = LineBreaks();
    listening_ = false;
    view_.ShowClock(clock_.Text());
    if (timer3_ != 0) pump_.StopTimer(timer3_);
    timer3_ = pump_.StartTimer(kClockInterval, [this] { Tick(); });

    interface_ = static_cast<int>(std::lround(NumericValue(state_.Settings.InterfaceIndex)));
    if (interface_ == kUsb) {
        view_.ShowLink(kUsb, "USB  Please Scanner");
        return true;
    }
    if (interface_ == kPs2) {
        view_.ShowLink(kPs2, "Keyboard  Please Scanner");
        return true;
    }
    if (interface_ != kRs232) return false;

    const std::string& port = state_.Settings.CommPort;
    view_.ShowLink(kRs232, "");
    if (state_.Settings.TestCount) {
        const SerialSettings own = ScannerSerialSettings(state_.ParamImage);
        if (!serial_.OpenSerialPort(port, own, true)) return false;
        view_.ShowLink(kRs232, TestLinkText(own, port));
        listening_ = true;
        return true;
    }
    const std::string& connecting = text_.LoadText(kTextConnecting);
    view_.ShowLink(kRs232, connecting);
    const auto found = TestConnect(serial_, port, connecting, [this](const std::string& shown) {
        view_.ShowLink(kRs232, shown);
    });
    if (!found) {
        view_.AppendText(text_.LoadText(kTextCannotConnect) + "\n");
        return true;
    }
    view_.ShowLink(kRs232, TestLinkText(*found, port));
    listening_ = true;
    return true;
}

void TestSession::Close() {
    if (timer3_ != 0) pump_.StopTimer(timer3_);
    timer3_ = 0;
    serial_.SetTextReceiver(nullptr);
}

void TestSession::ShowTotal() {
    view_.ShowTotal(counter_.TotalText(text_.LoadText(kTextTotal)));
}

void TestSession::Received(const std::string& text) {
    // Counting looks at the scanner's bytes; the text box shows them as characters.
    if (!state_.Settings.TestCount) {
        view_.AppendText(CodePageText(lineBreaks_.Feed(text)));
        return;
    }
    const std::string shown = counter_.SerialPoll(text);
    ShowTotal();
    view_.AppendText(CodePageText(lineBreaks_.Feed(shown)));
}

void TestSession::Typed(char c) {
    if (interface_ == kRs232) return;
    if (!counter_.Keystroke(c)) return;
    ShowTotal();
    view_.CaretToEnd();
}

void TestSession::TypedOnExit(char c) {
    view_.FocusText();
    const std::string shown = counter_.KeyAfterTab(c);
    if (counter_.TerminatorCode() == 4) ShowTotal();
    view_.AppendText(lineBreaks_.Feed(shown));
}

void TestSession::Tick() {
    if (const auto shown = clock_.Tick(pump_.Now())) view_.ShowClock(*shown);
    counter_.WrapAtLimit();
}

}  // namespace qsp
