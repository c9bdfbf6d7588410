#include "wedge_model.h"

#include <algorithm>
#include <cstring>

namespace qspsim {

namespace {

constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kNak = 0x15;
constexpr std::uint8_t kAgain = 0x0F;
constexpr std::size_t kBlocks = 128;
constexpr std::size_t kReportSize = 9;
constexpr std::size_t kFrameSize = 8;
constexpr std::uint8_t kEnter = 0x1C;
// A PS/2 reply split in two arrives as this many codes, then the rest.
constexpr std::size_t kSplitAt = 5;

std::string Hex(std::uint8_t b) {
    static const char* digits = "0123456789ABCDEF";
    return {digits[b >> 4], digits[b & 15]};
}

int Digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The bytes of a hexadecimal text; false when it is not one.
bool HexBytes(const std::string& text, std::vector<std::uint8_t>& out) {
    if (text.size() % 2 != 0) return false;
    out.clear();
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int hi = Digit(text[i]);
        const int lo = Digit(text[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    }
    return true;
}

std::uint8_t Checksum(const Block& block) {
    std::uint8_t x = 0;
    for (std::uint8_t b : block)
        x ^= b;
    return x;
}

}  // namespace

std::uint8_t MakeCode(char c) {
    if (c >= '1' && c <= '9') return static_cast<std::uint8_t>(0x02 + (c - '1'));
    if (c == '0') return 0x0B;
    static const char* const kRows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
    static const std::uint8_t kRowStart[] = {0x10, 0x1E, 0x2C};
    for (int r = 0; r < 3; ++r) {
        if (const char* p = std::strchr(kRows[r], c); p && c != '\0')
            return static_cast<std::uint8_t>(kRowStart[r] + (p - kRows[r]));
    }
    return kEnter;
}

std::vector<Answer> WedgeModel::TakeAnswers() {
    std::vector<Answer> out;
    out.swap(answers_);
    return out;
}

std::vector<std::string> WedgeModel::TakeNotes() {
    std::vector<std::string> out;
    out.swap(notes_);
    return out;
}

void WedgeModel::Send(Stage stage, Reply reply, const std::string& text, std::uint8_t checksum) {
    if (faults_.noAnswer == stage || faults_.noAnswer == Stage::Any) {
        notes_.push_back("fault: no answer");
        return;
    }
    Micros delay{0};
    if (faults_.late == stage || faults_.late == Stage::Any) {
        delay = faults_.lateBy;
        notes_.push_back("fault: answer late by " + std::to_string(delay.count()) + " us");
    }
    for (auto& message : Encode(reply, text, checksum))
        answers_.push_back(Answer{std::move(message), delay, 0});
}

void WedgeModel::Connect() {
    notes_.push_back("configuration connection");
    mode_ = Mode::Connected;
    Send(Stage::Link, Reply::Ack);
}

void WedgeModel::StartRead() {
    notes_.push_back("read: sending the block");
    mode_ = Mode::Reading;
    nextBlock_ = 0;
    Next();
}

void WedgeModel::Next() {
    if (mode_ == Mode::ReadChecksum) return;
    if (nextBlock_ >= kBlocks) {
        mode_ = Mode::ReadChecksum;
        SendChecksum();
        return;
    }
    std::string text;
    for (std::size_t i = 0; i < 4; ++i)
        text += Hex(block_[nextBlock_ * 4 + i]);
    ++nextBlock_;
    if (faults_.shortRead) text.pop_back();
    Send(Stage::Read, Reply::Block, text);
}

void WedgeModel::SendChecksum() {
    std::uint8_t x = Checksum(block_);
    ++checksumsSent_;
    if (faults_.corruptRead &&
        (faults_.corruptLimit <= 0 || checksumsSent_ <= faults_.corruptLimit)) {
        x ^= 0x5A;
        notes_.push_back("fault: wrong exclusive-or " + Hex(x));
    }
    Send(Stage::Read, Reply::Checksum, {}, x);
}

void WedgeModel::ChecksumAgain() {
    notes_.push_back("read: exclusive-or asked again");
    SendChecksum();
}

void WedgeModel::ChecksumConfirmed() {
    notes_.push_back("read: confirmed");
    mode_ = Mode::Connected;
}

void WedgeModel::StartWrite() {
    notes_.push_back("write: started");
    mode_ = Mode::Writing;
    written_ = 0;
    Send(Stage::Write, Reply::Ack);
}

void WedgeModel::WriteBlock(const std::string& text) {
    std::vector<std::uint8_t> bytes;
    if (text.size() != 8 || !HexBytes(text, bytes)) {
        notes_.push_back("write: not a block: " + text);
        Send(Stage::Write, Reply::Nak);
        return;
    }
    std::copy(bytes.begin(), bytes.end(), incoming_.begin() + static_cast<long>(written_ * 4));
    if (++written_ == kBlocks) mode_ = Mode::WriteChecksum;
    Send(Stage::Write, Reply::Ack);
}

void WedgeModel::WriteChecksum(std::uint8_t checksum) {
    const std::uint8_t expected = Checksum(incoming_);
    if (checksum == expected && !faults_.nakWrite) {
        block_ = incoming_;
        ++writesAccepted_;
        mode_ = Mode::Connected;
        notes_.push_back("write accepted");
        Send(Stage::Write, Reply::Ack);
    } else {
        ++writesRefused_;
        notes_.push_back("write refused: exclusive-or " + Hex(checksum) + ", expected " +
                         Hex(expected) + (faults_.nakWrite ? " (fault)" : ""));
        Send(Stage::Write, Reply::Nak);
    }
}

void WedgeModel::End() {
    notes_.push_back("end of configuration");
    mode_ = Mode::Idle;
    Send(Stage::Ack, Reply::Ack);
}

// USB: report byte 0 is the id (0); the text runs up to the first 0xFF.
void UsbWedgeModel::Receive(const std::uint8_t* data, std::size_t size) {
    if (size != kReportSize) {
        notes_.push_back("report of " + std::to_string(size) + " bytes ignored");
        return;
    }
    std::string text;
    for (std::size_t i = 1; i < size && data[i] != 0xFF; ++i)
        text += static_cast<char>(data[i]);
    // The write's exclusive-or is one character (none when it is 0xFF itself).
    if (mode_ == Mode::WriteChecksum && text.size() <= 1) {
        WriteChecksum(data[1]);
    } else if (text == "bin") {
        Connect();
    } else if (mode_ == Mode::Idle) {
        notes_.push_back("not connected: " + text);
    } else if (text == "set") {
        StartRead();
    } else if (text == std::string(1, static_cast<char>(kAck)) && mode_ == Mode::Reading) {
        Next();
    } else if (text == std::string(1, static_cast<char>(kAgain)) && mode_ == Mode::ReadChecksum) {
        ChecksumAgain();
    } else if (text == "ack" && mode_ == Mode::ReadChecksum) {
        ChecksumConfirmed();
    } else if (text == "stx") {
        StartWrite();
    } else if (text == "end") {
        End();
    } else if (mode_ == Mode::Writing) {
        WriteBlock(text);
    }
}

std::vector<std::vector<std::uint8_t>> UsbWedgeModel::Encode(Reply reply, const std::string& text,
                                                             std::uint8_t checksum) const {
    std::vector<std::uint8_t> report(kReportSize, 0xFF);
    report[0] = 0;
    switch (reply) {
        case Reply::Ack:
            report[1] = kAck;
            break;
        case Reply::Nak:
            report[1] = kNak;
            break;
        case Reply::Checksum:
            report[1] = checksum;
            break;
        case Reply::Block:
            std::copy(text.begin(), text.end(), report.begin() + 1);
            // A block one character short is a report one byte short.
            if (text.size() < 8) report.resize(1 + text.size());
            break;
    }
    return {report};
}

// PS/2: the text runs up to the first "z".
void Ps2WedgeModel::Receive(const std::uint8_t* data, std::size_t size) {
    if (size != kFrameSize) {
        notes_.push_back("frame of " + std::to_string(size) + " bytes ignored");
        return;
    }
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.substr(0, text.find('z'));
    if (text == "bin") {
        Connect();
    } else if (mode_ == Mode::Idle) {
        notes_.push_back("not connected: " + text);
    } else if (text == "set") {
        StartRead();
    } else if (text == "ack" && mode_ == Mode::Reading) {
        Next();
    } else if (text == "nak" && mode_ == Mode::ReadChecksum) {
        ChecksumAgain();
    } else if (text == "wit" && mode_ == Mode::ReadChecksum) {
        ChecksumConfirmed();
    } else if (text == "stx") {
        StartWrite();
    } else if (text == "end") {
        End();
    } else if (mode_ == Mode::Writing) {
        WriteBlock(text);
    } else if (mode_ == Mode::WriteChecksum) {
        std::vector<std::uint8_t> x;
        if (text.size() == 2 && HexBytes(text, x)) {
            WriteChecksum(x[0]);
        } else {
            notes_.push_back("write: not an exclusive-or: " + text);
            Send(Stage::Write, Reply::Nak);
        }
    }
}

std::vector<std::vector<std::uint8_t>> Ps2WedgeModel::Encode(Reply reply, const std::string& text,
                                                             std::uint8_t checksum) const {
    std::string keys;
    switch (reply) {
        case Reply::Ack:
            keys = "ACK";
            break;
        case Reply::Nak:
            keys = "NAK";
            break;
        case Reply::Checksum:
            keys = Hex(checksum);
            break;
        case Reply::Block:
            keys = text;
            break;
    }
    // A block one character short is a frame one code short; everything else is typed to 8
    // codes, the rest Enter.
    const std::size_t length = reply == Reply::Block ? text.size() : kFrameSize;
    std::vector<std::uint8_t> codes(length, kEnter);
    for (std::size_t i = 0; i < keys.size() && i < length; ++i)
        codes[i] = MakeCode(keys[i]);
    if (!faults_.splitReplies || codes.size() <= kSplitAt) return {codes};
    return {std::vector<std::uint8_t>(codes.begin(), codes.begin() + kSplitAt),
            std::vector<std::uint8_t>(codes.begin() + kSplitAt, codes.end())};
}

}  // namespace qspsim
