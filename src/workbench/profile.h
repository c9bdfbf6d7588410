#pragma once
// Profiles: a scanner's settings as readable text, by page heading and row label, as the property
// list shows them in English.
//
//   # checkout scanners
//   [Mode and Interface]
//   Terminator = CR + LF
//   [Code 128 -{EAN128}]
//   Code128 State = Enable
//   Code128 Length Min = 4
//
// `#` starts a comment line; blank lines are ignored; `[heading]` starts a page's section;
// `Label = Value` sets one row. The value is the text the row shows (numbers without the blank
// the list puts before them; characters in braces, as "{A}{CR}"; code types as "UPCA,EAN13,").
//
// The raw form names the row's bits themselves: `raw` and a decimal number per byte the row
// covers (`Reading Mode = raw 13`, `Code-39 Length Max = raw 128`; a key sequence's length byte,
// its characters and padding: `Preamble = raw 2 65 66 0 0 0`), or, for a row that is a field of
// some bits of one byte, the field's value (`raw 3`). It is stored exactly, past the editor's
// lists and ranges; a number out of range in the ordinary form stays an error. Export writes a
// row in the raw form only when its text would not give back its bits, and rows hidden behind a
// state row that is off always (a raw value reaches such a row; an ordinary one does not).
//
// Applying a profile sets each row through the value editor's option lists, the special
// keyboard's entries and the code type boxes, and lets each page take the corrections showing it
// makes, exactly as editing the row in the settings window does. Rows whose gate is closed in the
// base image become reachable when the profile also opens the gate, in any order. Bytes no row
// shows keep their values.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "base/interface_text.h"
#include "catalogue/catalogue.h"
#include "catalogue/param_image.h"

namespace qsp {

inline constexpr const char* kProfileExtension = ".qsp-profile";

// One shown row of a profile (or of an image): page number, page heading, row label, the value
// text as a profile writes it, and the index of the row's first byte in the image.
struct ProfileRow {
    int page = 0;
    std::string heading;
    std::string label;
    std::string value;
    std::size_t index = 0;
};

// The host link whose factory values a file's image is compared with: from its Interface byte
// (USB for "USB(Cable)" and "USB(HID)", RS-232 for "RS232" and "Virtual COM", PS/2 otherwise).
int ImageHostLink(const ImageBytes& image);

// The rows of every page the image shows (1..24 with the WAND page, then the data edit pages it
// lists), in page order. Without `all`, only rows whose bits differ from the factory values of
// the image's host link. Action rows (Clear Format) are never rows of a profile. Applying the
// rows onto any image gives each row's bits as they are in `image` (after the corrections
// showing its pages makes).
std::vector<ProfileRow> ProfileRows(const ImageBytes& image, bool all);

// "raw 2 65 66 0 0 0": a row's bits in `image` in the raw form.
std::string RawRowText(const ImageBytes& image, const RowBits& bits);

// The profile text of those rows: a comment line naming `source` when it is not empty, then a
// section per page with at least one row. Lines end in LF.
std::string ProfileText(const std::vector<ProfileRow>& rows, const std::string& source);

// One fault of a profile: "source:line: message".
struct ProfileError {
    std::string source;
    int line = 0;  // 1-based; 0 when no line is to blame (an unreadable file)
    TextMessage message;
    std::string Describe(const InterfaceText& text = InterfaceText()) const;
};

struct ProfileResult {
    std::vector<ProfileError> errors;  // empty on success
    std::size_t changedBytes = 0;      // bytes 0..514 that differ from the base image
    bool ok() const { return errors.empty(); }
    // Every error on its own line, in the language of `text`.
    std::string Describe(const InterfaceText& text = InterfaceText()) const;
};

// Applies the profile `text` (named `source` in errors) onto `image`. On any error the image is
// left exactly as it was and every error is reported.
ProfileResult ApplyProfile(ImageBytes& image, const std::string& text, const std::string& source);

// The faults of the text alone, before any image: lines that are neither comment, section nor
// setting, unknown page headings, rows set twice. What a row can take is known only on an image.
std::vector<ProfileError> ProfileSyntaxErrors(const std::string& text, const std::string& source);

// Whether a path names a parameter file (its extension is ".Dec", in any case) rather than a
// profile.
bool IsParamFilePath(const std::filesystem::path& path);

}  // namespace qsp
