#pragma once
// The parameter listing: every listed page of the property list as a text file, the heading of
// each page, a header, a dashed rule, one line per row (label, then value text), two lines of five
// blanks after each page. Lines end in CR LF. The text is UTF-8, as the value texts are (a
// character parameter shows its characters as KeyName gives them).

#include <filesystem>
#include <string>
#include <vector>

#include "base/interface_text.h"
#include "catalogue/catalogue.h"
#include "catalogue/param_image.h"
#include "workbench/page_report.h"

namespace qsp {

// The label column: a blank and the label, padded with blanks to this many characters.
inline constexpr std::size_t kListingLabelWidth = 72;

// The heading a page's block starts with: the page's tree caption in the interface language;
// for page 25 the Data Edit node's caption (message 146).
std::string ListingHeading(int page, const InterfaceText& text);

// The rows with their labels and value texts in the language (numbers and characters stay).
std::vector<PropertyRow> TranslatedRows(std::vector<PropertyRow> rows, Language language);

// One page's block:
//   4 blanks and the heading;
//   20 blanks, "Property" (message 147), blanks up to column 76, "  Parameter" (message 148);
//   110 dashes;
//   per row: a blank and the label, padded to 72 columns, then the value text; a row without
//   value text is a blank and the label alone. A row with a value whose label, with its blank,
//   is wider than 72 columns is left out (it has no room in the column);
//   two lines of 5 blanks.
// Widths are counted in columns of a fixed-pitch font: a Chinese or Japanese character takes
// two, so the value column lines up in every language.
std::string ListingBlock(const std::string& heading, const std::vector<PropertyRow>& rows,
                         const InterfaceText& text = InterfaceText());

// The whole listing of the image in the interface language: the blocks of the listed pages in order
// (1 to 5, 7 to 24, then 25 alone while the format switch is 0, else 26 to 31), each page's rows as
// showing the page gives them, so the image takes the corrections showing makes. Page 26's third
// row is not listed. `currentPage` ends at the last listed page, as after walking the pages in the
// settings window.
std::string ListingText(ImageBytes& image, const InterfaceText& text, int& currentPage);
// The listing of pages already shown (the settings window's own walk).
std::string ListingText(const std::vector<PageRows>& shown, const InterfaceText& text);

// Writes a listing atomically. False when the file cannot be written (any earlier file stays).
bool SaveListing(const std::filesystem::path& path, const std::string& listing);

}  // namespace qsp
