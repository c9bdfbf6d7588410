#pragma once
// The parameter file (*.Dec): bytes 0..514 of the parameter image as 515 text lines, one
// decimal number per line, lines ending in CR LF. Byte 515 is neither stored nor loaded.

#include <filesystem>
#include <string>
#include <string_view>

#include "base/interface_text.h"
#include "catalogue/param_image.h"

namespace qsp {

inline constexpr int kParamFileLines = 515;

// The file's text: line n holds byte n - 1 as " n" (a blank, then the digits).
std::string FormatParamFile(const ImageBytes& image);

// Writes the file atomically: a failed save leaves any earlier file as it was. False on failure.
bool SaveParamFile(const std::filesystem::path& path, const ImageBytes& image);

// The outcome of a load. On failure the image is unchanged; `line` is the 1-based line that
// failed (0 when the file could not be read at all) and `why` says why.
struct ParamLoadResult {
    bool ok = false;
    int line = 0;
    TextMessage why;

    // "line 37: ..." or the reason alone when no line is to blame, in the language of `text`;
    // empty on success.
    std::string Describe(const InterfaceText& text = InterfaceText()) const;
};

// Reads a file's text into bytes 0..514 of `image`. Every line is checked first: there must be
// exactly 515 lines (a final CR LF ends the last line, it does not start another one), and each
// line's number (read as SpacedNumericValue reads it, so "12abc" is 12, "1 6" is 16, "&HFF" is
// 255 and an empty line is 0) must lie within 0..255. Only when the whole text passes is anything
// stored, each number rounded to the nearest whole number, halves to the even one ("2.5" is 2,
// "3.5" is 4). Lines end at CR LF; a lone LF or CR ends a line too.
ParamLoadResult ParseParamFile(std::string_view text, ImageBytes& image);

// Reads the file at `path` as ParseParamFile does; an unreadable file fails and changes nothing.
ParamLoadResult LoadParamFile(const std::filesystem::path& path, ImageBytes& image);

// Open's check of the chosen name before anything is read: the file exists, the name has at
// least 5 characters and its fourth character from the end is '.' (a three-character
// extension). When it fails, Open does nothing and says nothing.
bool IsOpenableParamFile(const std::string& name);

}  // namespace qsp
