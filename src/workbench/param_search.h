#pragma once
// Finding rows across the pages of the property list: by label or value text, the rows whose
// value differs from the factory value, and the rows in which two images differ. Each result
// names its page and the row's position on that page, so the settings window can show it the
// way its tree shows a page, and gives the texts in the window's language.

#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue_text.h"
#include "catalogue/param_image.h"
#include "workbench/page_report.h"

namespace qsp {

struct FoundRow {
    int page = 0;
    int row = 0;          // position in the page's list, from 1; 0 when the page does not show it
    std::string heading;  // page heading, label and values in the window's language
    std::string label;
    std::string value;  // as the window shows it
    std::string other;  // the factory or file value; empty for a search
};

// The pages a user can show for this image: the pages a listing walks and the WAND page, in
// page order.
std::vector<int> ReachablePages(const ImageBytes& image);

// The rows of the reachable pages whose label or value text holds `query`, in English or in
// `text`'s language; letters A to Z match in either case, blanks around the query are ignored.
// Nothing for a query of blanks only. The image does not change.
std::vector<FoundRow> FindRows(const ImageBytes& image, std::string_view query,
                               const CatalogueText& text);

// What Reset to Default on host link `hostLink` makes of `image`.
ImageBytes FactoryImage(const ImageBytes& image, int hostLink);

// The positions (from 1) of the rows of `page` whose value differs from the value the row shows
// when its own bits hold their factory values.
std::vector<int> ChangedRowNumbers(const ImageBytes& image, int page, int hostLink);

// Those rows across the reachable pages, with their factory values in `other`.
std::vector<FoundRow> ChangedRows(const ImageBytes& image, int hostLink, const CatalogueText& text);

// The differing rows of a comparison: `value` from the first image, `other` from the second,
// `noRow` for a side that does not show the row.
std::vector<FoundRow> DifferenceRows(const ImageDifference& difference, const CatalogueText& text,
                                     const std::string& noRow);

}  // namespace qsp
