#include "base/display_width.h"

namespace qsp {

int CodePointWidth(char32_t c) {
    const bool wide = (c >= 0x1100 && c <= 0x115F) ||  // Hangul Jamo
                      (c >= 0x2E80 && c <= 0x303E) ||  // CJK radicals .. CJK punctuation
                      (c >= 0x3041 && c <= 0x33FF) ||  // kana .. CJK compatibility
                      (c >= 0x3400 && c <= 0x4DBF) ||  // CJK extension A
                      (c >= 0x4E00 && c <= 0x9FFF) ||  // CJK unified ideographs
                      (c >= 0xA000 && c <= 0xA4CF) ||  // Yi
                      (c >= 0xAC00 && c <= 0xD7A3) ||  // Hangul syllables
                      (c >= 0xF900 && c <= 0xFAFF) ||  // CJK compatibility ideographs
                      (c >= 0xFE30 && c <= 0xFE4F) ||  // CJK compatibility forms
                      (c >= 0xFF00 && c <= 0xFF60) ||  // fullwidth forms
                      (c >= 0xFFE0 && c <= 0xFFE6) ||  // fullwidth signs
                      (c >= 0x20000 && c <= 0x3FFFD);  // CJK extensions B and later
    return wide ? 2 : 1;
}

std::size_t DisplayWidth(std::string_view utf8) {
    std::size_t width = 0;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        int length = 1;
        char32_t c = lead;
        if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            c = lead & 0x07;
        } else if (lead >= 0xE0) {
            length = 3;
            c = lead & 0x0F;
        } else if (lead >= 0xC2 && lead < 0xE0) {
            length = 2;
            c = lead & 0x1F;
        }
        bool valid = length == 1 || i + static_cast<std::size_t>(length) <= utf8.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) {
                valid = false;
            } else {
                c = (c << 6) | (next & 0x3F);
            }
        }
        if (!valid) {
            length = 1;
            c = lead;
        }
        width += static_cast<std::size_t>(length == 1 ? 1 : CodePointWidth(c));
        i += static_cast<std::size_t>(length);
    }
    return width;
}

}  // namespace qsp
