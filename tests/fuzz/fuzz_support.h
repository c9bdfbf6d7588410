#pragma once
// What the fuzz targets share: reading the fuzzer's bytes as the scanner's answers, a serial
// port whose far end answers with them on the virtual clock, and a check that aborts (so the
// fuzzer records the input) when a promise the program makes is broken.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <vector>

#include "base/virtual_pump.h"
#include "link/serial_port.h"

// Aborts with the broken promise; the fuzzer keeps the input that broke it.
#define FUZZ_CHECK(cond)                                                                    \
    do {                                                                                    \
        if (!(cond)) {                                                                      \
            std::fprintf(stderr, "%s:%d: broken promise: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                   \
        }                                                                                   \
    } while (0)

namespace qspfuzz {

// With QSP_FUZZ_TRACE set, a target says how far an input got (to check the seeds reach the end
// of their exchange: `QSP_FUZZ_TRACE=1 build-fuzz/fuzz/fuzz_usb_link
// tests/fuzz/corpus/usb_link/*`).
inline void Trace(const char* what, long value = 0) {
    static const bool on = std::getenv("QSP_FUZZ_TRACE") != nullptr;
    if (on) std::fprintf(stderr, "trace: %s %ld\n", what, value);
}

using Bytes = std::vector<std::uint8_t>;

// The fuzzer's bytes, taken from the front. Past the end every read gives 0 / nothing.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Empty() const { return pos_ >= size_; }
    std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::uint16_t Word() {
        const std::uint16_t low = Byte();
        return static_cast<std::uint16_t>(low | Byte() << 8);
    }
    Bytes Take(std::size_t n) {
        n = std::min(n, size_ - std::min(pos_, size_));
        Bytes out(data_ + pos_, data_ + pos_ + n);
        pos_ += n;
        return out;
    }
    // A message: one length byte, then that many bytes (fewer at the end of the input).
    Bytes Message() { return Take(Byte()); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// The far end of a serial line played by the fuzzer. Its answers are records:
//   u16 after  - the answer starts once the host has written this many more bytes
//   u8  timing - bits 0..6: delay in milliseconds; bit 7: the answer comes in two halves,
//                15 ms apart (so a receive poll can see part of it)
//   u16 length - then that many answer bytes (at most 1023)
// The host's input is what reaches the port while it is open; reopening drops it.
class ScriptedLine {
public:
    // The first record is read at the host's first write.
    ScriptedLine(qsp::VirtualPump& pump, Input& input) : pump_(pump), input_(input) {}

    qsp::SerialPortFactory Factory() {
        return [this] { return std::make_unique<Port>(*this); };
    }

    // Input that reaches the open port `delay` from now, whatever the host has written.
    void DeliverAfter(qsp::EventPump::Clock delay, Bytes bytes) {
        pump_.ScheduleAfter(delay, [this, b = std::move(bytes)] {
            if (port_) port_->Deliver(b);
        });
    }

    Bytes sent;  // everything the host wrote
    int opens = 0;

private:
    class Port : public qsp::SerialPort {
    public:
        explicit Port(ScriptedLine& line) : line_(line) {}
        ~Port() override {
            if (line_.port_ == this) line_.port_ = nullptr;
        }
        bool Open(int number, const qsp::SerialSettings&) override {
            open_ = number == 1;
            input_.clear();
            line_.port_ = this;
            ++line_.opens;
            return open_;
        }
        void Close() override {
            open_ = false;
            input_.clear();
        }
        bool IsOpen() const override { return open_; }
        bool Write(const std::uint8_t* data, std::size_t size) override {
            if (!open_) return false;
            line_.FromHost(data, size);
            return true;
        }
        std::size_t BytesWaiting() override { return input_.size(); }
        Bytes ReadAll() override {
            Bytes out(input_.begin(), input_.end());
            input_.clear();
            return out;
        }
        void DiscardInput() override { input_.clear(); }
        void Deliver(const Bytes& bytes) {
            if (open_) input_.insert(input_.end(), bytes.begin(), bytes.end());
        }

    private:
        ScriptedLine& line_;
        bool open_ = false;
        std::deque<std::uint8_t> input_;
    };

    void NextRecord() {
        pending_ = !input_.Empty();
        if (!pending_) return;
        after_ = input_.Word();
        timing_ = input_.Byte();
        answer_ = input_.Take(input_.Word() & 0x3FF);
    }

    void FromHost(const std::uint8_t* data, std::size_t size) {
        if (!started_) {
            started_ = true;
            NextRecord();
        }
        sent.insert(sent.end(), data, data + size);
        counted_ += size;
        // Several records may fall due at one write.
        while (pending_ && counted_ >= after_) {
            counted_ -= after_;
            Schedule();
            NextRecord();
        }
    }

    void Schedule() {
        const auto delay = std::chrono::milliseconds(timing_ & 0x7F);
        auto deliver = [this](Bytes part) {
            if (port_) port_->Deliver(part);
        };
        if ((timing_ & 0x80) && answer_.size() > 1) {
            const auto half = static_cast<long>(answer_.size() / 2);
            Bytes first(answer_.begin(), answer_.begin() + half);
            Bytes second(answer_.begin() + half, answer_.end());
            pump_.ScheduleAfter(delay, [deliver, first] { deliver(first); });
            pump_.ScheduleAfter(delay + std::chrono::milliseconds(15),
                                [deliver, second] { deliver(second); });
        } else {
            pump_.ScheduleAfter(delay, [deliver, a = answer_] { deliver(a); });
        }
    }

    qsp::VirtualPump& pump_;
    Input& input_;
    Port* port_ = nullptr;
    bool started_ = false;
    bool pending_ = false;
    std::size_t counted_ = 0;
    std::uint16_t after_ = 0;
    std::uint8_t timing_ = 0;
    Bytes answer_;
};

}  // namespace qspfuzz
