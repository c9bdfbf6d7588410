#include "ymodem_receiver.h"

#include <algorithm>

namespace qspsim {

namespace {
constexpr std::uint8_t kSoh = 0x01;
constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kEot = 0x04;
constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kNak = 0x15;
constexpr std::uint8_t kWantCrc = 'C';
constexpr int kRate = 115200;
// A transfer that stalls this long is given up.
constexpr Micros kGap = std::chrono::seconds(3);
// With the split fault, how long after the ACK the "C" follows.
constexpr Micros kSplitDelay = std::chrono::milliseconds(40);

// CRC-16, polynomial 0x1021, initial value 0, bit by bit.
std::uint16_t Crc16(const std::uint8_t* data, std::size_t size) {
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < size; ++i) {
        crc = static_cast<std::uint16_t>(crc ^ (data[i] << 8));
        for (int bit = 0; bit < 8; ++bit) {
            crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
        }
    }
    return crc;
}
}  // namespace

void YmodemReceiver::Reply(std::vector<Answer>& answers, std::vector<std::uint8_t> bytes, int block,
                           std::vector<std::string>& notes, Micros delay) {
    if (options_.silentFrom >= 0 && block >= options_.silentFrom) {
        notes.push_back("fault: no answer");
        return;
    }
    answers.push_back(Answer{std::move(bytes), delay, kRate});
}

bool YmodemReceiver::Take(std::uint8_t byte, bool configuring, const LineView& host, Micros now,
                          std::vector<Answer>& answers, std::vector<std::string>& notes) {
    if (configuring || !(host == ViewOf(kRate, 'N', 1))) return false;
    if (state_ != State::Idle && now - last_ > kGap) {
        notes.push_back("Y-modem update abandoned");
        state_ = State::Idle;
    }
    last_ = now;
    if (state_ == State::Idle) {
        if (byte != '1') return false;
        notes.push_back("Y-modem update: start");
        state_ = State::Header;
        packet_.clear();
        dataBlocks_ = 0;
        if (options_.silentFrom == 0) {
            notes.push_back("fault: no answer");
            return true;
        }
        answers.push_back(Answer{{kWantCrc}, Micros(0), kRate});
        return true;
    }
    if (packet_.empty()) {
        if (byte == kSoh || byte == kStx) {
            packetSize_ = byte == kSoh ? 3 + 128 + 2 : 3 + 1024 + 2;
            packet_.push_back(byte);
        } else if (byte == kEot && (state_ == State::Data || state_ == State::Closing)) {
            notes.push_back("Y-modem update: end of file after " + std::to_string(dataBlocks_) +
                            " blocks");
            state_ = State::Closing;
            Reply(answers, {kAck, kWantCrc}, dataBlocks_ + 1, notes);
        }
        // Anything else between blocks is line noise.
        return true;
    }
    packet_.push_back(byte);
    if (packet_.size() == packetSize_) {
        Packet(answers, notes);
        packet_.clear();
    }
    return true;
}

void YmodemReceiver::Packet(std::vector<Answer>& answers, std::vector<std::string>& notes) {
    const std::uint8_t number = packet_[1];
    const std::size_t size = packetSize_ - 5;
    const std::uint8_t* data = packet_.data() + 3;
    const std::uint16_t crc =
        static_cast<std::uint16_t>(packet_[3 + size] << 8 | packet_[4 + size]);
    if (packet_[2] != static_cast<std::uint8_t>(255 - number) || crc != Crc16(data, size)) {
        ++refused_;
        notes.push_back("Y-modem block " + std::to_string(number) +
                        " refused: " + (crc != Crc16(data, size) ? "CRC" : "number complement"));
        Reply(answers, {kNak}, dataBlocks_ + 1, notes);
        return;
    }
    if (number == 0 && packet_[0] == kSoh && state_ != State::Data) {
        HeaderPacket(data, answers, notes);
        return;
    }
    if (state_ != State::Data) {
        ++refused_;
        notes.push_back("Y-modem block " + std::to_string(number) + " before a header");
        Reply(answers, {kNak}, dataBlocks_ + 1, notes);
        return;
    }
    if (number == 0 && packet_[0] == kSoh && dataBlocks_ == 0) {
        // The header again: its answer went astray.
        notes.push_back("Y-modem update: header again");
        Reply(answers, {kAck, kWantCrc}, 0, notes);
        return;
    }
    if (number == static_cast<std::uint8_t>(expected_ - 1)) {
        notes.push_back("Y-modem block " + std::to_string(number) + " again");
        Reply(answers, {kAck}, dataBlocks_, notes);
        return;
    }
    if (number != expected_) {
        ++refused_;
        notes.push_back("Y-modem block " + std::to_string(number) + " out of order (expected " +
                        std::to_string(expected_) + ")");
        Reply(answers, {kNak}, dataBlocks_ + 1, notes);
        return;
    }
    if (!nakDone_ && dataBlocks_ + 1 == options_.nakBlock) {
        nakDone_ = true;
        ++refused_;
        notes.push_back("fault: block " + std::to_string(number) + " refused");
        Reply(answers, {kNak}, dataBlocks_ + 1, notes);
        return;
    }
    const int block = dataBlocks_ + 1;
    file_.insert(file_.end(), data, data + size);
    ++dataBlocks_;
    ++accepted_;
    ++expected_;
    if (options_.corrupt && !corruptDone_) {
        corruptDone_ = true;
        notes.push_back("fault: garbled acknowledge");
        Reply(answers, {0x86}, block, notes);
        return;
    }
    Reply(answers, {kAck}, block, notes);
}

void YmodemReceiver::HeaderPacket(const std::uint8_t* data, std::vector<Answer>& answers,
                                  std::vector<std::string>& notes) {
    const std::uint8_t* end = data + 128;
    const std::uint8_t* nameEnd = std::find(data, end, 0);
    const std::string name(data, nameEnd);
    if (name.empty()) {
        // The closing block: the batch is over.
        Finish(answers, notes);
        return;
    }
    long long size = 0;
    for (const std::uint8_t* p = nameEnd == end ? end : nameEnd + 1;
         p < end && *p >= '0' && *p <= '9'; ++p) {
        size = size * 10 + (*p - '0');
    }
    name_ = name;
    size_ = size;
    file_.clear();
    completed_ = false;
    expected_ = 1;
    dataBlocks_ = 0;
    state_ = State::Data;
    open_ = true;
    notes.push_back("Y-modem update: " + name + ", " + std::to_string(size) + " bytes");
    if (options_.split && !splitDone_) {
        splitDone_ = true;
        notes.push_back("fault: ACK and C apart");
        Reply(answers, {kAck}, 0, notes);
        Reply(answers, {kWantCrc}, 0, notes, kSplitDelay);
        return;
    }
    Reply(answers, {kAck, kWantCrc}, 0, notes);
}

void YmodemReceiver::Finish(std::vector<Answer>& answers, std::vector<std::string>& notes) {
    state_ = State::Idle;
    if (!open_) {
        Reply(answers, {kAck}, 0, notes);
        return;
    }
    open_ = false;
    const bool whole = static_cast<long long>(file_.size()) >= size_;
    if (whole) file_.resize(static_cast<std::size_t>(size_));
    completed_ = whole;
    std::string result;
    if (!whole) {
        result = "UPDATE FAILED " + name_ + " " + std::to_string(file_.size()) + " of " +
                 std::to_string(size_) + " bytes";
    } else if (!options_.outPath.empty() && !WriteUpdateFile(options_.outPath, file_)) {
        result = "UPDATE FAILED cannot store " + name_;
    } else {
        result = "UPDATE OK " + name_ + " " + std::to_string(size_) + " bytes";
    }
    notes.push_back("Y-modem update: " + result);
    std::vector<std::uint8_t> reply{kAck, '\r', '\n'};
    reply.insert(reply.end(), result.begin(), result.end());
    reply.push_back('\r');
    reply.push_back('\n');
    Reply(answers, std::move(reply), dataBlocks_ + 1, notes);
}

}  // namespace qspsim
