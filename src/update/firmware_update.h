#pragma once
// The firmware update, from the main window's Scanner Update command to its end: the update
// settings window in update mode, the check of the file, the connect, the user's confirmation,
// the KTX-type transfer or the Y-modem update, the messages and the ending.
//
// The Y-modem update opens the port itself at 115,200 8N1 and sends the file unchanged: "1", a
// wait for "C" and the user's confirmation, the header block, 1024-byte data blocks, EOT and the
// closing block. Every wait for the scanner and every repetition is bounded: a block (or EOT) is
// sent at most 1 + kResendLimit times, and kReplyWaitPasses without a suitable reply give up.
// Giving up, like a receiver that never answers "1", ends with "Cannot connect to scanner.".

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "base/event_pump.h"
#include "base/interface_text.h"
#include "base/main_lock.h"
#include "base/main_view.h"
#include "base/prompt.h"
#include "link/scanner_link.h"

namespace qsp {

// The update settings window's modes: opened from the System menu, for an update, or from the
// advanced-settings button.
enum class UpdateSettingsMode { None, System, Update };

class FirmwareUpdate {
public:
    // The wait for "C" after "1", in passes.
    static constexpr std::uint64_t kStartWaitPasses = 100001;
    // How long a wait for the scanner may last without a suitable reply: 10 seconds of passes.
    static constexpr std::uint64_t kReplyWaitPasses = 2'000'000;
    // How often one block, the header or EOT is sent again before the update gives up.
    static constexpr int kResendLimit = 10;
    // The pause after the closing block, in passes.
    static constexpr std::uint64_t kClosingPause = 20001;
    // The largest file a Y-modem update sends (16 MiB, far beyond any scanner's flash); a larger
    // one is refused with the update-file message before the port is opened.
    static constexpr std::uintmax_t kLargestYmodemFile = std::uintmax_t{16} << 20;
    // The scanner's text kept during a Y-modem update: its newest characters up to this many.
    static constexpr std::size_t kReceivedTextMax = 4096;

    FirmwareUpdate(AppState& state, EventPump& pump, MainView& view, MainLock& lock, Prompt& prompt,
                   const InterfaceText& text, ScannerLink& link);
    ~FirmwareUpdate();
    FirmwareUpdate(const FirmwareUpdate&) = delete;
    FirmwareUpdate& operator=(const FirmwareUpdate&) = delete;

    // Shows the update settings window modally in the given mode and returns when it closed.
    void SetSettingsWindow(std::function<void(UpdateSettingsMode)> show) {
        showSettings_ = std::move(show);
    }
    // Shows the "Update Success !" window modally.
    void SetSuccessWindow(std::function<void()> show) { showSuccess_ = std::move(show); }

    // The main window's Scanner Update command: refused with "This function is unavailable for
    // this interface." on USB and PS/2; otherwise ScannerUpdate. Afterwards, when Y-modem was
    // chosen, BaudRate is "9600" again, the update type KTX and LinkLabel refreshed.
    void ScannerUpdateCommand();

    // The update over `interface` (RS-232 only): the settings window in update mode; when the user
    // left it with "EXIT [OK]", the update of the chosen type.
    void ScannerUpdate(int interface);

    // Shows the progress, runs the KTX-type transfer of UpdateImage (RS-232 only) and hides the
    // progress again. `path` names the file the image came from.
    bool KtxUpdateRun(const std::string& path, int interface);

    // The whole Y-modem update of the file at `path`.
    void F4_UpdateSend(const std::string& path);

private:
    const std::string& T(int id) const { return text_.LoadText(id); }
    bool Confirm();
    void RunKtx(int interface);
    // Y-modem pieces.
    void Receive(const std::vector<std::uint8_t>& chunk);
    void SendByte(std::uint8_t byte);
    void SendBytes(const std::vector<std::uint8_t>& bytes);
    bool AwaitReply();
    bool SendHeaderBlock(const std::string& fileName, const std::string& sizeText);
    void SendBlockCrc(const std::uint8_t* data, std::size_t last);
    void ShowProgress(long long value, long long total);
    // Steps from the "C" to the closing block; false when a bound ran out.
    bool YmodemTransfer(const std::string& fileName, const std::vector<std::uint8_t>& file);

    AppState& state_;
    EventPump& pump_;
    MainView& view_;
    MainLock& lock_;
    Prompt& prompt_;
    const InterfaceText& text_;
    ScannerLink& link_;
    std::function<void(UpdateSettingsMode)> showSettings_;
    std::function<void()> showSuccess_;

    // What the poll handed over during a Y-modem update: the bytes of the latest poll that found
    // input, and every non-zero byte since the text was last cleared.
    std::vector<std::uint8_t> latest_;
    std::string received_;
    int shownProgress_ = -1;
    bool chosenYmodem_ = false;
};

}  // namespace qsp
