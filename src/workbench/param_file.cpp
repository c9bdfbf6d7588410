#include "workbench/param_file.h"

#include <array>
#include <optional>
#include <system_error>
#include <vector>

#include "base/file_io.h"
#include "base/text_ids.h"
#include "base/text_number.h"

namespace qsp {
namespace {

// The lines of a text. A terminator ends a line; it does not start one, so a text that ends
// with a terminator has no empty line after it.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

// A line as it may be quoted in a message: at most 40 characters, control characters shown as '?'.
std::string Quoted(std::string_view line) {
    std::string out = "\"";
    for (std::size_t i = 0; i < line.size() && i < 40; ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        out.push_back(c < 0x20 ? '?' : static_cast<char>(c));
    }
    if (line.size() > 40) out += "...";
    return out + "\"";
}

// Characters (UTF-8 code points) of a text, from the end: the byte position of the n-th last.
std::optional<std::size_t> NthLastCharacter(const std::string& text, std::size_t n) {
    std::size_t pos = text.size();
    for (std::size_t k = 0; k < n; ++k) {
        if (pos == 0) return std::nullopt;
        --pos;
        while (pos > 0 && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80)
            --pos;
    }
    return pos;
}

std::size_t CharacterCount(const std::string& text) {
    std::size_t count = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    }
    return count;
}

}  // namespace

std::string ParamLoadResult::Describe(const InterfaceText& text) const {
    if (ok) return {};
    const std::string reason = why.In(text);
    return line > 0 ? FillText(text.LoadText(kTextOnLine), {std::to_string(line), reason}) : reason;
}

std::string FormatParamFile(const ImageBytes& image) {
    std::string text;
    text.reserve(kParamFileLines * 6);
    for (int n = 0; n < kParamFileLines; ++n) {
        text += NumberText(image[static_cast<std::size_t>(n)]);
        text += "\r\n";
    }
    return text;
}

bool SaveParamFile(const std::filesystem::path& path, const ImageBytes& image) {
    return WriteFileAtomically(path, FormatParamFile(image));
}

ParamLoadResult ParseParamFile(std::string_view text, ImageBytes& image) {
    const auto lines = SplitLines(text);
    // First pass: the whole text is checked before a single byte is stored. The range check is
    // made on the number as read, before rounding, so 254.6 passes (and is stored as 255) while
    // 255.4 and -0.2 do not.
    std::array<std::uint8_t, kParamFileLines> values{};
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const int lineNumber = static_cast<int>(n) + 1;
        if (lineNumber > kParamFileLines) {
            return {false,
                    lineNumber,
                    {kTextParamFileTooLong,
                     {std::to_string(kParamFileLines), std::to_string(lines.size())}}};
        }
        const double value = SpacedNumericValue(lines[n]);
        if (!(value >= 0 && value <= 255)) {
            return {false, lineNumber, {kTextNotAByte, {Quoted(lines[n])}}};
        }
        values[n] = static_cast<std::uint8_t>(RoundHalfEven(value));
    }
    if (lines.size() < static_cast<std::size_t>(kParamFileLines)) {
        return {
            false,
            static_cast<int>(lines.size()) + 1,
            {kTextParamFileShort, {std::to_string(kParamFileLines), std::to_string(lines.size())}}};
    }
    // Second pass: store bytes 0..514; byte 515 keeps its value.
    for (std::size_t n = 0; n < values.size(); ++n)
        image[n] = values[n];
    return {true, 0, {}};
}

ParamLoadResult LoadParamFile(const std::filesystem::path& path, ImageBytes& image) {
    const auto text = ReadWholeFile(path);
    if (!text) return {false, 0, {kTextCannotRead, {path.string()}}};
    return ParseParamFile(*text, image);
}

bool IsOpenableParamFile(const std::string& name) {
    if (CharacterCount(name) < 5) return false;
    const auto dot = NthLastCharacter(name, 4);
    if (!dot || name[*dot] != '.') return false;
    std::error_code ec;
    return std::filesystem::exists(name, ec) && !std::filesystem::is_directory(name, ec);
}

}  // namespace qsp
