#include "workbench/printout.h"

#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "catalogue/reset_values.h"

namespace qsp {
namespace {

constexpr int kLine = kPrintoutLineHeight;
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

// The texts of the lines at the left edge of one sheet, top to bottom.
std::vector<std::string> SheetLines(const std::vector<Printed>& printed, int sheet) {
    std::vector<std::string> lines;
    for (const auto& p : printed) {
        if (p.sheet == sheet && p.x == 0) lines.push_back(p.text);
    }
    return lines;
}

PrintedPage PageWithRows(const std::string& heading, int rows) {
    PrintedPage page{heading, {}};
    for (int i = 1; i <= rows; ++i)
        page.rows.push_back({"Row " + std::to_string(i), " " + std::to_string(i)});
    return page;
}

const Printed* Find(const std::vector<Printed>& printed, const std::string& text) {
    for (const auto& p : printed) {
        if (p.text == text) return &p;
    }
    return nullptr;
}

ImageBytes FactoryImage() {
    ImageBytes image{};
    int page = 0;
    ResetImage(image, 0, page);
    return image;
}

TEST(Printout, LaysOutHeadingsRowsAndRulesWithBoldRowsAndTheValueColumn) {
    const std::vector<PrintedPage> pages = {
        {"RS-232", {{"Baud Rate", "9600 bps"}, {"Preamble", ""}}},
        {"Other", {{"Label Type", "Positive"}}},
    };
    const auto operations = PrintoutOperations(pages);
    ASSERT_FALSE(operations.empty());
    EXPECT_EQ(operations.front().kind, PrintOperation::Kind::Font);
    EXPECT_EQ(operations.front().points, kPrintoutPoints);

    const auto printed = Replay(operations);
    EXPECT_EQ(SheetLines(printed, 0),
              (std::vector<std::string>{
                  " ", " ", " ", "     RS-232", kHeader, kDashes, "     Baud Rate", "     Preamble",
                  kDashes, " ", " ", "     Other", kHeader, kDashes, "     Label Type", kDashes}));
    // Every line one line height below the one before, from the top of the sheet.
    int expectedY = 0;
    for (const auto& p : printed) {
        if (p.x != 0) continue;
        EXPECT_EQ(p.y, expectedY) << p.text;
        expectedY += kLine;
    }
    // A value stands on its row's line at 4300 twips; a row without value text has none.
    const Printed* label = Find(printed, "     Baud Rate");
    const Printed* value = Find(printed, "     9600 bps");
    ASSERT_TRUE(label && value);
    EXPECT_EQ(value->x, kPrintoutValueColumn);
    EXPECT_EQ(value->y, label->y);
    EXPECT_EQ(std::count_if(printed.begin(), printed.end(),
                            [](const Printed& p) { return p.x == kPrintoutValueColumn; }),
              2);
    // Rows are bold; headings, the header and the rules are not.
    for (const auto& p : printed) {
        const bool row = p.text.find("Baud") != std::string::npos ||
                         p.text.find("9600") != std::string::npos ||
                         p.text.find("Preamble") != std::string::npos ||
                         p.text.find("Label Type") != std::string::npos ||
                         p.text.find("Positive") != std::string::npos;
        EXPECT_EQ(p.bold, row) << p.text;
    }
}

TEST(Printout, ARowBeyond85LinesStartsANewSheetWithThreeBlankLines) {
    // 3 blank lines and 3 heading lines, so the 80th row is the 86th counted line.
    const auto printed = Replay(PrintoutOperations({PageWithRows("Long", 100)}));
    const auto first = SheetLines(printed, 0);
    ASSERT_EQ(first.size(), 86u);
    EXPECT_EQ(first.back(), "     Row 80");
    EXPECT_EQ(Find(printed, "     Row 80")->y, 85 * kLine);
    const auto second = SheetLines(printed, 1);
    ASSERT_EQ(second.size(), 3u + 20 + 1);
    EXPECT_EQ(std::vector<std::string>(second.begin(), second.begin() + 4),
              (std::vector<std::string>{" ", " ", " ", "     Row 81"}));
    EXPECT_EQ(Find(printed, "     Row 81")->y, 3 * kLine);
    EXPECT_EQ(Find(printed, "      81")->sheet, 1);
    EXPECT_EQ(second.back(), kDashes);
    EXPECT_TRUE(SheetLines(printed, 2).empty());

    // After the break the count is 3: 83 rows more fill the sheet, the next one breaks again.
    const auto twice = Replay(PrintoutOperations({PageWithRows("Long", 80 + 83 + 1)}));
    EXPECT_EQ(SheetLines(twice, 1).back(), "     Row 163");
    EXPECT_EQ(SheetLines(twice, 2),
              (std::vector<std::string>{" ", " ", " ", "     Row 164", kDashes}));
}

TEST(Printout, BlankLinesBeforeAPageCanBreakButHeadingLinesAndRulesCannot) {
    // 6 + 78 rows + the rule = 85; the next page's two blank lines make 87: a new sheet, whose
    // three blank lines come before the heading.
    auto printed = Replay(PrintoutOperations({PageWithRows("A", 78), PageWithRows("B", 1)}));
    EXPECT_EQ(SheetLines(printed, 0).size(), 85u + 2);
    EXPECT_EQ(SheetLines(printed, 1), (std::vector<std::string>{" ", " ", " ", "     B", kHeader,
                                                                kDashes, "     Row 1", kDashes}));

    // 6 + 79 rows = 85 does not break; the rule makes 86 and still does not; the blank lines
    // after it do.
    printed = Replay(PrintoutOperations({PageWithRows("A", 79), PageWithRows("B", 1)}));
    const auto first = SheetLines(printed, 0);
    ASSERT_EQ(first.size(), 88u);
    EXPECT_EQ(first[84], "     Row 79");
    EXPECT_EQ(first[85], kDashes);
    EXPECT_EQ(SheetLines(printed, 1)[3], "     B");

    // Heading lines push the count past 85 without a break; the first row then breaks.
    printed = Replay(PrintoutOperations({PageWithRows("A", 76), PageWithRows("B", 2)}));
    const auto sheet = SheetLines(printed, 0);
    EXPECT_EQ(sheet.size(), 89u);  // 6 + 76 + 1, then 2 blank, 3 heading lines and one row
    EXPECT_EQ(sheet.back(), "     Row 1");
    EXPECT_EQ(SheetLines(printed, 1),
              (std::vector<std::string>{" ", " ", " ", "     Row 2", kDashes}));
}

TEST(PrintedPages, ListTheListedPagesAsTheyAreShown) {
    const InterfaceText english;
    ImageBytes image = FactoryImage();
    int current = 3;
    auto pages = PrintedPages(image, english, current);
    const auto listed = ListedPages(FactoryImage());
    ASSERT_EQ(pages.size(), listed.size());
    for (std::size_t i = 0; i + 1 < listed.size(); ++i)
        EXPECT_EQ(pages[i].heading, PageHeading(listed[i]));
    EXPECT_EQ(pages.front().heading, "Mode and Interface");
    EXPECT_EQ(pages.back().heading, "Data Edit");
    EXPECT_EQ(current, kDataEditPage);
    for (const auto& page : pages)
        EXPECT_NE(page.heading, PageHeading(kWandPage));
    ImageBytes shown = FactoryImage();
    const auto rows = ShowPage(shown, 2);
    ASSERT_EQ(pages[1].rows.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(pages[1].rows[i].label, rows[i].label);
        EXPECT_EQ(pages[1].rows[i].value, rows[i].value);
    }

    // The page-25 heading is the interface language's.
    image = FactoryImage();
    EXPECT_EQ(PrintedPages(image, InterfaceText(Language::Japanese), current).back().heading,
              InterfaceText(Language::Japanese).LoadText(kDataEditTextId));
}

TEST(PrintedPages, WithAFormatSelectedEndWithCodeTypeAndOutputAndSkipPage26ThirdRow) {
    ImageBytes image = FactoryImage();
    image[256] = 1;
    int current = 0;
    const auto pages = PrintedPages(image, InterfaceText(), current);
    EXPECT_EQ(current, kCodeTypePage);
    EXPECT_EQ(pages.back().heading, "Code Type and Output");
    for (const auto& page : pages)
        EXPECT_NE(page.heading, "Data Edit");
    ImageBytes shown = image;
    const auto rows = ShowPage(shown, kFormatSettingPage);
    ASSERT_GE(rows.size(), 3u);
    const auto& page26 = pages[pages.size() - 6];
    EXPECT_EQ(page26.heading, PageHeading(kFormatSettingPage));
    ASSERT_EQ(page26.rows.size(), rows.size() - 1);
    EXPECT_EQ(page26.rows[1].label, rows[1].label);
    EXPECT_EQ(page26.rows[2].label, rows[3].label);
}

TEST(DefaultBarcodeSheet, PrintsDefaultInBoldThenTheCode39Text) {
    const auto operations = DefaultBarcodeOperations();
    using K = PrintOperation::Kind;
    const PrintOperations expected = {
        {K::Font, 0, 0, "Tahoma", 16, false},
        {K::Bold, 0, 0, "", 0, true},
        {K::Text, 1500, 300, "Default", 0, false},
        {K::Bold, 0, 0, "", 0, false},
        {K::Font, 0, 0, "3 of 9 Barcode", 28, false},
        {K::Barcode, 1500, 700, "*.A001$*", 28, false},
    };
    EXPECT_EQ(operations, expected);
    EXPECT_EQ(Code39Data(kDefaultBarcodeText), ".A001$");
    EXPECT_EQ(Code39Data("*AB*C*"), "AB*C");
    EXPECT_EQ(Code39Data("PLAIN"), "PLAIN");
    EXPECT_EQ(Code39Data("*"), "");
}

}  // namespace
}  // namespace qsp
