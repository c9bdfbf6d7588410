// The PS2 keyboard-wedge exchange with the scanner's answers played by the fuzzer: connect,
// read the block, end the link, then program it. A failed read leaves the parameter image as it
// was, a good one changes only the scanner's 512 bytes, no handle is left open, and the host only
// ever sends whole frames.

#include <algorithm>
#include <cstdint>
#include <string>

#include "fuzz_wedge_links.h"
#include "link/batch_link.h"
#include "link/fakes.h"
#include "link/ps2_protocol.h"
#include "link/scanner_link.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qspfuzz::Input input(data, size);
    const std::uint8_t options = input.Byte();

    qsp::VirtualPump pump;
    qsp::AppState state;
    state.Settings = qsp::ParseSettings("");
    state.Settings.Ps2Delay = std::to_string(options & 0x3F);
    for (std::size_t i = 0; i < state.ParamImage.size(); ++i)
        state.ParamImage[i] = static_cast<std::uint8_t>(i * 13 + 5);
    const qsp::ImageBytes before = state.ParamImage;

    qsptest::FakeMainView view;
    qsp::InterfaceText text;
    qspfuzz::WedgeScript script(pump, input);
    auto owned = std::make_unique<qspfuzz::FuzzPs2Lib>(script, (options & 0x40) == 0);
    qspfuzz::FuzzPs2Lib& lib = *owned;
    qsp::ScannerLink link(state, pump, view, text, nullptr);
    link.SetProtocol(qsp::kPs2, std::make_unique<qsp::Ps2Protocol>(state, pump, view, text, std::move(owned)));

    auto wholeFrames = [&] {
        return std::all_of(script.sent.begin(), script.sent.end(),
                           [](const qspfuzz::Bytes& m) { return m.size() == qsp::kPs2FrameSize; });
    };

    // What Setup does: connect, read, end the link. The link itself promises the untouched image
    // on a failed read (the blocks are stored as they arrive).
    struct {
        bool ok = false;
    } read;
    if (link.ConnectScanner("", qsp::kPs2)) {
        read.ok = link.ReadParameters(qsp::kPs2);
        link.CloseScannerLink(qsp::kPs2);
    }
    FUZZ_CHECK(wholeFrames());
    FUZZ_CHECK(lib.OpenHandles() <= 0);
    qspfuzz::Trace("read", read.ok);
    if (!read.ok) {
        FUZZ_CHECK(state.ParamImage == before);
        return 0;
    }
    FUZZ_CHECK(lib.OpenHandles() == 0);
    FUZZ_CHECK(std::equal(state.ParamImage.begin() + qsp::kScannerBlockSize, state.ParamImage.end(),
                          before.begin() + qsp::kScannerBlockSize));

    // Programming does not change the image it sends.
    const qsp::ImageBytes programmed = state.ParamImage;
    const qsp::BatchResult written = qsp::WriteScannerImage(link, qsp::kPs2, "");
    qspfuzz::Trace("write", written.ok);
    FUZZ_CHECK(state.ParamImage == programmed);
    FUZZ_CHECK(wholeFrames());
    FUZZ_CHECK(lib.OpenHandles() <= 0);
    return 0;
}
