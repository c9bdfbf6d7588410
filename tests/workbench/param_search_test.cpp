// Finding rows across the pages, and the rows that differ from the factory values.

#include "workbench/param_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>

#include "catalogue/catalogue.h"

namespace qsp {
namespace {

const CatalogueText kEnglish;

ImageBytes Factory(int link) {
    return FactoryImage(ImageBytes{}, link);
}

// "page label" of each row.
std::set<std::string> Rows(const std::vector<FoundRow>& rows) {
    std::set<std::string> names;
    for (const auto& row : rows)
        names.insert(std::to_string(row.page) + " " + row.label);
    return names;
}

TEST(FindRows, FindsEveryRowOfEveryPageByItsLabelInAnyCaseAndNothingElse) {
    ImageBytes everything = Factory(0);  // every symbology's rows and format F-1 shown
    std::fill(everything.begin(), everything.begin() + 104, 255);
    everything[156] = 255;
    everything[256] = 1;
    for (const ImageBytes& image : {Factory(0), everything}) {
        ImageBytes shown = image;
        for (int page : ReachablePages(image)) {
            int position = 0;
            for (const auto& row : ShowPage(shown, page)) {
                ++position;
                std::string lower = row.label;
                for (char& c : lower)
                    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                const auto found = FindRows(image, " " + lower + " ", kEnglish);
                EXPECT_TRUE(std::any_of(found.begin(), found.end(),
                                        [&](const FoundRow& f) {
                                            return f.page == page && f.row == position &&
                                                   f.label == row.label;
                                        }))
                    << page << " " << row.label;
            }
        }
    }
    EXPECT_EQ(Rows(FindRows(Factory(0), "Mini Width", kEnglish)),
              std::set<std::string>{"6 Level Duration of Mini Width"});  // no tree node
    EXPECT_TRUE(FindRows(Factory(0), "no such parameter", kEnglish).empty());
    EXPECT_TRUE(FindRows(Factory(0), "   ", kEnglish).empty());
    // By value text too, in any case; searching changes nothing, not even a length byte.
    ImageBytes image = Factory(0);
    image[106] = 'Q';
    image[107] = 'S';
    EXPECT_EQ(Rows(FindRows(image, "{q}{S}", kEnglish)), std::set<std::string>{"3 Preamble"});
    EXPECT_EQ(Rows(FindRows(image, "9600 BPS", kEnglish)), std::set<std::string>{"5 Baud Rate"});
    EXPECT_EQ(image[105], 0);
}

TEST(ChangedRows, AChangeMarksExactlyTheRowsItShowsOnTheListAndOnEachPage) {
    struct Case {
        int imageLink, link;
        int index;  // -1: the link's factory image as it is
        std::uint8_t value;
        std::set<std::string> rows;
    };
    const Case cases[] = {
        {0, 0, -1, 0, {}},
        {1, 1, -1, 0, {}},
        {2, 2, -1, 0, {}},
        // The USB factory values are changes on RS-232.
        {1, 0, -1, 0, {"1 Computer Type", "1 Interface", "1 Terminator"}},
        {0, 0, 142, 3, {"5 Baud Rate"}},
        {0, 0, 0, 213 ^ 2, {"7 Code39 CDV"}},
        {0, 0, 0, 212, {"7 Code39 State"}},        // the rows it hides are not changes
        {0, 0, 28, 5, {"11 Standard 2/5 State"}},  // the rows it shows hold factory values
        {0, 0, 105, 1, {}},                        // a length byte: showing puts it back
        {0, 0, 106, 'A', {"3 Preamble"}},
        {0, 0, 256, 2, {"26 Format On / Off"}},  // the format's rows hold factory values
        {0, 0, 155, 0, {}},                      // no row shows this byte
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.imageLink << " on " << c.link << ", " << c.index);
        ImageBytes image = Factory(c.imageLink);
        if (c.index >= 0) image[static_cast<std::size_t>(c.index)] = c.value;
        const auto changed = ChangedRows(image, c.link, kEnglish);
        EXPECT_EQ(Rows(changed), c.rows);
        // Each page marks the same rows, at the positions the list shows them.
        std::size_t marked = 0;
        for (int page = kFirstPage; page <= kLastPage; ++page)
            marked += ChangedRowNumbers(image, page, c.link).size();
        EXPECT_EQ(marked, changed.size());
        for (const auto& row : changed) {
            ImageBytes shown = image;
            EXPECT_EQ(ShowPage(shown, row.page).at(static_cast<std::size_t>(row.row - 1)).label,
                      row.label);
        }
    }
    ImageBytes image = Factory(0);
    image[142] = 3;
    EXPECT_EQ(ChangedRows(image, 0, kEnglish).at(0).other, "9600 bps");  // the factory value
}

}  // namespace
}  // namespace qsp
