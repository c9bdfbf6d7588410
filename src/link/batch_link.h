#pragma once
// Reading and programming a scanner without the windows (the command-line tool): connect, read
// or write, end the link, and name the outcome by its interface text.

#include <array>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "base/main_view.h"
#include "link/scanner_link.h"

namespace qsp {

inline constexpr int kTextCannotConnect = 129;
inline constexpr int kTextLoadFailed = 135;
inline constexpr int kTextProgrammed = 162;
inline constexpr int kTextProgrammingFailed = 163;

struct BatchResult {
    bool ok = false;
    int textId = 0;  // the message that says what happened
};

// The interface number of a link name ("rs232", "usb", "ps2"); -1 for any other name.
int LinkNumber(const std::string& name);
// The name a batch run gives a link in its lines: "COM<port>", "USB" or "PS2".
std::string LinkName(int interface, const std::string& port);

// Connects on `port`, reads the scanner's block into ParamImage bytes 0..511 and ends the link.
// ParamImage is unchanged on failure.
BatchResult ReadScannerImage(ScannerLink& link, int interface, const std::string& port);

// Connects on `port`, programs ParamImage bytes 0..511 and ends the link.
BatchResult WriteScannerImage(ScannerLink& link, int interface, const std::string& port);

// What a set-up does to the block it read from a scanner: changes `image` in place (a parameter
// file replaces the block, a profile sets its rows) and returns "", or returns why it cannot.
using BlockChange = std::function<std::string(ImageBytes& image)>;

// The bytes that choose the host link a scanner talks on: computer type (139) and interface
// (140), with the terminator (141) that goes with the link.
inline constexpr std::size_t kHostLinkFirstByte = 139;
inline constexpr std::size_t kHostLinkByteCount = 3;

// Whether `wanted` would move the scanner holding `current` to another host link (another
// computer type or interface).
bool MovesHostLink(const ImageBytes& current, const ImageBytes& wanted);

// The block a scanner holding `current` (as read on `interface`) is to hold after `change`.
struct WantedBlock {
    std::string error;       // why the change cannot be made; empty on success
    ImageBytes block{};      // bytes 0..511 as they would be programmed
    int bytesChanged = 0;    // bytes of 0..511 that differ from `current`
    bool keptLink = false;   // the change would have moved the link, and the scanner's own
                             // link bytes were kept
    bool movedLink = false;  // the change moves the link (only with `changeLink`)
};
// Unless `changeLink`, a change that would move the scanner to another link keeps the scanner's
// own bytes 139..141 and programs the rest. On RS-232 the block carries the sum of bytes
// 0..253 in bytes 254 and 255, as the scanner keeps it.
WantedBlock ComposeBlock(int interface, const ImageBytes& current, const BlockChange& change,
                         bool changeLink);

// NoScanner: nothing answered the connect (a device that is not a scanner, one switched off, or
// one another program holds).
enum class SetupResult { Programmed, Unchanged, Failed, NoScanner };

struct SetupOutcome {
    SetupResult result = SetupResult::Failed;
    std::string message;
    int bytesChanged = 0;       // bytes of the block the change changed
    std::uint8_t blockXor = 0;  // exclusive-or of the block the scanner holds at the end
    bool keptLink = false;      // see WantedBlock
    bool movedLink = false;
};

// "programmed", "unchanged", "failed", "no scanner".
std::string SetupResultName(SetupResult result);

// One scanner set up: connect, read, apply `change`, program only when a byte differs, read the
// block back and compare. The link is ended in every case; ParamImage holds what was last read.
// Unless `changeLink`, the scanner stays on its link (see ComposeBlock).
SetupOutcome SetUpScanner(ScannerLink& link, int interface, const std::string& port,
                          const BlockChange& change, bool changeLink = false);

// A main window for a terminal: messages as lines, the progress as a bar redrawn in place
// (only when `showProgress`, i.e. on a terminal).
class StreamView : public MainView {
public:
    StreamView(std::ostream& out, bool showProgress) : out_(out), showProgress_(showProgress) {}
    void AddMessage(const std::string& text) override;
    void SetLocked(bool, int) override {}
    void SetProgress(int value, int maximum) override;
    void SetSearchText(const std::string& text, bool visible) override;
    void SetDelayBox(const std::string&) override {}
    void RefreshLinkLabel() override {}
    // Ends a progress line that is still open.
    void EndLine();

private:
    std::ostream& out_;
    bool showProgress_;
    bool lineOpen_ = false;
    int lastPercent_ = -1;
    std::string search_;
};

}  // namespace qsp
