#pragma once
// A model of the scanner's side of the serial configuration exchange, independent of how bytes
// travel. A transport hands it the host's bytes together with the host's line settings as the
// transport can see them, and sends what it answers, paced at the rate each answer names.
//
// The scanner listens at its own settings (its block bytes 142 and 143). "LINK" at those
// settings is answered by 0x06, after which it listens at 115,200 8N1: 0x06 is answered by 0x06,
// 0xFB by the 514-byte reply (0x02, the block, the exclusive-or of the block), 0x06 starts a
// write (a 513-byte frame and its exclusive-or, answered by 0x06 when the frame is right and by
// 0x15 otherwise), 0xF9 ends the configuration. Bytes sent at other settings arrive garbled on a
// real line and are ignored.
//
// What can be compared: on a Linux pseudo-terminal the master sees the slave's baud rate, its
// stop bits and the odd and mark/space parity flags, but the driver forces 8 data bits and clears
// the parity-enable flag. So 7 data bits cannot be told from 8, and even parity from none; the
// model compares only what a transport can see (LineView), on every transport alike.

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/param_image.h"

namespace qspsim {

using Micros = std::chrono::microseconds;
using Block = std::array<std::uint8_t, qsp::kScannerBlockSize>;

// The part of a line's settings a pseudo-terminal master can see.
struct LineView {
    int baud = 9600;
    bool twoStopBits = false;
    bool parityOdd = false;  // odd or mark
    bool markSpace = false;  // mark or space ("stick" parity)
    bool operator==(const LineView&) const = default;
};

// What a line set to baud, parity letter, data bits and stop bits looks like.
LineView ViewOf(int baud, char parity, int stopBits);
std::string Describe(const LineView& line);

// Where a fault applies.
enum class Stage { None, Link, Ack, Read, Write, Any };

struct Faults {
    Stage noAnswer = Stage::None;  // stay silent at this stage
    Stage late = Stage::None;      // answer this stage only after lateBy
    Micros lateBy{0};
    bool corruptRead = false;  // a noise byte inside the read reply (515 bytes)
    bool shortRead = false;    // the read reply lacks its last byte (513 bytes)
    bool nakWrite = false;     // refuse every write with 0x15
    long closeAfter = -1;      // the transport drops the line after this many bytes sent
    // Keyboard-wedge links: corruptRead spoils the block's exclusive-or in the first
    // corruptLimit answers (0: in all of them); splitReplies types each PS/2 answer in two
    // messages.
    int corruptLimit = 0;
    bool splitReplies = false;
};

// An answer: bytes that start `delay` after the host's byte that caused them, sent at `baud`
// (0: all at once, as one burst).
struct Answer {
    std::vector<std::uint8_t> bytes;
    Micros delay{0};
    int baud = 0;
};

// A firmware receiver that can take the line over from the configuration exchange. It is offered
// every host byte first, except inside a write frame, and answers through `answers`;
// `configuring` is true while "LINK" and 0x06 have put the scanner into configuration mode,
// false while the scanner is idle.
class LineTaker {
public:
    virtual ~LineTaker() = default;
    virtual bool Take(std::uint8_t byte, bool configuring, const LineView& host, Micros now,
                      std::vector<Answer>& answers, std::vector<std::string>& notes) = 0;
};

class ScannerModel {
public:
    enum class Mode { Idle, Linked, Config, Frame };

    explicit ScannerModel(const Block& block, Faults faults = {});

    // Sets the scanner's own serial settings in its block (bytes 142 and 143).
    void SetSerial(int baud, char parity, int dataBits, int stopBits);
    // The scanner's own line and the one it listens at now.
    LineView OwnLine() const;
    LineView ListeningLine() const;
    int OwnBaud() const;

    // Bytes from the host that arrived at `now` while the host's line looked like `host`.
    void Receive(const std::uint8_t* data, std::size_t size, const LineView& host, Micros now);

    // Lets `taker` see the host's bytes before the configuration exchange (not owned).
    void AddTaker(LineTaker* taker) { takers_.push_back(taker); }

    std::vector<Answer> TakeAnswers();
    // Short remarks on what the scanner did ("LINK acknowledged at ..."), for a transcript.
    std::vector<std::string> TakeNotes();

    const Block& block() const { return block_; }
    Block& block() { return block_; }
    Mode mode() const { return mode_; }
    const Faults& faults() const { return faults_; }
    // Changes the faults from the next byte on (a scanner that recovers, or starts failing).
    void SetFaults(const Faults& faults) { faults_ = faults; }
    int writesAccepted() const { return writesAccepted_; }
    int writesRefused() const { return writesRefused_; }

    // A barcode read by the user: outside configuration the scanner sends its data and the
    // terminator of byte 141 at its own settings (garbled for a host line at other settings) as
    // its next answer, and a pending LINK is forgotten. False, and nothing sent, while it is
    // being configured. Defined in scan_output.cpp.
    bool Scan(const std::string& data, const LineView& host);

private:
    void IdleByte(std::uint8_t byte);
    void ConfigByte(std::uint8_t byte, Micros now);
    void FrameByte(std::uint8_t byte);
    void Answer1(Stage stage, std::vector<std::uint8_t> bytes, int baud);
    bool Silent(Stage stage) const;

    Block block_;
    Faults faults_;
    Mode mode_ = Mode::Idle;
    std::string recent_;  // last bytes heard at the scanner's own settings
    std::vector<std::uint8_t> frame_;
    Micros lastFrameByte_{0};
    std::vector<Answer> answers_;
    std::vector<std::string> notes_;
    std::vector<LineTaker*> takers_;
    int writesAccepted_ = 0;
    int writesRefused_ = 0;
};

// The scanner's block when it leaves the factory for the RS-232 link.
Block FactoryBlock();

}  // namespace qspsim
