#pragma once
// The barcodes the virtual scanner reads: a list given up front (from the command line or a
// file), read one after another at a fixed interval, and lines arriving on an input such as the
// standard input, each read as soon as it is complete.

#include <chrono>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "scanner_model.h"

namespace qspsim {

class ScanFeed {
public:
    static constexpr Micros kDefaultInterval = std::chrono::milliseconds(1000);

    // Adds barcodes to the list ("A,B,C" gives three).
    void AddList(const std::string& commaSeparated);
    // Adds the lines of a file (blank lines are skipped); false when it cannot be read.
    bool AddFile(const std::filesystem::path& file);
    // Time before the first barcode of the list and between two of them.
    void SetInterval(Micros interval) { interval_ = interval; }
    // Lines of this descriptor are read too (the standard input); it is never made
    // non-blocking, only read when it has input.
    void WatchInput(int fd) { fd_ = fd; }

    // The barcodes due at `now` (time since the scanner started): listed ones whose time has
    // come and complete input lines.
    std::vector<std::string> Due(Micros now);

    std::size_t Pending() const { return list_.size(); }

private:
    void ReadInput(std::vector<std::string>& out);

    std::deque<std::string> list_;
    Micros interval_ = kDefaultInterval;
    Micros next_{-1};
    int fd_ = -1;
    std::string partial_;
};

}  // namespace qspsim
