#pragma once
// The configuration exchange over the USB keyboard wedge, in 9-byte reports: report id 0, then
// a command word or hexadecimal text, unused bytes 0xFF. The scanner answers 0x06 in byte 1, or
// with eight hexadecimal characters of the block.
//
// Connect: "bin" answered by 0x06 (5 tries). Read: "set", then 0x06 for each further block,
// 128 blocks of four bytes; 0x06 once more brings the exclusive-or of the block, confirmed with
// "ack" or asked again with 0x0F. Write: "stx", 128 blocks, then the exclusive-or as one
// character, each answered by 0x06. End: "end" answered by 0x06; the handle closes.

#include <array>
#include <memory>
#include <string>

#include "base/app_state.h"
#include "base/event_pump.h"
#include "base/main_view.h"
#include "link/keyboard_wedge.h"

namespace qsp {

// The USB time-out factor: the value of UsbDelay, at most 60.
double UsbDelayFactor(const std::string& usbDelay);
// The library's time-out for a factor: f x 500, rounded, at most 30,000.
int UsbTimeout(double factor);
// The report for a command text: 0, the characters, 0xFF up to byte 8.
std::array<std::uint8_t, kUsbReportSize> UsbReport(const std::string& text);

class UsbProtocol : public WedgeProtocol {
public:
    UsbProtocol(AppState& state, EventPump& pump, MainView& view, std::unique_ptr<UsbKbLib> lib);

    bool Connect(const std::string& port) override;
    bool Read() override;
    bool Write() override;
    bool Close() override;

private:
    bool Send(const std::string& text);
    bool Receive();
    bool Acknowledged() const { return report_[1] == 0x06; }
    bool ReadAttempt();
    bool WriteAttempt();
    void ReadProgress(int block);

    AppState& state_;
    EventPump& pump_;
    MainView& view_;
    std::unique_ptr<UsbKbLib> lib_;
    std::int32_t handle_ = kInvalidUsbHandle;
    std::array<std::uint8_t, kUsbReportBuffer> report_{};
};

}  // namespace qsp
