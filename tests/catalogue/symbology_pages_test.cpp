// Pages 7 to 24: every row of every symbology page against the symbology tables, for the
// factory image and for images that open and close each state row.

#include <gtest/gtest.h>

#include <map>

#include "catalogue_test_support.h"

namespace qsp::test {
namespace {

struct Expected {
    const char* label;
    int index;
    int bitOrKind;      // lowest bit, 9 number, 11 / 12 character runs
    const char* reset;  // value text after "Reset to Default", as if the row were shown
    const char* gate;   // state row that must show "Enable"; "" for none
};

// Where each state row's bit lives.
const std::map<std::string, std::pair<int, int>> kStateBits = {
    {"Code39 State", {0, 0}},         {"Code32 State", {0, 5}},
    {"Codabar State", {9, 0}},        {"Interleaved 2/5 State", {18, 0}},
    {"Toshiba 2/5 State", {23, 0}},   {"Standard 2/5 State", {28, 0}},
    {"Matrix 2/5 State", {33, 0}},    {"Industrial 2/5 State", {38, 0}},
    {"Code11 2/5 State", {43, 0}},    {"MSI Plessey State", {48, 0}},
    {"UK Plessey State", {53, 0}},    {"Telepen State", {58, 0}},
    {"EAN-13 State", {63, 0}},        {"UPC-A State", {67, 0}},
    {"EAN-8 State", {71, 0}},         {"UPC-E State", {75, 0}},
    {"Code93 State", {79, 0}},        {"Code128 State", {84, 0}},
    {"EAN-128 State", {84, 1}},       {"GS1 DataBar-14 / Truncated", {93, 0}},
    {"GS1 DataBar Limited", {96, 0}}, {"GS1 DataBar Expanded", {99, 0}},
    {"PDF417 State", {156, 0}},
};

std::vector<Expected> TwoOfFive(const char* state, const char* cdv, const char* send,
                                const char* min, const char* max, const char* id, int flags,
                                const char* on, const char* minReset, const char* maxReset) {
    return {{state, flags, 0, on, ""},
            {cdv, flags, 1, "Disable", state},
            {send, flags, 2, "send CD", state},
            {min, flags + 1, 9, minReset, state},
            {max, flags + 2, 9, maxReset, state},
            {id, flags + 3, 12, "", state}};
}

const std::map<int, std::vector<Expected>>& SymbologyTables() {
    static const std::map<int, std::vector<Expected>> kTables = {
        {7,
         {{"Code39 State", 0, 0, "Enable", ""},
          {"Code39 CDV", 0, 1, "Disable", "Code39 State"},
          {"Code39 CDV - send", 0, 2, "send CD", "Code39 State"},
          {"Code39 Start - Stop", 0, 3, "not send", "Code39 State"},
          {"Set Code ID (Code 39)", 3, 12, "", "Code39 State"},
          {"Code-39 Length Min", 1, 9, " 1", "Code39 State"},
          {"Code-39 Length Max", 2, 9, " 48", "Code39 State"},
          {"Full ASCII C39", 0, 4, "Enable", "Code39 State"},
          {"Set Code ID (Full ASCII C39)", 5, 12, "", "Code39 State"},
          {"Code32 State", 0, 5, "Disable", "Code39 State"},
          {"Code32 Leading", 0, 6, "send", "Code32 State"},
          {"Code32 Tailing", 0, 7, "send", "Code32 State"},
          {"Set Code ID (Code 32)", 7, 12, "", "Code32 State"}}},
        {8,
         {{"Codabar State", 9, 0, "Enable", ""},
          {"Codabar CDV", 9, 1, "Disable", "Codabar State"},
          {"Codabar CDV - send", 9, 2, "send CD", "Codabar State"},
          {"Codabar Start - Stop", 9, 3, "send", "Codabar State"},
          {"Codabar Start - Stop TYPE", 9, 4, "ABCD / ABCD", "Codabar State"},
          {"Codabar CLSI Format", 9, 6, "Off", "Codabar State"},
          {"Set Code ID (Codabar)", 13, 12, "", "Codabar State"},
          {"Codabar Length Min", 11, 9, " 6", "Codabar State"},
          {"Codabar Length Max", 12, 9, " 48", "Codabar State"},
          {"ABC / CX / Coupling - Codabar Adjacent required", 10, 6, "Off", "Codabar State"},
          {"ABC-Codabar", 10, 0, "Off", "Codabar State"},
          {"ABC-Codabar insert data", 10, 1, "Off", "Codabar State"},
          {"ABC-Codabar insert character", 15, 11, "", "Codabar State"},
          {"CX-Codabar", 10, 2, "Off", "Codabar State"},
          {"CX-Codabar insert data", 10, 3, "Off", "Codabar State"},
          {"CX-Codabar insert character", 16, 11, "", "Codabar State"},
          {"Codabar-Coupling", 10, 4, "Off", "Codabar State"},
          {"Codabar-Coupling insert data", 10, 5, "Off", "Codabar State"},
          {"Codabar-Coupling insert character", 17, 11, "", "Codabar State"}}},
        {9,
         {{"Interleaved 2/5 State", 18, 0, "Enable", ""},
          {"Interleaved 2/5 CDV", 18, 1, "Disable", "Interleaved 2/5 State"},
          {"Interleaved 2/5 CDV - send", 18, 2, "send CD", "Interleaved 2/5 State"},
          {"First / Last digit suppressed", 18, 3, "No digit suppressed", "Interleaved 2/5 State"},
          {"Interleaved 2/5 Length Min", 19, 9, " 6", "Interleaved 2/5 State"},
          {"Interleaved 2/5 Length Max", 20, 9, " 48", "Interleaved 2/5 State"},
          {"Set Code ID (Interleaved 2/5)", 21, 12, "", "Interleaved 2/5 State"}}},
        {10, TwoOfFive("Toshiba 2/5 State", "Toshiba 2/5 CDV", "Toshiba 2/5 CDV - send",
                       "Toshiba 2/5 Length Min", "Toshiba 2/5 Length Max",
                       "Set Code ID (Toshiba 2/5)", 23, "Enable", " 11", " 48")},
        {11, TwoOfFive("Standard 2/5 State", "Standard 2/5 CDV", "Standard 2/5 CDV - send",
                       "Standard 2/5 Length Min", "Standard 2/5 Length Max",
                       "Set Code ID (Standard 2/5)", 28, "Disable", " 6", " 48")},
        {12, TwoOfFive("Matrix 2/5 State", "Matrix 2/5 CDV", "Matrix 2/5 CDV - send",
                       "Matrix 2/5 Length Min", "Matrix 2/5 Length Max", "Set Code ID (Matrix 2/5)",
                       33, "Disable", " 6", " 48")},
        {13, TwoOfFive("Industrial 2/5 State", "Industrial 2/5 CDV", "Industrial 2/5 CDV - send",
                       "Industrial 2/5 Length Min", "Industrial 2/5 Length Max",
                       "Set Code ID (Industrial 2/5)", 38, "Disable", " 6", " 48")},
        {14,
         {{"Code11 2/5 State", 43, 0, "Disable", ""},
          {"Code11 2/5 CDV", 43, 1, "Disable", "Code11 2/5 State"},
          {"Code11 2/5 CDV - send", 43, 2, "send CD", "Code11 2/5 State"},
          {"Code11 2/5 digits CD", 43, 3, "2 digits", "Code11 2/5 State"},
          {"Code11 2/5 Length Min", 44, 9, " 6", "Code11 2/5 State"},
          {"Code11 2/5 Length Max", 45, 9, " 32", "Code11 2/5 State"},
          {"Set Code ID (Code11 2/5)", 46, 12, "", "Code11 2/5 State"}}},
        {15,
         {{"MSI Plessey State", 48, 0, "Disable", ""},
          {"MSI Plessey CDV", 48, 2, "send CD", "MSI Plessey State"},
          {"MSI Plessey CDV mod10", 48, 3, "single", "MSI Plessey State"},
          {"MSI Plessey Length Min", 49, 9, " 6", "MSI Plessey State"},
          {"MSI Plessey Length Max", 50, 9, " 48", "MSI Plessey State"},
          {"Set Code ID (MSI Plessey)", 51, 12, "", "MSI Plessey State"},
          {"UK Plessey State", 53, 0, "Disable", ""},
          {"UK Plessey CDV", 53, 2, "not send CD", "UK Plessey State"},
          {"Set Code ID (UK Plessey)", 56, 12, "", "UK Plessey State"}}},
        {16,
         {{"Telepen State", 58, 0, "Disable", ""},
          {"Telepen Code Output", 58, 1, "ASCII", "Telepen State"},
          {"Set Code ID (Telepen)", 61, 12, "", "Telepen State"}}},
        {17,
         {{"EAN-13 State", 63, 0, "Enable", ""},
          {"EAN-13 Lead digit", 63, 1, "send", "EAN-13 State"},
          {"EAN-13 CDV - send", 63, 2, "send CD", "EAN-13 State"},
          {"EAN-13 ISBN", 63, 3, "Off", "EAN-13 State"},
          {"EAN-13 ISSN", 63, 4, "Off", "EAN-13 State"},
          {"EAN-13 ISMN", 63, 5, "Off", "EAN-13 State"},
          {"EAN-13 Supplement_5", 64, 0, "On", "EAN-13 State"},
          {"EAN-13 Supplement_2", 64, 1, "On", "EAN-13 State"},
          {"EAN-13 Add_a_space", 64, 2, "On", "EAN-13 State"},
          {"EAN-13 Addenda_required", 64, 3, "Off", "EAN-13 State"},
          {"Set Code ID (EAN-13)", 65, 12, "", "EAN-13 State"}}},
        {18,
         {{"UPC-A State", 67, 0, "Enable", ""},
          {"UPC-A Lead digit", 67, 1, "send", "UPC-A State"},
          {"UPC-A CDV - send", 67, 2, "send CD", "UPC-A State"},
          {"UPC-A expand to EAN-13", 67, 3, "Off", "UPC-A State"},
          {"UPC-A Supplement_5", 68, 0, "On", "UPC-A State"},
          {"UPC-A Supplement_2", 68, 1, "On", "UPC-A State"},
          {"UPC-A Add_a_space", 68, 2, "On", "UPC-A State"},
          {"UPC-A Addenda_required", 68, 3, "Off", "UPC-A State"},
          {"Set Code ID (UPC-A)", 69, 12, "", "UPC-A State"}}},
        {19,
         {{"EAN-8 State", 71, 0, "Enable", ""},
          {"EAN-8 Lead digit", 71, 1, "send", "EAN-8 State"},
          {"EAN-8 CDV - send", 71, 2, "send CD", "EAN-8 State"},
          {"EAN-8 Supplement_5", 72, 0, "On", "EAN-8 State"},
          {"EAN-8 Supplement_2", 72, 1, "On", "EAN-8 State"},
          {"EAN-8 Add_a_space", 72, 2, "On", "EAN-8 State"},
          {"EAN-8 Addenda_required", 72, 3, "Off", "EAN-8 State"},
          {"Set Code ID (EAN-8)", 73, 12, "", "EAN-8 State"}}},
        {20,
         {{"UPC-E State", 75, 0, "Enable", ""},
          {"UPC-E Lead digit", 75, 1, "send", "UPC-E State"},
          {"UPC-E CDV - send", 75, 2, "send CD", "UPC-E State"},
          {"UPC-E0", 75, 3, "On", "UPC-E State"},
          {"UPC-E1", 75, 4, "Off", "UPC-E State"},
          {"UPC-E expand to UPC-A", 75, 5, "Off", "UPC-E State"},
          {"UPC-E Supplement_5", 76, 0, "On", "UPC-E State"},
          {"UPC-E Supplement_2", 76, 1, "On", "UPC-E State"},
          {"UPC-E Add_a_space", 76, 2, "On", "UPC-E State"},
          {"UPC-E Addenda_required", 76, 3, "On", "UPC-E State"},
          {"Set Code ID (UPC-E)", 77, 12, "", "UPC-E State"}}},
        {21,
         {{"Code93 State", 79, 0, "Disable", ""},
          {"Code93 Length Min", 80, 9, " 6", "Code93 State"},
          {"Code93 Length Max", 81, 9, " 48", "Code93 State"},
          {"Set Code ID (Code93)", 82, 12, "", "Code93 State"}}},
        {22,
         {{"Code128 State", 84, 0, "Enable", ""},
          {"Code128 Length Min", 86, 9, " 5", "Code128 State"},
          {"Code128 Length Max", 87, 9, " 48", "Code128 State"},
          {"Set Code ID (Code128)", 88, 12, "", "Code128 State"},
          {"EAN-128 State", 84, 1, "Enable", "Code128 State"},
          {"EAN-128 code_id", 84, 2, "Disable", "EAN-128 State"},
          {"EAN-128 func1", 84, 3, "not send", "EAN-128 State"},
          {"Set Code ID (EAN-128)", 90, 12, "", "EAN-128 State"},
          {"EAN-128 Replace Func1 character", 92, 11, "", "EAN-128 State"}}},
        {23,
         {{"GS1 DataBar-14 / Truncated", 93, 0, "Enable", ""},
          {"GS1 DataBar-14 CDV", 93, 1, "send CD", "GS1 DataBar-14 / Truncated"},
          {"GS1 DataBar-14 Prefix number", 93, 2, "send", "GS1 DataBar-14 / Truncated"},
          {"GS1 DataBar-14 Stacked / Omnidirectional", 93, 3, "Enable",
           "GS1 DataBar-14 / Truncated"},
          {"Set Code ID (GS1 DataBar-14)", 94, 12, "", "GS1 DataBar-14 / Truncated"},
          {"GS1 DataBar Limited", 96, 0, "Disable", ""},
          {"GS1 DataBar Limited CDV", 96, 1, "not send CD", "GS1 DataBar Limited"},
          {"GS1 DataBar Limited Prefix number", 96, 2, "not send", "GS1 DataBar Limited"},
          {"Set Code ID (GS1 DataBar Limited)", 97, 12, "", "GS1 DataBar Limited"},
          {"GS1 DataBar Expanded", 99, 0, "Enable", ""},
          {"GS1 DataBar Expanded Stacked", 99, 3, "Enable", "GS1 DataBar Expanded"},
          {"GS1 DataBar Expanded Length Min", 100, 9, " 1", "GS1 DataBar Expanded"},
          {"GS1 DataBar Expanded Length Max", 101, 9, " 74", "GS1 DataBar Expanded"},
          {"Set Code ID (GS1 DataBar Expanded)", 102, 12, "", "GS1 DataBar Expanded"}}},
        {24,
         {{"PDF417 State", 156, 0, "Disable", ""},
          {"Set Code ID (PDF417)", 157, 12, "", "PDF417 State"}}},
    };
    return kTables;
}

// The rows a table says are shown when each state row shows `stateText(label)`.
template <typename StateText>
std::vector<LabelValue> VisibleRows(const std::vector<Expected>& table, StateText stateText) {
    std::map<std::string, std::string> values;
    std::vector<LabelValue> out;
    for (const auto& row : table) {
        if (*row.gate && values[row.gate] != "Enable") continue;
        const std::string value = kStateBits.count(row.label) ? stateText(row) : row.reset;
        values[row.label] = value;
        out.emplace_back(row.label, value);
    }
    return out;
}

class SymbologyPage : public ::testing::TestWithParam<int> {};

TEST_P(SymbologyPage, FactoryRowsOnEveryLink) {
    const auto& table = SymbologyTables().at(GetParam());
    const auto expected = VisibleRows(table, [](const Expected& row) { return row.reset; });
    for (int link : {0, 1, 2}) {
        EXPECT_EQ(Shown(FactoryImage(link), GetParam()), expected) << "link " << link;
    }
}

TEST_P(SymbologyPage, EveryStateEnabledShowsEveryRow) {
    const auto& table = SymbologyTables().at(GetParam());
    ImageBytes image = FactoryImage(0);
    for (const auto& row : table) {
        if (auto it = kStateBits.find(row.label); it != kStateBits.end()) {
            image[it->second.first] |= 1u << it->second.second;
        }
    }
    const auto expected = VisibleRows(table, [](const Expected&) { return "Enable"; });
    ASSERT_EQ(expected.size(), table.size());
    EXPECT_EQ(Shown(image, GetParam()), expected);
}

TEST_P(SymbologyPage, EveryStateDisabledShowsOnlyUngatedStateRows) {
    const auto& table = SymbologyTables().at(GetParam());
    ImageBytes image = FactoryImage(0);
    for (const auto& row : table) {
        if (auto it = kStateBits.find(row.label); it != kStateBits.end()) {
            image[it->second.first] &= ~(1u << it->second.second);
        }
    }
    std::vector<LabelValue> expected;
    for (const auto& row : table) {
        if (!*row.gate) expected.emplace_back(row.label, "Disable");
    }
    EXPECT_EQ(Shown(image, GetParam()), expected);
}

// The lookup numbers rows as the full table does, even while a state row hides them.
TEST_P(SymbologyPage, LookupGivesFieldKindAndTableRowWhateverTheStates) {
    const auto& table = SymbologyTables().at(GetParam());
    for (const ImageBytes& image : {FactoryImage(0), ImageBytes{}}) {
        for (std::size_t i = 0; i < table.size(); ++i) {
            const auto found = LookupRow(image, GetParam(), table[i].label);
            ASSERT_TRUE(found.has_value()) << table[i].label;
            EXPECT_EQ(*found, (EditDescriptor{static_cast<std::uint16_t>(table[i].index),
                                              static_cast<std::uint16_t>(table[i].bitOrKind),
                                              static_cast<std::uint16_t>(i + 1)}))
                << table[i].label;
        }
    }
    EXPECT_FALSE(LookupRow(FactoryImage(0), GetParam(), "code39 state").has_value());
}

TEST_P(SymbologyPage, ShownRowsCarryTheirLookupDescriptor) {
    ImageBytes image = FactoryImage(1);
    for (const auto& row : ShowPage(image, GetParam())) {
        EXPECT_EQ(LookupRow(image, GetParam(), row.label), row.edit) << row.label;
    }
}

INSTANTIATE_TEST_SUITE_P(Pages7To24, SymbologyPage, ::testing::Range(7, 25));

struct FieldCase {
    int page;
    int index;
    std::uint8_t byte;
    const char* label;
    const char* value;
};

class SymbologyField : public ::testing::TestWithParam<FieldCase> {};

TEST_P(SymbologyField, ShowsItsText) {
    const FieldCase& c = GetParam();
    ImageBytes image = FactoryImage(0);
    image[c.index] = c.byte;
    const auto rows = Shown(image, c.page);
    auto it =
        std::find_if(rows.begin(), rows.end(), [&](const auto& r) { return r.first == c.label; });
    ASSERT_NE(it, rows.end()) << c.label;
    EXPECT_EQ(it->second, c.value);
}

INSTANTIATE_TEST_SUITE_P(
    MultiBitFields, SymbologyField,
    ::testing::Values(FieldCase{9, 18, 13, "First / Last digit suppressed", "Last"},
                      FieldCase{9, 18, 29, "First / Last digit suppressed", "First"},
                      FieldCase{9, 18, 17, "First / Last digit suppressed", "No digit suppressed"},
                      FieldCase{15, 48, 25, "MSI Plessey CDV mod10", "mod11 plus mod10"},
                      FieldCase{15, 48, 17, "MSI Plessey CDV mod10", "mod11 plus mod10"},
                      FieldCase{15, 48, 9, "MSI Plessey CDV mod10", "double"},
                      FieldCase{15, 48, 1, "MSI Plessey CDV mod10", "single"},
                      FieldCase{8, 9, 1 | 16, "Codabar Start - Stop TYPE", "abcd / abcd"},
                      FieldCase{8, 9, 1 | 32, "Codabar Start - Stop TYPE", "ABCD / TN*E"},
                      FieldCase{8, 9, 1 | 48, "Codabar Start - Stop TYPE", "abcd / tn*e"},
                      FieldCase{14, 43, 1 | 8, "Code11 2/5 digits CD", "1 digit"},
                      FieldCase{16, 58, 1, "Telepen Code Output", "Number"},
                      FieldCase{7, 3, 65, "Set Code ID (Code 39)", "{A}"},
                      FieldCase{22, 92, 29, "EAN-128 Replace Func1 character", "{\x1D}"}),
    // Stable names: ctest finds each case by name in a later run of the program.
    [](const ::testing::TestParamInfo<FieldCase>& info) {
        return "Page" + std::to_string(info.param.page) + "Byte" + std::to_string(info.param.index) +
               "Value" + std::to_string(info.param.byte);
    });

TEST(SymbologyGates, PlesseyUkRowsFollowOnlyTheUkState) {
    ImageBytes image = FactoryImage(0);
    image[53] = 1;  // UK on, MSI off
    EXPECT_EQ(Shown(image, 15), (std::vector<LabelValue>{{"MSI Plessey State", "Disable"},
                                                         {"UK Plessey State", "Enable"},
                                                         {"UK Plessey CDV", "not send CD"},
                                                         {"Set Code ID (UK Plessey)", ""}}));
}

TEST(SymbologyGates, Ean128RowsNeedBothStates) {
    ImageBytes image = FactoryImage(0);
    image[84] = 2;  // EAN-128 bit set but Code 128 off
    EXPECT_EQ(Shown(image, 22).size(), 1u);
    image[84] = 1;  // Code 128 on, EAN-128 off
    const auto rows = Shown(image, 22);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows.back(), (LabelValue{"EAN-128 State", "Disable"}));
}

}  // namespace
}  // namespace qsp::test
