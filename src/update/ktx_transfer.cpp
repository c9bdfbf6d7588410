#include "update/ktx_transfer.h"

namespace qsp {

KtxBlock KtxBlockAt(int n) {
    if (n == 0) return {0x182C, 468};
    if (n >= 1 && n <= 102) return {static_cast<std::uint16_t>(0x1A00 + 0x200 * (n - 1)), 512};
    switch (n) {
        case 103:
            return {0xFE00, 512};
        case 104:
            return {0x1080, 384};
        case 105:
            return {0x1200, 512};
        case 106:
            return {0x1400, 512};
        default:
            return {};
    }
}

std::vector<std::uint8_t> KtxFrame(const std::vector<std::uint8_t>& image, int n) {
    const KtxBlock b = KtxBlockAt(n);
    std::vector<std::uint8_t> frame;
    frame.reserve(kKtxFrameSize);
    frame.push_back(b.High());
    frame.push_back(b.Low());
    std::uint8_t x = b.High() ^ b.Low();
    for (std::size_t i = 0; i < b.dataBytes; ++i) {
        const std::uint8_t v = image[b.start + i];
        frame.push_back(v);
        x ^= v;
    }
    frame.resize(2 + kKtxPayload, 0);
    frame.push_back(x);
    return frame;
}

namespace {
// The running sum stays within -32768..32767.
std::int32_t AddToSum(std::int32_t sum, std::uint8_t byte) {
    sum += byte;
    if (sum > 32767) sum -= 65536;
    return sum;
}
}  // namespace

std::int32_t KtxImageSum(const std::vector<std::uint8_t>& image) {
    std::int32_t sum = 0;
    for (int n = 0; n < kKtxBlockCount; ++n) {
        const KtxBlock b = KtxBlockAt(n);
        for (std::size_t i = 0; i < b.dataBytes; ++i)
            sum = AddToSum(sum, image[b.start + i]);
    }
    return sum;
}

void KtxTransfer::SendByte(std::uint8_t byte) {
    // Every byte goes to the port as a write of its own.
    link_.Send(std::vector<std::uint8_t>{byte});
}

bool KtxTransfer::ReplyIs(std::uint8_t byte) {
    return link_.WaitReply(1) && link_.State().RxBuffer[0] == byte;
}

bool KtxTransfer::KtxHandshake(int mode, std::int32_t sum) {
    if (mode == 1) {
        SendByte(kKtxBlockRequest);
        return ReplyIs(kKtxAck);
    }
    SendByte(kKtxFinalRequest);
    if (!ReplyIs(kKtxAck)) return false;
    link_.Pump().RunPasses(kKtxFinalPause, nullptr);
    SendByte(kKtxAck);
    link_.Pump().RunPasses(kKtxSumPause, nullptr);
    if (!link_.WaitReply(3)) return false;
    const AppState& st = link_.State();
    std::int32_t scanner = st.RxBuffer[0] * 256 + st.RxBuffer[1];
    if (scanner > 32767) scanner -= 65536;
    if (scanner != sum) return false;
    SendByte(kKtxAck);
    return true;
}

bool KtxTransfer::Run(const std::vector<std::uint8_t>& image) {
    MainView& view = link_.View();
    constexpr int kMax = SerialLink::kProgressMax;
    sum_ = 0;
    for (int n = 0; n < kKtxBlockCount; ++n) {
        view.SetProgress(kMax * n / (kKtxBlockCount - 1), kMax);
        link_.Pump().RunOnce();
        if (!KtxHandshake(1, sum_)) return false;
        link_.Pump().RunPasses(kKtxBlockPause, nullptr);
        const KtxBlock b = KtxBlockAt(n);
        // The block goes to the port in one write: address, payload (zero-filled), check byte.
        std::vector<std::uint8_t> frame{b.High(), b.Low()};
        frame.reserve(2 + kKtxPayload + 1);
        std::uint8_t x = b.High() ^ b.Low();
        for (std::size_t i = 0; i < b.dataBytes; ++i) {
            const std::uint8_t v = image[b.start + i];
            frame.push_back(v);
            x ^= v;
            sum_ = AddToSum(sum_, v);
        }
        frame.resize(2 + kKtxPayload, 0);
        frame.push_back(x);
        link_.Send(frame);
        if (!ReplyIs(kKtxAck)) return false;
    }
    link_.Pump().RunPasses(kKtxFinalPause, nullptr);
    return KtxHandshake(2, sum_);
}

}  // namespace qsp
