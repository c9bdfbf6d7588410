// Pages 7 to 24: every row of every symbology page against one table per page, for the factory
// image and for images that open and close each state row.

#include <gtest/gtest.h>

#include <map>

#include "catalogue_test_support.h"

namespace qsp::test {
namespace {

struct Expected {
    std::string label;
    int index;
    int bitOrKind;      // lowest bit, 9 number, 11 / 12 character runs
    const char* reset;  // value text after "Reset to Default", as if the row were shown
};

// A state row shows "Enable" or "Disable" from its bit and gates the rows below it up to the
// next state row. Code 32 and EAN-128 are themselves gated by Code 39 and Code 128.
bool IsState(const std::string& label) {
    return label.ends_with(" State") || label == "GS1 DataBar-14 / Truncated" ||
           label == "GS1 DataBar Limited" || label == "GS1 DataBar Expanded";
}
const std::map<std::string, std::string> kParentState = {{"Code32 State", "Code39 State"},
                                                         {"EAN-128 State", "Code128 State"}};

// clang-format off
std::vector<Expected> TwoOfFive(const std::string& n, int flags, const char* on, const char* min) {
    return {{n + " State", flags, 0, on}, {n + " CDV", flags, 1, "Disable"},
            {n + " CDV - send", flags, 2, "send CD"}, {n + " Length Min", flags + 1, 9, min},
            {n + " Length Max", flags + 2, 9, " 48"}, {"Set Code ID (" + n + ")", flags + 3, 12, ""}};
}

const std::map<int, std::vector<Expected>>& SymbologyTables() {
    static const std::map<int, std::vector<Expected>> kTables = {
        {7, {{"Code39 State", 0, 0, "Enable"}, {"Code39 CDV", 0, 1, "Disable"}, {"Code39 CDV - send", 0, 2, "send CD"},
             {"Code39 Start - Stop", 0, 3, "not send"}, {"Set Code ID (Code 39)", 3, 12, ""},
             {"Code-39 Length Min", 1, 9, " 1"}, {"Code-39 Length Max", 2, 9, " 48"},
             {"Full ASCII C39", 0, 4, "Enable"}, {"Set Code ID (Full ASCII C39)", 5, 12, ""},
             {"Code32 State", 0, 5, "Disable"}, {"Code32 Leading", 0, 6, "send"}, {"Code32 Tailing", 0, 7, "send"},
             {"Set Code ID (Code 32)", 7, 12, ""}}},
        {8, {{"Codabar State", 9, 0, "Enable"}, {"Codabar CDV", 9, 1, "Disable"},
             {"Codabar CDV - send", 9, 2, "send CD"}, {"Codabar Start - Stop", 9, 3, "send"},
             {"Codabar Start - Stop TYPE", 9, 4, "ABCD / ABCD"}, {"Codabar CLSI Format", 9, 6, "Off"},
             {"Set Code ID (Codabar)", 13, 12, ""}, {"Codabar Length Min", 11, 9, " 6"},
             {"Codabar Length Max", 12, 9, " 48"}, {"ABC / CX / Coupling - Codabar Adjacent required", 10, 6, "Off"},
             {"ABC-Codabar", 10, 0, "Off"}, {"ABC-Codabar insert data", 10, 1, "Off"},
             {"ABC-Codabar insert character", 15, 11, ""}, {"CX-Codabar", 10, 2, "Off"},
             {"CX-Codabar insert data", 10, 3, "Off"}, {"CX-Codabar insert character", 16, 11, ""},
             {"Codabar-Coupling", 10, 4, "Off"}, {"Codabar-Coupling insert data", 10, 5, "Off"},
             {"Codabar-Coupling insert character", 17, 11, ""}}},
        {9, {{"Interleaved 2/5 State", 18, 0, "Enable"}, {"Interleaved 2/5 CDV", 18, 1, "Disable"},
             {"Interleaved 2/5 CDV - send", 18, 2, "send CD"},
             {"First / Last digit suppressed", 18, 3, "No digit suppressed"},
             {"Interleaved 2/5 Length Min", 19, 9, " 6"}, {"Interleaved 2/5 Length Max", 20, 9, " 48"},
             {"Set Code ID (Interleaved 2/5)", 21, 12, ""}}},
        {10, TwoOfFive("Toshiba 2/5", 23, "Enable", " 11")},
        {11, TwoOfFive("Standard 2/5", 28, "Disable", " 6")},
        {12, TwoOfFive("Matrix 2/5", 33, "Disable", " 6")},
        {13, TwoOfFive("Industrial 2/5", 38, "Disable", " 6")},
        {14, {{"Code11 2/5 State", 43, 0, "Disable"}, {"Code11 2/5 CDV", 43, 1, "Disable"},
              {"Code11 2/5 CDV - send", 43, 2, "send CD"}, {"Code11 2/5 digits CD", 43, 3, "2 digits"},
              {"Code11 2/5 Length Min", 44, 9, " 6"}, {"Code11 2/5 Length Max", 45, 9, " 32"},
              {"Set Code ID (Code11 2/5)", 46, 12, ""}}},
        {15, {{"MSI Plessey State", 48, 0, "Disable"}, {"MSI Plessey CDV", 48, 2, "send CD"},
              {"MSI Plessey CDV mod10", 48, 3, "single"}, {"MSI Plessey Length Min", 49, 9, " 6"},
              {"MSI Plessey Length Max", 50, 9, " 48"}, {"Set Code ID (MSI Plessey)", 51, 12, ""},
              {"UK Plessey State", 53, 0, "Disable"}, {"UK Plessey CDV", 53, 2, "not send CD"},
              {"Set Code ID (UK Plessey)", 56, 12, ""}}},
        {16, {{"Telepen State", 58, 0, "Disable"}, {"Telepen Code Output", 58, 1, "ASCII"},
              {"Set Code ID (Telepen)", 61, 12, ""}}},
        {17, {{"EAN-13 State", 63, 0, "Enable"}, {"EAN-13 Lead digit", 63, 1, "send"},
              {"EAN-13 CDV - send", 63, 2, "send CD"}, {"EAN-13 ISBN", 63, 3, "Off"}, {"EAN-13 ISSN", 63, 4, "Off"},
              {"EAN-13 ISMN", 63, 5, "Off"}, {"EAN-13 Supplement_5", 64, 0, "On"},
              {"EAN-13 Supplement_2", 64, 1, "On"}, {"EAN-13 Add_a_space", 64, 2, "On"},
              {"EAN-13 Addenda_required", 64, 3, "Off"}, {"Set Code ID (EAN-13)", 65, 12, ""}}},
        {18, {{"UPC-A State", 67, 0, "Enable"}, {"UPC-A Lead digit", 67, 1, "send"},
              {"UPC-A CDV - send", 67, 2, "send CD"}, {"UPC-A expand to EAN-13", 67, 3, "Off"},
              {"UPC-A Supplement_5", 68, 0, "On"}, {"UPC-A Supplement_2", 68, 1, "On"},
              {"UPC-A Add_a_space", 68, 2, "On"}, {"UPC-A Addenda_required", 68, 3, "Off"},
              {"Set Code ID (UPC-A)", 69, 12, ""}}},
        {19, {{"EAN-8 State", 71, 0, "Enable"}, {"EAN-8 Lead digit", 71, 1, "send"},
              {"EAN-8 CDV - send", 71, 2, "send CD"}, {"EAN-8 Supplement_5", 72, 0, "On"},
              {"EAN-8 Supplement_2", 72, 1, "On"}, {"EAN-8 Add_a_space", 72, 2, "On"},
              {"EAN-8 Addenda_required", 72, 3, "Off"}, {"Set Code ID (EAN-8)", 73, 12, ""}}},
        {20, {{"UPC-E State", 75, 0, "Enable"}, {"UPC-E Lead digit", 75, 1, "send"},
              {"UPC-E CDV - send", 75, 2, "send CD"}, {"UPC-E0", 75, 3, "On"}, {"UPC-E1", 75, 4, "Off"},
              {"UPC-E expand to UPC-A", 75, 5, "Off"}, {"UPC-E Supplement_5", 76, 0, "On"},
              {"UPC-E Supplement_2", 76, 1, "On"}, {"UPC-E Add_a_space", 76, 2, "On"},
              {"UPC-E Addenda_required", 76, 3, "On"}, {"Set Code ID (UPC-E)", 77, 12, ""}}},
        {21, {{"Code93 State", 79, 0, "Disable"}, {"Code93 Length Min", 80, 9, " 6"},
              {"Code93 Length Max", 81, 9, " 48"}, {"Set Code ID (Code93)", 82, 12, ""}}},
        {22, {{"Code128 State", 84, 0, "Enable"}, {"Code128 Length Min", 86, 9, " 5"},
              {"Code128 Length Max", 87, 9, " 48"}, {"Set Code ID (Code128)", 88, 12, ""},
              {"EAN-128 State", 84, 1, "Enable"}, {"EAN-128 code_id", 84, 2, "Disable"},
              {"EAN-128 func1", 84, 3, "not send"}, {"Set Code ID (EAN-128)", 90, 12, ""},
              {"EAN-128 Replace Func1 character", 92, 11, ""}}},
        {23, {{"GS1 DataBar-14 / Truncated", 93, 0, "Enable"}, {"GS1 DataBar-14 CDV", 93, 1, "send CD"},
              {"GS1 DataBar-14 Prefix number", 93, 2, "send"},
              {"GS1 DataBar-14 Stacked / Omnidirectional", 93, 3, "Enable"},
              {"Set Code ID (GS1 DataBar-14)", 94, 12, ""}, {"GS1 DataBar Limited", 96, 0, "Disable"},
              {"GS1 DataBar Limited CDV", 96, 1, "not send CD"},
              {"GS1 DataBar Limited Prefix number", 96, 2, "not send"},
              {"Set Code ID (GS1 DataBar Limited)", 97, 12, ""}, {"GS1 DataBar Expanded", 99, 0, "Enable"},
              {"GS1 DataBar Expanded Stacked", 99, 3, "Enable"}, {"GS1 DataBar Expanded Length Min", 100, 9, " 1"},
              {"GS1 DataBar Expanded Length Max", 101, 9, " 74"}, {"Set Code ID (GS1 DataBar Expanded)", 102, 12, ""}}},
        {24, {{"PDF417 State", 156, 0, "Disable"}, {"Set Code ID (PDF417)", 157, 12, ""}}},
    };
    return kTables;
}
// clang-format on

class SymbologyPage : public ::testing::TestWithParam<int> {
protected:
    const std::vector<Expected>& table = SymbologyTables().at(GetParam());
    EditDescriptor Descriptor(std::size_t i) const {
        return {uint16_t(table[i].index), uint16_t(table[i].bitOrKind), uint16_t(i + 1)};
    }
    // The rows, with their descriptors, the table says are shown when state row i holds
    // `enabled(i)`; every other row shows its factory text.
    template <typename Enabled>
    std::vector<PropertyRow> Visible(Enabled enabled) const {
        std::map<std::string, bool> open{{"", true}};
        std::string gate;
        std::vector<PropertyRow> out;
        for (std::size_t i = 0; i < table.size(); ++i) {
            const std::string& label = table[i].label;
            const bool state = IsState(label);
            const auto parent = kParentState.find(label);
            const std::string own = !state                         ? gate
                                    : parent != kParentState.end() ? parent->second
                                                                   : "";
            if (state) gate = label;
            if (!open[own]) continue;
            open[label] = enabled(i);
            const std::string value = state ? (open[label] ? "Enable" : "Disable") : table[i].reset;
            out.push_back({label, value, Descriptor(i), {}});
        }
        return out;
    }
};

// The factory image (its symbology bytes are the same on every link), every state off, every
// state on, and every state on but one: the rows a state gates, and only those, are hidden; the
// lookup still numbers rows as the full table does.
TEST_P(SymbologyPage, FactoryRowsAndEachStateRowHidingExactlyTheRowsItGates) {
    std::vector<std::string> cases{"(factory)", "(all off)", "(all on)"};
    for (const auto& row : table)
        if (IsState(row.label)) cases.push_back(row.label);
    for (const auto& off : cases) {
        const auto enabled = [&](std::size_t i) {
            if (off == "(factory)") return table[i].reset == std::string("Enable");
            return off != "(all off)" && table[i].label != off;
        };
        ImageBytes image = FactoryImage(0);
        for (std::size_t i = 0; i < table.size() && off != "(factory)"; ++i) {
            if (!IsState(table[i].label)) continue;
            image[table[i].index] &= ~(1u << table[i].bitOrKind);
            if (enabled(i)) image[table[i].index] |= 1u << table[i].bitOrKind;
        }
        EXPECT_EQ(ShowPage(image, GetParam()), Visible(enabled)) << off;
        for (std::size_t i = 0; i < table.size(); ++i) {
            EXPECT_EQ(LookupRow(image, GetParam(), table[i].label), Descriptor(i))
                << table[i].label;
        }
    }
    EXPECT_FALSE(LookupRow(FactoryImage(0), GetParam(), "code39 state").has_value());
}

INSTANTIATE_TEST_SUITE_P(Pages7To24, SymbologyPage, ::testing::Range(7, 25));

}  // namespace
}  // namespace qsp::test
