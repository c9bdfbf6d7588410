#include "scan_output.h"

namespace qspsim {

std::vector<std::uint8_t> TerminatorBytes(std::uint8_t code) {
    switch (code) {
        case 1:
            return {'\n'};
        case 2:
            return {'\r'};
        case 3:
            return {'\r', '\n'};
        case 4:
            return {'\t'};
        case 5:
            return {' '};
        case 6:
            return {0x1B};
        default:
            return {};
    }
}

std::vector<std::uint8_t> ScanBytes(const Block& block, const std::string& data) {
    std::vector<std::uint8_t> bytes(data.begin(), data.end());
    const auto end = TerminatorBytes(block[141]);
    bytes.insert(bytes.end(), end.begin(), end.end());
    return bytes;
}

std::vector<std::uint8_t> Garbled(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> out;
    out.reserve(bytes.size());
    for (std::uint8_t b : bytes)
        out.push_back(static_cast<std::uint8_t>(0x80 | (b ^ 0x55)));
    return out;
}

bool ScannerModel::Scan(const std::string& data, const LineView& host) {
    if (mode_ == Mode::Config || mode_ == Mode::Frame) {
        notes_.push_back("scan of \"" + data + "\" ignored while configuring");
        return false;
    }
    mode_ = Mode::Idle;
    recent_.clear();
    std::vector<std::uint8_t> bytes = ScanBytes(block_, data);
    if (host == OwnLine()) {
        notes_.push_back("scanned \"" + data + "\"");
    } else {
        notes_.push_back("scanned \"" + data + "\" at " + Describe(OwnLine()) + "; the host at " +
                         Describe(host) + " reads it garbled");
        bytes = Garbled(bytes);
    }
    answers_.push_back(Answer{std::move(bytes), Micros{0}, OwnBaud()});
    return true;
}

}  // namespace qspsim
