// Pages 25 to 31 (the data edit formats), the category tree and the listing's page walk.

#include <gtest/gtest.h>

#include "catalogue_test_support.h"

namespace qsp::test {
namespace {

ImageBytes WithSwitch(std::uint8_t value) {
    ImageBytes image = FactoryImage(0);
    image[256] = value;
    return image;
}

TEST(DataEditPages, AllFormatsOffShowsTheTwoGlobalRows) {
    const std::vector<LabelValue> expected{{"Force Data Edit", "Disable"},
                                           {"Format On / Off", "Format All Off"}};
    for (int link : {0, 1, 2}) {
        EXPECT_EQ(Shown(FactoryImage(link), 25), expected);
        EXPECT_EQ(Shown(FactoryImage(link), 26), expected);
        for (int page = 27; page <= 31; ++page)
            EXPECT_TRUE(Shown(FactoryImage(link), page).empty());
    }
    ImageBytes image = WithSwitch(0);
    image[260] = 1;
    EXPECT_EQ(Shown(image, 25).front().second, "Enable");
    image[260] = 7;
    EXPECT_EQ(Shown(image, 25).front().second, "Null");
    EXPECT_TRUE(Shown(WithSwitch(4), 25).empty());
}

TEST(DataEditPages, FormatSettingReadsTheSelectedFormat) {
    struct Case {
        std::uint8_t switchValue;
        int base;
        const char* name;
        const char* switchText;
    };
    const Case cases[] = {{1, 256, "F-1", "Format 1 On , 2 / 3 Off"},
                          {2, 336, "F-2", "Format 2 On , 1 / 3 Off"},
                          {4, 416, "F-3", "Format 3 On , 1 / 2 Off"}};
    for (const Case& c : cases) {
        ImageBytes image = WithSwitch(c.switchValue);
        image[c.base + 16] = 4;
        image[c.base + 17] = 20;
        image[c.base + 21] = 2;
        image[c.base + 22] = 9;  // find data length, not the run's length
        image[c.base + 23] = 'A';
        image[c.base + 24] = 'B';
        image[c.base + 25] = 'C';
        image[c.base + 26] = 255;
        const std::string n = c.name;
        const auto rows = ShowPage(image, 26);
        EXPECT_EQ(LabelsAndValues(rows),
                  (std::vector<LabelValue>{{"Force Data Edit", "Disable"},
                                           {"Format On / Off", c.switchText},
                                           {n + " Clear Format", " ( Double Click )"},
                                           {n + " Min Length", " 4"},
                                           {n + " Max Length", " 20"},
                                           {n + " Find String Position", " 2"},
                                           {n + " Find Data Length", " 9"},
                                           {n + " Find String Data", "{A}{B}{C}"}}));
        EXPECT_EQ(image[c.base + 22], 9);
        const EditDescriptor expected[] = {{260, 9, 1},
                                           {256, 9, 2},
                                           {c.switchValue, 30, 3},
                                           {uint16_t(c.base + 16), 9, 4},
                                           {uint16_t(c.base + 17), 9, 5},
                                           {uint16_t(c.base + 21), 9, 6},
                                           {uint16_t(c.base + 22), 9, 7},
                                           {uint16_t(c.base + 23), 15, 8}};
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].edit, expected[i]) << rows[i].label;
            EXPECT_EQ(LookupRow(image, 26, rows[i].label), expected[i]) << rows[i].label;
        }
        EXPECT_FALSE(LookupRow(image, 26, n == "F-1" ? "F-2 Min Length" : "F-1 Min Length"));
    }
}

TEST(DataEditPages, BlockPagesShowTheirRecord) {
    ImageBytes image = WithSwitch(4);
    const int r = 416 + 34;  // F-3 block 2
    image[r] = 12;
    image[r + 1] = 2;
    image[r + 2] = 255;
    image[r + 3] = 'Q';
    image[r + 4] = 15;
    const auto rows = ShowPage(image, 28);
    EXPECT_EQ(LabelsAndValues(rows),
              (std::vector<LabelValue>{{"F-3 Block 2 Data Length", " 12"},
                                       {"F-3 Block 2 Find Data Length", " 2"},
                                       {"F-3 Block 2 Find String Data", "{Q}"},
                                       {"F-3 Block 2 Find String", "Not Send"}}));
    EXPECT_EQ(rows[2].edit, (EditDescriptor{uint16_t(r + 2), 12, 3}));
    EXPECT_EQ(image[r + 1], 2) << "a two-character run has no length byte";
    image[r + 4] = 0;
    EXPECT_EQ(Shown(image, 28).back().second, "Send");
    image[r + 4] = 3;
    EXPECT_EQ(Shown(image, 28).back().second, "Null");
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(
            LookupRow(WithSwitch(1), 26 + n,
                      "F-1 Block" + std::string(" ") + std::to_string(n) + " Find String Data"),
            (EditDescriptor{uint16_t(256 + 31 + 5 * (n - 1)), 12, 3}));
    }
}

TEST(DataEditPages, AdditionalFieldsRewriteTheirLengthBytes) {
    ImageBytes image = WithSwitch(1);
    const int field3 = 256 + 46 + 12;
    image[field3] = 'x';
    image[field3 + 1] = 'y';
    image[field3 + 2] = 0;
    image[field3 + 3] = 'z';
    image[field3 - 1] = 5;
    const auto rows = ShowPage(image, 30);
    ASSERT_EQ(rows.size(), 5u);
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(rows[i - 1].label, "F-1 Additional " + std::to_string(i));
        EXPECT_EQ(rows[i - 1].edit,
                  (EditDescriptor{uint16_t(256 + 46 + 6 * (i - 1)), 15, uint16_t(i)}));
    }
    EXPECT_EQ(rows[2].value, "{x}{y}");
    EXPECT_EQ(image[field3 - 1], 2);
    EXPECT_EQ(image[256 + 45], 0);
}

TEST(DataEditPages, OutputSequenceStopsAtTheFirstInvalidEntry) {
    ImageBytes image = WithSwitch(2);
    const int b = 336;
    const std::uint8_t entries[8] = {'1', '4', 0, '2', '3', '5', '6', '7'};
    for (int i = 0; i < 8; ++i)
        image[b + 76 + i] = entries[i];
    image[b + 75] = 8;
    image[b + 18] = 33;
    image[b + 19] = 0;
    image[b + 20] = 4;
    const auto rows = ShowPage(image, 31);
    EXPECT_EQ(LabelsAndValues(rows),
              (std::vector<LabelValue>{{"F-2 Code Type", "UPCA,EAN13,EAN 8,"},
                                       {"F-2 Output Sequence 1", "Block 1"},
                                       {"F-2 Output Sequence 2", "Additional 1"},
                                       {"F-2 Output Sequence 3", "Null"}}));
    EXPECT_EQ(rows[0].edit, (EditDescriptor{uint16_t(b + 18), 31, 1}));
    EXPECT_EQ(rows[3].edit, (EditDescriptor{uint16_t(b + 78), 9, 4}));
    EXPECT_EQ(image[b + 75], 2);
    for (int e = 3; e <= 7; ++e)
        EXPECT_EQ(image[b + 75 + e], 0) << "entry " << e;
    EXPECT_EQ(image[b + 83], '7') << "entry 8 keeps its value";

    for (int i = 0; i < 8; ++i)
        image[b + 76 + i] = static_cast<std::uint8_t>('8' - i);
    const auto all = Shown(image, 31);
    ASSERT_EQ(all.size(), 9u);
    EXPECT_EQ(all[1].second, "Additional 5");
    EXPECT_EQ(all[8], (LabelValue{"F-2 Output Sequence 8", "Block 1"}));
    ShowPage(image, 31);
    EXPECT_EQ(image[b + 75], 8);
}

TEST(DataEditPages, FormatOneOutputRunsIntoFormatTwosBlock) {
    ImageBytes image = WithSwitch(1);
    for (int i = 0; i < 8; ++i)
        image[256 + 76 + i] = '1';
    image[339] = '9';  // F-1 entry 8
    ShowPage(image, 31);
    EXPECT_EQ(image[256 + 75], 7);
    EXPECT_EQ(image[339], '9');
}

TEST(DataEditPages, CodeTypeNamesInBitOrder) {
    ImageBytes image = WithSwitch(4);
    image[416 + 18] = 0xFF;
    image[416 + 19] = 0xFF;
    image[416 + 20] = 0xFF;  // bits 6 and 7 are not code types
    EXPECT_EQ(Shown(image, 31).front().second,
              "UPCA,Code 32,RSS limited,Full Code39,UPCE,EAN13,RSS 14,Toshiba,"
              "Interleaved 2/5,Code 11,Code 128,Code 93,Code 39,Codabar,"
              "MSI\u2013Plessey,UK\u2013Plessey,RSS Expand,IATA,EAN 8,EAN 128,Telepen,"
              "Industial 2/5,");
    image[416 + 18] = image[416 + 19] = image[416 + 20] = 0;
    EXPECT_EQ(Shown(image, 31).front().second, "");
}

// A switch that selects no format must leave every format byte alone.
TEST(DataEditPages, UnknownSwitchValueTouchesNoFormatField) {
    for (std::uint8_t value : {3, 5, 8, 255}) {
        ImageBytes image;
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<std::uint8_t>(i * 7);
        image[150] = 2;
        image[256] = value;
        const ImageBytes before = image;
        EXPECT_EQ(Shown(image, 26).back(), (LabelValue{"Format On / Off", "Null"}));
        for (int page = 25; page <= 31; ++page)
            EXPECT_EQ(ShowPage(image, page).size(), page == 26 ? 2u : 0u) << "page " << page;
        EXPECT_EQ(image, before) << "switch " << int(value);
        EXPECT_FALSE(LookupRow(image, 30, "F-1 Additional 1"));
    }
}

TEST(CategoryTree, FixedNodesInOrder) {
    const auto tree = CategoryTree(false);
    ASSERT_EQ(tree.size(), kFixedTreeNodes);
    const char* tops[] = {"General Settings", "Interface Settings", "Symbologies", "Data Edit"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(tree[i].caption, tops[i]);
        EXPECT_EQ(tree[i].parent, 0);
    }
    EXPECT_EQ(tree[7].caption, "Keyboard (PS-2)");    // node 8
    EXPECT_EQ(tree[9].caption, "Code 39 -{Code32}");  // node 10
    EXPECT_EQ(tree[26].caption, "PDF417");
    std::vector<int> childPages;
    for (std::size_t i = 4; i < tree.size(); ++i) {
        EXPECT_EQ(tree[i].number, static_cast<int>(i + 1));
        EXPECT_EQ(PageHeading(tree[i].page), tree[i].caption);
        EXPECT_EQ(PageForCaption(tree[i].caption, "Data Edit"), tree[i].page);
        childPages.push_back(tree[i].page);
    }
    std::vector<int> expected{1, 2, 3, 4, 5};
    for (int p = 7; p <= 24; ++p)
        expected.push_back(p);
    EXPECT_EQ(childPages, expected);

    const auto full = CategoryTree(true);
    ASSERT_EQ(full.size(), 33u);
    const char* dataEdit[] = {"Format Setting", "Block 1",    "Block 2",
                              "Block 3",        "Additional", "Code Type and Output"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(full[27 + i].caption, dataEdit[i]);
        EXPECT_EQ(full[27 + i].number, 28 + i);
        EXPECT_EQ(full[27 + i].parent, 4);
        EXPECT_EQ(full[27 + i].page, 26 + i);
    }
}

TEST(CategoryTree, CaptionsGivePages) {
    EXPECT_EQ(PageForCaption("Daten", "Daten"), 25);  // message 146 in the interface language
    EXPECT_EQ(PageForCaption("WAND Emulation", "Data Edit"), 6);
    EXPECT_EQ(PageForCaption("General Settings", "Data Edit"), 0);
    EXPECT_EQ(PageForCaption("Symbologies", "Data Edit"), 0);
    EXPECT_EQ(PageForCaption("mode and interface", "Data Edit"), 0);
}

TEST(CategoryTree, DataEditChildrenComeAndGoOnce) {
    struct Case {
        std::uint8_t switchValue;
        int page;
        std::size_t nodes;
        TreeChange change;
    };
    const Case cases[] = {
        {0, 25, 33, TreeChange::RemoveDataEditChildren},
        {0, 26, 33, TreeChange::RemoveDataEditChildren},
        {0, 25, 27, TreeChange::None},
        {1, 25, 27, TreeChange::AddDataEditChildren},
        {4, 26, 27, TreeChange::AddDataEditChildren},
        {2, 25, 33, TreeChange::None},  // never twice
        {2, 27, 27, TreeChange::None},
        {0, 7, 33, TreeChange::None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DataEditTreeChange(WithSwitch(c.switchValue), c.page, c.nodes), c.change)
            << "switch " << int(c.switchValue) << " page " << c.page << " nodes " << c.nodes;
    }
    EXPECT_FALSE(HasDataEditChildren(WithSwitch(0)));
    EXPECT_TRUE(HasDataEditChildren(WithSwitch(2)));
}

TEST(Listing, WalksTheListedPages) {
    std::vector<int> pages{1, 2, 3, 4, 5};
    for (int p = 7; p <= 25; ++p)
        pages.push_back(p);
    EXPECT_EQ(ListedPages(WithSwitch(0)), pages);
    pages.pop_back();
    for (int p = 26; p <= 31; ++p)
        pages.push_back(p);
    EXPECT_EQ(ListedPages(WithSwitch(2)), pages);
    EXPECT_EQ(PageHeading(25), "Data Edit");
    EXPECT_EQ(PageHeading(6), "WAND Emulation");
}

}  // namespace
}  // namespace qsp::test
