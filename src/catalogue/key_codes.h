#pragma once
// Names of the scanner's special keys and the character codes of the other bytes of a
// character parameter (prefixes, suffixes, preambles, inserted characters).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qsp {

inline constexpr std::uint8_t kFirstKeyCode = 208;
inline constexpr std::uint8_t kLastKeyCode = 243;

// The text of one byte: codes 208..243 give the special key's name ("F1", "ENT", "NumPad ENT"),
// every other code the character with that code in Windows-1252, as UTF-8. Code 0 gives a
// one-character text holding NUL.
std::string KeyName(std::uint8_t code);

// Bytes from the scanner as text: each byte the character with that code in Windows-1252 (the
// code page of the key names), as UTF-8. 0xE9 gives "é".
std::string CodePageText(std::string_view bytes);

// The byte a text stands for: a special key's name (exact, case-sensitive) gives its code, an
// empty text 0, a single character its Windows-1252 code. A text of more than one character, or
// a character Windows-1252 does not have, is no valid byte: nothing.
std::optional<std::uint8_t> KeyCode(const std::string& name);

}  // namespace qsp
