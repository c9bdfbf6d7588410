#include "catalogue/param_image.h"

namespace qsp {

std::string BinaryText(std::uint8_t byte) {
    std::string text(8, '0');
    for (int p = 1; p <= 8; ++p) {
        if (byte & (1u << (8 - p))) text[p - 1] = '1';
    }
    return text;
}

unsigned FieldValue(std::uint8_t byte, int high, int low) {
    if (low < 0 || high > 7 || high < low) return 0;
    const std::string bits = BinaryText(byte).substr(7 - high, high - low + 1);
    unsigned value = 0;
    for (char c : bits)
        value = value * 2 + (c == '1' ? 1 : 0);
    return value;
}

}  // namespace qsp
