#include "workbench/param_listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "base/display_width.h"
#include "catalogue/catalogue_text.h"
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

// The "    heading" lines of a listing (4 blanks, then text), in order.
std::vector<std::string> Headings(const std::string& listing) {
    std::vector<std::string> headings;
    std::istringstream in(listing);
    for (std::string line; std::getline(in, line);) {
        if (line.size() > 5 && line.compare(0, 4, "    ") == 0 && line[4] != ' ') {
            headings.push_back(line.substr(4, line.size() - 5));
        }
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
    const std::string block = ListingBlock("H", {{fits, "X", {}, {}},
                                                 {tooLong, "Y", {}, {}},
                                                 {tooLong, "", {}, {}},
                                                 {"after", "Z", {}, {}}});
    EXPECT_NE(block.find(Row(fits, "X")), std::string::npos);
    EXPECT_EQ(block.find("Y"), std::string::npos);
    EXPECT_NE(block.find("\r\n " + tooLong + "\r\n"), std::string::npos);
    EXPECT_NE(block.find(Row("after", "Z")), std::string::npos);
    // Widths count characters, not bytes: a label with a two-byte character is one shorter.
    const std::string accented = ListingBlock("H", {{"\xC3\xA9", "v", {}, {}}});
    EXPECT_NE(accented.find(" \xC3\xA9" + std::string(70, ' ') + "v\r\n"), std::string::npos);
}

// The general pages (never the WAND page), then Data Edit, or with a format switched on pages
// 26 to 31 without Clear Format; the page counter ends on the last page listed.
TEST(Listing, FactoryImageListsTheGeneralPagesThenDataEditOrTheFormatPages) {
    ImageBytes image = FactoryImage();
    int page = 0;
    std::string listing = ListingText(image, InterfaceText(), page);
    const std::string first = "    Mode and Interface\r\n" + kHeader + kRule +
                              Row("Computer Type", "PC - AT") + Row("Interface", "RS232") +
                              Row("Reading Mode", "Trigger Mode") + Row("Terminator", "CR + LF") +
                              Row("Send Data Length", "Off") + Row("Code ID", "Disable Code ID") +
                              kPageEnd + "    Buzzer and KB timing\r\n";
    EXPECT_EQ(listing.substr(0, first.size()), first);
    EXPECT_NE(listing.find("\r\n Preamble\r\n"), std::string::npos);  // no value: label only
    auto headings = Headings(listing);
    ASSERT_EQ(headings.size(), 23u + 1u);
    EXPECT_EQ(headings[5], "Code 39 -{Code32}");
    EXPECT_EQ(headings.back(), "Data Edit");
    EXPECT_EQ(page, 25);
    EXPECT_EQ(listing.substr(listing.size() - kPageEnd.size()), kPageEnd);
    const InterfaceText japanese(Language::Japanese);  // Data Edit in the interface language
    EXPECT_EQ(Headings(ListingText(image, japanese, page)).back(), japanese.LoadText(146));

    image[256] = 1;
    listing = ListingText(image, InterfaceText(), page);
    headings = Headings(listing);
    ASSERT_EQ(headings.size(), 23u + 6u);
    EXPECT_EQ(headings[23], "Format Setting");
    EXPECT_EQ(page, 31);
    EXPECT_NE(listing.find(Row("Format On / Off", "Format 1 On , 2 / 3 Off") +
                           Row("F-1 Min Length", " 0")),
              std::string::npos);
    EXPECT_EQ(listing.find("Clear Format"), std::string::npos);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// What stands from display column `column` on; "(split)" when no character starts there.
std::string FromColumn(const std::string& line, std::size_t column) {
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i < line.size() && (static_cast<unsigned char>(line[i]) & 0xC0) == 0x80) continue;
        const std::size_t width = DisplayWidth(line.substr(0, i));
        if (width == column) return line.substr(i);
        if (width > column) break;
    }
    return "(split)";
}

TEST(Listing, EveryLanguageListsTheSameRowsWithValuesInTheSameColumn) {
    ImageBytes image = FactoryImage();
    image[256] = 1;  // the data edit pages too
    const auto listing = [&](Language language) {
        ImageBytes shown = image;
        int page = 0;
        return ListingText(shown, InterfaceText(language), page);
    };
    const auto english = Lines(listing(Language::Neutral));
    for (Language language :
         {Language::TraditionalChinese, Language::Japanese, Language::SimplifiedChinese}) {
        SCOPED_TRACE(static_cast<int>(language));
        const CatalogueText translate(language);
        const auto lines = Lines(listing(language));
        ASSERT_EQ(lines.size(), english.size());
        int rows = 0;
        int translatedLabels = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string& en = english[i];
            if (en.compare(0, 20, std::string(20, ' ')) == 0 && en.size() > 20 && en[20] != ' ') {
                // The header: "Parameter" stands where it stands in English.
                EXPECT_EQ(FromColumn(lines[i], 76),
                          "  " + InterfaceText(language).LoadText(148) + "\r");
                continue;
            }
            if (en.size() <= 73 || en[0] != ' ' || en[1] == ' ')
                continue;  // not a row with a value
            ++rows;
            const std::string value = FromColumn(lines[i], 72);
            EXPECT_EQ(value, translate(en.substr(72, en.size() - 73)) + "\r") << lines[i];
            translatedLabels += std::any_of(lines[i].begin(), lines[i].end() - value.size(),
                                            [](char c) { return c & 0x80; });
        }
        EXPECT_GT(rows, 100);
        EXPECT_GT(translatedLabels, rows / 2);
    }
    // The two values that decide the pages are translated, not the words the image is read by.
    const std::string japanese = listing(Language::Japanese);
    EXPECT_NE(japanese.find("\xE6\x9C\x89\xE5\x8A\xB9"), std::string::npos);  // "Enable"
    EXPECT_EQ(japanese.find("Enable"), std::string::npos);
}

}  // namespace
}  // namespace qsp
