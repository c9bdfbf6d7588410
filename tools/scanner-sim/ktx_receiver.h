#pragma once
// The scanner's side of a KTX-type update, in configuration mode at 115,200 8N1: 0xFC asks for a
// block and is answered by 0x06; the 515-byte frame follows (address high, address low, 512 bytes,
// exclusive-or) and is answered by 0x06 when it is the next block of the table with a right
// exclusive-or, by 0x15 otherwise. After block 106, 0xFA is answered by 0x06; the host's 0x06 by
// the scanner's sum of all data bytes (high, low) and one more byte; the host's last 0x06 confirms
// it. The sum comes a while after the host's 0x06, as the scanner checks its program first. The
// rebuilt 64 KB image is kept (and written out when the sum has been sent).

#include <cstdint>
#include <vector>

#include "scanner_model.h"
#include "update_options.h"

namespace qspsim {

class KtxReceiver : public LineTaker {
public:
    explicit KtxReceiver(UpdateOptions options) : options_(std::move(options)) {}

    bool Take(std::uint8_t byte, bool configuring, const LineView& host, Micros now,
              std::vector<Answer>& answers, std::vector<std::string>& notes) override;

    // The image as rebuilt from the blocks received (65,536 bytes; 0 where nothing was sent).
    const std::vector<std::uint8_t>& Image() const { return image_; }
    int BlocksReceived() const { return block_; }
    std::uint16_t Sum() const { return sum_; }
    bool Confirmed() const { return confirmed_; }

private:
    enum class State { Idle, Frame, Between, FinalAck, SumSent };
    void Reply(std::vector<Answer>& answers, std::vector<std::uint8_t> bytes, int block,
               std::vector<std::string>& notes, Micros delay = Micros(0));
    void FrameDone(std::vector<Answer>& answers, std::vector<std::string>& notes);

    UpdateOptions options_;
    State state_ = State::Idle;
    std::vector<std::uint8_t> frame_;
    std::vector<std::uint8_t> image_ = std::vector<std::uint8_t>(0x10000, 0);
    int block_ = 0;
    std::uint16_t sum_ = 0;
    bool confirmed_ = false;
    bool nakDone_ = false;
    Micros last_{0};
};

}  // namespace qspsim
