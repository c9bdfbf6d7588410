#include "base/text_number.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace qsp {
namespace {

bool Blank(char c) {
    return c == ' ' || c == '\t';
}

bool Ignored(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// Collects the text without the ignored characters, which may stand anywhere.
std::string Compact(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (!Ignored(c)) out.push_back(c);
    }
    return out;
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// "&H..." and "&O..." numbers are whole numbers of 16 bits when they have up to four (hex) or
// six (octal) digits and of 32 bits otherwise; like the original readers, the top bit is a sign.
double RadixValue(std::string_view digits, int radix) {
    std::uint64_t value = 0;
    std::size_t count = 0;
    for (char c : digits) {
        int d = DigitValue(c);
        if (d >= radix) break;
        value = (value * radix + d) & 0xFFFFFFFFull;
        ++count;
    }
    if (count == 0) return 0;
    const bool small = radix == 16 ? count <= 4 : value <= 0xFFFF;
    if (small) {
        return value >= 0x8000 ? static_cast<double>(value) - 65536.0 : static_cast<double>(value);
    }
    return value >= 0x80000000ull ? static_cast<double>(value) - 4294967296.0
                                  : static_cast<double>(value);
}

// The number at the very start of `s`.
double LeadingNumber(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && s[i] == '&') {
        ++i;
        if (i < s.size() && (s[i] == 'H' || s[i] == 'h')) return RadixValue(s.substr(i + 1), 16);
        if (i < s.size() && (s[i] == 'O' || s[i] == 'o')) return RadixValue(s.substr(i + 1), 8);
        return RadixValue(s.substr(i), 8);
    }
    std::string number;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) number.push_back(s[i++]);
    bool digits = false;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        number.push_back(s[i++]);
        digits = true;
    }
    if (i < s.size() && s[i] == '.') {
        number.push_back(s[i++]);
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            number.push_back(s[i++]);
            digits = true;
        }
    }
    if (!digits) return 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::string exponent = "e";
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent.push_back(s[j++]);
        bool expDigits = false;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9') {
            exponent.push_back(s[j++]);
            expDigits = true;
        }
        if (expDigits) number += exponent;
    }
    // Out-of-range exponents give an infinite value, which no caller's range check accepts.
    return std::strtod(number.c_str(), nullptr);
}

}  // namespace

double NumericValue(std::string_view text) {
    std::size_t first = 0;
    while (first < text.size() && Blank(text[first]))
        ++first;
    return LeadingNumber(text.substr(first));
}

double SpacedNumericValue(std::string_view text) {
    return LeadingNumber(Compact(text));
}

std::int32_t RoundHalfEven(double value) {
    if (std::isnan(value)) return 0;
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    if (value <= lo) return std::numeric_limits<std::int32_t>::min();
    if (value >= hi) return std::numeric_limits<std::int32_t>::max();
    // Round to nearest, ties to even, whatever the current rounding mode is.
    const double floorValue = std::floor(value);
    const double diff = value - floorValue;
    double result = floorValue;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(floorValue, 2.0) != 0.0)) result = floorValue + 1;
    return static_cast<std::int32_t>(result);
}

std::string NumberText(long long value) {
    return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

}  // namespace qsp
