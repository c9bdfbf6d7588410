#pragma once
// The scanner's side of a Y-modem update, outside configuration mode at 115,200 8N1: "1" starts
// it and is answered by "C"; the header block (name and size) by ACK and "C"; each data block
// (128 or 1024 bytes, numbered 1, 2, ... modulo 256) by ACK when its number, complement and
// CRC-16 are right and by NAK otherwise (a block received twice is acknowledged again and kept
// once); EOT by ACK and "C"; the closing block (an empty header) by ACK and a short result text.
// The received file, trimmed to the size in the header, is written out after the closing block.

#include <cstdint>
#include <string>
#include <vector>

#include "scanner_model.h"
#include "update_options.h"

namespace qspsim {

class YmodemReceiver : public LineTaker {
public:
    explicit YmodemReceiver(UpdateOptions options) : options_(std::move(options)) {}

    bool Take(std::uint8_t byte, bool configuring, const LineView& host, Micros now,
              std::vector<Answer>& answers, std::vector<std::string>& notes) override;

    // The last file received completely, its name and the size its header gave.
    const std::vector<std::uint8_t>& File() const { return file_; }
    const std::string& FileName() const { return name_; }
    long long FileSize() const { return size_; }
    bool Completed() const { return completed_; }
    // Data blocks accepted, duplicates and refused blocks (all files).
    int BlocksAccepted() const { return accepted_; }
    int BlocksRefused() const { return refused_; }

private:
    enum class State { Idle, Header, Data, Closing };
    // Answers as block `block` (0 the header, then the data blocks, counted from 1).
    void Reply(std::vector<Answer>& answers, std::vector<std::uint8_t> bytes, int block,
               std::vector<std::string>& notes, Micros delay = Micros(0));
    void Packet(std::vector<Answer>& answers, std::vector<std::string>& notes);
    void HeaderPacket(const std::uint8_t* data, std::vector<Answer>& answers,
                      std::vector<std::string>& notes);
    void Finish(std::vector<Answer>& answers, std::vector<std::string>& notes);

    UpdateOptions options_;
    State state_ = State::Idle;
    std::vector<std::uint8_t> packet_;
    std::size_t packetSize_ = 0;
    std::uint8_t expected_ = 1;
    int dataBlocks_ = 0;  // data blocks accepted in this file
    std::vector<std::uint8_t> file_;
    std::string name_;
    long long size_ = 0;
    bool completed_ = false;
    bool open_ = false;  // a header has come and its closing block not yet
    bool nakDone_ = false;
    bool corruptDone_ = false;
    bool splitDone_ = false;
    int accepted_ = 0;
    int refused_ = 0;
    Micros last_{0};
};

}  // namespace qspsim
