#include "workbench/param_listing.h"

#include "base/file_io.h"

namespace qsp {
namespace {

constexpr const char* kEndOfLine = "\r\n";

std::size_t CharacterCount(const std::string& text) {
    std::size_t count = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    }
    return count;
}

}  // namespace

std::string ListingHeading(int page, const InterfaceText& text) {
    return page == kDataEditPage ? text.LoadText(kDataEditTextId) : PageHeading(page);
}

std::string ListingBlock(const std::string& heading, const std::vector<PropertyRow>& rows) {
    std::string out;
    out += std::string(4, ' ') + heading + kEndOfLine;
    out += std::string(20, ' ') + "Property" + std::string(48, ' ') + "  Parameter" + kEndOfLine;
    out += std::string(110, '-') + kEndOfLine;
    for (const auto& row : rows) {
        const std::string name = " " + row.label;
        if (row.value.empty()) {
            out += name + kEndOfLine;
            continue;
        }
        const std::size_t width = CharacterCount(name);
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
        out += ListingBlock(ListingHeading(page.page, text), rows);
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
