#pragma once
// What the scanner sends when it reads a barcode: the data followed by the terminator its block
// names (byte 141: 0 none, 1 LF, 2 CR, 3 CR LF, 4 TAB, 5 SPACE, 6 ESC), at its own line settings.

#include <cstdint>
#include <string>
#include <vector>

#include "scanner_model.h"

namespace qspsim {

// The terminator bytes of a terminator code; none for an unknown code.
std::vector<std::uint8_t> TerminatorBytes(std::uint8_t code);

// The data and the block's terminator.
std::vector<std::uint8_t> ScanBytes(const Block& block, const std::string& data);

// What a host whose line differs from the scanner's makes of the bytes: a framing error per
// byte, read as a byte with the top bit set that no terminator matches.
std::vector<std::uint8_t> Garbled(const std::vector<std::uint8_t>& bytes);

}  // namespace qspsim
