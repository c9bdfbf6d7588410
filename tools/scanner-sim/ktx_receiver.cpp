#include "ktx_receiver.h"

#include <algorithm>

namespace qspsim {

namespace {
constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kBlockRequest = 0xFC;
constexpr std::uint8_t kFinalRequest = 0xFA;
constexpr int kBlocks = 107;
constexpr std::size_t kFrameSize = 515;
constexpr std::uint8_t kNak = 0x15;
constexpr int kRate = 115200;
// The scanner checks the whole program before it reports its sum; the host listens for it only
// after a pause of its own.
constexpr Micros kSumDelay = std::chrono::milliseconds(250);
// A transfer that stalls this long is given up.
constexpr Micros kGap = std::chrono::seconds(3);

// Where block n of the scanner's program memory starts and how many of its 512 payload bytes
// are program bytes: the boot area's tail, the main program, the top page, then the
// vector pages.
struct Range {
    unsigned start;
    std::size_t bytes;
};
Range BlockRange(int n) {
    if (n == 0) return {0x182C, 0x1A00 - 0x182C};
    if (n <= 102) return {0x1A00 + 0x200u * static_cast<unsigned>(n - 1), 512};
    if (n == 103) return {0xFE00, 512};
    if (n == 104) return {0x1080, 0x1200 - 0x1080};
    return {0x1200 + 0x200u * static_cast<unsigned>(n - 105), 512};
}

std::string Hex4(unsigned v) {
    static const char* digits = "0123456789ABCDEF";
    return {digits[(v >> 12) & 15], digits[(v >> 8) & 15], digits[(v >> 4) & 15], digits[v & 15]};
}
}  // namespace

void KtxReceiver::Reply(std::vector<Answer>& answers, std::vector<std::uint8_t> bytes, int block,
                        std::vector<std::string>& notes, Micros delay) {
    if (options_.silentFrom >= 0 && block >= options_.silentFrom) {
        notes.push_back("fault: no answer");
        return;
    }
    answers.push_back(Answer{std::move(bytes), delay, kRate});
}

bool KtxReceiver::Take(std::uint8_t byte, bool configuring, const LineView& host, Micros now,
                       std::vector<Answer>& answers, std::vector<std::string>& notes) {
    if (!configuring || !(host == ViewOf(kRate, 'N', 1))) return false;
    if (state_ != State::Idle && now - last_ > kGap) {
        notes.push_back("KTX update abandoned after " + std::to_string(block_) + " blocks");
        state_ = State::Idle;
    }
    last_ = now;
    switch (state_) {
        case State::Idle:
            if (byte != kBlockRequest) return false;
            notes.push_back("KTX update: first block request");
            std::fill(image_.begin(), image_.end(), 0);
            block_ = 0;
            sum_ = 0;
            confirmed_ = false;
            frame_.clear();
            state_ = State::Frame;
            Reply(answers, {kAck}, 0, notes);
            return true;
        case State::Between:
            if (byte == kBlockRequest && block_ < kBlocks) {
                frame_.clear();
                state_ = State::Frame;
                Reply(answers, {kAck}, block_, notes);
                return true;
            }
            if (byte == kFinalRequest && block_ == kBlocks) {
                state_ = State::FinalAck;
                Reply(answers, {kAck}, block_, notes);
                return true;
            }
            notes.push_back("KTX update: unexpected byte after " + std::to_string(block_) +
                            " blocks");
            state_ = State::Idle;
            return false;
        case State::Frame:
            frame_.push_back(byte);
            if (frame_.size() == kFrameSize) FrameDone(answers, notes);
            return true;
        case State::FinalAck: {
            if (byte != kAck) {
                state_ = State::Idle;
                return false;
            }
            const std::uint16_t sent =
                options_.corrupt ? static_cast<std::uint16_t>(sum_ + 1) : sum_;
            if (options_.corrupt) notes.push_back("fault: final sum off by one");
            notes.push_back("KTX update: " + std::to_string(block_) + " blocks, sum " + Hex4(sum_));
            if (!options_.outPath.empty()) {
                if (WriteUpdateFile(options_.outPath, image_))
                    notes.push_back("image written to " + options_.outPath.string());
                else
                    notes.push_back("cannot write " + options_.outPath.string());
            }
            state_ = State::SumSent;
            Reply(answers,
                  {static_cast<std::uint8_t>(sent >> 8), static_cast<std::uint8_t>(sent & 0xFF),
                   0x00},
                  block_, notes, kSumDelay);
            return true;
        }
        case State::SumSent:
            state_ = State::Idle;
            if (byte != kAck) {
                notes.push_back("KTX update: the host did not confirm the sum");
                return false;
            }
            confirmed_ = true;
            notes.push_back("KTX update: the host confirmed the sum");
            return true;
    }
    return false;
}

void KtxReceiver::FrameDone(std::vector<Answer>& answers, std::vector<std::string>& notes) {
    const Range expected = BlockRange(block_);
    std::uint8_t x = 0;
    for (std::size_t i = 0; i + 1 < frame_.size(); ++i)
        x ^= frame_[i];
    const bool addressOk = (frame_[0] << 8 | frame_[1]) == static_cast<int>(expected.start);
    const bool xorOk = frame_.back() == x;
    const bool nak = !nakDone_ && block_ == options_.nakBlock;
    if (!addressOk || !xorOk || nak) {
        if (nak) nakDone_ = true;
        notes.push_back("KTX block " + std::to_string(block_) + " refused:" +
                        (addressOk ? "" : " address " + Hex4(frame_[0] << 8 | frame_[1])) +
                        (xorOk ? "" : " exclusive-or") + (nak ? " fault" : ""));
        state_ = State::Idle;
        Reply(answers, {kNak}, block_, notes);
        return;
    }
    for (std::size_t i = 0; i < expected.bytes; ++i) {
        image_[expected.start + i] = frame_[2 + i];
        sum_ = static_cast<std::uint16_t>(sum_ + frame_[2 + i]);
    }
    const int received = block_++;
    state_ = State::Between;
    Reply(answers, {kAck}, received, notes);
}

}  // namespace qspsim
