#include "workbench/param_search.h"

#include <algorithm>

#include "catalogue/catalogue.h"
#include "catalogue/reset_values.h"

namespace qsp {
namespace {

std::string Folded(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::vector<int> ReachablePages(const ImageBytes& image) {
    std::vector<int> pages = ListedPages(image);
    pages.push_back(kWandPage);
    std::sort(pages.begin(), pages.end());
    return pages;
}

std::vector<FoundRow> FindRows(const ImageBytes& image, std::string_view query,
                               const CatalogueText& text) {
    const std::string wanted = Folded(Trimmed(query));
    if (wanted.empty()) return {};
    const auto holds = [&wanted](const std::string& s) {
        return Folded(s).find(wanted) != std::string::npos;
    };
    std::vector<FoundRow> found;
    ImageBytes shown = image;
    for (const auto& page : ShowPages(shown, ReachablePages(image))) {
        int position = 0;
        for (const auto& row : page.rows) {
            ++position;
            FoundRow out{page.page,       position,        text(page.heading),
                         text(row.label), text(row.value), {}};
            if (holds(row.label) || holds(out.label) || holds(row.value) || holds(out.value)) {
                found.push_back(std::move(out));
            }
        }
    }
    return found;
}

ImageBytes FactoryImage(const ImageBytes& image, int hostLink) {
    ImageBytes factory = image;
    int page = 0;
    ResetImage(factory, hostLink, page);
    return factory;
}

std::vector<int> ChangedRowNumbers(const ImageBytes& image, int page, int hostLink) {
    ImageBytes shown = image;
    const auto rows = ShowPage(shown, page);
    const auto factory = ReferenceValues(image, page, FactoryImage(shown, hostLink));
    std::vector<int> changed;
    for (std::size_t r = 0; r < rows.size() && r < factory.size(); ++r) {
        if (rows[r].value != factory[r]) changed.push_back(static_cast<int>(r) + 1);
    }
    return changed;
}

std::vector<FoundRow> ChangedRows(const ImageBytes& image, int hostLink,
                                  const CatalogueText& text) {
    std::vector<FoundRow> changed;
    ImageBytes shown = image;
    for (int page : ReachablePages(image)) {
        const ImageBytes before = shown;
        const auto rows = ShowPage(shown, page);
        const auto factory = ReferenceValues(before, page, FactoryImage(before, hostLink));
        for (std::size_t r = 0; r < rows.size() && r < factory.size(); ++r) {
            if (rows[r].value == factory[r]) continue;
            changed.push_back({page, static_cast<int>(r) + 1, text(PageHeading(page)),
                               text(rows[r].label), text(rows[r].value), text(factory[r])});
        }
    }
    return changed;
}

std::vector<FoundRow> DifferenceRows(const ImageDifference& difference, const CatalogueText& text,
                                     const std::string& noRow) {
    std::vector<FoundRow> rows;
    for (const auto& row : difference.rows) {
        rows.push_back({row.page, row.row, text(row.heading), text(row.label),
                        row.first ? text(*row.first) : noRow,
                        row.second ? text(*row.second) : noRow});
    }
    return rows;
}

}  // namespace qsp
