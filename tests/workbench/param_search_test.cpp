// Finding rows across the pages, and the rows that differ from the factory values.

#include "workbench/param_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <utility>

#include "catalogue/catalogue.h"

namespace qsp {
namespace {

using Place = std::pair<int, int>;  // page, row position

ImageBytes Factory(int link) {
    return FactoryImage(ImageBytes{}, link);
}

// Every flag of the symbologies set and format F-1 selected, so that every kind of row is shown.
ImageBytes EverythingShown() {
    ImageBytes image = Factory(0);
    std::fill(image.begin(), image.begin() + 104, 255);
    image[156] = 255;
    image[256] = 1;
    return image;
}

std::set<Place> Places(const std::vector<FoundRow>& rows) {
    std::set<Place> places;
    for (const auto& row : rows)
        places.insert({row.page, row.row});
    return places;
}

std::set<std::string> Labels(const std::vector<FoundRow>& rows) {
    std::set<std::string> labels;
    for (const auto& row : rows)
        labels.insert(std::to_string(row.page) + " " + row.label);
    return labels;
}

TEST(FindRows, FindsEveryRowOfEveryPageByItsLabelInAnyCase) {
    const CatalogueText english;
    for (const ImageBytes& image : {Factory(0), EverythingShown()}) {
        ImageBytes shown = image;
        int rows = 0;
        for (int page : ReachablePages(image)) {
            int position = 0;
            for (const auto& row : ShowPage(shown, page)) {
                ++position;
                ++rows;
                std::string lower = row.label;
                for (char& c : lower)
                    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                for (const std::string& query : {row.label, lower, "  " + row.label + " "}) {
                    const auto found = FindRows(image, query, english);
                    EXPECT_TRUE(Places(found).count({page, position}))
                        << "page " << page << " '" << query << "'";
                }
            }
        }
        EXPECT_GT(rows, 100);
    }
    // The WAND page, which has no tree node, is searched as well.
    const auto wand = FindRows(Factory(0), "Level Duration of Mini Width", english);
    ASSERT_EQ(wand.size(), 1u);
    EXPECT_EQ(wand[0].page, kWandPage);
    EXPECT_EQ(wand[0].heading, "WAND Emulation");
}

TEST(FindRows, FindsByValueTextAndNothingForTextNoRowHolds) {
    const CatalogueText english;
    ImageBytes image = Factory(0);
    image[105] = 3;
    image[106] = 'Q';
    image[107] = 'S';
    image[108] = 'P';
    const auto preamble = FindRows(image, "{Q}{S}", english);
    ASSERT_EQ(preamble.size(), 1u);
    EXPECT_EQ(preamble[0].label, "Preamble");
    EXPECT_EQ(preamble[0].value, "{Q}{S}{P}");
    EXPECT_EQ(preamble[0].heading, PageHeading(preamble[0].page));

    const auto baud = FindRows(image, "9600 BPS", english);
    ASSERT_EQ(baud.size(), 1u);
    EXPECT_EQ(baud[0].label, "Baud Rate");
    EXPECT_EQ(baud[0].page, 5);

    EXPECT_TRUE(FindRows(image, "no such parameter", english).empty());
    EXPECT_TRUE(FindRows(image, "   ", english).empty());
    EXPECT_TRUE(FindRows(image, "", english).empty());
    EXPECT_EQ(image[105], 3);  // searching changes nothing
}

TEST(ChangedRows, AFactoryImageHasNoneOnEveryLink) {
    const CatalogueText english;
    for (int link : {0, 1, 2}) {
        const ImageBytes factory = Factory(link);
        EXPECT_TRUE(ChangedRows(factory, link, english).empty()) << "link " << link;
        for (int page = kFirstPage; page <= kLastPage; ++page)
            EXPECT_TRUE(ChangedRowNumbers(factory, page, link).empty()) << page;
    }
    // The USB factory values are changes on RS-232: computer type, interface and terminator.
    EXPECT_EQ(Labels(ChangedRows(Factory(1), 0, english)),
              (std::set<std::string>{"1 Computer Type", "1 Interface", "1 Terminator"}));
}

TEST(ChangedRows, AOneByteChangeMarksExactlyTheRowsItShows) {
    const CatalogueText english;
    struct Case {
        std::size_t index;
        std::uint8_t value;
        std::set<std::string> rows;
    };
    const Case cases[] = {
        {142, 3, {"5 Baud Rate"}},
        {0, 213 ^ 2, {"7 Code39 CDV"}},
        {0, 212, {"7 Code39 State"}},        // the rows it hides are not changes
        {28, 5, {"11 Standard 2/5 State"}},  // the rows it shows keep their factory values
        {105, 1, {}},  // a length byte with an empty run: showing puts it back
        {106, 'A', {"3 Preamble"}},
        {256, 2, {"26 Format On / Off"}},  // the format rows all hold their factory values
        {155, 0, {}},                      // no row shows this byte
    };
    for (const Case& c : cases) {
        ImageBytes image = Factory(0);
        image[c.index] = c.value;
        const auto changed = ChangedRows(image, 0, english);
        std::set<std::string> labels = Labels(changed);
        EXPECT_EQ(labels, c.rows) << "index " << c.index;
        // The marks of each page are the same rows.
        std::set<Place> marked;
        for (int page = kFirstPage; page <= kLastPage; ++page) {
            for (int row : ChangedRowNumbers(image, page, 0))
                marked.insert({page, row});
        }
        EXPECT_EQ(marked, Places(changed)) << "index " << c.index;
    }
    // A changed row names its factory value and its position.
    ImageBytes image = Factory(0);
    image[142] = 3;
    const auto changed = ChangedRows(image, 0, english);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0].other, "9600 bps");
    EXPECT_NE(changed[0].value, changed[0].other);
    ImageBytes shown = image;
    EXPECT_EQ(ShowPage(shown, 5)[static_cast<std::size_t>(changed[0].row - 1)].label, "Baud Rate");
}

TEST(DifferenceRows, NameBothValuesAndTheMissingSide) {
    ImageBytes a = Factory(0);
    ImageBytes b = a;
    b[142] = 3;
    b[0] = 212;  // Code 39 off on the second: its further rows are missing there
    const auto rows = DifferenceRows(CompareImages(a, b), CatalogueText(), "(none)");
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front().label, "Baud Rate");
    EXPECT_EQ(rows.front().value, "9600 bps");
    EXPECT_EQ(rows.front().other, "1200 bps");
    ImageBytes shown = a;
    const auto page5 = ShowPage(shown, 5);
    EXPECT_EQ(page5[static_cast<std::size_t>(rows.front().row - 1)].label, "Baud Rate");
    bool missing = false;
    for (const auto& row : rows)
        missing = missing || (row.page == 7 && row.other == "(none)" && row.row > 1);
    EXPECT_TRUE(missing);
}

}  // namespace
}  // namespace qsp
