#include "workbench/param_listing.h"

#include "base/display_width.h"
#include "base/file_io.h"
#include "catalogue/catalogue_text.h"

namespace qsp {
namespace {

constexpr const char* kEndOfLine = "\r\n";

// The header's "Parameter" starts in this column, as in the English header.
constexpr std::size_t kParameterHeaderColumn = 76;

}  // namespace

std::vector<PropertyRow> TranslatedRows(std::vector<PropertyRow> rows, Language language) {
    const CatalogueText translate(language);
    for (PropertyRow& row : rows) {
        row.label = translate(row.label);
        row.value = translate(row.value);
    }
    return rows;
}

std::string ListingHeading(int page, const InterfaceText& text) {
    return page == kDataEditPage ? text.LoadText(kDataEditTextId)
                                 : CatalogueText(text.language())(PageHeading(page));
}

std::string ListingBlock(const std::string& heading, const std::vector<PropertyRow>& rows,
                         const InterfaceText& text) {
    std::string out;
    out += std::string(4, ' ') + heading + kEndOfLine;
    const std::string property = std::string(20, ' ') + text.LoadText(147);
    const std::size_t used = DisplayWidth(property);
    out += property +
           std::string(used < kParameterHeaderColumn ? kParameterHeaderColumn - used : 1, ' ') +
           "  " + text.LoadText(148) + kEndOfLine;
    out += std::string(110, '-') + kEndOfLine;
    for (const auto& row : rows) {
        const std::string name = " " + row.label;
        if (row.value.empty()) {
            out += name + kEndOfLine;
            continue;
        }
        const std::size_t width = DisplayWidth(name);
        if (width > kListingLabelWidth) continue;
        out += name + std::string(kListingLabelWidth - width, ' ') + row.value + kEndOfLine;
    }
    out += std::string(5, ' ') + kEndOfLine;
    out += std::string(5, ' ') + kEndOfLine;
    return out;
}

std::string ListingText(const std::vector<PageRows>& shown, const InterfaceText& text) {
    std::string out;
    for (const auto& page : shown) {
        auto rows = page.rows;
        if (page.page == kFormatSettingPage && rows.size() >= 3) rows.erase(rows.begin() + 2);
        out += ListingBlock(ListingHeading(page.page, text), TranslatedRows(rows, text.language()),
                            text);
    }
    return out;
}

std::string ListingText(ImageBytes& image, const InterfaceText& text, int& currentPage) {
    const auto shown = ShowPages(image, ListedPages(image));
    if (!shown.empty()) currentPage = shown.back().page;
    return ListingText(shown, text);
}

bool SaveListing(const std::filesystem::path& path, const std::string& listing) {
    return WriteFileAtomically(path, listing);
}

}  // namespace qsp
