#include "link/rs232_protocol.h"

namespace qsp {

std::uint16_t ImageSum(const ImageBytes& image) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < 254; ++i)
        sum += image[i];
    return static_cast<std::uint16_t>(sum & 0xFFFF);
}

std::vector<std::uint8_t> WriteFrame(const ImageBytes& image) {
    std::vector<std::uint8_t> frame(kWriteFrameSize + 1, 0);
    for (std::size_t i = 0; i < kScannerBlockSize; ++i)
        frame[i + 1] = image[i];
    const std::uint16_t sum = ImageSum(image);
    frame[255] = static_cast<std::uint8_t>(sum >> 8);
    frame[256] = static_cast<std::uint8_t>(sum & 0xFF);
    std::uint8_t x = 0;
    for (std::size_t i = 0; i < kWriteFrameSize; ++i)
        x ^= frame[i];
    frame[kWriteFrameSize] = x;
    return frame;
}

bool Rs232Protocol::Connect(const std::string& port) {
    const AppSettings& s = link_.State().Settings;
    auto first = [](const std::string& t) { return t.substr(0, 1); };
    const SerialSettings configured{s.BaudRate, first(s.DataParity), first(s.DataLength),
                                    first(s.StopBits)};
    link_.BaudFactor(configured.baud);
    const TryResult r = TryConnect(port, configured);
    if (r == TryResult::Connected) return true;
    if (!s.Automation) return false;
    return link_.SettingsSearch(
        port, [&](const SerialSettings& candidate) { return TryConnect(port, candidate); });
}

TryResult Rs232Protocol::TryConnect(const std::string& port, const SerialSettings& settings) {
    if (!link_.OpenSerialPort(port, settings, false)) return TryResult::PortUnavailable;
    link_.Send(std::string("LINK"));
    AppState& st = link_.State();
    if (link_.WaitReply(1) && st.RxBuffer[0] == kAck) {
        link_.View().SetProgress(SerialLink::kProgressMax, SerialLink::kProgressMax);
        link_.ClosePort();
        // The baud factor stays that of the rate that answered.
        if (!link_.OpenSerialPort(port, SerialSettings{"115200", "N", "8", "1"}, false)) {
            return TryResult::NoAnswer;
        }
        for (int i = 0; i < 4; ++i) {
            link_.Send(std::vector<std::uint8_t>{kAck});
            if (link_.WaitReply(1)) return TryResult::Connected;
        }
        return TryResult::NoAnswer;
    }
    link_.ClosePort();
    link_.Pump().RunPasses(1000, nullptr);
    return TryResult::NoAnswer;
}

bool Rs232Protocol::Read() {
    link_.Send(std::vector<std::uint8_t>{kReadCommand});
    return link_.WaitReply(static_cast<std::uint16_t>(kReadReplySize));
}

bool Rs232Protocol::Write() {
    AppState& st = link_.State();
    if (writeProgress_) writeProgress_(SerialLink::WriteBlockProgress(0), SerialLink::kProgressMax);
    link_.Send(std::vector<std::uint8_t>{kAck});
    link_.Send(WriteFrame(st.ParamImage));
    const bool ok = link_.WaitReply(1) && st.RxBuffer[0] == kAck;
    if (writeProgress_) writeProgress_(SerialLink::kProgressMax, SerialLink::kProgressMax);
    link_.Pump().RunOnce();
    return ok;
}

bool Rs232Protocol::Close() {
    if (!link_.PortOpen()) return false;
    link_.Send(std::vector<std::uint8_t>{kEndCommand});
    link_.Pump().RunPasses(10000, nullptr);
    link_.Send(std::vector<std::uint8_t>{kEndCommand});
    link_.Pump().RunPasses(10000, nullptr);
    link_.ClosePort();
    return true;
}

}  // namespace qsp
