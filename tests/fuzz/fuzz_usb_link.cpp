// The USB keyboard-wedge exchange with the scanner's answers played by the fuzzer: connect,
// read the block, end the link, then program it. A failed read leaves the parameter image as it
// was, a good one changes only the scanner's 512 bytes, no handle is left open, and the host only
// ever sends whole reports.

#include <cstdint>

#include "fuzz_wedge_links.h"
#include "link/usb_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return qspfuzz::RunWedgeExchange<qspfuzz::FuzzUsbLib>(
        data, size, qsp::kUsb, qsp::kUsbReportSize, 1, &qsp::AppSettings::UsbDelay,
        [](qsp::AppState& state, qsp::EventPump& pump, qsp::MainView& view,
           const qsp::InterfaceText& text, auto lib) {
            (void)text;
            return std::make_unique<qsp::UsbProtocol>(state, pump, view, std::move(lib));
        });
}
