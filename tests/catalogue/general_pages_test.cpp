// The parameter image (bit fields, reset) and pages 1 to 6: factory rows per link, the rows that
// come and go with the reading mode, and the corrections showing page 1 writes back.

#include <gtest/gtest.h>

#include <algorithm>

#include "catalogue_test_support.h"

namespace qsp::test {
namespace {

TEST(ResetImage, WritesFactoryValuesAndLeavesTheUnsharedBytes) {
    ImageBytes image;
    image.fill(0x5A);
    int page = 27;
    ResetImage(image, 0, page);
    EXPECT_EQ(page, 24);
    const std::pair<int, int> spots[] = {{0, 213}, {2, 48},    {45, 32},   {84, 131},  {101, 74},
                                         {105, 0}, {122, 0},   {143, 19},  {155, 170}, {160, 255},
                                         {3, 255}, {106, 255}, {223, 170}, {253, 255}, {181, 2}};
    for (auto [index, value] : spots)
        EXPECT_EQ(image[index], value) << "index " << index;
    EXPECT_EQ(image[254], 0x5A);
    EXPECT_EQ(image[255], 0x5A);
    for (int i = 256; i <= 512; ++i)
        ASSERT_EQ(image[i], 0) << "index " << i;
    for (int i = 513; i <= 515; ++i)
        EXPECT_EQ(image[i], 0x5A);
}

TEST(ResetImage, HostLinkDecidesComputerInterfaceAndTerminator) {
    struct Case {
        int link;
        std::array<std::uint8_t, 3> before, after;
    };
    const Case cases[] = {
        {0, {9, 9, 9}, {0, 1, 3}},
        {0, {9, 4, 9}, {0, 4, 9}},  // Virtual COM keeps interface and terminator
        {1, {9, 4, 9}, {1, 3, 2}},
        {2, {9, 8, 7}, {9, 8, 7}},
    };
    for (const Case& c : cases) {
        ImageBytes image{};
        std::copy(c.before.begin(), c.before.end(), image.begin() + 139);
        int page = 5;
        ResetImage(image, c.link, page);
        EXPECT_EQ(page, 5);
        EXPECT_TRUE(std::equal(c.after.begin(), c.after.end(), image.begin() + 139))
            << "link " << c.link << " interface " << int(c.before[1]);
    }
}

const std::vector<LabelValue> kFactoryPages2To6[] = {
    {{"Beep Tone", "(2.7K Hz)Beep Medium"},
     {"Interblock Delay", "0 ms"},
     {"Intercharacter Delay", "140 us"},
     {"Accuracy Adjustment", " 0"}},
    {{"Label Type", "Positive"}, {"Setup Code", "Enable"}, {"Preamble", ""}, {"Postamble", ""}},
    {{"Capital Lock Mode", "Off"},
     {"Numeric Keypad Output", "Off"},
     {"Keyboard Layout", "English (USA)"}},
    {{"Baud Rate", "9600 bps"},
     {"Data Length", "8 bits"},
     {"Data Parity", "None"},
     {"Data Stop Bits", "1 stop bit"},
     {"Handshaking RTS enabled", "None"},
     {"ACK / NAK On / Off", "Off"},
     {"Timeout", "1 sec"},
     {"BCC Character", "Off"}},
    {{"Level Duration of Mini Width", "200us"},
     {"Polarity of Idle Condition", "Low"},
     {"Output of Wand Emulation", "Bar Low & Space High"},
     {"Wave Form", "Full ASCII Code 39"}},
};

TEST(GeneralPages, FactoryRowsOnEveryLink) {
    const char* link[3][3] = {{"PC - AT", "RS232", "CR + LF"},
                              {"Notebook PC", "USB(Cable)", "CR"},
                              {"PC - AT", "Keyboard", "None"}};  // PS/2 keeps a zero image's
    for (int l = 0; l < 3; ++l) {
        const ImageBytes image = FactoryImage(l);
        EXPECT_EQ(Shown(image, 1), (std::vector<LabelValue>{{"Computer Type", link[l][0]},
                                                            {"Interface", link[l][1]},
                                                            {"Reading Mode", "Trigger Mode"},
                                                            {"Terminator", link[l][2]},
                                                            {"Send Data Length", "Off"},
                                                            {"Code ID", "Disable Code ID"}}))
            << "link " << l;
        for (int page = 2; page <= 6; ++page) {
            EXPECT_EQ(Shown(image, page), kFactoryPages2To6[page - 2]) << "page " << page;
        }
    }
}

TEST(GeneralPages, ReadingModeBringsInTheTimerRows) {
    const char* timer1 = "Delay timer1, when there was no symbology decoding";
    const char* timer2 = "Delay timer2 lingering on the same barcode";
    struct Case {
        std::uint8_t mode;
        std::vector<LabelValue> middle;
    };
    const Case cases[] = {
        {6, {{"Reading Mode", "Continuous Auto Off Mode"}}},
        {7,
         {{"Reading Mode", "Auto Sensing Mode(CCD)"},
          {timer1, " 3"},
          {"Auto Sensing Green-LED", "On"},
          {"Auto Sensing Magnetic stone", "On"}}},
        {8,
         {{"Reading Mode", "Null"},
          {timer1, " 3"},
          {"Auto Sensing Green-LED", "On"},
          {"Auto Sensing Magnetic stone", "On"}}},
        {10,
         {{"Reading Mode", "Auto Sensing Mode(Laser)"},
          {timer1, " 3"},
          {timer2, " 30"},
          {"Auto Sensing Magnetic stone", "On"}}},
    };
    for (const Case& c : cases) {
        ImageBytes image = FactoryImage(0);
        image[150] = c.mode;
        const auto rows = ShowPage(image, 1);
        const auto shown = LabelsAndValues(rows);
        std::vector<LabelValue> expected{{"Computer Type", "PC - AT"}, {"Interface", "RS232"}};
        expected.insert(expected.end(), c.middle.begin(), c.middle.end());
        expected.insert(expected.end(), {{"Terminator", "CR + LF"},
                                         {"Send Data Length", "Off"},
                                         {"Code ID", "Disable Code ID"}});
        EXPECT_EQ(shown, expected) << "mode " << int(c.mode);
        const std::uint16_t terminatorRow = c.mode > 6 ? 7 : 4;
        for (std::uint16_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].edit.row, i + 1) << rows[i].label;
            EXPECT_EQ(LookupRow(image, 1, rows[i].label), rows[i].edit) << rows[i].label;
        }
        EXPECT_EQ(LookupRow(image, 1, "Terminator"), (EditDescriptor{141, 9, terminatorRow}));
        EXPECT_EQ(LookupRow(image, 1, "Code ID"),
                  (EditDescriptor{104, 9, uint16_t(terminatorRow + 2)}));
    }
}

TEST(GeneralPages, ShowingPageOneCorrectsTimersAndComputerType) {
    struct Case {
        std::uint8_t mode, timer1, timer2;
        std::uint8_t storedTimer1, storedTimer2;
    };
    const Case cases[] = {
        {7, 51, 99, 3, 99},    // timer 2 only checked in laser mode
        {7, 50, 0, 50, 0},     // 50 is allowed
        {10, 200, 51, 3, 30},  // both
        {6, 99, 99, 99, 99},   // no timer rows, nothing corrected
    };
    for (const Case& c : cases) {
        ImageBytes image = FactoryImage(0);
        image[150] = c.mode;
        image[171] = c.timer1;
        image[172] = c.timer2;
        ShowPage(image, 1);
        EXPECT_EQ(image[171], c.storedTimer1) << "mode " << int(c.mode);
        EXPECT_EQ(image[172], c.storedTimer2) << "mode " << int(c.mode);
    }
    ImageBytes image = FactoryImage(0);
    image[139] = 0;
    image[140] = 3;
    EXPECT_EQ(Shown(image, 1).front(), (LabelValue{"Computer Type", "Notebook PC"}));
    ShowPage(image, 1);
    EXPECT_EQ(image[139], 1);
    ImageBytes other = FactoryImage(0);
    other[139] = 7;  // not USB(Cable): only shown, never corrected
    EXPECT_EQ(Shown(other, 1).front(), (LabelValue{"Computer Type", "Null"}));
    EXPECT_EQ(other[139], 7);
}

// One byte set on the factory image: the text a row shows for it.
TEST(BytePages, FieldsAndEnumerationsShowTheirText) {
    struct Case {
        int page, index;
        std::uint8_t byte;
        const char *label, *value;
    };
    const Case cases[] = {
        {5, 143, 16, "Data Length", ""},
        {5, 143, 16, "Data Stop Bits", "1 stop bit"},
        {5, 143, 18, "Data Length", "7 bits"},
        {5, 143, 18, "Data Parity", "Even"},
        {5, 143, 2 | (1 << 2) | (2 << 5), "Data Parity", "Odd"},
        {5, 143, 2 | (1 << 2) | (2 << 5), "Data Stop Bits", "2 stop bits"},
        {5, 143, 3 | (6 << 2) | (1 << 5), "Data Parity", ""},
        {5, 143, 3 | (6 << 2) | (1 << 5), "Data Stop Bits", ""},
        {5, 142, 8, "Baud Rate", "Null"},
        {5, 142, 22, "Baud Rate", "38400 bps"},
        {5, 145, 0xC3, "ACK / NAK On / Off", "On"},
        {5, 145, 0xC3, "Timeout", "Unlimited"},
        {5, 145, 0xC3, "BCC Character", "On"},
        {3, 153, 204, "Setup Code", "Disable"},
        {3, 153, 1, "Setup Code", "Null"},
        {4, 149, 3, "Capital Lock Mode", ""},
        {4, 149, 2 | 4, "Capital Lock Mode", "Auto"},
        {4, 149, 2 | 4, "Numeric Keypad Output", "On"},
        {2, 148, 5, "Intercharacter Delay", "Null"},
        {2, 147, 5, "Interblock Delay", "500 ms"},
        {2, 151, 200, "Accuracy Adjustment", " 200"},
        {6, 154, 3, "Level Duration of Mini Width", "600us"},
        {6, 154, 3, "Polarity of Idle Condition", "High"},
        {6, 154, 3, "Output of Wand Emulation", "Bar High & Space Low"},
        {6, 154, 3, "Wave Form", "Pen Type"},
        {9, 18, 13, "First / Last digit suppressed", "Last"},
        {9, 18, 29, "First / Last digit suppressed", "First"},
        {9, 18, 17, "First / Last digit suppressed", "No digit suppressed"},
        {15, 48, 25, "MSI Plessey CDV mod10", "mod11 plus mod10"},
        {15, 48, 17, "MSI Plessey CDV mod10", "mod11 plus mod10"},
        {15, 48, 9, "MSI Plessey CDV mod10", "double"},
        {15, 48, 1, "MSI Plessey CDV mod10", "single"},
        {8, 9, 1 | 16, "Codabar Start - Stop TYPE", "abcd / abcd"},
        {8, 9, 1 | 32, "Codabar Start - Stop TYPE", "ABCD / TN*E"},
        {8, 9, 1 | 48, "Codabar Start - Stop TYPE", "abcd / tn*e"},
        {14, 43, 1 | 8, "Code11 2/5 digits CD", "1 digit"},
        {16, 58, 1, "Telepen Code Output", "Number"},
        {7, 3, 65, "Set Code ID (Code 39)", "{A}"},
        {22, 92, 29, "EAN-128 Replace Func1 character", "{\x1D}"},
    };
    for (const Case& c : cases) {
        ImageBytes image = FactoryImage(0);
        image[c.index] = c.byte;
        const auto rows = Shown(image, c.page);
        const auto it = std::find_if(rows.begin(), rows.end(),
                                     [&](const LabelValue& r) { return r.first == c.label; });
        ASSERT_NE(it, rows.end()) << c.label;
        EXPECT_EQ(it->second, c.value) << c.label << " byte " << int(c.byte);
    }
}

TEST(CharacterRuns, PreambleRewritesItsLengthByte) {
    ImageBytes image = FactoryImage(0);
    for (int i = 0; i < 16; ++i)
        image[106 + i] = static_cast<std::uint8_t>('a' + i);
    image[105] = 3;
    EXPECT_EQ(ShowPage(image, 3)[2].value, "{a}{b}{c}{d}{e}{f}{g}{h}{i}{j}{k}{l}{m}{n}{o}{p}");
    EXPECT_EQ(image[105], 16);

    image[106] = 0;
    EXPECT_EQ(Shown(image, 3)[2].second, "");
    ShowPage(image, 3);
    EXPECT_EQ(image[105], 0);

    image[123] = 208;  // F1
    image[124] = 13;
    image[125] = 0;
    image[126] = 'x';  // after the end mark: not part of the run
    ShowPage(image, 3);
    EXPECT_EQ(Shown(image, 3)[3].second, "{F1}{\r}");
    EXPECT_EQ(image[122], 2);
}

TEST(CharacterRuns, ShortRunsSkipUnsetPositions) {
    struct Case {
        std::uint8_t a, b;
        const char* shown;
    };
    const Case cases[] = {
        {255, 255, ""}, {65, 66, "{A}{B}"}, {255, 66, "{B}"}, {65, 255, "{A}"}, {0, 231, "{ENT}"}};
    for (const Case& c : cases) {
        ImageBytes image = FactoryImage(0);
        image[3] = c.a;
        image[4] = c.b;
        EXPECT_EQ(ShowCharsRow(image, 3, 2), c.shown);
        EXPECT_EQ(image[2], 48) << "a two-character run has no length byte";
    }
}

TEST(RowHelpers, StayInsideTheImage) {
    ImageBytes image;
    image.fill('z');
    EXPECT_EQ(ShowCharsRow(image, 513, 5), "{z}{z}{z}");  // runs out at 515
    EXPECT_EQ(ShowBitRow(image, 516, 0, 0), "");
    EXPECT_EQ(ShowNumberRow(image, 9999), "");
    for (int page : {0, -1, 32, 1000}) {
        const ImageBytes before = image;
        EXPECT_TRUE(ShowPage(image, page).empty());
        EXPECT_EQ(image, before);
        EXPECT_FALSE(LookupRow(image, page, "Interface").has_value());
    }
}

TEST(RowLookup, DescriptorsOfWellKnownRows) {
    const ImageBytes image = FactoryImage(0);
    struct Case {
        int page;
        const char* label;
        EditDescriptor edit;
    };
    const Case cases[] = {
        {1, "Computer Type", {139, 9, 1}},     {1, "Interface", {140, 9, 2}},
        {3, "Preamble", {106, 26, 3}},         {3, "Postamble", {123, 26, 4}},
        {3, "Label Type", {149, 4, 1}},        {3, "Setup Code", {153, 9, 2}},
        {4, "Capital Lock Mode", {149, 0, 1}}, {5, "Data Parity", {143, 2, 3}},
        {5, "Data Stop Bits", {143, 5, 4}},    {6, "Wave Form", {154, 3, 4}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LookupRow(image, c.page, c.label), c.edit) << c.label;
    EXPECT_FALSE(LookupRow(image, 1, "Delay timer1, when there was no symbology decoding"));
    EXPECT_FALSE(LookupRow(image, 2, "Interface"));  // another page's label
}

}  // namespace
}  // namespace qsp::test
