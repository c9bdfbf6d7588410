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

TEST(ParamFile, SavedFileIs515BlankDigitLinesAndRestoresBytes0To514) {
    test_support::TempDir dir;
    ImageBytes saved = Pattern();
    saved[0] = 213;
    saved[1] = 1;
    saved[514] = 255;
    const auto path = dir.path() / "line1.Dec";
    ASSERT_TRUE(SaveParamFile(path, saved));
    const std::string text = FormatParamFile(saved);
    EXPECT_EQ(text.substr(0, 10), " 213\r\n 1\r\n");
    EXPECT_EQ(text.substr(text.size() - 6), " 255\r\n");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 515);
    ImageBytes loaded{};
    loaded[515] = 42;
    const auto result = LoadParamFile(path, loaded);
    ASSERT_TRUE(result.ok) << result.Describe();
    EXPECT_TRUE(std::equal(saved.begin(), saved.begin() + 515, loaded.begin()));
    EXPECT_EQ(loaded[515], 42);  // neither stored nor loaded
    // A save into a folder that does not exist fails and leaves nothing behind.
    EXPECT_FALSE(SaveParamFile(dir.path() / "nowhere" / "a.Dec", saved));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(ParamFile, WrongLineCountsAndValuesAreRefusedNamingTheLine) {
    const ImageBytes before = Pattern();
    std::string short514 = FileWith();
    short514.erase(short514.size() - 4);
    const std::pair<std::string, int> cases[] = {
        {short514, 515},
        {FileWith() + "\r\n", 516},
        {FileWith() + " 5", 516},
        {"", 1},
        {FileWith(300, "256"), 300},
        {FileWith(300, " -1"), 300},
        {FileWith(9, "&HFFFF"), 9},  // -1 as a 16-bit number
        {FileWith(9, "255.4"), 9},   // checked before rounding
        {FileWith(9, "-0.2"), 9},
        {FileWith(12, "300") + "\r\n", 12},  // the first fault
    };
    for (const auto& [text, line] : cases) {
        ImageBytes image = before;
        const auto result = ParseParamFile(text, image);
        EXPECT_FALSE(result.ok) << line;
        EXPECT_EQ(result.line, line);
        EXPECT_EQ(result.Describe().rfind("line " + std::to_string(line) + ": ", 0), 0u);
        EXPECT_EQ(image, before);
    }
    ImageBytes image = before;
    const auto missing = LoadParamFile("/nonexistent/missing.Dec", image);
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.Describe().find("missing.Dec"), std::string::npos);
    EXPECT_EQ(image, before);
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
    std::string lf;
    for (int n = 0; n < 515; ++n)
        lf += "7\n";
    ASSERT_TRUE(ParseParamFile(lf, image).ok);
    EXPECT_EQ(image[514], 7);
}

TEST(ParamFile, OpenChecksTheNameBeforeReading) {
    test_support::TempDir dir;
    for (const char* name : {"a.Dec", "b.txt", "a.De", "noext"})
        std::ofstream(dir.path() / name);
    std::filesystem::create_directory(dir.path() / "dir.Dec");
    const auto at = [&](const char* name) { return (dir.path() / name).string(); };
    EXPECT_TRUE(IsOpenableParamFile(at("a.Dec")));
    EXPECT_TRUE(IsOpenableParamFile(at("b.txt")));  // any three-character extension
    EXPECT_FALSE(IsOpenableParamFile(at("a.De")));  // two: Open does nothing
    EXPECT_FALSE(IsOpenableParamFile(at("noext")));
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
    EXPECT_EQ(UsableRememberedPath("/data/", save, home), "/data/");
    EXPECT_EQ(UsableRememberedPath("D:\\scan\\l1.Dec", save, home), "/home/user/l1.Dec");
    EXPECT_EQ(UsableRememberedPath("ab", open, home), "/home/user/");
    EXPECT_EQ(UsableRememberedPath("C:\\", open, home), "/home/user/");
    EXPECT_EQ(UsableRememberedPath("/a/", open, home), "/a/");
    EXPECT_EQ(SaveDialogName("/data/", save), "/data/a.Dec");
    EXPECT_EQ(SaveDialogName("C:\\data\\", save), "C:\\data\\a.Dec");
    EXPECT_EQ(SaveDialogName("/data/b.Dec", save), "/data/b.Dec");
    EXPECT_EQ(OpenDialogName("/data/", open), "/data/*.Dec");
    EXPECT_EQ(OpenDialogName("/data/b.Dec", open), "/data/b.Dec");
    EXPECT_EQ(RememberDialogChoice("/data/*.Dec", save), "/data/");
    EXPECT_EQ(RememberDialogChoice("/data/*.dec", save), "/data/*.dec");  // case-sensitive
    EXPECT_TRUE(NamesFolder(RememberDialogChoice("/data/*.Dec", save)));  // nothing written
    EXPECT_FALSE(NamesFolder("/data/b.Dec"));
    const auto listing = ListingFileRules();
    EXPECT_EQ(SaveDialogName(UsableRememberedPath("", listing, "/h"), listing), "/h/a.txt");
    EXPECT_EQ(RememberDialogChoice("/out/*.txt", listing), "/out/");
}

}  // namespace
}  // namespace qsp
