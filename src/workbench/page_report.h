#pragma once
// Plain-text reports of parameter images for the command-line tool: the rows of pages, and the
// differences between two images.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/interface_text.h"
#include "catalogue/catalogue.h"
#include "catalogue/catalogue_text.h"
#include "catalogue/param_image.h"

namespace qsp {

struct PageRows {
    int page = 0;
    std::string heading;
    std::vector<PropertyRow> rows;
};

// Shows each page in turn on `image`, as the settings window would, so the image takes the
// corrections showing makes. A page number outside 1..31 gives a page without rows.
std::vector<PageRows> ShowPages(ImageBytes& image, const std::vector<int>& pages);

// For each page a line "# N heading", then per row the label, a tab and the value text exactly
// as the list shows it (the blank before a number included). Lines end in LF.
std::string PageRowsText(const std::vector<PageRows>& pages);

// A row whose value text differs; a row only one image shows has no value on the other side.
struct RowDifference {
    int page = 0;
    std::string heading;
    std::string label;
    std::optional<std::string> first;
    std::optional<std::string> second;
    int row = 0;  // position of the row on the first image's page (from 1); 0 when it has none
};

// A byte of the file (0..514) that differs although no row shows the difference.
struct ByteDifference {
    std::size_t index = 0;
    std::uint8_t first = 0;
    std::uint8_t second = 0;
};

struct ImageDifference {
    std::vector<RowDifference> rows;
    std::vector<ByteDifference> unshownBytes;
    bool empty() const { return rows.empty() && unshownBytes.empty(); }
};

// Compares two images as files hold them (bytes 0..514). Rows are compared on the pages either
// image lists, and on the WAND page: each image shows its pages in turn (taking the
// corrections), and rows are matched by page and label (the n-th row of a label with the n-th).
// A row differs when its text differs, or when the same text stands on other bits (then both
// sides are given in a profile's raw form, "raw 2 65 66 0 0 0"). Every bit of a row's run (a
// key sequence's length byte, characters and padding) belongs to that row; bits that no row of
// either image reads are listed as unshown bytes, with their file values.
ImageDifference CompareImages(const ImageBytes& first, const ImageBytes& second);

// "# N heading" per page with differences, then "label<TAB>first<TAB>second" per row ("(no row)"
// for a missing side); then "# Differing bytes that no row shows:" and
// "index<TAB>first<TAB>second" per byte. Headings, labels and values in the language of `text`,
// the program's own words in that of `words`. Empty when the images do not differ. Lines end
// in LF.
std::string DifferenceText(const ImageDifference& difference, const CatalogueText& text,
                           const InterfaceText& words);

}  // namespace qsp
