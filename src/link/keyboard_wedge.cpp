#include "link/keyboard_wedge.h"

#include <algorithm>
#include <charconv>

#include "base/text_number.h"

namespace qsp {

std::size_t HidInputToReport(const std::uint8_t* input, std::size_t size, std::uint8_t* report,
                             std::size_t reportSize) {
    if (size == 0 || reportSize == 0) return 0;
    const std::size_t n = std::min(size, reportSize - 1);
    report[0] = 0;
    std::copy_n(input, n, report + 1);
    return n + 1;
}

std::size_t KeepMakeCodes(const std::uint8_t* bytes, std::size_t size, std::uint8_t* out,
                          bool& extended) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t b = bytes[i];
        if (b == 0xE0 || b == 0xE1) {
            extended = true;
        } else if (extended) {
            extended = false;  // the code after a prefix
        } else if ((b & 0x80) == 0 && b != 0) {
            out[n++] = b;
        }
    }
    return n;
}

std::uint8_t ImageChecksum(const ImageBytes& image) {
    std::uint8_t x = 0;
    for (std::size_t i = 0; i < kScannerBlockSize; ++i)
        x ^= image[i];
    return x;
}

std::string HexByteText(std::uint8_t byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[byte >> 4], kDigits[byte & 15]};
}

std::string BlockText(const ImageBytes& image, std::size_t first) {
    std::string text;
    for (std::size_t i = first; i < first + 4 && i < image.size(); ++i)
        text += HexByteText(image[i]);
    return text;
}

int HexDigitValue(char c) {
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= '0' && c <= '9') return c - '0';
    return 0;
}

long HexTextValue(std::string_view text) {
    long value = 0;
    for (char c : text)
        value = value * 16 + HexDigitValue(c);
    return value;
}

double ThroughDelayBox(MainView& view, double factor) {
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, factor);
    const std::string text(buffer, ec == std::errc() ? end : buffer);
    view.SetDelayBox(text);
    return NumericValue(text);
}

}  // namespace qsp
