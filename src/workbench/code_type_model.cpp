#include "workbench/code_type_model.h"

#include <array>

namespace qsp {
namespace {

constexpr std::array<const char*, kCodeTypeBoxes> kCaptions = {
    "UPCA",
    "Code 32",
    "DataBar limited",
    "Full Code39",
    "UPCE",
    "EAN13",
    "Data Bar 14",
    "Toshiba Code",
    "Interleaved 2 of 5",
    "Code 11",
    "Code 128",
    "Code 93",
    "Code 39",
    "Codabar",
    "MSI - Plessey",
    "UK - Plessey",
    "DataBar Expand",
    "IATA",
    "EAN 8",
    "EAN 128",
    "Telepen",
    "Industial 2 of 5",
};

constexpr std::array<const char*, kCodeTypeBoxes> kTips = {
    "",
    "Italian Pharmacode",
    "GS1 DataBar Limited",
    "Code 39 Full ASCII",
    "",
    "",
    "GS1 DataBar Omnidirectional",
    "China Postal Code",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "GS1 DataBar Expanded",
    "Standard 2 of 5",
    "",
    "GS1-128",
    "",
    "Industrial 2 of 5",
};

// The code type index of each format.
constexpr std::array<std::size_t, 3> kFirstIndices = {274, 354, 434};

}  // namespace

std::string CodeTypeCaption(int box) {
    return box >= 0 && box < kCodeTypeBoxes ? kCaptions[static_cast<std::size_t>(box)] : "";
}

std::string CodeTypeTip(int box) {
    return box >= 0 && box < kCodeTypeBoxes ? kTips[static_cast<std::size_t>(box)] : "";
}

std::string CodeTypeDialogCaption(std::size_t first) {
    for (std::size_t f = 0; f < kFirstIndices.size(); ++f) {
        if (kFirstIndices[f] == first) return "Format " + std::to_string(f + 1) + " Code Type";
    }
    return "";
}

bool CodeTypeModel::Valid(int box) const {
    return box >= 0 && box < kCodeTypeBoxes && InImage(first_ + 2);
}

bool CodeTypeModel::Ticked(int box) const {
    if (!Valid(box)) return false;
    const std::uint8_t byte = image_[first_ + static_cast<std::size_t>(box / 8)];
    return BinaryText(byte)[static_cast<std::size_t>(7 - box % 8)] == '1';
}

void CodeTypeModel::StoreBox(int box, bool ticked) {
    if (!Valid(box)) return;
    std::uint8_t& byte = image_[first_ + static_cast<std::size_t>(box / 8)];
    const auto mask = static_cast<std::uint8_t>(1u << (box % 8));
    byte = static_cast<std::uint8_t>(ticked ? byte | mask : byte & ~mask);
}

void CodeTypeModel::Fill(std::uint8_t value) {
    if (!InImage(first_ + 2)) return;
    for (std::size_t j = 0; j < 3; ++j)
        image_[first_ + j] = value;
}

}  // namespace qsp
