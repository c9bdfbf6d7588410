#pragma once
// The keyboard-wedge libraries with the scanner's side played by the fuzzer. Each report or
// frame the host writes takes the next message of the input as the scanner's answer (a length
// byte, then the raw bytes the device delivers); a read that finds no answer waits its whole
// time-out on the virtual clock, as the program's blocking read does.
//
// USB answers go through the HID framing of the program's device (HidInputToReport); PS/2
// answers are the keyboard's byte stream, of which the device keeps the make codes
// (KeepMakeCodes), delivered in as many reads as the host asks for.

#include <algorithm>
#include <map>
#include <string>

#include "fuzz_support.h"
#include "link/batch_link.h"
#include "link/fakes.h"
#include "link/keyboard_wedge.h"
#include "link/scanner_link.h"

namespace qspfuzz {

class WedgeScript {
public:
    WedgeScript(qsp::VirtualPump& pump, Input& input) : pump_(pump), input_(input) {}

    void FromHost(const std::uint8_t* data, std::size_t size) {
        sent.emplace_back(data, data + size);
        answer_ = input_.Message();
        taken_ = 0;
        extended_ = false;
    }
    // Waits the time-out when nothing is left to read.
    void Timeout(int ms) { pump_.Advance(std::chrono::milliseconds(std::max(0, ms))); }

    std::vector<Bytes> sent;

protected:
    qsp::VirtualPump& pump_;
    Input& input_;
    Bytes answer_;
    std::size_t taken_ = 0;
    bool extended_ = false;

    friend class FuzzUsbLib;
    friend class FuzzPs2Lib;
};

class FuzzUsbLib : public qsp::UsbKbLib {
public:
    explicit FuzzUsbLib(WedgeScript& script, bool present) : s_(script), present_(present) {}
    std::int32_t OpenUsbKb(std::int32_t, std::int32_t) override {
        if (!present_) return qsp::kInvalidUsbHandle;
        open_[next_] = true;
        return next_++;
    }
    std::int16_t WriteUsbKb(std::int32_t h, const std::uint8_t* report,
                            std::int32_t length) override {
        if (!open_.count(h) || length <= 0) return 0;
        s_.FromHost(report, static_cast<std::size_t>(length));
        return 1;
    }
    // The host's buffer is only promised a whole report.
    std::int16_t ReadUsbKb(std::int32_t h, std::uint8_t* report, std::int16_t timeout) override {
        if (!open_.count(h) || s_.taken_ >= s_.answer_.size()) {
            s_.Timeout(timeout);
            return 0;
        }
        s_.taken_ = s_.answer_.size();
        return static_cast<std::int16_t>(
            qsp::HidInputToReport(s_.answer_.data(), std::min<std::size_t>(s_.answer_.size(), 64),
                                  report, qsp::kUsbReportSize));
    }
    std::int32_t CloseHandle(std::int32_t h) override { return open_.erase(h) > 0 ? 1 : 0; }

    int OpenHandles() const { return static_cast<int>(open_.size()); }

private:
    WedgeScript& s_;
    bool present_;
    std::int32_t next_ = 1;
    std::map<std::int32_t, bool> open_;
};

class FuzzPs2Lib : public qsp::Ps2KbLib {
public:
    explicit FuzzPs2Lib(WedgeScript& script, bool present) : s_(script), present_(present) {}
    std::int32_t OpenPs2Kb() override {
        if (!present_) return 0;
        open_[next_] = true;
        return next_++;
    }
    std::int32_t WritePs2Kb(std::int32_t h, const std::uint8_t* frame,
                            std::int32_t length) override {
        if (!open_.count(h) || length <= 0) return 0;
        s_.FromHost(frame, static_cast<std::size_t>(length));
        return 1;
    }
    // Up to `count` make codes of what is left of the answer; the host's buffer is only promised
    // `count` bytes, so exactly that many are writable here.
    std::int16_t ReadPs2Kb(std::int32_t h, std::uint8_t* buffer, std::int32_t count,
                           std::int16_t timeout) override {
        if (!open_.count(h) || count <= 0 || s_.taken_ >= s_.answer_.size()) {
            s_.Timeout(timeout);
            return 0;
        }
        const std::size_t want = static_cast<std::size_t>(std::min(count, 64));
        Bytes codes(want);
        std::size_t stored = 0;
        // Raw bytes are read no further than there is room for, as the device does.
        while (stored < want && s_.taken_ < s_.answer_.size()) {
            const std::size_t n = std::min(want - stored, s_.answer_.size() - s_.taken_);
            stored += qsp::KeepMakeCodes(s_.answer_.data() + s_.taken_, n, codes.data() + stored,
                                         s_.extended_);
            s_.taken_ += n;
        }
        if (stored == 0) s_.Timeout(timeout);  // only break codes and the like came
        std::copy_n(codes.begin(), stored, buffer);
        return static_cast<std::int16_t>(stored);
    }
    std::int16_t ClosePs2Kb(std::int32_t h) override { return open_.erase(h) > 0 ? 1 : 0; }

    int OpenHandles() const { return static_cast<int>(open_.size()); }

private:
    WedgeScript& s_;
    bool present_;
    std::int32_t next_ = 1;
    std::map<std::int32_t, bool> open_;
};

// Connect, read and end the link, then program the block, with the scanner's answers taken from
// the fuzzer's bytes. `Lib` is the fake library of the link, `interface` its number,
// `messageSize` the size of every message the host may send, `openAfterFailure` how many handles
// a failed exchange may leave for the next open to close.
template <typename Lib, typename MakeProtocol>
int RunWedgeExchange(const std::uint8_t* data, std::size_t size, int interface,
                     std::size_t messageSize, int openAfterFailure,
                     std::string qsp::AppSettings::*delay, MakeProtocol makeProtocol) {
    Input input(data, size);
    const std::uint8_t options = input.Byte();

    qsp::VirtualPump pump;
    qsp::AppState state;
    state.Settings = qsp::ParseSettings("");
    state.Settings.*delay = std::to_string(options & 0x3F);
    for (std::size_t i = 0; i < state.ParamImage.size(); ++i)
        state.ParamImage[i] = static_cast<std::uint8_t>(i * 13 + 5);
    const qsp::ImageBytes before = state.ParamImage;

    qsptest::FakeMainView view;
    qsp::InterfaceText text;
    WedgeScript script(pump, input);
    auto owned = std::make_unique<Lib>(script, (options & 0x40) == 0);
    Lib& lib = *owned;
    qsp::ScannerLink link(state, pump, view, text, nullptr);
    link.SetProtocol(interface, makeProtocol(state, pump, view, text, std::move(owned)));

    auto wholeFrames = [&] {
        return std::all_of(script.sent.begin(), script.sent.end(),
                           [&](const Bytes& m) { return m.size() == messageSize; });
    };

    // What Setup does: connect, read, end the link. The link itself promises the untouched image
    // on a failed read (the blocks are stored as they arrive).
    struct {
        bool ok = false;
    } read;
    if (link.ConnectScanner("", interface)) {
        read.ok = link.ReadParameters(interface);
        link.CloseScannerLink(interface);
    }
    FUZZ_CHECK(wholeFrames());
    FUZZ_CHECK(lib.OpenHandles() <= openAfterFailure);
    Trace("read", read.ok);
    if (!read.ok) {
        FUZZ_CHECK(state.ParamImage == before);
        return 0;
    }
    FUZZ_CHECK(lib.OpenHandles() == 0);
    FUZZ_CHECK(std::equal(state.ParamImage.begin() + qsp::kScannerBlockSize, state.ParamImage.end(),
                          before.begin() + qsp::kScannerBlockSize));

    // Programming does not change the image it sends.
    const qsp::ImageBytes programmed = state.ParamImage;
    const qsp::BatchResult written = qsp::WriteScannerImage(link, interface, "");
    Trace("write", written.ok);
    FUZZ_CHECK(state.ParamImage == programmed);
    FUZZ_CHECK(wholeFrames());
    FUZZ_CHECK(lib.OpenHandles() <= openAfterFailure);
    return 0;
}

}  // namespace qspfuzz
