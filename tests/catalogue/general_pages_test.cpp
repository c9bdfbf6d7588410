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
    // Over Virtual COM (interface 4) the RS-232 reset keeps interface and terminator.
    image.fill(9);
    image[140] = 4;
    ResetImage(image, 0, page);
    EXPECT_EQ((std::array<int, 3>{image[139], image[140], image[141]}),
              (std::array<int, 3>{0, 4, 9}));
}

// clang-format off
// Page 1 on the RS-232 factory image; the other links change its first, second and fourth rows.
const std::vector<LabelValue> kFactoryPage1 = {
    {"Computer Type", "PC - AT"}, {"Interface", "RS232"}, {"Reading Mode", "Trigger Mode"},
    {"Terminator", "CR + LF"}, {"Send Data Length", "Off"}, {"Code ID", "Disable Code ID"}};
const char* kPage1OnLink[3][3] = {{"PC - AT", "RS232", "CR + LF"},
                                  {"Notebook PC", "USB(Cable)", "CR"},
                                  {"PC - AT", "Keyboard", "None"}};  // PS/2 keeps a zero image's
const std::vector<LabelValue> kFactoryPages2To6[] = {
    {{"Beep Tone", "(2.7K Hz)Beep Medium"}, {"Interblock Delay", "0 ms"},
     {"Intercharacter Delay", "140 us"}, {"Accuracy Adjustment", " 0"}},
    {{"Label Type", "Positive"}, {"Setup Code", "Enable"}, {"Preamble", ""}, {"Postamble", ""}},
    {{"Capital Lock Mode", "Off"}, {"Numeric Keypad Output", "Off"}, {"Keyboard Layout", "English (USA)"}},
    {{"Baud Rate", "9600 bps"}, {"Data Length", "8 bits"}, {"Data Parity", "None"},
     {"Data Stop Bits", "1 stop bit"}, {"Handshaking RTS enabled", "None"}, {"ACK / NAK On / Off", "Off"},
     {"Timeout", "1 sec"}, {"BCC Character", "Off"}},
    {{"Level Duration of Mini Width", "200us"}, {"Polarity of Idle Condition", "Low"},
     {"Output of Wand Emulation", "Bar Low & Space High"}, {"Wave Form", "Full ASCII Code 39"}},
};
// clang-format on

// Every shown row carries its own row number, and the lookup by label gives the same descriptor.
void ExpectRowsNumberedAndFound(ImageBytes image, int page) {
    const auto rows = ShowPage(image, page);
    for (std::uint16_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].edit.row, i + 1) << rows[i].label;
        EXPECT_EQ(LookupRow(image, page, rows[i].label), rows[i].edit) << rows[i].label;
    }
}

TEST(GeneralPages, FactoryRowsOnEveryLink) {
    for (int l = 0; l < 3; ++l) {
        const ImageBytes image = FactoryImage(l);
        auto page1 = kFactoryPage1;
        for (int i : {0, 1, 3})
            page1[i].second = kPage1OnLink[l][i == 3 ? 2 : i];
        EXPECT_EQ(Shown(image, 1), page1) << "link " << l;
        for (int page = 2; page <= 6; ++page)
            EXPECT_EQ(Shown(image, page), kFactoryPages2To6[page - 2]) << "page " << page;
        for (int page = 1; page <= 6; ++page)
            ExpectRowsNumberedAndFound(image, page);
    }
}

TEST(GeneralPages, ReadingModeBringsInTheTimerRows) {
    const LabelValue timer1{"Delay timer1, when there was no symbology decoding", " 3"};
    const LabelValue green{"Auto Sensing Green-LED", "On"}, stone{"Auto Sensing Magnetic stone", "On"};
    // clang-format off
    struct Case { std::uint8_t mode; std::vector<LabelValue> middle; };
    const Case cases[] = {
        {6, {{"Reading Mode", "Continuous Auto Off Mode"}}},
        {7, {{"Reading Mode", "Auto Sensing Mode(CCD)"}, timer1, green, stone}},
        {8, {{"Reading Mode", "Null"}, timer1, green, stone}},
        {10, {{"Reading Mode", "Auto Sensing Mode(Laser)"}, timer1, {"Delay timer2 lingering on the same barcode", " 30"}, stone}},
    };
    // clang-format on
    for (const Case& c : cases) {
        ImageBytes image = FactoryImage(0);
        image[150] = c.mode;
        auto expected = kFactoryPage1;
        expected.erase(expected.begin() + 2);
        expected.insert(expected.begin() + 2, c.middle.begin(), c.middle.end());
        EXPECT_EQ(Shown(image, 1), expected) << "mode " << int(c.mode);
        ExpectRowsNumberedAndFound(image, 1);  // the rows below the timers move down
    }
    EXPECT_FALSE(LookupRow(FactoryImage(0), 1, timer1.first));
}

TEST(GeneralPages, ShowingPageOneCorrectsTimersAndComputerType) {
    // clang-format off
    struct Case { std::uint8_t mode, timer1, timer2, storedTimer1, storedTimer2; };
    const Case cases[] = {
        {7, 51, 99, 3, 99},    // timer 2 only checked in laser mode
        {7, 50, 0, 50, 0},     // 50 is allowed
        {10, 200, 51, 3, 30},  // both
        {6, 99, 99, 99, 99},   // no timer rows, nothing corrected
    };
    // clang-format on
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
    EXPECT_EQ(ShowPage(image, 1).front().value, "Notebook PC");
    EXPECT_EQ(image[139], 1);
    image[139] = 7;
    image[140] = 1;  // not USB(Cable): only shown, never corrected
    EXPECT_EQ(ShowPage(image, 1).front().value, "Null");
    EXPECT_EQ(image[139], 7);
}

// One byte set on the factory image: the text a row shows for it.
TEST(BytePages, FieldsAndEnumerationsShowTheirText) {
    // clang-format off
    struct Case { int page, index; std::uint8_t byte; std::vector<LabelValue> rows; };
    constexpr std::uint8_t kOddTwoStop = 2 | (1 << 2) | (2 << 5), kBadParity = 3 | (6 << 2) | (1 << 5);
    const Case cases[] = {
        {5, 143, 16, {{"Data Length", ""}, {"Data Stop Bits", "1 stop bit"}}},
        {5, 143, 18, {{"Data Length", "7 bits"}, {"Data Parity", "Even"}}},
        {5, 143, kOddTwoStop, {{"Data Parity", "Odd"}, {"Data Stop Bits", "2 stop bits"}}},
        {5, 143, kBadParity, {{"Data Parity", ""}, {"Data Stop Bits", ""}}},
        {5, 142, 8, {{"Baud Rate", "Null"}}}, {5, 142, 22, {{"Baud Rate", "38400 bps"}}},
        {25, 260, 1, {{"Force Data Edit", "Enable"}}}, {25, 260, 7, {{"Force Data Edit", "Null"}}},
        {5, 145, 0xC3, {{"ACK / NAK On / Off", "On"}, {"Timeout", "Unlimited"}, {"BCC Character", "On"}}},
        {3, 153, 204, {{"Setup Code", "Disable"}}}, {3, 153, 1, {{"Setup Code", "Null"}}},
        {4, 149, 3, {{"Capital Lock Mode", ""}}},
        {4, 149, 2 | 4, {{"Capital Lock Mode", "Auto"}, {"Numeric Keypad Output", "On"}}},
        {2, 148, 5, {{"Intercharacter Delay", "Null"}}}, {2, 147, 5, {{"Interblock Delay", "500 ms"}}},
        {2, 151, 200, {{"Accuracy Adjustment", " 200"}}},
        {6, 154, 3, {{"Level Duration of Mini Width", "600us"}, {"Polarity of Idle Condition", "High"},
                     {"Output of Wand Emulation", "Bar High & Space Low"}, {"Wave Form", "Pen Type"}}},
        {9, 18, 13, {{"First / Last digit suppressed", "Last"}}},
        {9, 18, 29, {{"First / Last digit suppressed", "First"}}},
        {9, 18, 17, {{"First / Last digit suppressed", "No digit suppressed"}}},
        {15, 48, 25, {{"MSI Plessey CDV mod10", "mod11 plus mod10"}}},
        {15, 48, 17, {{"MSI Plessey CDV mod10", "mod11 plus mod10"}}},
        {15, 48, 9, {{"MSI Plessey CDV mod10", "double"}}}, {15, 48, 1, {{"MSI Plessey CDV mod10", "single"}}},
        {8, 9, 1 | 16, {{"Codabar Start - Stop TYPE", "abcd / abcd"}}},
        {8, 9, 1 | 32, {{"Codabar Start - Stop TYPE", "ABCD / TN*E"}}},
        {8, 9, 1 | 48, {{"Codabar Start - Stop TYPE", "abcd / tn*e"}}},
        {14, 43, 1 | 8, {{"Code11 2/5 digits CD", "1 digit"}}}, {16, 58, 1, {{"Telepen Code Output", "Number"}}},
        {7, 3, 65, {{"Set Code ID (Code 39)", "{A}"}}}, {22, 92, 29, {{"EAN-128 Replace Func1 character", "{\x1D}"}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        ImageBytes image = FactoryImage(0);
        image[c.index] = c.byte;
        const auto shown = Shown(image, c.page);
        for (const LabelValue& row : c.rows) {
            EXPECT_NE(std::find(shown.begin(), shown.end(), row), shown.end())
                << row.first << " \"" << row.second << "\" byte " << int(c.byte);
        }
    }
}

TEST(CharacterRuns, ShowAndRewriteTheirLengthBytesInsideTheImage) {
    ImageBytes image = FactoryImage(0);
    for (int i = 0; i < 16; ++i)
        image[106 + i] = static_cast<std::uint8_t>('a' + i);
    image[105] = 3;
    EXPECT_EQ(ShowPage(image, 3)[2].value, "{a}{b}{c}{d}{e}{f}{g}{h}{i}{j}{k}{l}{m}{n}{o}{p}");
    EXPECT_EQ(image[105], 16);
    image[106] = 0;
    EXPECT_EQ(ShowPage(image, 3)[2].value, "");
    EXPECT_EQ(image[105], 0);
    std::copy_n("\xD0\r\0x", 4, image.begin() + 123);  // F1, CR, the end mark, then not the run
    EXPECT_EQ(ShowPage(image, 3)[3].value, "{F1}{\r}");
    EXPECT_EQ(image[122], 2);
    // Two-character runs skip unset positions.
    // clang-format off
    struct Case { std::uint8_t a, b; const char* shown; };
    const Case cases[] = {{255, 255, ""}, {65, 66, "{A}{B}"}, {255, 66, "{B}"}, {65, 255, "{A}"}, {0, 231, "{ENT}"}};
    // clang-format on
    for (const Case& c : cases) {
        image = FactoryImage(0);
        image[3] = c.a;
        image[4] = c.b;
        EXPECT_EQ(ShowCharsRow(image, 3, 2), c.shown);
        EXPECT_EQ(image[2], 48) << "a two-character run has no length byte";
    }
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
    // clang-format off
    struct Case { int page; const char* label; EditDescriptor edit; };
    const Case cases[] = {
        {1, "Computer Type", {139, 9, 1}}, {1, "Interface", {140, 9, 2}}, {1, "Code ID", {104, 9, 6}},
        {3, "Preamble", {106, 26, 3}}, {3, "Postamble", {123, 26, 4}}, {3, "Label Type", {149, 4, 1}},
        {3, "Setup Code", {153, 9, 2}}, {4, "Capital Lock Mode", {149, 0, 1}},
        {5, "Data Parity", {143, 2, 3}}, {5, "Data Stop Bits", {143, 5, 4}}, {6, "Wave Form", {154, 3, 4}},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(LookupRow(image, c.page, c.label), c.edit) << c.label;
    EXPECT_FALSE(LookupRow(image, 2, "Interface"));  // another page's label
}

}  // namespace
}  // namespace qsp::test
