#include "workbench/printout.h"

#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "catalogue/reset_values.h"

namespace qsp {
namespace {

using Lines = std::vector<std::string>;
const std::string kDashes(180, '-');
const std::string kHeader =
    std::string(20, ' ') + "Property" + std::string(80, ' ') + "  Parameter";

// A text as it lands on paper: its sheet (0-based), position, and whether it is bold.
struct Printed {
    int sheet = 0;
    int x = 0;
    int y = 0;
    std::string text;
    bool bold = false;
};

std::vector<Printed> Replay(const PrintOperations& operations) {
    std::vector<Printed> out;
    int sheet = 0;
    bool bold = false;
    for (const auto& op : operations) {
        if (op.kind == PrintOperation::Kind::NewPage) ++sheet;
        if (op.kind == PrintOperation::Kind::Bold) bold = op.bold;
        if (op.kind == PrintOperation::Kind::Text)
            out.push_back({sheet, op.x, op.y, op.text, bold});
    }
    return out;
}

// The lines at the left edge of one sheet, top to bottom, each checked to stand one line below
// the one before.
Lines Sheet(const std::vector<Printed>& printed, int sheet) {
    Lines lines;
    for (const auto& p : printed) {
        if (p.sheet != sheet || p.x != 0) continue;
        EXPECT_EQ(p.y, static_cast<int>(lines.size()) * kPrintoutLineHeight) << p.text;
        lines.push_back(p.text);
    }
    return lines;
}

PrintedPage PageWithRows(const std::string& heading, int rows) {
    PrintedPage page{heading, {}};
    for (int i = 1; i <= rows; ++i)
        page.rows.push_back({"Row " + std::to_string(i), " " + std::to_string(i)});
    return page;
}

TEST(Printout, LaysOutHeadingsBoldRowsWithTheirValuesAndRules) {
    const auto printed = Replay(PrintoutOperations(
        {{"RS-232", {{"Baud Rate", "9600 bps"}, {"Preamble", ""}}}, {"Other", {{"Type", "X"}}}}));
    EXPECT_EQ(Sheet(printed, 0), (Lines{" ", " ", " ", "     RS-232", kHeader, kDashes,
                                        "     Baud Rate", "     Preamble", kDashes, " ", " ",
                                        "     Other", kHeader, kDashes, "     Type", kDashes}));
    // Values stand on their row's line at 4300 twips; only the rows and values are bold.
    std::vector<std::tuple<std::string, int, int>> values;  // text, x, line
    std::vector<std::string> bold;
    for (const auto& p : printed) {
        if (p.bold) bold.push_back(p.text);
        if (p.x != 0) values.push_back({p.text, p.x, p.y / kPrintoutLineHeight});
    }
    EXPECT_EQ(bold, (Lines{"     Baud Rate", "     9600 bps", "     Preamble", "     Type",
                           "     X"}));
    EXPECT_EQ(values, (decltype(values){{"     9600 bps", kPrintoutValueColumn, 6},
                                        {"     X", kPrintoutValueColumn, 14}}));
}

TEST(Printout, TheLineCounterStartsNewSheetsWithThreeBlankLines) {
    // 3 blank and 3 heading lines first: the 80th row is the 86th counted line, printed before
    // the break; after it the count is 3, so 83 more rows fill the next sheet.
    auto printed = Replay(PrintoutOperations({PageWithRows("Long", 164)}));
    EXPECT_EQ(Sheet(printed, 0).size(), 86u);
    EXPECT_EQ(Sheet(printed, 0).back(), "     Row 80");
    const Lines second = Sheet(printed, 1);
    EXPECT_EQ(Lines(second.begin(), second.begin() + 4), (Lines{" ", " ", " ", "     Row 81"}));
    EXPECT_EQ(second.back(), "     Row 163");
    EXPECT_EQ(Sheet(printed, 2), (Lines{" ", " ", " ", "     Row 164", kDashes}));

    struct Case {
        int firstRows;
        std::size_t firstSheetLines;
        Lines secondSheet;
    };
    const Case cases[] = {
        // 6 + 78 rows + the rule = 85; the next page's blank lines make 87 and break.
        {78, 87, {" ", " ", " ", "     B", kHeader, kDashes, "     Row 1", "     Row 2", kDashes}},
        // 85 after the rows: the rule (86) never breaks, the blank lines do.
        {79, 88, {" ", " ", " ", "     B", kHeader, kDashes, "     Row 1", "     Row 2", kDashes}},
        // 83 after the rule; blank and heading lines reach 88 without a break, the first row
        // breaks.
        {76, 89, {" ", " ", " ", "     Row 2", kDashes}},
    };
    // The factory image's listing runs over several sheets, each begun the same way.
    ImageBytes image{};
    int current = 0;
    ResetImage(image, 0, current);
    printed = Replay(PrintoutOperations(PrintedPages(image, InterfaceText(), current)));
    ASSERT_GE(printed.back().sheet, 2);
    for (int sheet = 1; sheet <= printed.back().sheet; ++sheet) {
        Lines top = Sheet(printed, sheet);
        top.resize(3);
        EXPECT_EQ(top, (Lines{" ", " ", " "})) << sheet;
    }
    for (const auto& c : cases) {
        printed =
            Replay(PrintoutOperations({PageWithRows("A", c.firstRows), PageWithRows("B", 2)}));
        EXPECT_EQ(Sheet(printed, 0).size(), c.firstSheetLines) << c.firstRows;
        EXPECT_EQ(Sheet(printed, 1), c.secondSheet) << c.firstRows;
    }
}

// The printer gets the listing's pages (see the listing tests) through its own walk.
TEST(PrintedPages, AreTheListedPagesAsShownWithTheirHeadings) {
    ImageBytes image{};
    int current = 0;
    ResetImage(image, 0, current);
    image[256] = 1;
    const ImageBytes selected = image;
    const auto pages = PrintedPages(image, InterfaceText(), current);
    ASSERT_EQ(pages.size(), ListedPages(selected).size());
    EXPECT_EQ(pages.front().heading, "Mode and Interface");
    EXPECT_EQ(pages.back().heading, "Code Type and Output");
    EXPECT_EQ(current, kCodeTypePage);
    // Page 26 without its third row.
    ImageBytes shown = selected;
    const auto page26 = ShowPage(shown, kFormatSettingPage);
    ASSERT_EQ(pages[pages.size() - 6].rows.size(), page26.size() - 1);
    EXPECT_EQ(pages[pages.size() - 6].rows[2].label, page26[3].label);
}

TEST(DefaultBarcodeSheet, PrintsDefaultInBoldThenTheCode39Text) {
    using K = PrintOperation::Kind;
    EXPECT_EQ(DefaultBarcodeOperations(), (PrintOperations{
                                              {K::Font, 0, 0, "Tahoma", 16, false},
                                              {K::Bold, 0, 0, "", 0, true},
                                              {K::Text, 1500, 300, "Default", 0, false},
                                              {K::Bold, 0, 0, "", 0, false},
                                              {K::Font, 0, 0, "3 of 9 Barcode", 28, false},
                                              {K::Barcode, 1500, 700, "*.A001$*", 28, false},
                                          }));
    EXPECT_EQ(Code39Data(kDefaultBarcodeText), ".A001$");
    EXPECT_EQ(Code39Data("*AB*C*"), "AB*C");
    EXPECT_EQ(Code39Data("*"), "");
}

}  // namespace
}  // namespace qsp
