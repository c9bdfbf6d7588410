#pragma once
// What the scanner's firmware receivers are told on the command line: where the received update
// goes and which faults they inject.

#include <filesystem>
#include <string>
#include <vector>

namespace qspsim {

struct UpdateOptions {
    // Where a completed update is written: the 64 KB image a KTX-type update rebuilt, or the file
    // a Y-modem update carried (trimmed to the size in its header). Empty: nowhere.
    std::filesystem::path outPath;
    // Refuse this block once: KTX block 0..106 with 0x15, Y-modem data block 1... with NAK.
    int nakBlock = -1;
    // Spoil one reply: KTX the final sum, Y-modem the ACK of the first data block.
    bool corrupt = false;
    // Answer nothing from this block on (0: not even the first request).
    int silentFrom = -1;
    // Y-modem: answer the first header block with ACK and "C" in two separate writes.
    bool split = false;
};

// "nak=N", "corrupt", "silent[=N]", "split"; false for anything else.
bool ParseUpdateFault(const std::string& text, UpdateOptions& options);

// Writes `bytes` to `path`; false when that fails.
bool WriteUpdateFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

}  // namespace qspsim
