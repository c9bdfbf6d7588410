#include "workbench/param_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "workbench/remembered_path.h"

namespace qsp {
namespace {

ImageBytes Pattern() {
    ImageBytes image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return image;
}

// 515 lines holding `value`, each ending in CR LF, with `line` (1-based) replaced by `text`.
std::string FileWith(int line = 0, const std::string& text = "") {
    std::string out;
    for (int n = 1; n <= kParamFileLines; ++n)
        out += (n == line ? text : " 9") + "\r\n";
    return out;
}

class TempDir : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ =
            std::filesystem::temp_directory_path() /
            ("qsp_param_file_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::filesystem::path dir_;
};

TEST(ParamFileFormat, WritesBytes0To514AsBlankDigitsCrLf) {
    ImageBytes image{};
    image[0] = 213;
    image[1] = 1;
    image[2] = 48;
    image[514] = 255;
    image[515] = 77;  // not stored
    const std::string text = FormatParamFile(image);
    EXPECT_EQ(text.substr(0, 19), " 213\r\n 1\r\n 48\r\n 0\r\n");
    EXPECT_EQ(text.substr(text.size() - 10), " 0\r\n 255\r\n");
    std::size_t lines = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        lines += text.compare(i, 2, "\r\n") == 0;
    EXPECT_EQ(lines, 515u);
    EXPECT_EQ(text.find("77"), std::string::npos);
}

TEST_F(TempDir, SavedFileRestoresBytes0To514AndKeeps515) {
    const auto path = dir_ / "line1.Dec";
    const ImageBytes saved = Pattern();
    ASSERT_TRUE(SaveParamFile(path, saved));
    ImageBytes loaded{};
    loaded[515] = 42;
    const auto result = LoadParamFile(path, loaded);
    ASSERT_TRUE(result.ok) << result.Describe();
    for (std::size_t i = 0; i < 515; ++i)
        ASSERT_EQ(loaded[i], saved[i]) << i;
    EXPECT_EQ(loaded[515], 42);
    // A save over an existing file replaces it whole.
    ASSERT_TRUE(SaveParamFile(path, ImageBytes{}));
    ASSERT_TRUE(LoadParamFile(path, loaded).ok);
    EXPECT_EQ(loaded[3], 0);
    EXPECT_EQ(loaded[515], 42);
}

TEST_F(TempDir, SaveIntoMissingFolderFailsWithoutLeavingFiles) {
    EXPECT_FALSE(SaveParamFile(dir_ / "nowhere" / "a.Dec", Pattern()));
    EXPECT_TRUE(std::filesystem::is_empty(dir_));
}

TEST(ParamFileLoad, LineCountMustBeExactly515) {
    const ImageBytes before = Pattern();
    ImageBytes image = before;
    // 514 lines.
    std::string text = FileWith();
    text.erase(text.size() - 4);
    auto result = ParseParamFile(text, image);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.line, 515);
    EXPECT_NE(result.reason.find("514"), std::string::npos) << result.reason;
    // One empty line more at the end is a 516th line.
    result = ParseParamFile(FileWith() + "\r\n", image);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.line, 516);
    result = ParseParamFile(FileWith() + " 5", image);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.line, 516);
    EXPECT_FALSE(ParseParamFile("", image).ok);
    EXPECT_EQ(image, before);
    // The last line may lack its CR LF; LF alone ends lines too.
    std::string unterminated = FileWith(515, " 8");
    unterminated.erase(unterminated.size() - 2);
    ASSERT_TRUE(ParseParamFile(unterminated, image).ok);
    EXPECT_EQ(image[514], 8);
    std::string lf;
    for (int n = 0; n < 515; ++n)
        lf += "7\n";
    ASSERT_TRUE(ParseParamFile(lf, image).ok);
    EXPECT_EQ(image[0], 7);
    EXPECT_EQ(image[515], before[515]);
}

TEST(ParamFileLoad, ValuesOutside0To255AreRefusedAndChangeNothing) {
    const ImageBytes before = Pattern();
    for (const std::string bad : {"256", "-1", " -1", "&HFFFF", "255.4", "-0.2", "1e3"}) {
        ImageBytes image = before;
        const auto result = ParseParamFile(FileWith(300, bad), image);
        EXPECT_FALSE(result.ok) << bad;
        EXPECT_EQ(result.line, 300) << bad;
        EXPECT_EQ(result.Describe().rfind("line 300: ", 0), 0u) << result.Describe();
        EXPECT_EQ(image, before) << bad;
    }
    // The first bad line is named, even when more come after it.
    ImageBytes image = before;
    std::string text = FileWith(12, "300");
    text += "\r\n";
    EXPECT_EQ(ParseParamFile(text, image).line, 12);
}

TEST(ParamFileLoad, NumbersAreReadLikeTheProgramWritesAndMore) {
    struct Case {
        std::string line;
        int value;
    };
    const Case cases[] = {
        {" 255", 255},  {"12abc", 12}, {"&HFF", 255},  {"&hff", 255},  {"&O377", 255}, {"2.5", 2},
        {"3.5", 4},     {"0.5", 0},    {"254.6", 255}, {"254.5", 254}, {"", 0},        {"abc", 0},
        {"\t1 2 ", 12}, {"+7", 7},     {"1E2", 100},   {"-0", 0},
    };
    for (const auto& c : cases) {
        ImageBytes image = Pattern();
        const auto result = ParseParamFile(FileWith(40, c.line), image);
        ASSERT_TRUE(result.ok) << c.line << ": " << result.Describe();
        EXPECT_EQ(image[39], c.value) << '"' << c.line << '"';
        EXPECT_EQ(image[38], 9);
    }
}

TEST_F(TempDir, UnreadableFileFailsAndChangesNothing) {
    ImageBytes image = Pattern();
    auto result = LoadParamFile(dir_ / "missing.Dec", image);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.line, 0);
    EXPECT_NE(result.Describe().find("missing.Dec"), std::string::npos);
    result = LoadParamFile(dir_, image);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(image, Pattern());
}

TEST_F(TempDir, OpenChecksTheNameBeforeReading) {
    const auto touch = [&](const std::string& name) {
        std::ofstream(dir_ / name) << "x";
        return (dir_ / name).string();
    };
    EXPECT_TRUE(IsOpenableParamFile(touch("a.Dec")));
    EXPECT_TRUE(IsOpenableParamFile(touch("b.txt")));  // any three-character extension
    EXPECT_FALSE(IsOpenableParamFile(touch("a.De")));  // two characters: Open does nothing
    EXPECT_FALSE(IsOpenableParamFile(touch("noext")));
    EXPECT_FALSE(IsOpenableParamFile((dir_ / "absent.Dec").string()));
    std::filesystem::create_directory(dir_ / "dir.Dec");
    EXPECT_FALSE(IsOpenableParamFile((dir_ / "dir.Dec").string()));
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    EXPECT_TRUE(IsOpenableParamFile("a.Dec"));  // exactly five characters
    EXPECT_FALSE(IsOpenableParamFile(".Dec"));
    std::filesystem::current_path(previous);
}

TEST(RememberedPath, SaveProposesAFileAndRemembersFoldersOfWildcards) {
    const auto rules = ParamFileSaveRules();
    const std::filesystem::path home = "/home/user";
    EXPECT_EQ(UsableRememberedPath("", rules, home), "/home/user/a.Dec");
    EXPECT_EQ(UsableRememberedPath("/x/", rules, home), "/home/user/a.Dec");  // shorter than 5
    EXPECT_EQ(UsableRememberedPath("/data/", rules, home), "/data/");
    EXPECT_EQ(UsableRememberedPath("C:\\a.Dec", rules, home), "/home/user/a.Dec");
    EXPECT_EQ(UsableRememberedPath("D:\\scan\\line1.Dec", rules, home), "/home/user/line1.Dec");
    EXPECT_EQ(UsableRememberedPath("D:\\scan\\", rules, home), "/home/user/");
    EXPECT_EQ(SaveDialogName("/data/", rules), "/data/a.Dec");
    EXPECT_EQ(SaveDialogName("/data\\", rules), "/data\\a.Dec");
    EXPECT_EQ(SaveDialogName("/data/b.Dec", rules), "/data/b.Dec");
    EXPECT_EQ(RememberDialogChoice("/data/*.Dec", rules), "/data/");
    EXPECT_EQ(RememberDialogChoice("/data/*.dec", rules), "/data/*.dec");  // case-sensitive
    EXPECT_EQ(RememberDialogChoice("/data/b.Dec", rules), "/data/b.Dec");
    EXPECT_TRUE(NamesFolder("/data/"));
    EXPECT_TRUE(NamesFolder("C:\\scan\\"));
    EXPECT_FALSE(NamesFolder("/data/b.Dec"));
    EXPECT_FALSE(NamesFolder(""));
}

TEST(RememberedPath, OpenProposesTheWildcardInAFolder) {
    const auto rules = ParamFileOpenRules();
    const std::filesystem::path home = "/home/user/";
    EXPECT_EQ(UsableRememberedPath("ab", rules, home), "/home/user/");
    EXPECT_EQ(UsableRememberedPath("C:\\", rules, home), "/home/user/");
    EXPECT_EQ(UsableRememberedPath("/a/", rules, home), "/a/");  // 3 characters are enough
    EXPECT_EQ(OpenDialogName("/home/user/", rules), "/home/user/*.Dec");
    EXPECT_EQ(OpenDialogName("/data/b.Dec", rules), "/data/b.Dec");
    const auto listing = ListingFileRules();
    EXPECT_EQ(UsableRememberedPath("", listing, "/h"), "/h/a.txt");
    EXPECT_EQ(SaveDialogName("/out/", listing), "/out/a.txt");
    EXPECT_EQ(RememberDialogChoice("/out/*.txt", listing), "/out/");
    EXPECT_EQ(RememberDialogChoice("/out/*.Txt", listing), "/out/*.Txt");
}

}  // namespace
}  // namespace qsp
