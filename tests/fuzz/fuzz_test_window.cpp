// The test window's counting with the scanner's text played by the fuzzer: on RS-232 the text of
// each receive poll, on USB and PS/2 the characters typed into the window. The text box never
// gets a carriage return, loses or invents no character, and the total never counts more items
// than the scanner could have ended.

#include <cstdint>
#include <string>

#include "base/main_lock.h"
#include "fuzz_support.h"
#include "link/fakes.h"
#include "link/serial_link.h"
#include "link/test_counter.h"
#include "link/test_session.h"

namespace {

class RecordingTestView : public qsp::TestView {
public:
    void ShowLink(int, const std::string&) override {}
    void ShowClock(const std::string&) override {}
    void ShowTotal(const std::string& t) override { total = t; }
    void AppendText(const std::string& t) override { box += t; }
    void CaretToEnd() override {}
    void FocusText() override {}
    std::string total;
    std::string box;
};

// The characters that stay characters in the text box (line ends become line feeds). The box
// holds UTF-8: a character is a byte that does not continue the one before.
std::size_t Visible(const std::string& text) {
    std::size_t n = 0;
    for (char c : text)
        n += c != '\r' && c != '\n' && (static_cast<std::uint8_t>(c) & 0xC0) != 0x80;
    return n;
}

// What the scanner sent, one character a byte as the box shows serial text.
std::size_t SentCharacters(const std::string& bytes, bool serial) {
    if (!serial) return Visible(bytes);
    std::size_t n = 0;
    for (char c : bytes)
        n += c != '\r' && c != '\n';
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qspfuzz::Input input(data, size);
    const std::uint8_t options = input.Byte();
    const int link = (options & 3) % 3;
    const int code = (options >> 2) % 8;  // 7: a code that names no terminator

    qsp::VirtualPump pump;
    qsp::AppState state;
    state.Settings = qsp::ParseSettings("");
    state.Settings.InterfaceIndex = std::to_string(link);
    state.Settings.TestCount = true;
    state.ParamImage[qsp::kTerminatorIndex] = static_cast<std::uint8_t>(code);
    qsptest::FakeMainView view;
    qsp::InterfaceText text;
    qspfuzz::ScriptedLine line(pump, input);
    qsp::SerialLink serial(state, pump, view, line.Factory());
    qsp::MainLock lock(view, pump);
    lock.SetReceivePoll([&] { serial.ReceivePoll(); });
    lock.LockMainWindow();
    RecordingTestView shown;
    qsp::TestSession session(state, pump, text, serial, shown);
    FUZZ_CHECK(session.Activate());

    std::string sentText;  // what the scanner sent or typed
    std::size_t pieces = 0;
    std::size_t ends = 0;  // pieces holding a character that may end an item
    if (link == qsp::kRs232) {
        FUZZ_CHECK(session.Listening());
        // Pieces of text, each some milliseconds after the one before.
        qsp::EventPump::Clock at{0};
        while (!input.Empty()) {
            at += std::chrono::milliseconds(input.Byte());
            const qspfuzz::Bytes piece = input.Message();
            sentText.append(piece.begin(), piece.end());
            pieces += !piece.empty();
            line.DeliverAfter(at, piece);
        }
        pump.RunPasses(static_cast<std::uint64_t>((at + std::chrono::milliseconds(50)) /
                                                  qsp::EventPump::kPassDuration),
                       nullptr);
        ends = pieces;
    } else {
        while (!input.Empty()) {
            const char c = static_cast<char>(input.Byte());
            if (c == 0 && !input.Empty()) {
                const char after = static_cast<char>(input.Byte());
                session.TypedOnExit(after);
                sentText += '\t';
                sentText += after;
            } else {
                session.Typed(c);
            }
            ++ends;
        }
    }
    session.Close();

    const std::int32_t count = session.Counter().Count();
    qspfuzz::Trace("items", count);
    FUZZ_CHECK(count >= 0 && static_cast<std::size_t>(count) <= ends);
    if (code == 7) FUZZ_CHECK(count == 0);
    if (count > 0) FUZZ_CHECK(shown.total.size() > 0 && shown.total.back() == '0' + count % 10);
    FUZZ_CHECK(shown.box.find('\r') == std::string::npos);
    // Serial text and the characters typed on Exit reach the box whole; other typed characters
    // go in by the text box itself, not through the session.
    FUZZ_CHECK(Visible(shown.box) == SentCharacters(sentText, link == qsp::kRs232));
    return 0;
}
