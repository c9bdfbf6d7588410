#include "update/firmware_update.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "update/ktx_transfer.h"
#include "update/update_file.h"
#include "update/ymodem.h"

namespace qsp {

namespace {
constexpr int kTextUnavailable = 117;
constexpr int kTextConnecting = 119;
constexpr int kTextConnected = 120;
constexpr int kTextAttention = 121;
constexpr int kTextDamage = 122;
constexpr int kTextPressOk = 123;
constexpr int kTextTitle = 124;
constexpr int kTextUpdating = 125;
constexpr int kTextCompleted = 126;
constexpr int kTextFailed = 127;
constexpr int kTextReplug = 128;
constexpr int kTextCannotConnect = 129;
constexpr int kTextFileError = 130;
constexpr int kTextNotFound = 131;
constexpr int kTextRestart = 185;

// The scanner's report as one list line: control characters (its line ends, and the ACK and "C"
// of the protocol) are not shown.
std::string Printable(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) out.push_back(c);
    }
    return out;
}
}  // namespace

FirmwareUpdate::FirmwareUpdate(AppState& state, EventPump& pump, MainView& view, MainLock& lock,
                               Prompt& prompt, const InterfaceText& text, ScannerLink& link)
    : state_(state),
      pump_(pump),
      view_(view),
      lock_(lock),
      prompt_(prompt),
      text_(text),
      link_(link) {}

FirmwareUpdate::~FirmwareUpdate() = default;

void FirmwareUpdate::ScannerUpdateCommand() {
    if (InterfaceNumber(state_.Settings) != kRs232) {
        view_.AddMessage(T(kTextUnavailable));
        return;
    }
    chosenYmodem_ = false;
    ScannerUpdate(kRs232);
    // A Y-modem choice that was not confirmed leaves the type at Y-modem: the next operation's
    // replies must go to RxBuffer again, and the settings keep their own rate.
    if (chosenYmodem_ || state_.UpdateType == kUpdateYmodem) {
        state_.Settings.BaudRate = "9600";
        state_.UpdateType = kUpdateKtx;
        view_.RefreshLinkLabel();
    }
}

bool FirmwareUpdate::Confirm() {
    return prompt_.MessageBox(T(kTextAttention) + "\n" + T(kTextDamage) + "\n" + T(kTextPressOk),
                              T(kTextTitle), PromptIcon::Information,
                              PromptButtons::OkCancel) == PromptAnswer::Ok;
}

void FirmwareUpdate::ScannerUpdate(int interface) {
    if (showSettings_) showSettings_(UpdateSettingsMode::Update);
    chosenYmodem_ = state_.UpdateType == kUpdateYmodem;
    if (!state_.UpdateConfirmed) return;
    view_.RefreshLinkLabel();
    if (state_.UpdateType == kUpdateYmodem) {
        F4_UpdateSend(state_.Settings.UpdateFilesPath);
        return;
    }
    RunKtx(interface);
}

void FirmwareUpdate::RunKtx(int interface) {
    const std::string& path = state_.Settings.UpdateFilesPath;
    if (!CheckUpdateFile(path, kCheckKtx)) {
        prompt_.MessageBox(T(kTextNotFound), T(kTextTitle), PromptIcon::Critical,
                           PromptButtons::Ok);
        return;
    }
    if (!LoadUpdateImage(path, state_.UpdateImage)) {
        prompt_.MessageBox(T(kTextFileError), T(kTextTitle), PromptIcon::Critical,
                           PromptButtons::Ok);
        return;
    }
    lock_.LockMainWindow();
    view_.AddMessage(T(kTextConnecting));
    if (!link_.ConnectScanner(state_.Settings.CommPort, kRs232)) {
        view_.AddMessage(T(kTextCannotConnect));
        lock_.UnlockMainWindow(kButtonUpdate);
        return;
    }
    view_.AddMessage(T(kTextConnected));
    prompt_.Beep();
    if (Confirm()) {
        view_.AddMessage(T(kTextAttention));
        view_.AddMessage(T(kTextDamage));
        view_.AddMessage(T(kTextUpdating));
        const bool ok = KtxUpdateRun(path, interface);
        prompt_.Beep();
        if (!ok) {
            view_.AddMessage(T(kTextFailed));
            prompt_.MessageBox(T(kTextReplug), T(kTextTitle), PromptIcon::Information,
                               PromptButtons::Ok);
        } else {
            view_.AddMessage(T(kTextCompleted));
            if (showSuccess_) showSuccess_();
        }
    }
    link_.CloseScannerLink(kRs232);
    lock_.UnlockMainWindow(kButtonUpdate);
}

bool FirmwareUpdate::KtxUpdateRun(const std::string& path, int interface) {
    (void)path;  // the image was loaded from it
    view_.SetProgress(0, SerialLink::kProgressMax);
    bool ok = false;
    if (interface == kRs232) ok = KtxTransfer(link_.Serial()).Run(state_.UpdateImage);
    view_.SetProgress(0, 0);
    return ok;
}

// ---- Y-modem ----

void FirmwareUpdate::Receive(const std::vector<std::uint8_t>& chunk) {
    latest_ = chunk;
    for (std::uint8_t b : chunk) {
        if (b != 0) received_.push_back(static_cast<char>(b));
    }
    // A receiver that chatters on cannot make the text grow without end.
    if (received_.size() > kReceivedTextMax)
        received_.erase(0, received_.size() - kReceivedTextMax);
}

void FirmwareUpdate::SendByte(std::uint8_t byte) {
    link_.Serial().Send(std::vector<std::uint8_t>{byte});
}

void FirmwareUpdate::SendBytes(const std::vector<std::uint8_t>& bytes) {
    // One write for the whole piece: the same bytes in the same order as byte by byte, without a
    // system call per byte on the window thread.
    link_.Serial().Send(bytes);
}

bool FirmwareUpdate::AwaitReply() {
    received_.clear();
    pump_.RunPasses(kReplyWaitPasses, [this] { return !received_.empty(); });
    return !received_.empty();
}

void FirmwareUpdate::ShowProgress(long long value, long long total) {
    const int percent = total > 0 ? static_cast<int>(SerialLink::kProgressMax * value / total) : 0;
    if (percent == shownProgress_) return;
    shownProgress_ = percent;
    view_.SetProgress(percent, SerialLink::kProgressMax);
}

void FirmwareUpdate::SendBlockCrc(const std::uint8_t* data, std::size_t last) {
    const std::uint16_t crc = BlockCrc(data, last + 1);
    SendBytes({static_cast<std::uint8_t>(crc >> 8), static_cast<std::uint8_t>(crc & 0xFF)});
}

bool FirmwareUpdate::SendHeaderBlock(const std::string& fileName, const std::string& sizeText) {
    // The "C" that ended the start wait is still in the text, so the first header goes at once.
    pump_.RunPasses(kReplyWaitPasses,
                    [this] { return !received_.empty() && CheckReply(latest_, kReplyWantCrc); });
    if (received_.empty() || !CheckReply(latest_, kReplyWantCrc)) return false;
    SendBytes({kSoh, 0x00, 0xFF});
    const auto data = HeaderData(fileName, sizeText);
    SendBytes(std::vector<std::uint8_t>(data.begin(), data.end()));
    SendBlockCrc(data.data(), data.size() - 1);
    return true;
}

bool FirmwareUpdate::YmodemTransfer(const std::string& fileName,
                                    const std::vector<std::uint8_t>& file) {
    const std::string sizeText = std::to_string(file.size());
    // Header phase: the header again after every reply that is not ACK and "C" in one poll.
    for (int sends = 0;; ++sends) {
        if (sends > kResendLimit || !SendHeaderBlock(fileName, sizeText) || !AwaitReply()) {
            return false;
        }
        if (CheckReply(latest_, kReplyAckWantCrc)) break;
    }

    // Data phase: 1024-byte blocks numbered 1, 2, ... 255, 0, 1 ...; a block not answered by ACK
    // goes again with the same number and data.
    view_.AddMessage(T(kTextUpdating));
    const std::size_t length = file.size();
    std::size_t position = 0;
    std::uint8_t number = 1;
    std::array<std::uint8_t, kDataBlockSize> data{};
    while (position < length) {
        for (int sends = 0;; ++sends) {
            if (sends > kResendLimit) return false;
            SendBytes({kStx, number, static_cast<std::uint8_t>(255 - number)});
            received_.clear();
            for (std::size_t i = 0; i < kDataBlockSize; ++i) {
                const std::size_t at = position + i;
                if (at >= length) {
                    data[i] = kFillByte;
                } else {
                    ShowProgress(static_cast<long long>(at + 1), static_cast<long long>(length));
                    data[i] = file[at];
                }
            }
            SendBytes(std::vector<std::uint8_t>(data.begin(), data.end()));
            SendBlockCrc(data.data(), kDataBlockSize - 1);
            if (!AwaitReply()) return false;
            if (CheckReply(latest_, kReplyAck)) break;
        }
        position += kDataBlockSize;
        number = static_cast<std::uint8_t>(number + 1);
    }

    // End of transmission: done when the scanner reports more than 10 characters, or answers ACK
    // and "C" in one poll; any other reply asks for EOT again.
    bool acknowledged = false;
    for (int sends = 0;; ++sends) {
        if (sends > kResendLimit) return false;
        SendByte(kEot);
        if (!AwaitReply()) return false;
        if (received_.size() > 10) break;
        if (CheckReply(latest_, kReplyAckWantCrc)) {
            acknowledged = true;
            break;
        }
    }

    SendBytes(ClosingBlock());
    pump_.RunPasses(kClosingPause, nullptr);
    // What the scanner reported since the last EOT; the ACK and "C" that answered it are the
    // protocol's, not part of the report.
    std::string report = received_;
    if (acknowledged) report.erase(0, 2);
    view_.AddMessage(Printable(report));
    if (showSuccess_) showSuccess_();
    return true;
}

void FirmwareUpdate::F4_UpdateSend(const std::string& path) {
    SerialLink& serial = link_.Serial();
    struct ReceiverGuard {
        SerialLink& serial;
        ~ReceiverGuard() { serial.SetYmodemReceiver(nullptr); }
    } guard{serial};
    serial.SetYmodemReceiver([this](const std::vector<std::uint8_t>& chunk) { Receive(chunk); });
    latest_.clear();
    received_.clear();
    shownProgress_ = -1;

    auto ending = [this, &serial] {
        state_.UpdateType = kUpdateKtx;
        serial.ClosePort();
        state_.Settings.BaudRate = "9600";
    };

    std::vector<std::uint8_t> file;
    bool readable = CheckUpdateFile(path, kCheckYmodem);
    std::error_code sizeError;
    if (readable && std::filesystem::file_size(path, sizeError) > kLargestYmodemFile &&
        !sizeError) {
        prompt_.MessageBox(T(kTextFileError) + "\n" + UpdateFileName(path), T(kTextTitle),
                           PromptIcon::Critical, PromptButtons::Ok);
        ending();
        return;
    }
    if (readable) {
        std::ifstream in(path, std::ios::binary);
        file.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        readable = !in.bad();
    }
    if (!readable) {
        prompt_.MessageBox(T(kTextNotFound), T(kTextTitle), PromptIcon::Critical,
                           PromptButtons::Ok);
        ending();
        return;
    }
    const std::string fileName = UpdateFileName(path);
    if (!HeaderFits(fileName, std::to_string(file.size()))) {
        // The header block carries the name, a 0x00 and the size in 128 bytes: refused before
        // anything is sent.
        prompt_.MessageBox(T(kTextFileError) + "\n" + fileName, T(kTextTitle), PromptIcon::Critical,
                           PromptButtons::Ok);
        ending();
        return;
    }

    // The poll hands replies to this update only while the type is Y-modem.
    state_.UpdateType = kUpdateYmodem;
    lock_.LockMainWindow();
    view_.AddMessage(T(kTextConnecting));
    if (!serial.OpenSerialPort(state_.Settings.CommPort, "115200", "N", "8", "1", false)) {
        view_.AddMessage(T(kTextRestart));
        prompt_.MessageBox(T(kTextRestart), T(kTextTitle), PromptIcon::Critical, PromptButtons::Ok);
        lock_.UnlockMainWindow(kButtonUpdate);
        ending();
        return;
    }
    view_.SetProgress(0, SerialLink::kProgressMax);
    serial.Send(std::string("1"));

    // Wait for the receiver's "C"; a chunk that does not start with it is tested again by its
    // newest character.
    received_.clear();
    const EventPump::Clock start = pump_.Now();
    bool heard = false;
    pump_.RunPasses(kStartWaitPasses, [&] {
        if (!received_.empty()) {
            if (CheckReply(latest_, kReplyWantCrc)) {
                heard = true;
                return true;
            }
            if (latest_.empty()) latest_.push_back(0);
            latest_[0] = static_cast<std::uint8_t>(received_.back());
        }
        const auto passes = (pump_.Now() - start) / EventPump::kPassDuration;
        ShowProgress(std::min<long long>(passes, kStartWaitPasses - 1),
                     static_cast<long long>(kStartWaitPasses - 1));
        return false;
    });
    bool confirmed = false;
    if (heard) {
        prompt_.Beep();
        view_.AddMessage(T(kTextConnected));
        confirmed = Confirm();
    }

    if (!confirmed || file.size() <= kDataBlockSize) {
        view_.AddMessage(T(kTextCannotConnect));
    } else {
        view_.AddMessage(T(kTextAttention));
        view_.AddMessage(T(kTextDamage));
        view_.AddMessage(T(kTextTitle) + "  " + fileName);
        if (!YmodemTransfer(fileName, file)) view_.AddMessage(T(kTextCannotConnect));
    }
    view_.AddMessage(T(kTextReplug));
    view_.SetProgress(0, 0);
    lock_.UnlockMainWindow(kButtonUpdate);
    ending();
}

}  // namespace qsp
