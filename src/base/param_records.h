#pragma once
// The plain records of the parameter image that the application state holds: the image's bytes
// and the edit descriptor. What the bytes mean is the catalogue's business.

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

    friend bool operator==(const EditDescriptor&, const EditDescriptor&) = default;
};

// Bit-or-kind values other than a field's lowest bit.
inline constexpr std::uint16_t kEditWholeByte = 9;
inline constexpr std::uint16_t kEditRunBase = 10;  // + number of characters
inline constexpr std::uint16_t kEditClearFormat = 30;
inline constexpr std::uint16_t kEditCodeTypes = 31;

}  // namespace qsp
