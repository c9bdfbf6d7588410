// Pages 25 to 31 (the data edit formats) and the category tree.

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
    EXPECT_TRUE(Shown(WithSwitch(4), 25).empty());
}

TEST(DataEditPages, FormatSettingReadsTheSelectedFormat) {
    // clang-format off
    struct Case { std::uint8_t switchValue; int base; const char *name, *switchText; };
    const Case cases[] = {{1, 256, "F-1", "Format 1 On , 2 / 3 Off"},
                          {2, 336, "F-2", "Format 2 On , 1 / 3 Off"},
                          {4, 416, "F-3", "Format 3 On , 1 / 2 Off"}};
    // clang-format on
    for (const Case& c : cases) {
        ImageBytes image = WithSwitch(c.switchValue);
        std::copy_n("\x04\x14", 2, image.begin() + c.base + 16);  // min and max length
        // position, find data length (not the run's length), the run and its end
        std::copy_n("\x02\tABC\xFF", 6, image.begin() + c.base + 21);
        const std::string n = c.name;
        const auto b = [&](int offset) { return std::uint16_t(c.base + offset); };
        // clang-format off
        const std::vector<PropertyRow> expected = {
            {"Force Data Edit", "Disable", {260, 9, 1}, {}}, {"Format On / Off", c.switchText, {256, 9, 2}, {}},
            {n + " Clear Format", " ( Double Click )", {c.switchValue, 30, 3}, {}},
            {n + " Min Length", " 4", {b(16), 9, 4}, {}}, {n + " Max Length", " 20", {b(17), 9, 5}, {}},
            {n + " Find String Position", " 2", {b(21), 9, 6}, {}}, {n + " Find Data Length", " 9", {b(22), 9, 7}, {}},
            {n + " Find String Data", "{A}{B}{C}", {b(23), 15, 8}, {}}};
        // clang-format on
        EXPECT_EQ(ShowPage(image, 26), expected);
        for (const auto& row : expected)
            EXPECT_EQ(LookupRow(image, 26, row.label), row.edit) << row.label;
        EXPECT_EQ(image[c.base + 22], 9);
        EXPECT_FALSE(LookupRow(image, 26, n == "F-1" ? "F-2 Min Length" : "F-1 Min Length"));
    }
}

TEST(DataEditPages, BlockPagesShowTheirRecord) {
    ImageBytes image = WithSwitch(4);
    const int r = 416 + 34;  // F-3 block 2
    std::copy_n("\x0C\x02\xFFQ\x0F", 5, image.begin() + r);
    const auto rows = ShowPage(image, 28);
    // clang-format off
    EXPECT_EQ(LabelsAndValues(rows), (std::vector<LabelValue>{
        {"F-3 Block 2 Data Length", " 12"}, {"F-3 Block 2 Find Data Length", " 2"},
        {"F-3 Block 2 Find String Data", "{Q}"}, {"F-3 Block 2 Find String", "Not Send"}}));
    // clang-format on
    EXPECT_EQ(rows[2].edit, (EditDescriptor{uint16_t(r + 2), 12, 3}));
    EXPECT_EQ(image[r + 1], 2) << "a two-character run has no length byte";
    image[r + 4] = 0;
    EXPECT_EQ(Shown(image, 28).back().second, "Send");
    image[r + 4] = 3;
    EXPECT_EQ(Shown(image, 28).back().second, "Null");
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(LookupRow(WithSwitch(1), 26 + n,
                            "F-1 Block " + std::to_string(n) + " Find String Data"),
                  (EditDescriptor{uint16_t(256 + 31 + 5 * (n - 1)), 12, 3}));
    }
}

TEST(DataEditPages, AdditionalFieldsRewriteTheirLengthBytes) {
    ImageBytes image = WithSwitch(1);
    const int field3 = 256 + 46 + 12;
    std::copy_n("\x05xy\0z", 5, image.begin() + field3 - 1);
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

TEST(DataEditPages, CodeTypesAndTheOutputSequenceUpToItsFirstInvalidEntry) {
    ImageBytes image = WithSwitch(2);
    const int b = 336;
    // clang-format off
    std::copy_n("\x08" "14\0" "23567", 9, image.begin() + b + 75);  // count, then 8 entries
    // clang-format on
    std::copy_n("\x21\0\x04", 3, image.begin() + b + 18);
    const auto rows = ShowPage(image, 31);
    // clang-format off
    EXPECT_EQ(LabelsAndValues(rows), (std::vector<LabelValue>{
        {"F-2 Code Type", "UPCA,EAN13,EAN 8,"}, {"F-2 Output Sequence 1", "Block 1"},
        {"F-2 Output Sequence 2", "Additional 1"}, {"F-2 Output Sequence 3", "Null"}}));
    // clang-format on
    EXPECT_EQ(rows[0].edit, (EditDescriptor{uint16_t(b + 18), 31, 1}));
    EXPECT_EQ(rows[3].edit, (EditDescriptor{uint16_t(b + 78), 9, 4}));
    EXPECT_EQ(std::vector<int>(image.begin() + b + 75, image.begin() + b + 84),
              (std::vector<int>{2, '1', '4', 0, 0, 0, 0, 0, '7'}));  // entry 8 keeps its value

    std::copy_n("87654321", 8, image.begin() + b + 76);
    const auto all = Shown(image, 31);
    ASSERT_EQ(all.size(), 9u);
    EXPECT_EQ(all[1].second, "Additional 5");
    EXPECT_EQ(all[8], (LabelValue{"F-2 Output Sequence 8", "Block 1"}));
    ShowPage(image, 31);
    EXPECT_EQ(image[b + 75], 8);

    // Format 1's eighth entry lies in format 2's bytes: never counted, never cleared.
    image = WithSwitch(1);
    std::fill_n(image.begin() + 256 + 76, 8, '1');
    image[339] = '9';
    ShowPage(image, 31);
    EXPECT_EQ(image[256 + 75], 7);
    EXPECT_EQ(image[339], '9');

    // Every code type, named in bit order; bits 6 and 7 of the third byte name none.
    image = WithSwitch(4);
    std::fill_n(image.begin() + 416 + 18, 3, 0xFF);
    EXPECT_EQ(Shown(image, 31).front().second,
              "UPCA,Code 32,RSS limited,Full Code39,UPCE,EAN13,RSS 14,Toshiba,"
              "Interleaved 2/5,Code 11,Code 128,Code 93,Code 39,Codabar,"
              "MSI\u2013Plessey,UK\u2013Plessey,RSS Expand,IATA,EAN 8,EAN 128,Telepen,"
              "Industial 2/5,");
    std::fill_n(image.begin() + 416 + 18, 3, 0);
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

TEST(CategoryTree, FixedNodesInOrderAndDataEditChildren) {
    const auto tree = CategoryTree(false);
    ASSERT_EQ(tree.size(), kFixedTreeNodes);
    const char* tops[] = {"General Settings", "Interface Settings", "Symbologies", "Data Edit"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(tree[i].caption, tops[i]);
    for (std::size_t i = 4; i < tree.size(); ++i) {  // pages 1 to 5, then 7 to 24: no WAND node
        EXPECT_EQ(tree[i].number, static_cast<int>(i + 1));
        EXPECT_EQ(tree[i].page, static_cast<int>(i) - 3 + (i >= 9)) << tree[i].caption;
        EXPECT_EQ(PageForCaption(tree[i].caption, "Data Edit"), tree[i].page);
    }
    EXPECT_EQ(PageForCaption("Daten", "Daten"), 25);  // message 146 in the interface language
    EXPECT_EQ(PageForCaption("Symbologies", "Data Edit"), 0);
    const auto full = CategoryTree(true);
    ASSERT_EQ(full.size(), 33u);
    const char* dataEdit[] = {"Format Setting", "Block 1",    "Block 2",
                              "Block 3",        "Additional", "Code Type and Output"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(full[27 + i].caption, dataEdit[i]);
        EXPECT_EQ(full[27 + i].parent, 4);
        EXPECT_EQ(full[27 + i].page, 26 + i);
    }
}

TEST(CategoryTree, DataEditChildrenComeAndGoOnce) {
    using enum TreeChange;
    // clang-format off
    struct Case { std::uint8_t switchValue; int page; std::size_t nodes; TreeChange change; };
    const Case cases[] = {
        {0, 25, 33, RemoveDataEditChildren}, {0, 26, 33, RemoveDataEditChildren}, {0, 25, 27, None},
        {1, 25, 27, AddDataEditChildren}, {4, 26, 27, AddDataEditChildren},
        {2, 25, 33, None},  // never twice
        {2, 27, 27, None}, {0, 7, 33, None},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(DataEditTreeChange(WithSwitch(c.switchValue), c.page, c.nodes), c.change)
            << "switch " << int(c.switchValue) << " page " << c.page << " nodes " << c.nodes;
    }
}

}  // namespace
}  // namespace qsp::test
