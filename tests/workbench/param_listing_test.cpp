#include "workbench/param_listing.h"

#include <gtest/gtest.h>

#include <sstream>

#include "catalogue/reset_values.h"

namespace qsp {
namespace {

const std::string kHeader =
    "                    Property                                                  Parameter\r\n";
const std::string kRule = std::string(110, '-') + "\r\n";
const std::string kPageEnd = "     \r\n     \r\n";

ImageBytes FactoryImage() {
    ImageBytes image{};
    int page = 0;
    ResetImage(image, 0, page);
    return image;
}

// The "    heading" lines of a listing, in order.
std::vector<std::string> Headings(const std::string& listing) {
    std::vector<std::string> headings;
    std::istringstream in(listing);
    for (std::string line, previous; std::getline(in, line); previous = line) {
        if (line + "\n" == kHeader) headings.push_back(previous.substr(4, previous.size() - 5));
    }
    return headings;
}

// A row: the label from column 1, its value from column 72.
std::string Row(const std::string& label, const std::string& value) {
    return " " + label + std::string(71 - label.size(), ' ') + value + "\r\n";
}

TEST(ListingBlock, LabelsLongerThanTheColumnAreLeftOutOnlyWhenTheyHaveAValue) {
    const std::string fits(71, 'a');     // 72 characters with its blank
    const std::string tooLong(72, 'b');  // 73
    const std::string block = ListingBlock(
        "H", {{fits, "X", {}}, {tooLong, "Y", {}}, {tooLong, "", {}}, {"after", "Z", {}}});
    EXPECT_NE(block.find(Row(fits, "X")), std::string::npos);
    EXPECT_EQ(block.find("Y"), std::string::npos);
    EXPECT_NE(block.find("\r\n " + tooLong + "\r\n"), std::string::npos);
    EXPECT_NE(block.find(Row("after", "Z")), std::string::npos);
    // Widths count characters, not bytes: a label with a two-byte character is one shorter.
    const std::string accented = ListingBlock("H", {{"\xC3\xA9", "v", {}}});
    EXPECT_NE(accented.find(" \xC3\xA9" + std::string(70, ' ') + "v\r\n"), std::string::npos);
}

TEST(Listing, FactoryImageListsTheGeneralPagesThenDataEdit) {
    ImageBytes image = FactoryImage();
    int page = 0;
    const std::string listing = ListingText(image, InterfaceText(), page);
    const std::string first =
        "    Mode and Interface\r\n" + kHeader + kRule + Row("Computer Type", "PC - AT") +
        Row("Interface", "RS232") + Row("Reading Mode", "Trigger Mode") +
        Row("Terminator", "CR + LF") + Row("Send Data Length", "Off") +
        Row("Code ID", "Disable Code ID") + kPageEnd + "    Buzzer and KB timing\r\n";
    EXPECT_EQ(listing.substr(0, first.size()), first);
    EXPECT_NE(listing.find("\r\n Preamble\r\n"), std::string::npos);  // no value: label only
    const auto headings = Headings(listing);
    ASSERT_EQ(headings.size(), 23u + 1u);
    EXPECT_EQ(headings[5], "Code 39 -{Code32}");  // the WAND page is never listed
    EXPECT_EQ(headings.back(), "Data Edit");
    EXPECT_EQ(page, 25);
    EXPECT_EQ(listing.substr(listing.size() - kPageEnd.size()), kPageEnd);
    const InterfaceText japanese(Language::Japanese);  // Data Edit in the interface language
    EXPECT_EQ(Headings(ListingText(image, japanese, page)).back(), japanese.LoadText(146));
}

TEST(Listing, SwitchedOnFormatsListPages26To31WithoutItsThirdRow) {
    ImageBytes image = FactoryImage();
    image[256] = 1;
    int page = 0;
    const std::string listing = ListingText(image, InterfaceText(), page);
    const auto headings = Headings(listing);
    ASSERT_EQ(headings.size(), 23u + 6u);
    EXPECT_EQ(headings[23], "Format Setting");
    EXPECT_EQ(page, 31);
    EXPECT_NE(listing.find(Row("Format On / Off", "Format 1 On , 2 / 3 Off") +
                           Row("F-1 Min Length", " 0")),
              std::string::npos);
    EXPECT_EQ(listing.find("Clear Format"), std::string::npos);
}

}  // namespace
}  // namespace qsp
