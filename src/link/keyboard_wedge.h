#pragma once
// The keyboard-wedge links as the protocols see them: the USB library (9-byte reports) and the
// PS/2 library (8-byte frames out, scan codes back), with the calls, arguments and results the
// configuration exchange relies on. The program's backends reach a HID device, a raw PS/2 port
// or the virtual scanner's sockets; tests connect fakes to the scanner model.
//
// Also what the USB and PS/2 exchanges share: the exclusive-or check of the block, the
// hexadecimal text of the image bytes, and what the two protocols report to the windows.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/main_view.h"
#include "catalogue/param_image.h"
#include "link/link_protocol.h"

namespace qsp {

inline constexpr std::size_t kUsbReportSize = 9;     // report id 0, then 8 payload bytes
inline constexpr std::size_t kUsbReportBuffer = 10;  // what the program hands the library
inline constexpr std::size_t kPs2FrameSize = 8;
inline constexpr std::size_t kPs2ReceiveBuffer = 21;
// The scanner's USB vendor and product numbers, the two arguments of the open call.
inline constexpr std::int32_t kScannerUsbVendor = 0x0111;
inline constexpr std::int32_t kScannerUsbProduct = 0x0111;
inline constexpr std::int32_t kInvalidUsbHandle = -1;
// Library time-outs are milliseconds.
inline constexpr int kWedgeTimeoutMax = 30000;

class UsbKbLib {
public:
    virtual ~UsbKbLib() = default;
    // A handle, or -1 when no such device can be opened.
    virtual std::int32_t OpenUsbKb(std::int32_t vendor, std::int32_t product) = 0;
    // Non-zero when the `length` bytes of the report (report id first) were sent.
    virtual std::int16_t WriteUsbKb(std::int32_t handle, const std::uint8_t* report,
                                    std::int32_t length) = 0;
    // Waits at most `timeout` ms for one report and stores it (report id first); the number of
    // bytes stored, 0 when nothing came.
    virtual std::int16_t ReadUsbKb(std::int32_t handle, std::uint8_t* report,
                                   std::int16_t timeout) = 0;
    // Greater than 0 when the handle was closed.
    virtual std::int32_t CloseHandle(std::int32_t handle) = 0;
};

class Ps2KbLib {
public:
    virtual ~Ps2KbLib() = default;
    // A handle of 1 or more, or 0 or less when the port cannot be opened.
    virtual std::int32_t OpenPs2Kb() = 0;
    // Non-zero when the `length` bytes were sent.
    virtual std::int32_t WritePs2Kb(std::int32_t handle, const std::uint8_t* frame,
                                    std::int32_t length) = 0;
    // Waits at most `timeout` ms for scan codes (set 1 make codes) and stores up to `count` of
    // them; the number stored, which may be fewer than asked (the rest follows in later reads).
    virtual std::int16_t ReadPs2Kb(std::int32_t handle, std::uint8_t* buffer, std::int32_t count,
                                   std::int16_t timeout) = 0;
    // 0 when the handle could not be closed (it was not open).
    virtual std::int16_t ClosePs2Kb(std::int32_t handle) = 0;
};

// HID framing of a report. The output report is written whole, report id 0 first. An input
// report arrives without its id (the device numbers none): its bytes are stored behind a 0, so
// 8 bytes of input make a 9-byte report. Returns the number of report bytes stored (at most
// `reportSize`), 0 for no input.
std::size_t HidInputToReport(const std::uint8_t* input, std::size_t size, std::uint8_t* report,
                             std::size_t reportSize);

// The make codes among the bytes a PS/2 keyboard sends (scan code set 1): break codes (high bit
// set), the port's own answers (0xFA and the like) and extended keys (0xE0 or 0xE1 and the code
// after it) are left out. `extended` carries a prefix over to the next call. Returns the number
// of codes stored in `out`, which has room for `size`.
std::size_t KeepMakeCodes(const std::uint8_t* bytes, std::size_t size, std::uint8_t* out,
                          bool& extended);

// The exclusive-or of image bytes 0..511.
std::uint8_t ImageChecksum(const ImageBytes& image);

// Two upper-case hexadecimal digits ("0A").
std::string HexByteText(std::uint8_t byte);
// The eight-character text of image bytes first..first+3.
std::string BlockText(const ImageBytes& image, std::size_t first);

// "A".."F" give 10..15; "0".."9" their value; anything else (lower case too) 0.
int HexDigitValue(char c);
// Each digit's value times 16 to the power of the number of digits after it, summed.
long HexTextValue(std::string_view text);

// Writes a time-out factor into DelayBox as text and takes the value back from that text.
double ThroughDelayBox(MainView& view, double factor);

// The part of the USB and PS/2 exchanges the windows see: the write's progress (the settings
// window's bar) and, on PS/2, the status texts (the settings window's first status panel).
class WedgeProtocol : public LinkProtocol {
public:
    using Progress = std::function<void(int value, int maximum)>;
    using StatusText = std::function<void(const std::string& text)>;

    void SetWriteProgress(Progress progress) { writeProgress_ = std::move(progress); }
    void SetStatusText(StatusText status) { statusText_ = std::move(status); }

protected:
    void WriteProgress(int value, int maximum) const {
        if (writeProgress_) writeProgress_(value, maximum);
    }
    void Status(const std::string& text) const {
        if (statusText_) statusText_(text);
    }

private:
    Progress writeProgress_;
    StatusText statusText_;
};

}  // namespace qsp
