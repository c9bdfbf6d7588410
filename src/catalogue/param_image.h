#pragma once
// The parameter image: the scanner's 512-byte parameter block plus four bytes of room.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/param_records.h"

namespace qsp {

// How a parameter is kept in the image.
enum class Encoding {
    Enumeration,   // the whole byte is a code with one text per code ("Null" for the others)
    FlagField,     // one bit, or two or three adjacent bits, of a byte
    Number,        // the whole byte is an unsigned count, shown in decimal after one blank
    Match,         // the byte compared with one value: two words, "Null" for anything else
    CharacterRun,  // n consecutive character bytes, each shown in braces
};

inline constexpr bool InImage(std::size_t index) {
    return index < kParamImageSize;
}

// Eight characters "0"/"1", most significant bit first: character position p (1..8) is bit
// 8 - p.
std::string BinaryText(std::uint8_t byte);

// The field of bits high..low (7 >= high >= low >= 0) of a byte, taken out of its BinaryText
// and read as an unsigned binary number ("10" is 2). An impossible bit range gives 0.
unsigned FieldValue(std::uint8_t byte, int high, int low);

// A character byte holds a character when it is 1..254; 0 and 255 (unset) hold none.
inline constexpr bool IsCharacterByte(std::uint8_t byte) {
    return byte != 0 && byte != 255;
}

}  // namespace qsp
