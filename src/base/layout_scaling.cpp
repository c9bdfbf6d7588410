#include "base/layout_scaling.h"

#include <cmath>
#include <sstream>

namespace qsp {

std::string LayoutTag(const LayoutRect& r) {
    return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.width) +
           " " + std::to_string(r.height);
}

std::optional<LayoutRect> ParseLayoutTag(std::string_view tag) {
    std::istringstream in{std::string(tag)};
    LayoutRect r;
    if (!(in >> r.left >> r.top >> r.width >> r.height)) return std::nullopt;
    std::string rest;
    if (in >> rest) return std::nullopt;
    return r;
}

LayoutRect ScaleRect(const LayoutRect& r, double widthRatio, double heightRatio) {
    auto scale = [](int v, double ratio) { return static_cast<int>(std::lround(v * ratio)); };
    return {scale(r.left, widthRatio), scale(r.top, heightRatio), scale(r.width, widthRatio),
            scale(r.height, heightRatio)};
}

}  // namespace qsp
