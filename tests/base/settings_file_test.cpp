#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/file_io.h"
#include "base/settings_file.h"
#include "base/text_number.h"
#include "test_support/temp_dir.h"

namespace qsp {
namespace {

// The two number readers (settings: leading blanks only; parameter files: blanks anywhere), and
// the rounding and text of numbers.
TEST(NumericValue, ReadsTheLeadingNumberRoundsHalvesToEvenAndWritesALeadingSpace) {
    // clang-format off
    const std::pair<const char*, double> common[] = {
        {"", 0}, {"abc", 0}, {" 200", 200}, {"12abc", 12}, {"-7", -7}, {"2.5", 2.5}, {".5", 0.5},
        {"1E+2x", 100}, {"1.5D1", 15}, {"1e", 1}, {"&HFF", 255}, {"&hff", 255}, {"&O17", 15},
        {"&17", 15}, {"&HFFFF", -1}, {"&H1FFFF", 131071}, {"--5", 0}, {"&HG1", 0}, {"3-4", 3},
    };
    // Settings: blanks only before the number; the first one inside ends it.
    const std::pair<const char*, double> settings[] = {
        {"1 6", 1}, {" \t 4\n2", 4}, {"- 5", 0}, {"\n3", 0}, {"1. 5", 1}, {"&H F", 0},
    };
    // Parameter files: spaces, tabs and line feeds ignored wherever they stand.
    const std::pair<const char*, double> paramFile[] = {
        {"1 6", 16}, {"\t 4\n2", 42}, {"- 5", -5}, {"\n3", 3}, {"1. 5", 1.5}, {"&H F", 15},
    };
    // clang-format on
    for (const auto& [text, value] : common) {
        EXPECT_DOUBLE_EQ(NumericValue(text), value) << text;
        EXPECT_DOUBLE_EQ(SpacedNumericValue(text), value) << text;
    }
    for (const auto& [text, value] : settings)
        EXPECT_DOUBLE_EQ(NumericValue(text), value) << text;
    for (const auto& [text, value] : paramFile)
        EXPECT_DOUBLE_EQ(SpacedNumericValue(text), value) << text;
    const std::pair<double, int> rounded[] = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {0.5, 0}, {199.6, 200}};
    for (const auto& [value, result] : rounded)
        EXPECT_EQ(RoundHalfEven(value), result) << value;
    EXPECT_EQ(RoundHalfEven(NumericValue("1e999")), 2147483647);  // never a small number
    EXPECT_EQ(NumberText(200), " 200");
    EXPECT_EQ(NumberText(-3), "-3");
}

std::string Lines(std::initializer_list<const char*> lines) {
    std::string out;
    for (const char* l : lines)
        out += std::string(l) + "\r\n";
    return out;
}

TEST(SettingsFile, AMissingFileGivesEveryDefaultAndSavingWritesTheFourteenLinesWhole) {
    test_support::TempDir dir;
    AppSettings s = LoadSettingsFile(dir.path());
    EXPECT_EQ(InterfaceNumber(s), kRs232);
    EXPECT_EQ(LinkLabelText(s), "COM 1 , 9600 , None , 8 bits , 1 bit");
    EXPECT_EQ(ReadWholeFile(dir.path() / "HW_Path.int"), "");  // made empty on reading
    // Saved over a longer file: the fourteen lines only, and no temporary file beside them.
    std::ofstream(dir.path() / "HW_Path.int") << std::string(10000, 'x');
    ASSERT_TRUE(SaveSettingsFile(dir.path(), s));
    EXPECT_EQ(ReadWholeFile(dir.path() / "HW_Path.int"),
              Lines({"C:\\", "0", "1", "", " 200", "6", "12", "9600", "None", "8 bits", "1 bit",
                     "0", "1", ""}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    EXPECT_FALSE(SaveSettingsFile(dir.path() / "missing", s));  // a folder that is not there
}

TEST(SettingsFile, ShortAndOddFilesTakeTheDefaultsOfTheirMissingLines) {
    // Exactly twelve lines: TestCount stays off, Automation is read.
    AppSettings twelve = ParseSettings(Lines({"/fw", " 2", " 3", "/p/a.Dec", "150.5", "0", "abc",
                                              "19200", "Odd", "7 bits", "2 bits", "1"}));
    EXPECT_FALSE(twelve.TestCount);
    EXPECT_TRUE(twelve.Automation);
    EXPECT_EQ(twelve.InterfaceIndex, " 2");  // kept as it stands
    EXPECT_EQ(twelve.CommPort, " 3");
    EXPECT_EQ(twelve.Rs232Delay, 150);  // 150.5 rounds to the even neighbour
    EXPECT_EQ(twelve.UsbDelay, "6");
    EXPECT_EQ(twelve.Ps2Delay, "12");

    // Eleven lines: TestCount on by default; port "0" is below 1, "abc" no port either.
    AppSettings eleven = ParseSettings(Lines({"a", "1", "0", "", "0", "", "", "", "", "", ""}));
    EXPECT_TRUE(eleven.TestCount);
    EXPECT_EQ(eleven.CommPort, "1");
    EXPECT_EQ(eleven.Rs232Delay, 200);
    EXPECT_EQ(ParseSettings(Lines({"x", "0", "abc"})).CommPort, "1");

    // A blank inside a number ends it: port "1 6" is port 1, delay "1 5" is 1, "0 6" is 0.
    AppSettings spaced = ParseSettings(Lines({"x", "0", "1 6", "", "1 5", "0 6", " 0 12"}));
    EXPECT_EQ(spaced.CommPort, "1 6");
    EXPECT_EQ(spaced.Rs232Delay, 1);
    EXPECT_EQ(spaced.UsbDelay, "6");
    EXPECT_EQ(spaced.Ps2Delay, "12");

    // Unknown links are RS-232.
    const std::pair<const char*, int> links[] = {
        {"7", kRs232}, {"1.5", kRs232}, {"-1", kRs232}, {" 1", kUsb}, {" 2", kPs2}};
    for (const auto& [text, link] : links)
        EXPECT_EQ(InterfaceNumber(ParseSettings(Lines({"x", text}))), link) << text;
    EXPECT_EQ(ParseSettings(Lines({"x", "7"})).InterfaceIndex, "0");

    // Line 13 "0" switches TestCount off; negative numbers are off too.
    AppSettings full = ParseSettings(Lines({"a", "0", "1", "", " 200", "1", "1", "9600", "None",
                                            "8 bits", "1 bit", "-1", "0", "/t.txt"}));
    EXPECT_FALSE(full.Automation);
    EXPECT_FALSE(full.TestCount);
    EXPECT_EQ(full.TextFilePath, "/t.txt");
}

TEST(SettingsFile, ExtraLinesAreDroppedAndLineEndingsOfOtherSystemsAreRead) {
    const auto fourteen = Lines({"/fw", " 1", "2", "/p/", " 300", "2", "3", "4800", "Even",
                                 "7 bits", "2 bits", "1", "1", "/t.txt"});
    EXPECT_EQ(FormatSettings(ParseSettings(fourteen + Lines({"junk", "more junk"}))), fourteen);
    // LF-only files (edited with a Linux editor) read the same.
    AppSettings lf = ParseSettings("/fw\n 1\n2\n");
    EXPECT_EQ(lf.CommPort, "2");
    EXPECT_EQ(InterfaceNumber(lf), kUsb);
}

}  // namespace
}  // namespace qsp
