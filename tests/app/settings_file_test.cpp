#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/file_io.h"
#include "app/settings_file.h"
#include "app/text_number.h"
#include "test_support/temp_dir.h"

namespace qsp {
namespace {

TEST(NumericValue, ReadsTheLeadingNumberOfATextLikeTheFileReaders) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"", 0},        {"abc", 0},      {" 200", 200},  {"  3", 3},       {"12abc", 12},
        {"-7", -7},     {"+4", 4},       {"2.5", 2.5},   {".5", 0.5},      {"1e2", 100},
        {"1E+2x", 100}, {"1.5D1", 15},   {"1e", 1},      {"&HFF", 255},    {"&hff", 255},
        {"&O17", 15},   {"&17", 15},     {"&HFFFF", -1}, {"&H1FFFF", 131071}, {"1 2 3", 123},
        {"\t 4\n2", 42}, {"- 5", -5},    {"--5", 0},     {"&H", 0},        {"&HG1", 0},
        {"9.", 9},      {"3-4", 3},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(NumericValue(c.text), c.value) << c.text;
}

TEST(NumericValue, HugeExponentsAreNotAcceptedAsSmallNumbers) {
    EXPECT_GT(NumericValue("1e999"), 255);
    EXPECT_EQ(RoundHalfEven(NumericValue("1e999")), 2147483647);
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(199.6), 200);
    EXPECT_EQ(RoundHalfEven(200.4), 200);
    EXPECT_EQ(NumberText(200), " 200");
    EXPECT_EQ(NumberText(0), " 0");
    EXPECT_EQ(NumberText(-3), "-3");
}

std::string Lines(std::initializer_list<const char*> lines) {
    std::string out;
    for (const char* l : lines) out += std::string(l) + "\r\n";
    return out;
}

TEST(SettingsFile, AMissingFileGivesEveryDefaultAndWritesTheFourteenLineFile) {
    test_support::TempDir dir;
    AppSettings s = LoadSettingsFile(dir.path());
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "HW_Path.int"));
    EXPECT_EQ(InterfaceNumber(s), kRs232);
    EXPECT_EQ(s.CommPort, "1");
    EXPECT_EQ(s.Rs232Delay, 200);
    EXPECT_EQ(s.UsbDelay, "6");
    EXPECT_EQ(s.Ps2Delay, "12");
    EXPECT_FALSE(s.Automation);
    EXPECT_TRUE(s.TestCount);
    EXPECT_EQ(LinkLabelText(s), "COM 1 , 9600 , None , 8 bits , 1 bit");

    ASSERT_TRUE(SaveSettingsFile(dir.path(), s));
    EXPECT_EQ(*ReadWholeFile(dir.path() / "HW_Path.int"),
              Lines({"C:\\", "0", "1", "", " 200", "6", "12", "9600", "None", "8 bits", "1 bit",
                     "0", "1", ""}));
}

TEST(SettingsFile, ShortAndOddFilesTakeTheDefaultsOfTheirMissingLines) {
    // Exactly twelve lines: TestCount stays off, Automation is read.
    AppSettings twelve = ParseSettings(
        Lines({"/fw", " 2", " 3", "/p/a.Dec", "150.5", "0", "abc", "19200", "Odd", "7 bits",
               "2 bits", "1"}));
    EXPECT_FALSE(twelve.TestCount);
    EXPECT_TRUE(twelve.Automation);
    EXPECT_EQ(InterfaceNumber(twelve), kPs2);
    EXPECT_EQ(twelve.InterfaceIndex, " 2");
    EXPECT_EQ(twelve.CommPort, " 3");
    EXPECT_EQ(twelve.Rs232Delay, 150);  // 150.5 rounds to the even neighbour
    EXPECT_EQ(twelve.UsbDelay, "6");
    EXPECT_EQ(twelve.Ps2Delay, "12");
    EXPECT_EQ(twelve.BaudRate, "19200");

    // Eleven lines: TestCount on by default.
    AppSettings eleven = ParseSettings(Lines({"a", "1", "0", "", "0", "", "", "", "", "", ""}));
    EXPECT_TRUE(eleven.TestCount);
    EXPECT_EQ(eleven.CommPort, "1");  // "0" is below 1
    EXPECT_EQ(eleven.Rs232Delay, 200);
    EXPECT_EQ(eleven.UpdateFilesPath, "a");

    AppSettings badPort = ParseSettings(Lines({"x", "0", "abc"}));
    EXPECT_EQ(badPort.CommPort, "1");

    // Unknown links fall back to RS-232; "1.5" is not a link number either.
    EXPECT_EQ(ParseSettings(Lines({"x", "7"})).InterfaceIndex, "0");
    EXPECT_EQ(InterfaceNumber(ParseSettings(Lines({"x", "1.5"}))), kRs232);
    EXPECT_EQ(InterfaceNumber(ParseSettings(Lines({"x", "-1"}))), kRs232);
    EXPECT_EQ(InterfaceNumber(ParseSettings(Lines({"x", " 1"}))), kUsb);

    // Line 13 "0" switches TestCount off; negative numbers are off too.
    AppSettings full = ParseSettings(Lines({"a", "0", "1", "", "1", "1", "1", "9600", "None",
                                            "8 bits", "1 bit", "-1", "0", "/t.txt"}));
    EXPECT_FALSE(full.Automation);
    EXPECT_FALSE(full.TestCount);
    EXPECT_EQ(full.TextFilePath, "/t.txt");
}

TEST(SettingsFile, ExtraLinesAreDroppedAndLineEndingsOfOtherSystemsAreRead) {
    std::string text = Lines({"/fw", " 1", "2", "/p/", " 300", "2", "3", "4800", "Even", "7 bits",
                              "2 bits", "1", "1", "/t.txt", "junk", "more junk"});
    AppSettings s = ParseSettings(text);
    EXPECT_EQ(s.TextFilePath, "/t.txt");
    EXPECT_EQ(FormatSettings(s), Lines({"/fw", " 1", "2", "/p/", " 300", "2", "3", "4800", "Even", "7 bits",
                              "2 bits", "1", "1", "/t.txt"}));

    // LF-only files (edited with a Linux editor) read the same.
    AppSettings lf = ParseSettings("/fw\n 1\n2\n");
    EXPECT_EQ(lf.CommPort, "2");
    EXPECT_EQ(InterfaceNumber(lf), kUsb);
}

TEST(SettingsFile, SavingReplacesTheFileWholeAndLeavesNoTemporaryFiles) {
    test_support::TempDir dir;
    {
        std::ofstream old(dir.path() / "HW_Path.int");
        old << std::string(10000, 'x');
    }
    AppSettings s = ParseSettings("");
    s.InterfaceIndex = " 1";
    ASSERT_TRUE(SaveSettingsFile(dir.path(), s));
    const auto text = *ReadWholeFile(dir.path() / "HW_Path.int");
    EXPECT_EQ(text.substr(0, 9), "C:\\\r\n 1\r\n");
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 1);

    // A folder that cannot be written leaves the old file as it was.
    EXPECT_FALSE(SaveSettingsFile(dir.path() / "missing", s));
}

}  // namespace
}  // namespace qsp
