#include "link/batch_link.h"

#include <algorithm>

#include "base/text_ids.h"
#include "link/keyboard_wedge.h"
#include "link/rs232_protocol.h"

namespace qsp {

int LinkNumber(const std::string& name) {
    if (name == "rs232") return kRs232;
    if (name == "usb") return kUsb;
    if (name == "ps2") return kPs2;
    return -1;
}

std::string LinkName(int interface, const std::string& port) {
    if (interface == kUsb) return "USB";
    if (interface == kPs2) return "PS2";
    return "COM" + port;
}

namespace {

// Reads the block of a connected scanner into ParamImage; unchanged on failure.
bool ReadBlock(ScannerLink& link, int interface) {
    AppState& st = link.Serial().State();
    // The keyboard-wedge links store the block as it arrives.
    const ImageBytes before = st.ParamImage;
    if (!link.ReadParameters(interface)) {
        st.ParamImage = before;
        return false;
    }
    if (interface == kRs232) {
        std::copy_n(st.RxBuffer.begin() + 1, kScannerBlockSize, st.ParamImage.begin());
    }
    return true;
}

int BlockDifferences(const ImageBytes& a, const ImageBytes& b) {
    int n = 0;
    for (std::size_t i = 0; i < kScannerBlockSize; ++i)
        n += a[i] != b[i];
    return n;
}

}  // namespace

BatchResult ReadScannerImage(ScannerLink& link, int interface, const std::string& port) {
    if (!link.ConnectScanner(port, interface)) return {false, kTextCannotConnect};
    const bool read = ReadBlock(link, interface);
    link.CloseScannerLink(interface);
    return read ? BatchResult{true, 0} : BatchResult{false, kTextLoadFailed};
}

BatchResult WriteScannerImage(ScannerLink& link, int interface, const std::string& port) {
    if (!link.ConnectScanner(port, interface)) return {false, kTextCannotConnect};
    const bool written = link.WriteParameters(interface);
    const bool closed = link.CloseScannerLink(interface);
    if (written && closed) return {true, kTextProgrammed};
    return {false, kTextProgrammingFailed};
}

std::string SetupResultName(SetupResult result) {
    switch (result) {
        case SetupResult::Programmed:
            return "programmed";
        case SetupResult::Unchanged:
            return "unchanged";
        case SetupResult::NoScanner:
            return "no scanner";
        default:
            return "failed";
    }
}

bool MovesHostLink(const ImageBytes& current, const ImageBytes& wanted) {
    return current[kHostLinkFirstByte] != wanted[kHostLinkFirstByte] ||
           current[kHostLinkFirstByte + 1] != wanted[kHostLinkFirstByte + 1];
}

WantedBlock ComposeBlock(int interface, const ImageBytes& current, const BlockChange& change,
                         bool changeLink) {
    WantedBlock out;
    out.block = current;
    out.error = change(out.block);
    if (!out.error.empty()) return out;
    if (MovesHostLink(current, out.block)) {
        if (changeLink) {
            out.movedLink = true;
        } else {
            out.keptLink = true;
            std::copy_n(current.begin() + kHostLinkFirstByte, kHostLinkByteCount,
                        out.block.begin() + kHostLinkFirstByte);
        }
    }
    if (interface == kRs232) {
        // The serial write carries the sum of bytes 0..253 in bytes 254 and 255, and the
        // scanner keeps it there.
        const std::uint16_t sum = ImageSum(out.block);
        out.block[254] = static_cast<std::uint8_t>(sum >> 8);
        out.block[255] = static_cast<std::uint8_t>(sum & 0xFF);
    }
    out.bytesChanged = BlockDifferences(current, out.block);
    return out;
}

SetupOutcome SetUpScanner(ScannerLink& link, int interface, const std::string& port,
                          const BlockChange& change, bool changeLink) {
    AppState& st = link.Serial().State();
    const InterfaceText& text = link.Text();
    SetupOutcome out;
    if (!link.ConnectScanner(port, interface)) {
        out.result = SetupResult::NoScanner;
        out.message = text.LoadText(kTextCannotConnect);
        return out;
    }
    auto fail = [&](std::string message) {
        link.CloseScannerLink(interface);
        out.result = SetupResult::Failed;
        out.message = std::move(message);
        return out;
    };
    if (!ReadBlock(link, interface)) return fail(text.LoadText(kTextLoadFailed));
    out.blockXor = ImageChecksum(st.ParamImage);
    const WantedBlock composed = ComposeBlock(interface, st.ParamImage, change, changeLink);
    if (!composed.error.empty()) return fail(composed.error);
    const ImageBytes& wanted = composed.block;
    out.keptLink = composed.keptLink;
    out.movedLink = composed.movedLink;
    out.bytesChanged = composed.bytesChanged;
    if (out.bytesChanged == 0) {
        link.CloseScannerLink(interface);
        out.result = SetupResult::Unchanged;
        out.message = text.LoadText(kTextAlreadyHolds);
        return out;
    }
    st.ParamImage = wanted;
    if (!link.WriteParameters(interface)) return fail(text.LoadText(kTextProgrammingFailed));
    // What the scanner holds now, in the same configuration session.
    st.ParamImage = ImageBytes{};
    if (!ReadBlock(link, interface))
        return fail(text.LoadText(kTextProgrammingFailed) + " (" + text.LoadText(kTextLoadFailed) +
                    ")");
    out.blockXor = ImageChecksum(st.ParamImage);
    if (const int differ = BlockDifferences(st.ParamImage, wanted); differ != 0) {
        return fail(text.LoadText(kTextProgrammingFailed) + " (" +
                    FillText(text.LoadText(kTextReadBackDiffers), {std::to_string(differ)}) + ")");
    }
    if (!link.CloseScannerLink(interface)) return fail(text.LoadText(kTextProgrammingFailed));
    out.result = SetupResult::Programmed;
    out.message = text.LoadText(kTextProgrammed);
    return out;
}

void StreamView::EndLine() {
    if (lineOpen_) out_ << "\n" << std::flush;
    lineOpen_ = false;
    lastPercent_ = -1;
}

void StreamView::AddMessage(const std::string& text) {
    EndLine();
    out_ << text << "\n" << std::flush;
}

void StreamView::SetProgress(int value, int maximum) {
    if (!showProgress_) return;
    if (maximum <= 0) {
        EndLine();
        return;
    }
    const int percent = std::clamp(value * 100 / maximum, 0, 100);
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    const int filled = percent * 30 / 100;
    out_ << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
         << std::string(static_cast<std::size_t>(30 - filled), '.') << "] " << percent << "%";
    if (!search_.empty()) out_ << "  " << search_ << "   ";
    out_ << std::flush;
    lineOpen_ = true;
}

void StreamView::SetSearchText(const std::string& text, bool visible) {
    search_ = visible ? text : "";
}

}  // namespace qsp
