#pragma once
// The configuration exchange over the PS/2 keyboard wedge. The host sends 8-byte frames of ASCII
// (a command word or hexadecimal text, padded with "z"); the scanner answers as a keyboard, in
// scan codes (set 1 make codes), which are turned back into characters. "ACK" is the scanner's
// acknowledge.
//
// Connect: "bin" answered by ACK (5 tries). Read: "set", then "ack" for each further block, 128
// blocks of four bytes as hexadecimal text; "ack" once more brings the block's exclusive-or as
// two digits, confirmed with "wit" or asked again with "nak". Write: "stx", 128 blocks, then the
// exclusive-or as two digits, each answered by ACK. End: "end" answered by ACK; the port closes.
// After each block request, block and checksum the host lets 3,001 event passes go by before
// it reads the answer.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "base/event_pump.h"
#include "base/interface_text.h"
#include "base/main_view.h"
#include "link/keyboard_wedge.h"

namespace qsp {

inline constexpr std::uint64_t kPs2PausePasses = 3001;

// The character a scan code stands for in a reply: "0".."9", "A".."F", "z" for anything else.
char ScanCodeHex(std::uint8_t code);
// The characters of a reply's scan codes.
std::string ScanCodeText(const std::uint8_t* codes, std::size_t size);
// The bytes a block reply's text carries: pairs of digits up to the first "z" (a lone digit
// before it is dropped).
std::vector<std::uint8_t> BlockReplyBytes(const std::string& text);
// The acknowledge: the first three scan codes are those of A, C and K.
bool IsPs2Acknowledge(const std::uint8_t* frame);
// The 8-byte frame for a command text: up to 8 characters, padded with "z".
std::array<std::uint8_t, kPs2FrameSize> Ps2Frame(const std::string& text);

// The PS/2 time-out factor: the value of Ps2Delay, between 1 and 600.
double Ps2DelayFactor(const std::string& ps2Delay);
// The library's time-out for a factor: f x 50, rounded, at most 30,000.
int Ps2Timeout(double factor);

class Ps2Protocol : public WedgeProtocol {
public:
    // What a frame receive got: the frame (when ok) and how many bytes came in all.
    struct Received {
        bool ok = false;
        int count = 0;
    };

    Ps2Protocol(AppState& state, EventPump& pump, MainView& view, const InterfaceText& text,
                std::unique_ptr<Ps2KbLib> lib);

    bool Connect(const std::string& port) override;
    bool Read() override;
    bool Write() override;
    bool Close() override;

    // Up to three raw reads, collected until 8 bytes have come; exactly 8 make the frame.
    Received ReceiveFrame();
    const std::array<std::uint8_t, kPs2FrameSize>& Frame() const { return frame_; }

private:
    bool Send(const std::string& text);
    int RawReceive();
    bool ReceiveAcknowledge();
    void Pause() { pump_.RunPasses(kPs2PausePasses, nullptr); }
    bool ReadAttempt();
    bool WriteAttempt();
    // Text `first` followed directly by the "please wait" text.
    std::string WaitText(int first) const;

    AppState& state_;
    EventPump& pump_;
    MainView& view_;
    const InterfaceText& text_;
    std::unique_ptr<Ps2KbLib> lib_;
    std::int32_t handle_ = 0;
    std::array<std::uint8_t, kPs2ReceiveBuffer> buffer_{};
    std::array<std::uint8_t, kPs2FrameSize> frame_{};
};

}  // namespace qsp
