#include "link/batch_link.h"

#include <algorithm>

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

BatchResult ReadScannerImage(ScannerLink& link, int interface, const std::string& port) {
    AppState& st = link.Serial().State();
    if (!link.ConnectScanner(port, interface)) return {false, kTextCannotConnect};
    // The keyboard-wedge links store the block as it arrives.
    const ImageBytes before = st.ParamImage;
    if (!link.ReadParameters(interface)) {
        st.ParamImage = before;
        link.CloseScannerLink(interface);
        return {false, kTextLoadFailed};
    }
    if (interface == kRs232) {
        std::copy_n(st.RxBuffer.begin() + 1, kScannerBlockSize, st.ParamImage.begin());
    }
    link.CloseScannerLink(interface);
    return {true, 0};
}

BatchResult WriteScannerImage(ScannerLink& link, int interface, const std::string& port) {
    if (!link.ConnectScanner(port, interface)) return {false, kTextCannotConnect};
    const bool written = link.WriteParameters(interface);
    const bool closed = link.CloseScannerLink(interface);
    if (written && closed) return {true, kTextProgrammed};
    return {false, kTextProgrammingFailed};
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
