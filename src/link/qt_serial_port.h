#pragma once
// The program's serial port: a QSerialPort on the device that the port number maps to.

#include <QSerialPort>
#include <filesystem>

#include "link/serial_port.h"

namespace qsp {

class QtSerialPort : public SerialPort {
public:
    explicit QtSerialPort(std::filesystem::path settingsDir);
    ~QtSerialPort() override;

    bool Open(int number, const SerialSettings& settings) override;
    void Close() override;
    bool IsOpen() const override;
    bool Write(const std::uint8_t* data, std::size_t size) override;
    std::size_t BytesWaiting() override;
    std::vector<std::uint8_t> ReadAll() override;
    void DiscardInput() override;

    // A factory for ScannerLink.
    static SerialPortFactory Factory(std::filesystem::path settingsDir);

private:
    std::filesystem::path settingsDir_;
    QSerialPort port_;
};

}  // namespace qsp
