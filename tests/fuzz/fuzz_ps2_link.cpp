// The PS2 keyboard-wedge exchange with the scanner's answers played by the fuzzer: connect,
// read the block, end the link, then program it. A failed read leaves the parameter image as it
// was, a good one changes only the scanner's 512 bytes, no handle is left open, and the host only
// ever sends whole frames.

#include <cstdint>

#include "fuzz_wedge_links.h"
#include "link/ps2_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return qspfuzz::RunWedgeExchange<qspfuzz::FuzzPs2Lib>(
        data, size, qsp::kPs2, qsp::kPs2FrameSize, 0, &qsp::AppSettings::Ps2Delay,
        [](qsp::AppState& state, qsp::EventPump& pump, qsp::MainView& view,
           const qsp::InterfaceText& text, auto lib) {
            return std::make_unique<qsp::Ps2Protocol>(state, pump, view, text, std::move(lib));
        });
}
