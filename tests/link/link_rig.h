#pragma once
// One scanner behind all three links inside a test: the scanner model on a virtual serial line,
// its USB and PS/2 sides behind in-process keyboard-wedge libraries, and the program's link, main
// operations and main lock, all on the virtual clock. A library read waits (advances the clock)
// for at most its time-out, like the real library's blocking read.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <set>

#include "app/main_operations.h"
#include "base/main_lock.h"
#include "fakes.h"
#include "link/ps2_protocol.h"
#include "link/scanner_link.h"
#include "link/test_session.h"
#include "link/usb_protocol.h"
#include "virtual_line.h"
#include "wedge_model.h"

namespace qsptest {

using Bytes = std::vector<std::uint8_t>;

// The messages between one wedge library and its side of the scanner.
class WedgeWire {
public:
    WedgeWire(qsp::VirtualPump& pump, qspsim::WedgeModel* model) : pump_(pump), model_(model) {}
    // Like the program's backends, a write first drops input that has already arrived.
    void FromHost(const std::uint8_t* data, std::size_t size) {
        while (!in_.empty() && in_.front().second <= pump_.Now())
            in_.pop_front();
        sent.emplace_back(data, data + size);
        model_->Receive(data, size);
        for (auto& a : model_->TakeAnswers())
            Queue(std::move(a.bytes), a.delay);
        if (afterWrite) afterWrite(static_cast<int>(sent.size()));
    }
    void Queue(Bytes message, qsp::EventPump::Clock delay = {}) {
        in_.push_back({std::move(message), pump_.Now() + delay});
    }
    // Up to `size` bytes of the next message within `timeoutMs`; the rest stays for the next read.
    std::size_t Read(std::uint8_t* out, std::size_t size, int timeoutMs) {
        timeouts.push_back(timeoutMs);
        const auto limit = pump_.Now() + std::chrono::milliseconds(timeoutMs);
        if (in_.empty() || in_.front().second > limit) {
            pump_.Advance(limit - pump_.Now());
            return 0;
        }
        pump_.Advance(std::max(in_.front().second - pump_.Now(), qsp::EventPump::Clock{}));
        Bytes& m = in_.front().first;
        const std::size_t n = std::min(size, m.size());
        std::copy_n(m.begin(), n, out);
        m.erase(m.begin(), m.begin() + static_cast<long>(n));
        if (m.empty()) in_.pop_front();
        return n;
    }
    std::vector<Bytes> sent;  // every message the host wrote
    std::vector<int> timeouts;
    std::function<void(int)> afterWrite;  // given the number of messages written so far
    bool present = true;                  // the device is there to be opened
    std::int32_t next = 1;
    std::set<std::int32_t> open;  // handles

private:
    qsp::VirtualPump& pump_;
    qspsim::WedgeModel* model_;
    std::deque<std::pair<Bytes, qsp::EventPump::Clock>> in_;
};

// Both libraries on one wire: handles, writes to the scanner, reads of its answers.
class WedgeLib : public qsp::UsbKbLib, public qsp::Ps2KbLib {
public:
    explicit WedgeLib(WedgeWire& wire) : wire_(wire) {}
    std::int32_t OpenUsbKb(std::int32_t, std::int32_t) override { return Open(); }
    std::int32_t OpenPs2Kb() override { return std::max(0, Open()); }
    std::int16_t WriteUsbKb(std::int32_t h, const std::uint8_t* r, std::int32_t n) override {
        return Write(h, r, n);
    }
    std::int32_t WritePs2Kb(std::int32_t h, const std::uint8_t* f, std::int32_t n) override {
        return Write(h, f, n);
    }
    std::int16_t ReadUsbKb(std::int32_t h, std::uint8_t* r, std::int16_t timeout) override {
        return Read(h, r, qsp::kUsbReportSize, timeout);
    }
    std::int16_t ReadPs2Kb(std::int32_t h, std::uint8_t* b, std::int32_t n,
                           std::int16_t timeout) override {
        return Read(h, b, static_cast<std::size_t>(n), timeout);
    }
    std::int32_t CloseHandle(std::int32_t h) override { return wire_.open.erase(h) ? 1 : 0; }
    std::int16_t ClosePs2Kb(std::int32_t h) override { return wire_.open.erase(h) ? 1 : 0; }

private:
    std::int32_t Open() { return wire_.present ? *wire_.open.insert(wire_.next++).first : -1; }
    std::int16_t Write(std::int32_t h, const std::uint8_t* data, std::int32_t n) {
        if (!wire_.open.count(h)) return 0;
        wire_.FromHost(data, static_cast<std::size_t>(n));
        return 1;
    }
    std::int16_t Read(std::int32_t h, std::uint8_t* out, std::size_t size, std::int16_t timeout) {
        return wire_.open.count(h) ? static_cast<std::int16_t>(wire_.Read(out, size, timeout)) : 0;
    }
    WedgeWire& wire_;
};

struct RecordingTestView : qsp::TestView {
    void ShowLink(int, const std::string& t) override { links.push_back(t); }
    void ShowClock(const std::string& t) override { clock = t; }
    void ShowTotal(const std::string& t) override { total = t; }
    void AppendText(const std::string& t) override { box += t; }
    void CaretToEnd() override {}
    void FocusText() override {}
    std::vector<std::string> links;
    std::string clock, total, box;
};

struct DelayView : FakeMainView {
    void SetDelayBox(const std::string& t) override { delayBox.push_back(t); }
    std::vector<std::string> delayBox;
};

struct Rig : qspsim::LineTaker {
    explicit Rig(int interface = qsp::kRs232, qspsim::Faults f = {}) {
        state.Settings = qsp::ParseSettings("");
        state.Settings.InterfaceIndex = std::to_string(interface);
        state.Settings.Rs232Delay = 20;
        Inject(f);
        link.SetProtocol(qsp::kUsb, std::make_unique<qsp::UsbProtocol>(
                                        state, pump, view, std::make_unique<WedgeLib>(usbWire)));
        auto ps2 = std::make_unique<qsp::Ps2Protocol>(state, pump, view, text,
                                                      std::make_unique<WedgeLib>(ps2Wire));
        ps2Protocol = ps2.get();
        link.SetProtocol(qsp::kPs2, std::move(ps2));
        model.AddTaker(this);
        lock.SetReceivePoll([this] { link.Serial().ReceivePoll(); });
        state.ParamImage.fill(0x5A);
    }
    void Inject(const qspsim::Faults& f) {
        faults = f;
        model.SetFaults(f);
    }
    // The fault goes away; the user waits a while (late answers die out) before the next try.
    void Heal() {
        Inject({});
        hook = nullptr;
        usbWire.afterWrite = ps2Wire.afterWrite = nullptr;
        usbWire.present = ps2Wire.present = true;
        pump.Advance(std::chrono::seconds(60));
    }
    // The scanner's block in bytes 0..511 of an image whose last bytes are `tail`'s.
    qsp::ImageBytes ScannerImage(const qsp::ImageBytes& tail) const {
        qsp::ImageBytes image = tail;
        std::copy(model.block().begin(), model.block().end(), image.begin());
        return image;
    }
    // Offered every host byte on the serial line before the scanner: answers what `hook` adds,
    // takes the byte from the scanner when it returns true.
    bool Take(std::uint8_t byte, bool configuring, const qspsim::LineView&, qspsim::Micros,
              std::vector<qspsim::Answer>& answers, std::vector<std::string>&) override {
        return hook && hook(byte, configuring, answers);
    }
    void ExpectIdle(int focus) const {
        EXPECT_FALSE(view.locked);
        EXPECT_EQ(view.focus, focus);
        EXPECT_FALSE(lock.PollRunning());
    }
    // The user reads a barcode; the scanner sends it at its own pace on the serial line.
    void Scan(const std::string& data) {
        const auto& s = line.port()->settings();
        ASSERT_TRUE(model.Scan(data, qspsim::ViewOf(std::stoi(s.baud), s.parity[0], 1)));
        auto at = pump.Now();
        for (const auto& a : model.TakeAnswers()) {
            for (std::uint8_t b : a.bytes) {
                line.DeliverAt(at, {b});
                at += qsp::EventPump::Clock(10'000'000 / a.baud);
            }
        }
        pump.Advance(std::chrono::milliseconds(300));
    }

    qspsim::Faults faults;
    qspsim::ScannerModel model{qspsim::FactoryBlock()};
    qspsim::UsbWedgeModel usbModel{model.block(), faults};
    qspsim::Ps2WedgeModel ps2Model{model.block(), faults};
    std::function<bool(std::uint8_t, bool, std::vector<qspsim::Answer>&)> hook;
    qsp::AppState state;
    qsp::VirtualPump pump;
    DelayView view;
    FakePrompt prompt;
    qsp::InterfaceText text;
    WedgeWire usbWire{pump, &usbModel};
    WedgeWire ps2Wire{pump, &ps2Model};
    qsp::Ps2Protocol* ps2Protocol = nullptr;
    VirtualLine line{pump, &model};
    qsp::ScannerLink link{state, pump, view, text, line.Factory()};
    qsp::MainLock lock{view, pump};
    qsp::MainOperations ops{state, pump, view, lock, prompt, text, link};
};

}  // namespace qsptest
