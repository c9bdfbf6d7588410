// Numbers read out of texts (settings, parameter files, time-out boxes) and rounded: any text
// gives a number, rounding stays in range and goes to the nearest whole number, halves to even,
// and every number the program writes reads back as itself.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>

#include "base/text_number.h"
#include "fuzz_support.h"

namespace {

void CheckRounding(double v) {
    const std::int32_t r = qsp::RoundHalfEven(v);
    if (std::isnan(v)) {
        FUZZ_CHECK(r == 0);
        return;
    }
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    if (v <= lo) {
        FUZZ_CHECK(r == std::numeric_limits<std::int32_t>::min());
    } else if (v >= hi) {
        FUZZ_CHECK(r == std::numeric_limits<std::int32_t>::max());
    } else {
        const double d = std::fabs(static_cast<double>(r) - v);
        FUZZ_CHECK(d <= 0.5);
        if (d == 0.5) FUZZ_CHECK(r % 2 == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double v = qsp::NumericValue(text);
    CheckRounding(v);
    CheckRounding(qsp::SpacedNumericValue(text));

    // The same bytes as a raw double and as a whole number.
    if (size >= sizeof(double)) {
        double raw;
        std::memcpy(&raw, data, sizeof raw);
        CheckRounding(raw);
        long long whole;
        std::memcpy(&whole, data, sizeof whole);
        whole %= (1LL << 53);  // exactly representable as a double
        const std::string written = qsp::NumberText(whole);
        FUZZ_CHECK(qsp::NumericValue(written) == static_cast<double>(whole));
        // Blanks, tabs and line feeds anywhere do not change a parameter file's number.
        std::string spaced;
        for (char c : written) {
            spaced += c;
            spaced += ' ';
        }
        FUZZ_CHECK(qsp::SpacedNumericValue(spaced) == static_cast<double>(whole));
    }
    return 0;
}
