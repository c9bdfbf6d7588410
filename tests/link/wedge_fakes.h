#pragma once
// The keyboard-wedge libraries inside a test: what the host writes goes to the scanner model,
// its answers come back as messages on the virtual clock. A read waits (advances the clock) for
// at most its time-out, like the real library's blocking read.

#include <deque>
#include <map>
#include <vector>

#include "app/virtual_pump.h"
#include "link/keyboard_wedge.h"
#include "wedge_model.h"

namespace qsptest {

using Bytes = std::vector<std::uint8_t>;

// The message queue and clock both libraries share.
class WedgeWire {
public:
    WedgeWire(qsp::VirtualPump& pump, qspsim::WedgeModel* model) : pump_(pump), model_(model) {}

    // Like the program's backends, a write first drops input that has already arrived.
    void FromHost(const std::uint8_t* data, std::size_t size) {
        while (!in_.empty() && in_.front().due <= pump_.Now())
            in_.pop_front();
        sent.emplace_back(data, data + size);
        if (!model_) return;
        model_->Receive(data, size);
        for (auto& a : model_->TakeAnswers())
            Queue(std::move(a.bytes), a.delay);
    }
    // A message that arrives `delay` from now.
    void Queue(Bytes message, qsp::EventPump::Clock delay = {}) {
        in_.push_back({std::move(message), pump_.Now() + delay});
    }
    // Up to `size` bytes of the next message within `timeoutMs`; the rest of a longer message
    // stays for the next read.
    std::size_t Read(std::uint8_t* out, std::size_t size, int timeoutMs) {
        timeouts.push_back(timeoutMs);
        const auto limit = pump_.Now() + std::chrono::milliseconds(timeoutMs);
        if (in_.empty() || in_.front().due > limit) {
            pump_.Advance(limit - pump_.Now());
            return 0;
        }
        if (in_.front().due > pump_.Now()) pump_.Advance(in_.front().due - pump_.Now());
        Bytes& m = in_.front().bytes;
        const std::size_t n = std::min(size, m.size());
        std::copy_n(m.begin(), n, out);
        m.erase(m.begin(), m.begin() + static_cast<long>(n));
        if (m.empty()) in_.pop_front();
        return n;
    }

    std::vector<Bytes> sent;  // every message the host wrote
    std::vector<int> timeouts;

private:
    struct Message {
        Bytes bytes;
        qsp::EventPump::Clock due;
    };
    qsp::VirtualPump& pump_;
    qspsim::WedgeModel* model_;
    std::deque<Message> in_;
};

// Open handles, and the device being absent.
struct HandleTable {
    bool present = true;
    std::int32_t next = 1;
    std::map<std::int32_t, bool> open;
    int opens = 0;
    std::int32_t Open() {
        ++opens;
        if (!present) return -1;
        open[next] = true;
        return next++;
    }
    bool IsOpen(std::int32_t h) const { return open.count(h) > 0; }
    int Close(std::int32_t h) { return open.erase(h) > 0 ? 1 : 0; }
};

class ModelUsbLib : public qsp::UsbKbLib {
public:
    ModelUsbLib(WedgeWire& wire, HandleTable& handles) : wire_(wire), handles_(handles) {}
    std::int32_t OpenUsbKb(std::int32_t vendor, std::int32_t product) override {
        openArgs.push_back({vendor, product});
        return handles_.Open();
    }
    std::int16_t WriteUsbKb(std::int32_t h, const std::uint8_t* report,
                            std::int32_t length) override {
        if (!handles_.IsOpen(h)) return 0;
        wire_.FromHost(report, static_cast<std::size_t>(length));
        return 1;
    }
    std::int16_t ReadUsbKb(std::int32_t h, std::uint8_t* report, std::int16_t timeout) override {
        if (!handles_.IsOpen(h)) return 0;
        return static_cast<std::int16_t>(wire_.Read(report, qsp::kUsbReportSize, timeout));
    }
    std::int32_t CloseHandle(std::int32_t h) override { return handles_.Close(h); }

    std::vector<std::pair<int, int>> openArgs;

private:
    WedgeWire& wire_;
    HandleTable& handles_;
};

class ModelPs2Lib : public qsp::Ps2KbLib {
public:
    ModelPs2Lib(WedgeWire& wire, HandleTable& handles) : wire_(wire), handles_(handles) {}
    std::int32_t OpenPs2Kb() override { return std::max(0, handles_.Open()); }
    std::int32_t WritePs2Kb(std::int32_t h, const std::uint8_t* frame,
                            std::int32_t length) override {
        if (!handles_.IsOpen(h)) return 0;
        wire_.FromHost(frame, static_cast<std::size_t>(length));
        return 1;
    }
    std::int16_t ReadPs2Kb(std::int32_t h, std::uint8_t* buffer, std::int32_t count,
                           std::int16_t timeout) override {
        if (!handles_.IsOpen(h)) return 0;
        return static_cast<std::int16_t>(
            wire_.Read(buffer, static_cast<std::size_t>(count), timeout));
    }
    std::int16_t ClosePs2Kb(std::int32_t h) override {
        return static_cast<std::int16_t>(handles_.Close(h));
    }

private:
    WedgeWire& wire_;
    HandleTable& handles_;
};

}  // namespace qsptest
