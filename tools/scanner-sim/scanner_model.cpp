#include "scanner_model.h"

#include <algorithm>
#include <charconv>

#include "base/settings_file.h"
#include "catalogue/reset_values.h"
#include "link/serial_link.h"

namespace qspsim {

namespace {

constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kNak = 0x15;
constexpr std::uint8_t kRead = 0xFB;
constexpr std::uint8_t kEnd = 0xF9;
constexpr int kConfigBaud = 115200;
constexpr std::size_t kFrameWithCheck = 514;
// A write frame that stalls this long is given up.
constexpr Micros kFrameGap = std::chrono::seconds(1);

qsp::ImageBytes AsImage(const Block& block) {
    qsp::ImageBytes image{};
    std::copy(block.begin(), block.end(), image.begin());
    return image;
}

int ToInt(const std::string& text, int fallback) {
    int v = 0;
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    return ec == std::errc() ? v : fallback;
}

std::string Hex(std::uint8_t b) {
    static const char* digits = "0123456789ABCDEF";
    return {digits[b >> 4], digits[b & 15]};
}

}  // namespace

LineView ViewOf(int baud, char parity, int stopBits) {
    return LineView{baud, stopBits == 2, parity == 'O' || parity == 'M',
                    parity == 'M' || parity == 'S'};
}

std::string Describe(const LineView& line) {
    std::string parity =
        line.markSpace ? (line.parityOdd ? "M" : "S") : (line.parityOdd ? "O" : "N/E");
    return std::to_string(line.baud) + "," + parity + "," + (line.twoStopBits ? "2" : "1");
}

Block FactoryBlock() {
    qsp::ImageBytes image{};
    int page = 0;
    qsp::ResetImage(image, qsp::kRs232, page);
    Block block{};
    std::copy_n(image.begin(), block.size(), block.begin());
    return block;
}

ScannerModel::ScannerModel(const Block& block, Faults faults) : block_(block), faults_(faults) {}

void ScannerModel::SetSerial(int baud, char parity, int dataBits, int stopBits) {
    std::uint8_t rate = 8;  // 115200 and anything not listed
    switch (baud) {
        case 300:
            rate = 1;
            break;
        case 600:
            rate = 2;
            break;
        case 1200:
            rate = 3;
            break;
        case 2400:
            rate = 4;
            break;
        case 4800:
            rate = 5;
            break;
        case 9600:
            rate = 6;
            break;
        case 19200:
            rate = 7;
            break;
        case 38400:
            rate = 22;
            break;
        default:
            break;
    }
    std::uint8_t p = 4;
    switch (parity) {
        case 'E':
            p = 0;
            break;
        case 'O':
            p = 1;
            break;
        case 'S':
            p = 2;
            break;
        case 'M':
            p = 3;
            break;
        default:
            break;
    }
    const std::uint8_t framing = static_cast<std::uint8_t>(
        (stopBits == 2 ? 0x40 : 0x00) | (p << 2) | (dataBits == 7 ? 0x02 : 0x03));
    block_[142] = rate;
    block_[143] = static_cast<std::uint8_t>((block_[143] & 0x80) | framing);
}

int ScannerModel::OwnBaud() const {
    return ToInt(qsp::ScannerSerialSettings(AsImage(block_)).baud, kConfigBaud);
}

LineView ScannerModel::OwnLine() const {
    const qsp::SerialSettings s = qsp::ScannerSerialSettings(AsImage(block_));
    const char parity = s.parity.empty() ? 'N' : s.parity[0];
    return ViewOf(OwnBaud(), parity, s.stop == "2" ? 2 : 1);
}

LineView ScannerModel::ListeningLine() const {
    return mode_ == Mode::Idle ? OwnLine() : ViewOf(kConfigBaud, 'N', 1);
}

bool ScannerModel::Silent(Stage stage) const {
    return faults_.noAnswer == stage || faults_.noAnswer == Stage::Any;
}

void ScannerModel::Answer1(Stage stage, std::vector<std::uint8_t> bytes, int baud) {
    if (Silent(stage)) {
        notes_.push_back("fault: no answer");
        return;
    }
    Micros delay{0};
    if (faults_.late == stage || faults_.late == Stage::Any) {
        delay = faults_.lateBy;
        notes_.push_back("fault: answer late by " + std::to_string(delay.count()) + " us");
    }
    answers_.push_back(Answer{std::move(bytes), delay, baud});
}

void ScannerModel::Receive(const std::uint8_t* data, std::size_t size, const LineView& host,
                           Micros now) {
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t b = data[i];
        // Firmware receivers listen between configuration commands, not inside a write frame.
        bool taken = false;
        for (LineTaker* taker : takers_) {
            if (!taken && (mode_ == Mode::Idle || mode_ == Mode::Config))
                taken = taker->Take(b, mode_ == Mode::Config, host, now, answers_, notes_);
        }
        if (taken) continue;
        if (mode_ != Mode::Idle && host == ViewOf(kConfigBaud, 'N', 1)) {
            if (mode_ == Mode::Frame && now - lastFrameByte_ > kFrameGap) {
                notes_.push_back("write frame abandoned after " + std::to_string(frame_.size()) +
                                 " bytes");
                mode_ = Mode::Config;
            }
            if (mode_ == Mode::Frame) {
                lastFrameByte_ = now;
                FrameByte(b);
            } else {
                ConfigByte(b, now);
            }
        } else if (host == OwnLine()) {
            IdleByte(b);
        } else {
            // Garbled at the scanner's end: nothing to act on.
            recent_.clear();
        }
    }
}

void ScannerModel::IdleByte(std::uint8_t byte) {
    recent_.push_back(static_cast<char>(byte));
    if (recent_.size() > 4) recent_.erase(0, recent_.size() - 4);
    if (recent_ != "LINK") return;
    recent_.clear();
    notes_.push_back("LINK heard at " + Describe(OwnLine()));
    const int baud = OwnBaud();
    if (Silent(Stage::Link)) {
        notes_.push_back("fault: no answer");
        return;
    }
    mode_ = Mode::Linked;
    Answer1(Stage::Link, {kAck}, baud);
}

void ScannerModel::ConfigByte(std::uint8_t byte, Micros now) {
    if (mode_ == Mode::Linked) {
        if (byte != kAck) return;
        notes_.push_back("configuration mode at 115200,N,8,1");
        if (Silent(Stage::Ack)) {
            notes_.push_back("fault: no answer");
            return;
        }
        mode_ = Mode::Config;
        Answer1(Stage::Ack, {kAck}, kConfigBaud);
        return;
    }
    switch (byte) {
        case kRead: {
            std::vector<std::uint8_t> reply;
            reply.reserve(kFrameWithCheck + 1);
            reply.push_back(0x02);
            std::uint8_t x = 0;
            for (std::uint8_t v : block_) {
                reply.push_back(v);
                x ^= v;
            }
            reply.push_back(x);
            notes_.push_back("read: sending the block");
            if (faults_.shortRead) {
                reply.pop_back();
                notes_.push_back("fault: reply one byte short");
            }
            if (faults_.corruptRead && reply.size() >= 2) {
                // A noise byte just before the last one, arriving together with it.
                std::vector<std::uint8_t> tail{0xA5, reply.back()};
                reply.pop_back();
                notes_.push_back("fault: noise byte in the reply");
                Answer1(Stage::Read, std::move(reply), kConfigBaud);
                if (!answers_.empty()) {
                    Micros delay = answers_.back().delay;
                    answers_.push_back(Answer{std::move(tail), delay, 0});
                }
                return;
            }
            Answer1(Stage::Read, std::move(reply), kConfigBaud);
            return;
        }
        case kAck:
            mode_ = Mode::Frame;
            frame_.clear();
            lastFrameByte_ = now;
            return;
        case kEnd:
            notes_.push_back("end of configuration; listening at " + Describe(OwnLine()));
            mode_ = Mode::Idle;
            recent_.clear();
            return;
        default:
            return;
    }
}

void ScannerModel::FrameByte(std::uint8_t byte) {
    frame_.push_back(byte);
    if (frame_.size() < kFrameWithCheck) return;
    mode_ = Mode::Config;
    std::uint32_t sum = 0;
    for (std::size_t i = 1; i <= 254; ++i)
        sum += frame_[i];
    std::uint8_t x = 0;
    for (std::size_t i = 0; i + 1 < kFrameWithCheck; ++i)
        x ^= frame_[i];
    const bool sumOk = frame_[255] == ((sum >> 8) & 0xFF) && frame_[256] == (sum & 0xFF);
    const bool xorOk = frame_.back() == x;
    const bool startOk = frame_[0] == 0;
    if (sumOk && xorOk && startOk && !faults_.nakWrite) {
        std::copy(frame_.begin() + 1, frame_.begin() + 1 + block_.size(), block_.begin());
        ++writesAccepted_;
        notes_.push_back("write accepted");
        Answer1(Stage::Write, {kAck}, kConfigBaud);
    } else {
        ++writesRefused_;
        notes_.push_back(std::string("write refused:") +
                         (sumOk ? "" : " sum " + Hex(frame_[255]) + Hex(frame_[256])) +
                         (xorOk ? "" : " exclusive-or") + (startOk ? "" : " first byte") +
                         (faults_.nakWrite ? " fault" : ""));
        Answer1(Stage::Write, {kNak}, kConfigBaud);
    }
    frame_.clear();
}

std::vector<Answer> ScannerModel::TakeAnswers() {
    std::vector<Answer> out;
    out.swap(answers_);
    return out;
}

std::vector<std::string> ScannerModel::TakeNotes() {
    std::vector<std::string> out;
    out.swap(notes_);
    return out;
}

}  // namespace qspsim
