#pragma once
// A serial line inside the test: the link layer's port on one end, the scanner model on the
// other, bytes travelling at the line rate on the virtual clock.

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "base/virtual_pump.h"
#include "link/serial_port.h"
#include "scanner_model.h"

namespace qsptest {

class VirtualLine;

class VirtualPort : public qsp::SerialPort {
public:
    explicit VirtualPort(VirtualLine& line) : line_(line) {}
    ~VirtualPort() override;
    bool Open(int number, const qsp::SerialSettings& settings) override;
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    bool Write(const std::uint8_t* data, std::size_t size) override;
    std::size_t BytesWaiting() override { return input_.size(); }
    std::vector<std::uint8_t> ReadAll() override {
        std::vector<std::uint8_t> out(input_.begin(), input_.end());
        input_.clear();
        return out;
    }
    void DiscardInput() override { input_.clear(); }

    // Bytes arriving from the line.
    void Deliver(const std::vector<std::uint8_t>& bytes) {
        if (open_) input_.insert(input_.end(), bytes.begin(), bytes.end());
    }
    const qsp::SerialSettings& settings() const { return settings_; }

private:
    VirtualLine& line_;
    bool open_ = false;
    qsp::SerialSettings settings_;
    std::deque<std::uint8_t> input_;
};

class VirtualLine {
public:
    // A line on port `number`; `model` may be null (nothing at the far end).
    VirtualLine(qsp::VirtualPump& pump, qspsim::ScannerModel* model, int number = 1)
        : pump_(pump), model_(model), number_(number) {}

    qsp::SerialPortFactory Factory() {
        return [this] { return std::make_unique<VirtualPort>(*this); };
    }

    // Everything the host sent, and every settings text it opened the port with.
    std::vector<std::uint8_t> sent;
    std::vector<std::string> opens;
    long delivered = 0;

    int number() const { return number_; }
    VirtualPort* port() { return port_; }
    void Attach(VirtualPort* port) { port_ = port; }
    void Detach(VirtualPort* port) {
        if (port_ == port) port_ = nullptr;
    }

    // Bytes from the host, sent with the port's settings.
    void FromHost(const std::uint8_t* data, std::size_t size, const qsp::SerialSettings& s);
    // Puts bytes on the host's input at `at` (tests that drive the host side directly).
    void DeliverAt(qsp::EventPump::Clock at, std::vector<std::uint8_t> bytes);

private:
    qsp::VirtualPump& pump_;
    qspsim::ScannerModel* model_;
    int number_;
    VirtualPort* port_ = nullptr;
    qsp::EventPump::Clock lastDue_{0};
    qsp::EventPump::Clock hostLineFree_{0};  // when the host's last write has left the line
};

}  // namespace qsptest
