#include "link/scanner_link.h"

namespace qsp {

ScannerLink::ScannerLink(AppState& state, EventPump& pump, MainView& view,
                         const InterfaceText& text, SerialPortFactory portFactory)
    : state_(state), view_(view), text_(text), serial_(state, pump, view, std::move(portFactory)) {
    auto rs232 = std::make_unique<Rs232Protocol>(serial_);
    rs232_ = rs232.get();
    protocols_[kRs232] = std::move(rs232);
    SetWriteProgress(nullptr);
}

void ScannerLink::SetProtocol(int interface, std::unique_ptr<LinkProtocol> protocol) {
    if (interface < 0 || interface >= static_cast<int>(protocols_.size())) return;
    if (interface == kRs232) rs232_ = dynamic_cast<Rs232Protocol*>(protocol.get());
    if (auto* wedge = dynamic_cast<WedgeProtocol*>(protocol.get())) {
        wedge->SetWriteProgress(writeProgress_);
        wedge->SetStatusText(statusText_);
    }
    protocols_[static_cast<std::size_t>(interface)] = std::move(protocol);
}

void ScannerLink::SetWriteProgress(std::function<void(int, int)> progress) {
    if (!progress) progress = [this](int value, int max) { view_.SetProgress(value, max); };
    writeProgress_ = progress;
    if (rs232_) rs232_->SetWriteProgress(progress);
    for (auto& p : protocols_) {
        if (auto* wedge = dynamic_cast<WedgeProtocol*>(p.get())) wedge->SetWriteProgress(progress);
    }
}

void ScannerLink::SetStatusText(std::function<void(const std::string&)> status) {
    statusText_ = status;
    for (auto& p : protocols_) {
        if (auto* wedge = dynamic_cast<WedgeProtocol*>(p.get())) wedge->SetStatusText(status);
    }
}

LinkProtocol* ScannerLink::Protocol(int interface) {
    if (interface < 0 || interface >= static_cast<int>(protocols_.size())) return nullptr;
    return protocols_[static_cast<std::size_t>(interface)].get();
}

bool ScannerLink::ConnectScanner(const std::string& port, int interface) {
    LinkProtocol* p = Protocol(interface);
    if (!p) return false;
    view_.SetProgress(0, SerialLink::kProgressMax);
    const bool ok = p->Connect(port);
    view_.SetProgress(0, 0);
    return ok;
}

bool ScannerLink::ReadParameters(int interface) {
    LinkProtocol* p = Protocol(interface);
    if (!p) return false;
    // The keyboard-wedge links store each block as it arrives; a read that fails part-way must
    // not leave the user a half-read image to edit and program back.
    const ImageBytes before = state_.ParamImage;
    if (p->Read()) return true;
    state_.ParamImage = before;
    return false;
}

bool ScannerLink::WriteParameters(int interface) {
    LinkProtocol* p = Protocol(interface);
    return p && p->Write();
}

bool ScannerLink::CloseScannerLink(int interface) {
    LinkProtocol* p = Protocol(interface);
    return p && p->Close();
}

}  // namespace qsp
