#pragma once
// Proportional layout: a window records its inner size and every control's rectangle, and on
// each resize moves the controls by the ratio of the new size to the recorded one.

#include <optional>
#include <string>
#include <string_view>

namespace qsp {

struct LayoutRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const LayoutRect&) const = default;
};

// A control's tag text: "left top width height".
std::string LayoutTag(const LayoutRect& rect);

// The rectangle a tag holds, or nothing when the tag does not hold four numbers.
std::optional<LayoutRect> ParseLayoutTag(std::string_view tag);

// The rectangle moved and sized by the width and height ratios.
LayoutRect ScaleRect(const LayoutRect& rect, double widthRatio, double heightRatio);

}  // namespace qsp
