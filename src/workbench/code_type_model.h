#pragma once
// The code type selection of one data edit format: the 22 symbologies a format applies to, each
// one bit of three bytes of the parameter image from the format's code type index (274, 354 or
// 434). Box i is bit i mod 8 of byte first + i div 8. Bits 6 and 7 of the third byte belong to
// no symbology: editing a box keeps them, only All Enable and All Disable write whole bytes.

#include <cstddef>
#include <string>

#include "catalogue/param_image.h"

namespace qsp {

inline constexpr int kCodeTypeBoxes = 22;

// The caption of box i ("UPCA" .. "Industial 2 of 5"); "" outside 0..21.
std::string CodeTypeCaption(int box);

// A second name some symbologies are known by ("China Postal Code" for "Toshiba Code"); "" when
// there is none.
std::string CodeTypeTip(int box);

// "Format 1 Code Type", "Format 2 Code Type" or "Format 3 Code Type" for the code type index of
// format 1, 2 or 3; "" for any other index.
std::string CodeTypeDialogCaption(std::size_t first);

class CodeTypeModel {
public:
    CodeTypeModel(ImageBytes& image, std::size_t first) : image_(image), first_(first) {}

    std::size_t First() const { return first_; }

    // Whether the box's bit is 1 in the image.
    bool Ticked(int box) const;

    // The box's state goes into its bit; the byte's other bits stay.
    void StoreBox(int box, bool ticked);

    // All three bytes 255 (every box ticked) or 0 (every box cleared).
    void AllEnable() { Fill(255); }
    void AllDisable() { Fill(0); }

private:
    bool Valid(int box) const;
    void Fill(std::uint8_t value);

    ImageBytes& image_;
    std::size_t first_;
};

}  // namespace qsp
