#include "link/ps2_protocol.h"

#include <algorithm>

#include "base/text_number.h"
#include "link/serial_link.h"

namespace qsp {

namespace {
constexpr int kTextConnectScanner = 136;
constexpr int kTextWaitFiveSeconds = 174;
constexpr int kTextFinishing = 176;
constexpr int kTextStarting = 177;
constexpr int kTextProgramError = 178;
constexpr int kTextTransmitting = 179;
constexpr int kTextConnectionFailed = 185;

constexpr int kBlocks = 128;
constexpr int kConnectTries = 5;
constexpr int kAttempts = 3;
constexpr int kChecksumTries = 3;
constexpr int kNakLimit = 2;
constexpr int kEndTries = 3;
constexpr int kRawReads = 3;
constexpr std::size_t kCollectMax = 9;
constexpr int kMax = SerialLink::kProgressMax;
}  // namespace

char ScanCodeHex(std::uint8_t code) {
    if (code >= 0x02 && code <= 0x0A) return static_cast<char>('1' + (code - 0x02));
    switch (code) {
        case 0x0B:
            return '0';
        case 0x1E:
            return 'A';
        case 0x30:
            return 'B';
        case 0x2E:
            return 'C';
        case 0x20:
            return 'D';
        case 0x12:
            return 'E';
        case 0x21:
            return 'F';
        default:
            return 'z';
    }
}

std::string ScanCodeText(const std::uint8_t* codes, std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size; ++i)
        text += ScanCodeHex(codes[i]);
    return text;
}

std::vector<std::uint8_t> BlockReplyBytes(const std::string& text) {
    std::vector<std::uint8_t> bytes;
    const std::string digits = text.substr(0, text.find('z'));
    for (std::size_t i = 1; i < digits.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(HexTextValue(digits.substr(i - 1, 2))));
    return bytes;
}

bool IsPs2Acknowledge(const std::uint8_t* frame) {
    return frame[0] == 0x1E && frame[1] == 0x2E && frame[2] == 0x25;
}

std::array<std::uint8_t, kPs2FrameSize> Ps2Frame(const std::string& text) {
    std::array<std::uint8_t, kPs2FrameSize> frame;
    frame.fill('z');
    for (std::size_t i = 0; i < text.size() && i < kPs2FrameSize; ++i)
        frame[i] = static_cast<std::uint8_t>(text[i]);
    return frame;
}

double Ps2DelayFactor(const std::string& ps2Delay) {
    return std::clamp(NumericValue(ps2Delay), 1.0, 600.0);
}

int Ps2Timeout(double factor) {
    return std::clamp<std::int32_t>(RoundHalfEven(factor * 50), 0, kWedgeTimeoutMax);
}

Ps2Protocol::Ps2Protocol(AppState& state, EventPump& pump, MainView& view,
                         const InterfaceText& text, std::unique_ptr<Ps2KbLib> lib)
    : state_(state), pump_(pump), view_(view), text_(text), lib_(std::move(lib)) {}

std::string Ps2Protocol::WaitText(int first) const {
    return text_.LoadText(first) + text_.LoadText(kTextWaitFiveSeconds);
}

bool Ps2Protocol::Send(const std::string& text) {
    if (text.empty()) return false;
    const auto frame = Ps2Frame(text);
    return lib_->WritePs2Kb(handle_, frame.data(), static_cast<std::int32_t>(kPs2FrameSize)) != 0;
}

int Ps2Protocol::RawReceive() {
    const double factor = ThroughDelayBox(view_, Ps2DelayFactor(state_.Settings.Ps2Delay));
    const auto timeout = static_cast<std::int16_t>(Ps2Timeout(factor));
    pump_.RunOnce();
    const int n =
        lib_->ReadPs2Kb(handle_, buffer_.data(), static_cast<std::int32_t>(kPs2FrameSize), timeout);
    return std::clamp(n, 0, static_cast<int>(kPs2FrameSize));
}

Ps2Protocol::Received Ps2Protocol::ReceiveFrame() {
    std::array<std::uint8_t, kCollectMax> collected{};
    int count = 0;
    for (int i = 0; i < kRawReads && count < static_cast<int>(kPs2FrameSize); ++i) {
        const int n = RawReceive();
        if (n == static_cast<int>(kPs2FrameSize)) {
            std::copy_n(buffer_.begin(), kPs2FrameSize, frame_.begin());
            return {true, n};
        }
        for (int j = 0; j < n; ++j) {
            if (static_cast<std::size_t>(count + j) < kCollectMax)
                collected[static_cast<std::size_t>(count + j)] =
                    buffer_[static_cast<std::size_t>(j)];
        }
        count += n;
    }
    if (count != static_cast<int>(kPs2FrameSize)) return {false, count};
    std::copy_n(collected.begin(), kPs2FrameSize, frame_.begin());
    return {true, count};
}

bool Ps2Protocol::ReceiveAcknowledge() {
    return ReceiveFrame().ok && IsPs2Acknowledge(frame_.data());
}

bool Ps2Protocol::Connect(const std::string&) {
    bool ok = false;
    const std::int32_t handle = lib_->OpenPs2Kb();
    if (handle < 1) {
        // The previous handle is the one closed.
        lib_->ClosePs2Kb(handle_);
        view_.AddMessage(text_.LoadText(kTextConnectionFailed));
    } else {
        handle_ = handle;
        view_.AddMessage(WaitText(kTextStarting));
        for (int i = 0; i < kConnectTries && !ok; ++i)
            ok = Send("bin") && ReceiveAcknowledge();
    }
    if (ok) return true;
    if (lib_->ClosePs2Kb(handle_) == 0) view_.AddMessage(text_.LoadText(kTextProgramError));
    return false;
}

bool Ps2Protocol::ReadAttempt() {
    view_.AddMessage(text_.LoadText(kTextConnectScanner) + " , " +
                     text_.LoadText(kTextWaitFiveSeconds));
    std::size_t cursor = 0;
    std::string request = "set";
    view_.SetProgress(0, kMax);
    for (int k = 1; k <= kBlocks; ++k) {
        view_.SetProgress(SerialLink::ReadBlockProgress(k), kMax);
        pump_.RunOnce();
        if (!Send(request)) return false;
        Pause();
        if (!ReceiveFrame().ok) return false;
        for (std::uint8_t byte : BlockReplyBytes(ScanCodeText(frame_.data(), kPs2FrameSize))) {
            if (cursor < kScannerBlockSize) state_.ParamImage[cursor++] = byte;
        }
        request = "ack";
    }
    if (!Send("ack")) return false;
    const std::string expected = HexByteText(ImageChecksum(state_.ParamImage));
    for (int naks = 0;; ++naks) {
        if (!ReceiveFrame().ok) return false;
        if (ScanCodeText(frame_.data(), 2) == expected) return Send("wit");
        if (naks >= kNakLimit || !Send("nak")) return false;
    }
}

bool Ps2Protocol::Read() {
    bool ok = false;
    for (int attempt = 0; attempt < kAttempts && !ok; ++attempt) {
        ok = ReadAttempt();
        view_.SetProgress(0, 0);
    }
    return ok;
}

bool Ps2Protocol::WriteAttempt() {
    Status(WaitText(kTextStarting));
    WriteProgress(SerialLink::WriteBlockProgress(0), kMax);
    if (!Send("stx") || !ReceiveAcknowledge()) return false;
    for (int k = 1; k <= kBlocks; ++k) {
        WriteProgress(SerialLink::WriteBlockProgress(k), kMax);
        pump_.RunOnce();
        const std::size_t first = static_cast<std::size_t>(k - 1) * 4;
        if (!Send(BlockText(state_.ParamImage, first))) return false;
        Pause();
        if (!ReceiveAcknowledge()) return false;
        Status(text_.LoadText(kTextTransmitting));
    }
    const std::string checksum = HexByteText(ImageChecksum(state_.ParamImage));
    for (int i = 0; i < kChecksumTries; ++i) {
        if (!Send(checksum)) continue;
        Pause();
        if (ReceiveAcknowledge()) {
            WriteProgress(kMax, kMax);
            return true;
        }
    }
    return false;
}

bool Ps2Protocol::Write() {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (WriteAttempt()) return true;
    }
    return false;
}

bool Ps2Protocol::Close() {
    bool ok = false;
    for (int i = 0; i < kEndTries && !ok; ++i) {
        Status(WaitText(kTextFinishing));
        if (!Send("end")) break;
        ok = ReceiveAcknowledge();
    }
    lib_->ClosePs2Kb(handle_);
    handle_ = 0;
    Status("End");
    return ok;
}

}  // namespace qsp
