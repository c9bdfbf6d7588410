#pragma once
// How wide a UTF-8 text stands in a fixed-pitch column: the wide characters of Chinese and
// Japanese (Han, kana, Hangul, fullwidth forms) take two columns, every other character one.

#include <cstddef>
#include <string_view>

namespace qsp {

// The columns of one code point: 2 for an East Asian wide or fullwidth character, else 1.
int CodePointWidth(char32_t c);

// The columns `utf8` takes. A malformed byte counts as one column.
std::size_t DisplayWidth(std::string_view utf8);

}  // namespace qsp
