#include "link/serial_link.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "base/text_number.h"

namespace qsp {

SerialSettings ScannerSerialSettings(const ImageBytes& image) {
    SerialSettings s;
    switch (image[142]) {
        case 1:
            s.baud = "300";
            break;
        case 2:
            s.baud = "600";
            break;
        case 3:
            s.baud = "1200";
            break;
        case 4:
            s.baud = "2400";
            break;
        case 5:
            s.baud = "4800";
            break;
        case 6:
            s.baud = "9600";
            break;
        case 7:
            s.baud = "19200";
            break;
        case 22:
            s.baud = "38400";
            break;
        default:
            s.baud = "115200";
            break;
    }
    const std::uint8_t b = image[143];
    switch (b & 0x03) {
        case 0x02:
            s.data = "7";
            break;
        case 0x03:
            s.data = "8";
            break;
        default:
            s.data.clear();
            break;
    }
    switch ((b >> 2) & 0x07) {
        case 0:
            s.parity = "E";
            break;
        case 1:
            s.parity = "O";
            break;
        case 2:
            s.parity = "S";
            break;
        case 3:
            s.parity = "M";
            break;
        case 4:
            s.parity = "N";
            break;
        default:
            s.parity.clear();
            break;
    }
    switch ((b >> 5) & 0x03) {
        case 0:
            s.stop = "1";
            break;
        case 2:
            s.stop = "2";
            break;
        default:
            s.stop.clear();
            break;
    }
    return s;
}

SerialLink::SerialLink(AppState& state, EventPump& pump, MainView& view, SerialPortFactory factory)
    : state_(state), pump_(pump), view_(view), factory_(std::move(factory)) {}

SerialPort& SerialLink::Port() {
    if (!port_) port_ = factory_();
    return *port_;
}

bool SerialLink::OpenSerialPort(const std::string& port, const std::string& baud,
                                const std::string& parity, const std::string& data,
                                const std::string& stop, bool textMode) {
    const double number = NumericValue(port);
    if (port.empty() || port.size() >= 3 || number == 0) return false;
    SerialPort& p = Port();
    if (p.IsOpen()) p.Close();
    textMode_ = textMode;
    const int n = static_cast<int>(std::lround(number));
    if (n < 1 || !p.Open(n, SerialSettings{baud, parity, data, stop})) return false;
    p.DiscardInput();
    return true;
}

bool SerialLink::PortOpen() const {
    return port_ && port_->IsOpen();
}

void SerialLink::ClosePort() {
    if (PortOpen()) port_->Close();
}

bool SerialLink::Send(const std::vector<std::uint8_t>& bytes) {
    if (!PortOpen()) return false;
    return port_->Write(bytes);
}

bool SerialLink::Send(const std::string& text) {
    return Send(std::vector<std::uint8_t>(text.begin(), text.end()));
}

void SerialLink::ReceivePoll() {
    if (!PortOpen() || port_->BytesWaiting() == 0) return;
    std::vector<std::uint8_t> chunk = port_->ReadAll();
    if (chunk.empty()) return;
    if (textMode_) {
        if (textReceiver_) textReceiver_(std::string(chunk.begin(), chunk.end()));
        return;
    }
    if (state_.UpdateType == kUpdateYmodem) {
        if (ymodemReceiver_) ymodemReceiver_(chunk);
        return;
    }
    for (std::uint8_t byte : chunk) {
        if (state_.RxCount < 0 || static_cast<std::size_t>(state_.RxCount) >= kRxBufferSize) {
            overflow_ = true;  // beyond RxBuffer: dropped, and the wait fails
            continue;
        }
        state_.RxBuffer[static_cast<std::size_t>(state_.RxCount)] = byte;
        ++state_.RxCount;
    }
}

bool SerialLink::WaitReply(std::uint16_t expected) {
    // The pass count is a 32-bit number: a delay whose count does not fit fails the wait at once
    // rather than becoming a wait of days.
    const std::int64_t limit =
        static_cast<std::int64_t>(state_.Settings.Rs232Delay) * 500 * factor_ + 1;
    if (limit > std::numeric_limits<std::int32_t>::max() ||
        limit < std::numeric_limits<std::int32_t>::min())
        return false;
    state_.RxBuffer[0] = 0;
    state_.RxCount = 0;
    overflow_ = false;
    bool ok = false;
    if (limit < 1) return false;  // no pass at all
    if (expected != 0) {
        pump_.RunPasses(static_cast<std::uint64_t>(limit), [&] {
            if (!overflow_ && state_.RxCount == expected) ok = true;
            return ok;
        });
    } else {
        pump_.RunPasses(static_cast<std::uint64_t>(limit), nullptr);
        ok = state_.RxCount >= 1;
    }
    return ok && !overflow_;
}

void SerialLink::BaudFactor(const std::string& baud) {
    if (baud == "38400")
        factor_ = 1;
    else if (baud == "19200")
        factor_ = 2;
    else if (baud == "9600")
        factor_ = 3;
    else if (baud == "4800")
        factor_ = 4;
    else if (baud == "2400")
        factor_ = 5;
    else if (baud == "1200")
        factor_ = 6;
    else if (baud == "600")
        factor_ = 7;
    else
        factor_ = 8;
}

void SerialLink::NextBaud(std::string& baud) {
    static constexpr std::array<const char*, 8> kOrder = {"9600", "38400", "19200", "4800",
                                                          "2400", "1200",  "600",   "300"};
    auto it = std::find(kOrder.begin(), kOrder.end(), baud);
    if (it == kOrder.end() || it + 1 == kOrder.end()) {
        baud.clear();
        return;
    }
    baud = *(it + 1);
    BaudFactor(baud);
}

bool SerialLink::SettingsSearch(const std::string& port,
                                const std::function<TryResult(const SerialSettings&)>& tryConnect,
                                SerialSettings* found) {
    SerialSettings candidate{"9600", "N", "8", "1"};
    BaudFactor(candidate.baud);
    int step = 0;
    for (std::string baud = "9600"; !baud.empty(); NextBaud(baud)) {
        candidate.baud = baud;
        for (const auto& [data, parity] : kSearchFrames) {
            candidate.data = data;
            candidate.parity = parity;
            view_.SetProgress(kProgressMax * step / 71, kProgressMax);
            ++step;
            for (const char* stop : {"1", "2"}) {
                candidate.stop = stop;
                view_.SetSearchText("COM " + port + " , " + candidate.baud + " , " +
                                        candidate.parity + " , " + candidate.data + " , " +
                                        candidate.stop,
                                    true);
                const TryResult r = tryConnect(candidate);
                if (r == TryResult::Connected) {
                    view_.SetSearchText("", false);
                    if (found) *found = candidate;
                    return true;
                }
                if (r == TryResult::PortUnavailable) break;
            }
        }
    }
    view_.SetSearchText("", false);
    return false;
}

}  // namespace qsp
