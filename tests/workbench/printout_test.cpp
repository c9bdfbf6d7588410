#include "workbench/printout.h"

#include <gtest/gtest.h>

namespace qsp {
namespace {

using Lines = std::vector<std::string>;
const std::string kDashes(180, '-');
const std::string kHeader =
    std::string(20, ' ') + "Property" + std::string(80, ' ') + "  Parameter";

// A text as it lands on paper: its sheet (0-based) and position.
struct Printed {
    int sheet, x, y;
    std::string text;
};

std::vector<Printed> Replay(const PrintOperations& operations) {
    std::vector<Printed> out;
    int sheet = 0;
    for (const auto& op : operations) {
        if (op.kind == PrintOperation::Kind::NewPage) ++sheet;
        if (op.kind == PrintOperation::Kind::Text) out.push_back({sheet, op.x, op.y, op.text});
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

TEST(Printout, LaysOutHeadingsRowsWithTheirValuesAndRules) {
    const auto printed = Replay(PrintoutOperations(
        {{"RS-232", {{"Baud Rate", "9600 bps"}, {"Preamble", ""}}}, {"Other", {{"Type", "X"}}}}));
    EXPECT_EQ(Sheet(printed, 0), (Lines{" ", " ", " ", "     RS-232", kHeader, kDashes,
                                        "     Baud Rate", "     Preamble", kDashes, " ", " ",
                                        "     Other", kHeader, kDashes, "     Type", kDashes}));
    // Values stand on their row's line at 4300 twips.
    std::vector<std::tuple<std::string, int, int>> values;  // text, x, line
    for (const auto& p : printed) {
        if (p.x != 0) values.push_back({p.text, p.x, p.y / kPrintoutLineHeight});
    }
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

    // clang-format off
    struct Case { int firstRows; std::size_t firstSheetLines; Lines secondSheet; };
    const Case cases[] = {
        // 6 + 78 rows + the rule = 85; the next page's blank lines make 87 and break.
        {78, 87, {" ", " ", " ", "     B", kHeader, kDashes, "     Row 1", "     Row 2", kDashes}},
        // 85 after the rows: the rule (86) never breaks, the blank lines do.
        {79, 88, {" ", " ", " ", "     B", kHeader, kDashes, "     Row 1", "     Row 2", kDashes}},
        // 83 after the rule; blank and heading lines reach 88 without a break, the first row
        // breaks.
        {76, 89, {" ", " ", " ", "     Row 2", kDashes}},
    };
    // clang-format on
    for (const auto& c : cases) {
        printed =
            Replay(PrintoutOperations({PageWithRows("A", c.firstRows), PageWithRows("B", 2)}));
        EXPECT_EQ(Sheet(printed, 0).size(), c.firstSheetLines) << c.firstRows;
        EXPECT_EQ(Sheet(printed, 1), c.secondSheet) << c.firstRows;
    }
}

}  // namespace
}  // namespace qsp
