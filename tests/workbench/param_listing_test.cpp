#include "workbench/param_listing.h"

#include <gtest/gtest.h>

#include "catalogue/reset_values.h"

namespace qsp {
namespace {

const std::string kHeader =
    "                    Property                                                  Parameter\r\n";
const std::string kRule = std::string(110, '-') + "\r\n";
const std::string kPageEnd = "     \r\n     \r\n";

ImageBytes FactoryImage(int link = 0) {
    ImageBytes image{};
    int page = 0;
    ResetImage(image, link, page);
    return image;
}

// The "    heading" lines of a listing, in order.
std::vector<std::string> Headings(const std::string& listing) {
    std::vector<std::string> headings;
    std::size_t pos = 0;
    while ((pos = listing.find(kHeader, pos)) != std::string::npos) {
        const std::size_t lineStart = listing.rfind("\r\n", pos - 3);
        const std::size_t start = lineStart == std::string::npos ? 0 : lineStart + 2;
        headings.push_back(listing.substr(start + 4, pos - 2 - start - 4));
        pos += kHeader.size();
    }
    return headings;
}

TEST(ListingBlock, LaysOutHeadingHeaderRuleRowsAndPageEnd) {
    EXPECT_EQ(kHeader.size(), 20 + 8 + 48 + 11 + 2u);
    const std::vector<PropertyRow> rows = {
        {"Baud Rate", " 9600", {}},
        {"Preamble", "", {}},
        {"Data Parity", "None", {}},
    };
    EXPECT_EQ(ListingBlock("RS-232", rows), "    RS-232\r\n" + kHeader + kRule + " Baud Rate" +
                                                std::string(62, ' ') +
                                                " 9600\r\n"
                                                " Preamble\r\n"
                                                " Data Parity" +
                                                std::string(60, ' ') + "None\r\n" + kPageEnd);
    EXPECT_EQ(ListingBlock("Empty", {}), "    Empty\r\n" + kHeader + kRule + kPageEnd);
}

TEST(ListingBlock, LabelsLongerThanTheColumnAreLeftOutOnlyWhenTheyHaveAValue) {
    const std::string fits(71, 'a');     // 72 characters with its blank
    const std::string tooLong(72, 'b');  // 73
    const std::string block = ListingBlock(
        "H", {{fits, "X", {}}, {tooLong, "Y", {}}, {tooLong, "", {}}, {"after", "Z", {}}});
    EXPECT_NE(block.find(" " + fits + "X\r\n"), std::string::npos);
    EXPECT_EQ(block.find("Y"), std::string::npos);
    EXPECT_NE(block.find("\r\n " + tooLong + "\r\n"), std::string::npos);
    EXPECT_NE(block.find(" after" + std::string(66, ' ') + "Z\r\n"), std::string::npos);
    // Widths count characters, not bytes: a label with a two-byte character is one shorter.
    const std::string accented = ListingBlock("H", {{"\xC3\xA9", "v", {}}});
    EXPECT_NE(accented.find(" \xC3\xA9" + std::string(70, ' ') + "v\r\n"), std::string::npos);
}

TEST(Listing, FactoryImageListsTheGeneralPagesThenDataEdit) {
    ImageBytes image = FactoryImage();
    int page = 0;
    const std::string listing = ListingText(image, InterfaceText(), page);
    const auto headings = Headings(listing);
    ASSERT_EQ(headings.size(), 23u + 1u);
    EXPECT_EQ(headings.front(), "Mode and Interface");
    EXPECT_EQ(headings[4], "RS-232");
    EXPECT_EQ(headings[5], "Code 39 -{Code32}");  // the WAND page is never listed
    EXPECT_EQ(headings[22], "PDF417");
    EXPECT_EQ(headings.back(), "Data Edit");
    EXPECT_EQ(page, 25);
    EXPECT_EQ(listing.substr(listing.size() - kPageEnd.size()), kPageEnd);
    // The Data Edit heading is the interface language's.
    ImageBytes again = FactoryImage();
    const InterfaceText japanese(Language::Japanese);
    const auto jp = Headings(ListingText(again, japanese, page));
    EXPECT_EQ(jp.back(), japanese.LoadText(146));
    EXPECT_EQ(jp.front(), "Mode and Interface");
}

TEST(Listing, SwitchedOnFormatsListPages26To31WithoutItsThirdRow) {
    ImageBytes image = FactoryImage();
    image[256] = 1;
    int page = 0;
    const std::string listing = ListingText(image, InterfaceText(), page);
    const auto headings = Headings(listing);
    ASSERT_EQ(headings.size(), 23u + 6u);
    EXPECT_EQ(headings[23], "Format Setting");
    EXPECT_EQ(headings.back(), "Code Type and Output");
    EXPECT_EQ(std::count(headings.begin(), headings.end(), "Data Edit"), 0);
    EXPECT_EQ(page, 31);

    ImageBytes shown = image;
    const auto rows = ShowPage(shown, 26);
    ASSERT_GE(rows.size(), 4u);
    const std::size_t start = listing.find("    Format Setting\r\n");
    const std::size_t end = listing.find("    Block 1\r\n");
    const std::string block = listing.substr(start, end - start);
    const auto has = [&](const PropertyRow& row) {
        return block.find("\r\n " + row.label + (row.value.empty() ? "\r\n" : " ")) !=
               std::string::npos;
    };
    EXPECT_TRUE(has(rows[0]));
    EXPECT_TRUE(has(rows[1]));
    EXPECT_FALSE(has(rows[2])) << rows[2].label;
    EXPECT_TRUE(has(rows[3]));
}

TEST(Listing, WalkingThePagesMakesTheirCorrections) {
    ImageBytes image = FactoryImage();
    image[150] = 7;   // auto sensing: the timer rows are shown...
    image[171] = 60;  // ...and a timer above 50 falls back to 3
    image[140] = 3;   // USB(Cable) means a notebook
    image[139] = 0;
    int page = 0;
    const std::string listing = ListingText(image, InterfaceText(), page);
    EXPECT_EQ(image[171], 3);
    EXPECT_EQ(image[139], 1);
    EXPECT_NE(listing.find(" Computer Type" + std::string(58, ' ') + "Notebook PC\r\n"),
              std::string::npos);
    EXPECT_NE(listing.find(" Delay timer1, when there was no symbology decoding" +
                           std::string(21, ' ') + " 3\r\n"),
              std::string::npos);
}

}  // namespace
}  // namespace qsp
