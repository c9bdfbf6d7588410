#pragma once
// What qspctl deploy says about each scanner it set up: a JSON line for the report file and a
// line for people, with the running count, and the totals at the end.

#include <string>

#include "base/interface_text.h"

namespace qspctl {

struct DeployRecord {
    std::string time;    // when it was done, UTC, "2026-01-31T12:00:00Z"
    std::string link;    // "rs232", "usb", "ps2"
    std::string device;  // "COM3", "USB", "PS2" (virtual scanner) or a device path
    // "programmed", "unchanged", "failed", "no scanner" (nothing answered), "interrupted" (cut
    // off by a second stop), "not started" (still waiting at a stop)
    std::string result;
    std::string message;
    int bytesChanged = 0;
    int blockXor = 0;  // exclusive-or of the block the scanner holds now
    double seconds = 0;
    bool keptLink = false;   // the scanner's own host-link bytes were kept
    bool movedLink = false;  // the scanner was moved to the source's host link
};

struct DeployTotals {
    int programmed = 0;
    int unchanged = 0;
    int failed = 0;
    int notStarted = 0;
    int interrupted = 0;
    int noScanner = 0;
    void Count(const DeployRecord& r);
    int All() const {
        return programmed + unchanged + failed + notStarted + interrupted + noScanner;
    }
    // Every scanner that arrived was set up; a device without a scanner counts against it only
    // when `strict`.
    bool AllSetUp(bool strict) const {
        return failed + notStarted + interrupted == 0 && (!strict || noScanner == 0);
    }
};

// The report file: each line goes out in one write to the end of the file, then to the disk.
// A line an earlier run left torn (a crash, a full disk) is closed first, so that each new line
// is whole.
class ReportFile {
public:
    ReportFile() = default;
    ~ReportFile();
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    // Opens `path`, creating it; false with the system's reason.
    bool Open(const std::string& path, std::string& error);
    bool IsOpen() const { return fd_ >= 0; }
    // Adds `line` and its line end; false with the reason when it is not whole on the disk
    // (a part that went out is taken back when the file allows it).
    bool Append(const std::string& line, std::string& error);

private:
    int fd_ = -1;
};

std::string NowUtc();
// One line of JSON, without the line end.
std::string JsonLine(const DeployRecord& r);
// "[3] COM2 (rs232) programmed | <message> | 5 bytes changed, block xor 0x3A, 1.2 s |
// 2 programmed, 0 unchanged, 1 failed", in the language of `text`.
std::string HumanLine(const DeployRecord& r, const DeployTotals& totals,
                      const qsp::InterfaceText& text);
std::string TotalsLine(const DeployTotals& totals, const qsp::InterfaceText& text);

}  // namespace qspctl
