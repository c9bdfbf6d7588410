#include "link/usb_protocol.h"

#include <algorithm>
#include <cmath>

#include "base/text_number.h"
#include "link/serial_link.h"

namespace qsp {

namespace {
constexpr std::uint8_t kUsbAck = 0x06;
constexpr std::uint8_t kUsbAgain = 0x0F;
constexpr int kBlocks = 128;
constexpr int kConnectTries = 5;
constexpr int kAttempts = 3;
constexpr int kChecksumTries = 3;
constexpr int kEndTries = 3;
constexpr int kMax = SerialLink::kProgressMax;
}  // namespace

double UsbDelayFactor(const std::string& usbDelay) {
    return std::min(NumericValue(usbDelay), 60.0);
}

int UsbTimeout(double factor) {
    return std::clamp<std::int32_t>(RoundHalfEven(factor * 500), 0, kWedgeTimeoutMax);
}

std::array<std::uint8_t, kUsbReportSize> UsbReport(const std::string& text) {
    std::array<std::uint8_t, kUsbReportSize> report;
    report.fill(0xFF);
    report[0] = 0;
    for (std::size_t i = 0; i < text.size() && i + 1 < kUsbReportSize; ++i)
        report[i + 1] = static_cast<std::uint8_t>(text[i]);
    return report;
}

UsbProtocol::UsbProtocol(AppState& state, EventPump& pump, MainView& view,
                         std::unique_ptr<UsbKbLib> lib)
    : state_(state), pump_(pump), view_(view), lib_(std::move(lib)) {}

bool UsbProtocol::Send(const std::string& text) {
    if (text.empty()) return false;
    const auto report = UsbReport(text);
    std::copy(report.begin(), report.end(), report_.begin());
    return lib_->WriteUsbKb(handle_, report_.data(), static_cast<std::int32_t>(kUsbReportSize)) !=
           0;
}

bool UsbProtocol::Receive() {
    const double factor = ThroughDelayBox(view_, UsbDelayFactor(state_.Settings.UsbDelay));
    const auto timeout = static_cast<std::int16_t>(UsbTimeout(factor));
    report_.fill(0);
    return lib_->ReadUsbKb(handle_, report_.data(), timeout) ==
           static_cast<std::int16_t>(kUsbReportSize);
}

bool UsbProtocol::Connect(const std::string&) {
    // A handle left open by a connect that failed is replaced by a new one.
    if (handle_ != kInvalidUsbHandle) lib_->CloseHandle(handle_);
    handle_ = lib_->OpenUsbKb(kScannerUsbVendor, kScannerUsbProduct);
    if (handle_ == kInvalidUsbHandle) return false;
    for (int i = 0; i < kConnectTries; ++i) {
        if (Send("bin") && Receive() && Acknowledged()) return true;
    }
    return false;
}

void UsbProtocol::ReadProgress(int block) {
    view_.SetProgress(SerialLink::ReadBlockProgress(block), kMax);
}

bool UsbProtocol::ReadAttempt() {
    std::size_t cursor = 0;
    std::string request = "set";
    for (int k = 1; k <= kBlocks; ++k) {
        ReadProgress(k);
        pump_.RunOnce();
        if (!Send(request) || !Receive()) return false;
        for (std::size_t pair = 0; pair < 4 && cursor < kScannerBlockSize; ++pair) {
            const char high = static_cast<char>(report_[1 + 2 * pair]);
            const char low = static_cast<char>(report_[2 + 2 * pair]);
            state_.ParamImage[cursor++] =
                static_cast<std::uint8_t>(HexDigitValue(high) * 16 + HexDigitValue(low));
        }
        request = std::string(1, static_cast<char>(kUsbAck));
    }
    if (!Send(request) || !Receive()) return false;
    const std::uint8_t checksum = ImageChecksum(state_.ParamImage);
    for (int i = 0; i < kChecksumTries; ++i) {
        if (report_[1] == checksum) {
            if (Send("ack")) return true;
        } else if (!Send(std::string(1, static_cast<char>(kUsbAgain)))) {
            return false;
        }
        if (!Receive()) return false;
    }
    return false;
}

bool UsbProtocol::Read() {
    bool ok = false;
    for (int attempt = 0; attempt < kAttempts && !ok; ++attempt) {
        ReadProgress(0);
        ok = ReadAttempt();
        view_.SetProgress(0, 0);
    }
    return ok;
}

bool UsbProtocol::WriteAttempt() {
    WriteProgress(SerialLink::WriteBlockProgress(0), kMax);
    if (!Send("stx") || !Receive() || !Acknowledged()) return false;
    for (int k = 1; k <= kBlocks; ++k) {
        WriteProgress(SerialLink::WriteBlockProgress(k), kMax);
        pump_.RunOnce();
        const std::size_t first = static_cast<std::size_t>(k - 1) * 4;
        if (!Send(BlockText(state_.ParamImage, first)) || !Receive() || !Acknowledged())
            return false;
    }
    const std::string checksum(1, static_cast<char>(ImageChecksum(state_.ParamImage)));
    for (int i = 0; i < kChecksumTries; ++i) {
        if (Send(checksum) && Receive() && Acknowledged()) {
            WriteProgress(kMax, kMax);
            return true;
        }
    }
    return false;
}

bool UsbProtocol::Write() {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (WriteAttempt()) return true;
    }
    return false;
}

bool UsbProtocol::Close() {
    bool ok = false;
    for (int i = 0; i < kEndTries; ++i) {
        if (!Send("end")) continue;
        if (!Receive()) break;
        if (Acknowledged()) {
            ok = true;
            break;
        }
    }
    lib_->CloseHandle(handle_);
    handle_ = kInvalidUsbHandle;
    return ok;
}

}  // namespace qsp
