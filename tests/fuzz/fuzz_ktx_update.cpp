// The KTX-type firmware transfer with the scanner's replies played by the fuzzer. Whatever it
// answers, the host sends nothing but the transfer's own bytes in order (it stops at the first
// wrong reply), confirms the sum only when the scanner's sum matches its own, and every reply
// wait keeps its promise: success means exactly the bytes it waited for, within the buffer.

#include <algorithm>
#include <cstdint>

#include "base/main_lock.h"
#include "fuzz_support.h"
#include "link/fakes.h"
#include "link/serial_link.h"
#include "update/ktx_transfer.h"

namespace {

// Everything a transfer that never fails sends, up to the final check.
const qspfuzz::Bytes& FullTransfer(const qspfuzz::Bytes& image) {
    static const qspfuzz::Bytes all = [&] {
        qspfuzz::Bytes out;
        for (int n = 0; n < qsp::kKtxBlockCount; ++n) {
            out.push_back(qsp::kKtxBlockRequest);
            const auto frame = qsp::KtxFrame(image, n);
            out.insert(out.end(), frame.begin(), frame.end());
        }
        out.push_back(qsp::kKtxFinalRequest);
        out.push_back(qsp::kKtxAck);
        out.push_back(qsp::kKtxAck);  // the confirmation of a matching sum
        return out;
    }();
    return all;
}

const qspfuzz::Bytes& Image() {
    static const qspfuzz::Bytes image = [] {
        qspfuzz::Bytes bytes(qsp::kUpdateImageSize);
        unsigned seed = 11;
        for (auto& b : bytes) {
            seed = seed * 1103515245u + 12345u;
            b = static_cast<std::uint8_t>(seed >> 16);
        }
        return bytes;
    }();
    return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qspfuzz::Input input(data, size);
    const std::uint16_t expected = input.Word() % 1024;

    qsp::VirtualPump pump;
    qsp::AppState state;
    state.Settings = qsp::ParseSettings("");
    state.Settings.Rs232Delay = 20;
    qsptest::FakeMainView view;
    qspfuzz::ScriptedLine line(pump, input);
    qsp::SerialLink link(state, pump, view, line.Factory());
    qsp::MainLock lock(view, pump);
    lock.SetReceivePoll([&] { link.ReceivePoll(); });
    lock.LockMainWindow();
    FUZZ_CHECK(link.OpenSerialPort("1", "115200", "N", "8", "1", false));
    link.BaudFactor("38400");

    // One wait of the fuzzer's length before the transfer: its promise in isolation.
    link.Send(std::string("?"));
    const bool waited = link.WaitReply(expected);
    FUZZ_CHECK(state.RxCount >= 0 && static_cast<std::size_t>(state.RxCount) <= qsp::kRxBufferSize);
    if (waited && expected != 0) FUZZ_CHECK(state.RxCount == expected);
    if (waited && expected == 0) FUZZ_CHECK(state.RxCount >= 1);

    const std::size_t mark = line.sent.size();
    qsp::KtxTransfer transfer(link);
    const bool ok = transfer.Run(Image());
    FUZZ_CHECK(state.RxCount >= 0 && static_cast<std::size_t>(state.RxCount) <= qsp::kRxBufferSize);

    qspfuzz::Trace("wait", waited);
    qspfuzz::Trace("transfer", ok);
    const qspfuzz::Bytes sent(line.sent.begin() + static_cast<long>(mark), line.sent.end());
    const qspfuzz::Bytes& full = FullTransfer(Image());
    FUZZ_CHECK(sent.size() <= full.size());
    FUZZ_CHECK(std::equal(sent.begin(), sent.end(), full.begin()));
    FUZZ_CHECK(ok == (sent.size() == full.size()));
    if (ok) {
        FUZZ_CHECK(transfer.RunningSum() == qsp::KtxImageSum(Image()));
        std::int32_t scanner = state.RxBuffer[0] * 256 + state.RxBuffer[1];
        if (scanner > 32767) scanner -= 65536;
        FUZZ_CHECK(scanner == transfer.RunningSum());
    }
    return 0;
}
