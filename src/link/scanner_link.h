#pragma once
// ConnectScanner, ReadParameters, WriteParameters and CloseScannerLink: the configuration
// exchange with the scanner, dispatched by interface number (0 RS-232, 1 USB, 2 PS/2). A link
// without a protocol installed fails every operation.

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "base/app_state.h"
#include "base/event_pump.h"
#include "base/interface_text.h"
#include "base/main_view.h"
#include "link/keyboard_wedge.h"
#include "link/link_protocol.h"
#include "link/rs232_protocol.h"
#include "link/serial_link.h"
#include "link/serial_port.h"

namespace qsp {

class ScannerLink {
public:
    ScannerLink(AppState& state, EventPump& pump, MainView& view, const InterfaceText& text,
                SerialPortFactory portFactory);

    bool ConnectScanner(const std::string& port, int interface);
    // RS-232: the reply lands in RxBuffer (block in bytes 1..512); the other links fill
    // ParamImage bytes 0..511 themselves. A failed read leaves ParamImage as it was.
    bool ReadParameters(int interface);
    bool WriteParameters(int interface);
    bool CloseScannerLink(int interface);

    // Closes the serial port if it is open (the program's exit).
    void ClosePort() { serial_.ClosePort(); }

    // Installs the protocol of an interface.
    void SetProtocol(int interface, std::unique_ptr<LinkProtocol> protocol);

    // Where writes show their progress (value, maximum): the settings window's bar while it
    // is open; the main window's bar otherwise.
    void SetWriteProgress(std::function<void(int, int)> progress);

    // Where the keyboard-wedge links show their status texts while they write and end (the
    // settings window's first status panel); null to show them nowhere.
    void SetStatusText(std::function<void(const std::string&)> status);

    SerialLink& Serial() { return serial_; }
    const InterfaceText& Text() const { return text_; }

private:
    LinkProtocol* Protocol(int interface);

    AppState& state_;
    MainView& view_;
    const InterfaceText& text_;
    SerialLink serial_;
    Rs232Protocol* rs232_ = nullptr;
    std::function<void(int, int)> writeProgress_;
    std::function<void(const std::string&)> statusText_;
    std::array<std::unique_ptr<LinkProtocol>, 3> protocols_;
};

}  // namespace qsp
