#pragma once
// The RS-232 host link: opening the port, the 10 ms receive poll that fills RxBuffer, the reply
// wait counted in event passes, the baud factor and the search for the scanner's settings.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/app_state.h"
#include "base/event_pump.h"
#include "base/main_view.h"
#include "link/serial_port.h"

namespace qsp {

// The data bits and parity a settings search tries at each rate, in order.
inline constexpr std::array<std::pair<const char*, const char*>, 9> kSearchFrames = {{
    {"8", "N"},
    {"8", "E"},
    {"8", "O"},
    {"8", "S"},
    {"8", "M"},
    {"7", "E"},
    {"7", "O"},
    {"7", "S"},
    {"7", "M"},
}};

// Outcome of one connect try during the settings search.
enum class TryResult { Connected, NoAnswer, PortUnavailable };

// The scanner's own serial settings, from parameter image bytes 142 (baud) and 143 (stop bits,
// parity, data bits). A bit pattern without a meaning leaves that text empty.
SerialSettings ScannerSerialSettings(const ImageBytes& image);

class SerialLink {
public:
    // Progress bar maximum used for every progress display of the link.
    static constexpr int kProgressMax = 100;
    // The bar during a 128-block exchange: a read shows block k (1..128) as k/128, so the last
    // block fills it; a write shows 1/130 when an attempt starts and (k+1)/130 before block k,
    // and the maximum only once the scanner confirmed the checksum.
    static constexpr int ReadBlockProgress(int block) { return kProgressMax * block / 128; }
    static constexpr int WriteBlockProgress(int block) { return kProgressMax * (block + 1) / 130; }

    SerialLink(AppState& state, EventPump& pump, MainView& view, SerialPortFactory factory);

    // Opens the port numbered by the text `port` ("1", " 3"). False, without touching the port,
    // for "0", an empty text or a text of three or more characters; false when the port cannot
    // be opened with these settings. In text mode received data go to the text receiver.
    bool OpenSerialPort(const std::string& port, const std::string& baud, const std::string& parity,
                        const std::string& data, const std::string& stop, bool textMode);
    bool OpenSerialPort(const std::string& port, const SerialSettings& s, bool textMode) {
        return OpenSerialPort(port, s.baud, s.parity, s.data, s.stop, textMode);
    }
    bool PortOpen() const;
    void ClosePort();
    // Queues bytes for sending; false when the port is not open.
    bool Send(const std::vector<std::uint8_t>& bytes);
    bool Send(const std::string& text);

    // The main window's Timer1 handler while an operation runs: moves waiting input into
    // RxBuffer (binary mode, KTX), to the Y-modem receiver (binary mode, Y-modem update), or to
    // the text receiver (text mode).
    void ReceivePoll();

    // Waits, in event passes, until exactly `expected` bytes are in RxBuffer (0: any input, but
    // only decided after the whole time-out). The time-out is Rs232Delay x 500 x baud factor + 1
    // passes. Input that does not fit in RxBuffer is dropped and fails the wait.
    bool WaitReply(std::uint16_t expected);

    // Baud factor of a rate: 1 for 38400 down to 7 for 600, 8 for any other rate.
    void BaudFactor(const std::string& baud);
    // The next rate of the search after `baud` (9600, 38400, 19200, 4800, 2400, 1200, 600, 300),
    // "" after 300; sets the factor for it.
    void NextBaud(std::string& baud);
    int Factor() const { return factor_; }

    // Searches the usual settings on `port` with `tryConnect` until one answers: every rate,
    // data 8 with parity N E O S M and data 7 with E O S M, stop bits 1 then 2. Shows the
    // candidate in Label2 and the progress in the main window's bar. Returns the settings that
    // answered or nothing.
    bool SettingsSearch(const std::string& port,
                        const std::function<TryResult(const SerialSettings&)>& tryConnect,
                        SerialSettings* found = nullptr);

    // Where text-mode input goes (the test window).
    void SetTextReceiver(std::function<void(const std::string&)> receiver) {
        textReceiver_ = std::move(receiver);
    }
    // Where binary input goes while the update type is Y-modem.
    void SetYmodemReceiver(std::function<void(const std::vector<std::uint8_t>&)> receiver) {
        ymodemReceiver_ = std::move(receiver);
    }

    AppState& State() { return state_; }
    EventPump& Pump() { return pump_; }
    MainView& View() { return view_; }

private:
    SerialPort& Port();

    AppState& state_;
    EventPump& pump_;
    MainView& view_;
    SerialPortFactory factory_;
    std::unique_ptr<SerialPort> port_;
    bool textMode_ = false;
    bool overflow_ = false;
    int factor_ = 3;
    std::function<void(const std::string&)> textReceiver_;
    std::function<void(const std::vector<std::uint8_t>&)> ymodemReceiver_;
};

}  // namespace qsp
