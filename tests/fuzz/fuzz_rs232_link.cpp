// The RS-232 configuration exchange with the scanner's side played by the fuzzer: connect (with
// or without the settings search), read the block, end the link, then program it. Whatever the
// scanner answers, the receive buffer holds what it can, a failed read leaves the parameter image
// as it was, a good read takes exactly the block, and the host only ever sends its own frames.

#include <algorithm>
#include <cstdint>

#include "base/main_lock.h"
#include "fuzz_support.h"
#include "link/batch_link.h"
#include "link/fakes.h"
#include "link/rs232_protocol.h"
#include "link/scanner_link.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qspfuzz::Input input(data, size);
    const std::uint8_t options = input.Byte();

    qsp::VirtualPump pump;
    qsp::AppState state;
    state.Settings = qsp::ParseSettings("");
    state.Settings.Rs232Delay = 20;  // short waits: 30,001 passes at 9600 baud
    state.Settings.Automation = options & 1;
    for (std::size_t i = 0; i < state.ParamImage.size(); ++i)
        state.ParamImage[i] = static_cast<std::uint8_t>(i * 13 + 5);
    const qsp::ImageBytes before = state.ParamImage;

    qsptest::FakeMainView view;
    qsp::InterfaceText text;
    qspfuzz::ScriptedLine line(pump, input);
    qsp::ScannerLink link(state, pump, view, text, line.Factory());
    qsp::MainLock lock(view, pump);
    lock.SetReceivePoll([&] { link.Serial().ReceivePoll(); });
    lock.LockMainWindow();

    const qsp::BatchResult read = qsp::ReadScannerImage(link, qsp::kRs232, "1");
    FUZZ_CHECK(state.RxCount >= 0 && static_cast<std::size_t>(state.RxCount) <= qsp::kRxBufferSize);
    qspfuzz::Trace("read", read.ok);
    if (!read.ok) {
        FUZZ_CHECK(state.ParamImage == before);
        return 0;
    }
    // The reply was 514 bytes (more may have come while the link ended, behind them) and the
    // block is bytes 1..512 of it; bytes 512 and up of the image are the program's own.
    FUZZ_CHECK(state.RxCount >= static_cast<std::int32_t>(qsp::kReadReplySize));
    FUZZ_CHECK(std::equal(state.ParamImage.begin(),
                          state.ParamImage.begin() + qsp::kScannerBlockSize,
                          state.RxBuffer.begin() + 1));
    FUZZ_CHECK(std::equal(state.ParamImage.begin() + qsp::kScannerBlockSize, state.ParamImage.end(),
                          before.begin() + qsp::kScannerBlockSize));
    FUZZ_CHECK(!link.Serial().PortOpen());

    // Programming sends the block as the scanner expects it: 0x06, then the checked frame.
    const qsp::ImageBytes programmed = state.ParamImage;
    const std::size_t mark = line.sent.size();
    const qsp::BatchResult written = qsp::WriteScannerImage(link, qsp::kRs232, "1");
    FUZZ_CHECK(state.ParamImage == programmed);
    FUZZ_CHECK(state.RxCount >= 0 && static_cast<std::size_t>(state.RxCount) <= qsp::kRxBufferSize);
    const qspfuzz::Bytes frame = qsp::WriteFrame(programmed);
    const auto at = std::search(line.sent.begin() + static_cast<long>(mark), line.sent.end(),
                                frame.begin(), frame.end());
    qspfuzz::Trace("write", written.ok);
    if (written.ok) FUZZ_CHECK(at != line.sent.end());
    // Once connected, the link ends with the port closed. (A connect that got the first 0x06
    // but no answer at 115,200 leaves the port open; the next open closes it.)
    if (written.textId != qsp::kTextCannotConnect) FUZZ_CHECK(!link.Serial().PortOpen());
    return 0;
}
