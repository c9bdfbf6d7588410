#pragma once
// The parameter image: the scanner's 512-byte parameter block plus four bytes of room.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace qsp {

inline constexpr std::size_t kParamImageSize = 516;  // indices 0..515
inline constexpr std::size_t kScannerBlockSize = 512;

using ImageBytes = std::array<std::uint8_t, kParamImageSize>;

// Which parameter a property-list row edits, and how.
struct EditDescriptor {
    std::uint16_t index = 0;      // into the parameter image
    std::uint16_t bitOrKind = 0;  // 0..7 lowest bit of a field, 9 whole byte, 10+n n characters,
                                  // 30 Clear Format, 31 code type selection
    std::uint16_t row = 0;        // row number in the property list

    friend bool operator==(const EditDescriptor&, const EditDescriptor&) = default;
};

// Bit-or-kind values other than a field's lowest bit.
inline constexpr std::uint16_t kEditWholeByte = 9;
inline constexpr std::uint16_t kEditRunBase = 10;  // + number of characters
inline constexpr std::uint16_t kEditClearFormat = 30;
inline constexpr std::uint16_t kEditCodeTypes = 31;

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
