#pragma once
// Shared by the catalogue tests: factory images and a readable form of a page's rows.

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/reset_values.h"

namespace qsp {

inline bool operator==(const PropertyRow& a, const PropertyRow& b) {
    return a.label == b.label && a.value == b.value && a.edit == b.edit;
}
inline void PrintTo(const PropertyRow& r, std::ostream* os) {
    *os << r.label << " = \"" << r.value << "\" @" << r.edit.index << "/" << r.edit.bitOrKind << "/"
        << r.edit.row;
}

}  // namespace qsp

namespace qsp::test {

using LabelValue = std::pair<std::string, std::string>;

// The image right after "Reset to Default" on a link, starting from an all-zero image.
inline ImageBytes FactoryImage(int hostLink) {
    ImageBytes image{};
    int page = 0;
    ResetImage(image, hostLink, page);
    return image;
}

inline std::vector<LabelValue> LabelsAndValues(const std::vector<PropertyRow>& rows) {
    std::vector<LabelValue> out;
    for (const auto& row : rows)
        out.emplace_back(row.label, row.value);
    return out;
}

inline std::vector<LabelValue> Shown(ImageBytes image, int page) {
    return LabelsAndValues(ShowPage(image, page));
}

}  // namespace qsp::test
