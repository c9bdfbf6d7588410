#include "catalogue/key_codes.h"

#include <array>

namespace qsp {
namespace {

constexpr std::array<const char*, kLastKeyCode - kFirstKeyCode + 1> kKeyNames = {
    "F1",
    "F2",
    "F3",
    "F4",
    "F5",
    "F6",
    "F7",
    "F8",
    "F9",
    "F10",
    "F11",
    "F12",
    "HOME",
    "END",
    "Right",
    "Left",
    "Up",
    "Down",
    "PageUp",
    "PageDown",
    "TAB",
    "BackTab",
    "ESC",
    "ENT",
    "Backspace",
    "INS",
    "DEL",
    "Alt_L_Make",
    "Alt_L_Break",
    "Shift_L_Make",
    "Shift_L_Break",
    "Ctrl_L_Make",
    "Ctrl_L_Break",
    "\xEF\xBF\xA1",  // U+FFE1 fullwidth pound sign
    "\xCF\x84",      // U+03C4 Greek small letter tau
    "NumPad ENT",
};

// Windows-1252 bytes 0x80..0x9F; the five bytes the code page leaves undefined map to the C1
// control with the same number, as the system's conversion does. All other bytes are Latin-1.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t ToUnicode(std::uint8_t code) {
    if (code >= 0x80 && code <= 0x9F) return kHighControls[code - 0x80];
    return code;
}

std::optional<std::uint8_t> FromUnicode(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<std::uint8_t>(c);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c) return static_cast<std::uint8_t>(0x80 + i);
    }
    return std::nullopt;
}

std::string Utf8(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    return out;
}

// The one code point a text of one character holds, or nothing for any other text (including
// malformed UTF-8).
std::optional<char32_t> SingleCodePoint(const std::string& text) {
    if (text.empty()) return std::nullopt;
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    char32_t c = 0;
    if (lead < 0x80) {
        length = 1;
        c = lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        c = lead & 0x07;
    } else {
        return std::nullopt;
    }
    if (text.size() != length) return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if ((b & 0xC0) != 0x80) return std::nullopt;
        c = (c << 6) | (b & 0x3F);
    }
    // Overlong forms are not characters.
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length]) return std::nullopt;
    return c;
}

}  // namespace

std::string KeyName(std::uint8_t code) {
    if (code >= kFirstKeyCode && code <= kLastKeyCode) return kKeyNames[code - kFirstKeyCode];
    return Utf8(ToUnicode(code));
}

std::string CodePageText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes)
        out += Utf8(ToUnicode(static_cast<std::uint8_t>(c)));
    return out;
}

std::optional<std::uint8_t> KeyCode(const std::string& name) {
    for (std::size_t i = 0; i < kKeyNames.size(); ++i) {
        if (name == kKeyNames[i]) return static_cast<std::uint8_t>(kFirstKeyCode + i);
    }
    if (name.empty()) return 0;
    const auto c = SingleCodePoint(name);
    if (!c) return std::nullopt;
    return FromUnicode(*c);
}

}  // namespace qsp
