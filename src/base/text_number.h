#pragma once
// Reading numbers out of texts and writing them back the way the program's files expect.

#include <cstdint>
#include <string>
#include <string_view>

namespace qsp {

// The leading number of a text, read the way the settings file (and every setting held as a
// text) is read: leading blanks are skipped; then an optional sign, digits, an optional decimal
// point and an optional exponent (E or D); or "&H" followed by hexadecimal digits, or "&O" (or a
// bare "&") followed by octal digits. Reading stops at the first character that cannot continue
// the number, so "1 6" is 1. A text without a number is 0.
double NumericValue(std::string_view text);

// The number of a parameter-file line: as NumericValue, except that spaces, tabs and line feeds
// are ignored wherever they stand ("1 6" is 16, "- 5" is -5).
double SpacedNumericValue(std::string_view text);

// Nearest whole number, halves going to the even neighbour (2.5 -> 2, 3.5 -> 4). Values outside
// the 32-bit range are clamped.
std::int32_t RoundHalfEven(double value);

// The number-to-text form of the program's files: one blank before a non-negative number
// (" 200", " 0"), a minus sign before a negative one ("-5").
std::string NumberText(long long value);

}  // namespace qsp
