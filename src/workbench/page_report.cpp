#include "workbench/page_report.h"

#include <algorithm>
#include <array>
#include <map>
#include <utility>

#include "workbench/param_file.h"
#include "workbench/profile.h"

namespace qsp {
namespace {

constexpr int kTextUnshownBytes = 228;
constexpr int kTextNoRow = 229;

// The pages a comparison looks at: those either image lists, and the WAND page, in page order.
std::vector<int> ComparedPages(const ImageBytes& first, const ImageBytes& second) {
    std::vector<int> pages = ListedPages(first);
    const auto more = ListedPages(second);
    pages.insert(pages.end(), more.begin(), more.end());
    pages.push_back(kWandPage);
    std::sort(pages.begin(), pages.end());
    pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
    return pages;
}

// Rows keyed by label and occurrence, so that a page showing a label twice pairs them in order.
using RowKey = std::pair<std::string, int>;

std::vector<std::pair<RowKey, const PropertyRow*>> Keyed(const std::vector<PropertyRow>& rows) {
    std::map<std::string, int> seen;
    std::vector<std::pair<RowKey, const PropertyRow*>> keyed;
    for (const auto& row : rows)
        keyed.push_back({{row.label, seen[row.label]++}, &row});
    return keyed;
}

// The bits of every byte that some row of the pages reads its value from.
void MarkCovered(const std::vector<PageRows>& pages,
                 std::array<std::uint8_t, kParamImageSize>& covered) {
    for (const auto& page : pages) {
        for (const auto& row : page.rows) {
            for (std::size_t i = row.bits.first; i < row.bits.first + row.bits.count; ++i)
                covered[i] |= row.bits.count == 1 ? row.bits.mask : 0xFF;
        }
    }
}

}  // namespace

std::vector<PageRows> ShowPages(ImageBytes& image, const std::vector<int>& pages) {
    std::vector<PageRows> shown;
    for (int page : pages)
        shown.push_back({page, PageHeading(page), ShowPage(image, page)});
    return shown;
}

std::string PageRowsText(const std::vector<PageRows>& pages) {
    std::string out;
    for (const auto& page : pages) {
        out += "# " + std::to_string(page.page) + " " + page.heading + "\n";
        for (const auto& row : page.rows)
            out += row.label + "\t" + row.value + "\n";
    }
    return out;
}

ImageDifference CompareImages(const ImageBytes& first, const ImageBytes& second) {
    ImageDifference difference;
    const auto pages = ComparedPages(first, second);

    ImageBytes a = first;
    ImageBytes b = second;
    const auto shownA = ShowPages(a, pages);
    const auto shownB = ShowPages(b, pages);
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const auto rowsA = Keyed(shownA[p].rows);
        const auto rowsB = Keyed(shownB[p].rows);
        const auto add = [&](const std::string& label, std::optional<std::string> x,
                             std::optional<std::string> y, int row) {
            difference.rows.push_back(
                {pages[p], shownA[p].heading, label, std::move(x), std::move(y), row});
        };
        for (std::size_t r = 0; r < rowsA.size(); ++r) {
            const auto& [key, rowA] = rowsA[r];
            const int row = static_cast<int>(r) + 1;
            // Bindings are captured through a named reference: clang before 16 cannot capture them.
            const auto match = std::find_if(rowsB.begin(), rowsB.end(),
                                            [&k = key](const auto& r) { return r.first == k; });
            if (match == rowsB.end()) {
                add(key.first, rowA->value, std::nullopt, row);
            } else if (match->second->value != rowA->value) {
                add(key.first, rowA->value, match->second->value, row);
            } else if (!SameRowBits(first, second, rowA->bits)) {
                // The same text from other bits (a key sequence's padding, a value the page
                // corrects when shown): the bits as the files hold them.
                add(key.first, RawRowText(first, rowA->bits), RawRowText(second, rowA->bits), row);
            }
        }
        for (const auto& [key, rowB] : rowsB) {
            const bool inA = std::any_of(rowsA.begin(), rowsA.end(),
                                         [&k = key](const auto& r) { return r.first == k; });
            if (!inA) add(key.first, std::nullopt, rowB->value, 0);
        }
    }

    // Every bit of a row's run belongs to that row; only bits outside every row are unshown.
    std::array<std::uint8_t, kParamImageSize> covered{};
    MarkCovered(shownA, covered);
    MarkCovered(shownB, covered);
    for (std::size_t i = 0; i < static_cast<std::size_t>(kParamFileLines); ++i) {
        if (((first[i] ^ second[i]) & ~covered[i]) != 0)
            difference.unshownBytes.push_back({i, first[i], second[i]});
    }
    return difference;
}

std::string DifferenceText(const ImageDifference& difference, const CatalogueText& text,
                           const InterfaceText& words) {
    const std::string& noRow = words.LoadText(kTextNoRow);
    const auto value = [&](const std::optional<std::string>& v) { return v ? text(*v) : noRow; };
    std::string out;
    int page = 0;
    for (const auto& row : difference.rows) {
        if (row.page != page) {
            page = row.page;
            out += "# " + std::to_string(page) + " " + text(row.heading) + "\n";
        }
        out += text(row.label) + "\t" + value(row.first) + "\t" + value(row.second) + "\n";
    }
    if (!difference.unshownBytes.empty()) {
        out += "# " + words.LoadText(kTextUnshownBytes) + "\n";
        for (const auto& byte : difference.unshownBytes) {
            out += std::to_string(byte.index) + "\t" + std::to_string(byte.first) + "\t" +
                   std::to_string(byte.second) + "\n";
        }
    }
    return out;
}

}  // namespace qsp
