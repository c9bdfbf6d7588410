#pragma once
// The scanner's side of the configuration exchange on the keyboard-wedge links, on the same
// block as the serial model. The host's command words and hexadecimal text arrive as USB reports
// (id 0, text, 0xFF padding) or as PS/2 frames (text padded with "z"); the scanner answers with
// one report per answer on USB, and by typing on PS/2: scan code set 1 make codes, "ACK" for
// yes, "NAK" for no, and hexadecimal text for the block.
//
// Both links: "bin" is acknowledged; "set" brings block 0 (four bytes as eight hexadecimal
// characters) and each "next" (USB 0x06, PS/2 "ack") the following one; after the last block,
// "next" brings the exclusive-or of the block (USB: as report byte 1; PS/2: two digits), which
// the host confirms (USB "ack", PS/2 "wit") or asks for again (USB 0x0F, PS/2 "nak"). "stx"
// starts a write: 128 blocks of eight characters, each acknowledged, then the host's exclusive-or
// (USB: one character; PS/2: two digits), acknowledged and the block stored when it matches. "end"
// is acknowledged and ends the configuration.

#include <cstdint>
#include <string>
#include <vector>

#include "scanner_model.h"

namespace qspsim {

// What the host's messages become in a scanner: answers (one message each, with their delay) and
// remarks for the transcript.
class WedgeModel {
public:
    enum class Mode { Idle, Connected, Reading, ReadChecksum, Writing, WriteChecksum };

    WedgeModel(Block& block, const Faults& faults) : block_(block), faults_(faults) {}
    virtual ~WedgeModel() = default;

    // One message from the host.
    virtual void Receive(const std::uint8_t* data, std::size_t size) = 0;

    std::vector<Answer> TakeAnswers();
    std::vector<std::string> TakeNotes();

    Mode mode() const { return mode_; }
    int writesAccepted() const { return writesAccepted_; }
    int writesRefused() const { return writesRefused_; }
    int checksumsSent() const { return checksumsSent_; }
    const Faults& faults() const { return faults_; }

protected:
    enum class Reply { Ack, Nak, Block, Checksum };
    // Per link: the messages of a reply (`text` for a block, `checksum` for the check).
    virtual std::vector<std::vector<std::uint8_t>> Encode(Reply reply, const std::string& text,
                                                          std::uint8_t checksum) const = 0;

    // The shared steps. `text` is the host's text without padding.
    void Connect();
    void StartRead();
    void Next();
    void ChecksumAgain();
    void ChecksumConfirmed();
    void StartWrite();
    void WriteBlock(const std::string& text);
    void WriteChecksum(std::uint8_t checksum);
    void End();

    Block& block_;
    const Faults& faults_;
    Mode mode_ = Mode::Idle;
    std::vector<std::string> notes_;

    void Send(Stage stage, Reply reply, const std::string& text = {}, std::uint8_t checksum = 0);

private:
    void SendChecksum();

    std::size_t nextBlock_ = 0;
    Block incoming_{};
    std::size_t written_ = 0;
    std::vector<Answer> answers_;
    int writesAccepted_ = 0;
    int writesRefused_ = 0;
    int checksumsSent_ = 0;
};

class UsbWedgeModel : public WedgeModel {
public:
    using WedgeModel::WedgeModel;
    // A 9-byte report; other lengths are ignored.
    void Receive(const std::uint8_t* data, std::size_t size) override;

protected:
    std::vector<std::vector<std::uint8_t>> Encode(Reply reply, const std::string& text,
                                                  std::uint8_t checksum) const override;
};

class Ps2WedgeModel : public WedgeModel {
public:
    using WedgeModel::WedgeModel;
    // An 8-byte frame; other lengths are ignored.
    void Receive(const std::uint8_t* data, std::size_t size) override;

protected:
    std::vector<std::vector<std::uint8_t>> Encode(Reply reply, const std::string& text,
                                                  std::uint8_t checksum) const override;
};

// The set 1 make code of a key the scanner types ("0".."9", "A".."Z"); 0x1C (Enter) for others.
std::uint8_t MakeCode(char c);

}  // namespace qspsim
