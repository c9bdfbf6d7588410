#include "link/qt_serial_port.h"
#include "base/device_lock.h"
#include "base/qt_text.h"

#include <charconv>

namespace qsp {

namespace {

bool ToParity(const std::string& letter, QSerialPort::Parity& parity) {
    if (letter == "N")
        parity = QSerialPort::NoParity;
    else if (letter == "E")
        parity = QSerialPort::EvenParity;
    else if (letter == "O")
        parity = QSerialPort::OddParity;
    else if (letter == "S")
        parity = QSerialPort::SpaceParity;
    else if (letter == "M")
        parity = QSerialPort::MarkParity;
    else
        return false;
    return true;
}

// A whole number, blanks around it allowed (" 9600").
bool ToInt(const std::string& text, int& value) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return false;
    const auto last = text.find_last_not_of(' ');
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    auto [ptr, ec] = std::from_chars(begin, end, value);
    return ec == std::errc() && ptr == end;
}

}  // namespace

QtSerialPort::QtSerialPort(std::filesystem::path settingsDir)
    : settingsDir_(std::move(settingsDir)) {}

QtSerialPort::~QtSerialPort() {
    Close();
}

SerialPortFactory QtSerialPort::Factory(std::filesystem::path settingsDir) {
    return [dir = std::move(settingsDir)]() -> std::unique_ptr<SerialPort> {
        return std::make_unique<QtSerialPort>(dir);
    };
}

bool QtSerialPort::Open(int number, const SerialSettings& s) {
    Close();
    int baud = 0;
    int data = 0;
    int stop = 0;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    if (!ToInt(s.baud, baud) || baud <= 0 || !ToInt(s.data, data) || data < 5 || data > 8 ||
        !ToInt(s.stop, stop) || (stop != 1 && stop != 2) || !ToParity(s.parity, parity)) {
        return false;
    }
    const auto device = SerialDevicePath(settingsDir_, number);
    port_.setPortName(Q(device.string()));
    port_.setBaudRate(baud);
    port_.setDataBits(static_cast<QSerialPort::DataBits>(data));
    port_.setParity(parity);
    port_.setStopBits(stop == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadWrite)) {
        port_.clearError();
        return false;
    }
    // Another program talks to this device: leave it alone.
    if (!LockDevice(static_cast<int>(port_.handle()))) {
        Close();
        return false;
    }
    // Some drivers accept the open but refuse a setting; read the rate back.
    if (port_.baudRate() != baud) {
        Close();
        return false;
    }
    return true;
}

void QtSerialPort::Close() {
    if (port_.isOpen()) port_.close();
    port_.clearError();
}

bool QtSerialPort::IsOpen() const {
    return port_.isOpen();
}

bool QtSerialPort::Write(const std::uint8_t* data, std::size_t size) {
    if (!port_.isOpen()) return false;
    const auto n = port_.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    // Hand the bytes to the driver now rather than at the next event pass.
    port_.flush();
    return n == static_cast<qint64>(size);
}

std::size_t QtSerialPort::BytesWaiting() {
    if (!port_.isOpen()) return 0;
    if (port_.bytesAvailable() == 0) {
        // Pull in what the driver holds without waiting; "nothing there" is reported as a
        // time-out error that would otherwise stick to the port.
        port_.waitForReadyRead(0);
        if (port_.error() == QSerialPort::TimeoutError) port_.clearError();
    }
    return static_cast<std::size_t>(port_.bytesAvailable());
}

std::vector<std::uint8_t> QtSerialPort::ReadAll() {
    const QByteArray bytes = port_.readAll();
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

void QtSerialPort::DiscardInput() {
    if (!port_.isOpen()) return;
    port_.clear(QSerialPort::Input);
    port_.readAll();
}

}  // namespace qsp
