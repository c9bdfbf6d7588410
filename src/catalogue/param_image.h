#pragma once
// The parameter image: the scanner's 512-byte parameter block plus four bytes of room.

#include <array>
#include <cstddef>
#include <cstdint>

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
};

}  // namespace qsp
