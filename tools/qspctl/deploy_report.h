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
    std::string result;  // "programmed", "unchanged", "failed"
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
    void Count(const DeployRecord& r);
    int All() const { return programmed + unchanged + failed; }
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
