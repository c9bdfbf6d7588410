#pragma once
// The factory values that "Reset to Default" writes into the parameter image.

#include "catalogue/param_image.h"

namespace qsp {

// Highest page that survives a reset: the data edit pages (25..31) fall back to this one.
inline constexpr int kLastPageAfterReset = 24;

// Writes the reset image:
// - indices 0..138 and 142..253 get their factory values (255 wherever nothing else is set);
// - indices 139..141 (computer type, interface, terminator) follow the host link:
//   0 RS-232: 139 = 0 and, unless 140 holds 4 ("Virtual COM"), 140 = 1 and 141 = 3;
//   1 USB: 139 = 1, 140 = 3, 141 = 2;
//   2 PS/2: 139..141 keep their values;
//   any other number is taken as RS-232, as the settings file does;
// - indices 256..512 become 0 (every data edit format off and empty);
// - indices 254, 255 and 513..515 keep their values;
// - currentPage above 24 becomes 24.
void ResetImage(ImageBytes& image, int hostLink, int& currentPage);

// The factory value of one index of 0..253 (139..141 are link-dependent and give their RS-232
// values here: 0, 1, 3). Outside 0..253 the reset either clears (256..512) or keeps the byte,
// and this returns 0.
std::uint8_t ResetValue(std::size_t index);

}  // namespace qsp
