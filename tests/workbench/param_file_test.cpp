#include "workbench/param_file.h"

#include <gtest/gtest.h>

#include <fstream>

#include "test_support/temp_dir.h"
#include "workbench/remembered_path.h"

namespace qsp {
namespace {

ImageBytes Pattern() {
    ImageBytes image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return image;
}

// 515 lines of " 9" ending in CR LF, line `line` (1-based) holding `text` instead.
std::string FileWith(int line = 0, const std::string& text = "") {
    std::string out;
    for (int n = 1; n <= kParamFileLines; ++n)
        out += (n == line ? text : " 9") + "\r\n";
    return out;
}

// Saving and opening through the disk are driven through the settings window.
TEST(ParamFile, SavedTextIs515BlankDigitLinesAndRestoresBytes0To514) {
    ImageBytes saved = Pattern();
    saved[0] = 213;
    saved[514] = 255;
    const std::string text = FormatParamFile(saved);
    EXPECT_EQ(text.substr(0, 11), " 213\r\n 10\r\n");
    EXPECT_EQ(text.substr(text.size() - 6), " 255\r\n");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 515);
    ImageBytes loaded{};
    loaded[515] = 42;
    ASSERT_TRUE(ParseParamFile(text, loaded).ok);
    EXPECT_TRUE(std::equal(saved.begin(), saved.begin() + 515, loaded.begin()));
    EXPECT_EQ(loaded[515], 42);  // neither stored nor loaded
}

TEST(ParamFile, WrongLineCountsAndValuesAreRefusedNamingTheLine) {
    const ImageBytes before = Pattern();
    std::string short514 = FileWith();
    short514.erase(short514.size() - 4);
    // clang-format off
    const std::pair<std::string, int> cases[] = {
        {short514, 515}, {FileWith() + "\r\n", 516}, {FileWith() + " 5", 516}, {"", 1},
        {FileWith(300, "256"), 300}, {FileWith(300, " -1"), 300},
        {FileWith(9, "&HFFFF"), 9},  // -1 as a 16-bit number
        {FileWith(9, "255.4"), 9}, {FileWith(9, "-0.2"), 9},  // checked before rounding
        {FileWith(12, "300") + "\r\n", 12},  // the first fault
    };
    // clang-format on
    for (const auto& [text, line] : cases) {
        ImageBytes image = before;
        const auto result = ParseParamFile(text, image);
        EXPECT_FALSE(result.ok) << line;
        EXPECT_EQ(result.line, line);
        EXPECT_EQ(result.Describe().rfind("line " + std::to_string(line) + ": ", 0), 0u);
        EXPECT_EQ(image, before);
    }
}

TEST(ParamFile, LinesEndingsAndNumbersAreReadLeniently) {
    const std::pair<std::string, int> cases[] = {
        {"12abc", 12},  {"&HFF", 255}, {"&O377", 255}, {"2.5", 2},     {"3.5", 4},
        {"254.6", 255}, {"", 0},       {"abc", 0},     {"\t1 2 ", 12}, {"1E2", 100},
    };
    for (const auto& [line, value] : cases) {
        ImageBytes image = Pattern();
        ASSERT_TRUE(ParseParamFile(FileWith(40, line), image).ok) << line;
        EXPECT_EQ(image[39], value) << '"' << line << '"';
    }
    // The last line may lack its end; LF alone ends lines too.
    std::string text = FileWith(515, " 8");
    text.erase(text.size() - 2);
    ImageBytes image{};
    ASSERT_TRUE(ParseParamFile(text, image).ok);
    EXPECT_EQ(image[514], 8);
    std::erase(text, '\r');
    image = {};
    ASSERT_TRUE(ParseParamFile(text, image).ok);
    EXPECT_EQ(image[514], 8);
}

TEST(ParamFile, OpenChecksTheNameBeforeReading) {
    test_support::TempDir dir;
    for (const char* name : {"a.Dec", "b.txt", "a.De"})
        std::ofstream(dir.path() / name);
    std::filesystem::create_directory(dir.path() / "dir.Dec");
    const auto at = [&](const char* name) { return (dir.path() / name).string(); };
    EXPECT_TRUE(IsOpenableParamFile(at("a.Dec")));
    EXPECT_TRUE(IsOpenableParamFile(at("b.txt")));  // any three-character extension
    EXPECT_FALSE(IsOpenableParamFile(at("a.De")));  // two: Open does nothing
    EXPECT_FALSE(IsOpenableParamFile(at("absent.Dec")));
    EXPECT_FALSE(IsOpenableParamFile(at("dir.Dec")));
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    EXPECT_TRUE(IsOpenableParamFile("a.Dec"));  // exactly five characters
    std::filesystem::current_path(previous);
}

TEST(RememberedPath, DialogsProposeFilesInFoldersAndRememberWildcardsAsFolders) {
    const auto save = ParamFileSaveRules();
    const auto open = ParamFileOpenRules();
    const std::filesystem::path home = "/home/user";
    EXPECT_EQ(UsableRememberedPath("/x/", save, home), "/home/user/a.Dec");  // shorter than 5
    EXPECT_EQ(UsableRememberedPath("D:\\scan\\l1.Dec", save, home), "/home/user/l1.Dec");
    EXPECT_EQ(UsableRememberedPath("C:\\", open, home), "/home/user/");
    EXPECT_EQ(SaveDialogName("C:\\data\\", save), "C:\\data\\a.Dec");
    EXPECT_EQ(OpenDialogName("/data/", open), "/data/*.Dec");
    EXPECT_EQ(RememberDialogChoice("/data/*.Dec", save), "/data/");
    EXPECT_EQ(RememberDialogChoice("/data/*.dec", save), "/data/*.dec");  // case-sensitive
    const auto listing = ListingFileRules();
    EXPECT_EQ(SaveDialogName(UsableRememberedPath("", listing, "/h"), listing), "/h/a.txt");
    EXPECT_EQ(RememberDialogChoice("/out/*.txt", listing), "/out/");
}

}  // namespace
}  // namespace qsp
