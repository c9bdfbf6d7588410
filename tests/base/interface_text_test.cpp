#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "base/interface_text.h"
#include "test_support/temp_dir.h"

namespace qsp {
namespace {

constexpr Language kAll[] = {Language::Neutral, Language::TraditionalChinese, Language::Japanese,
                             Language::SimplifiedChinese};

TEST(InterfaceText, EveryLanguageDefinesEveryTextItself) {
    for (Language language : kAll) {
        const InterfaceText text(language);
        for (int id = kFirstTextId; id <= kLastTextId; ++id) {
            EXPECT_TRUE(text.Defines(id))
                << "language " << static_cast<int>(language) << " id " << id;
            EXPECT_FALSE(text.LoadText(id).empty()) << id;
        }
    }
}

TEST(InterfaceText, TranslationsAreTranslatedAndKeepTheirAccessKeys) {
    const InterfaceText english(Language::Neutral);
    for (Language language :
         {Language::TraditionalChinese, Language::Japanese, Language::SimplifiedChinese}) {
        const InterfaceText text(language);
        int same = 0;
        for (int id = 102; id <= kLastTextId; ++id) {
            if (text.LoadText(id) == english.LoadText(id)) ++same;
            // Menu access keys survive translation.
            for (const char* key : {"(&F)", "(&I)", "(&S)", "(&D)"}) {
                if (english.LoadText(id).find(key) != std::string::npos) {
                    EXPECT_NE(text.LoadText(id).find(key), std::string::npos) << id << " " << key;
                }
            }
        }
        // A few texts (OK, RS232-like names) may stay as they are, but not the table.
        EXPECT_LT(same, 12) << static_cast<int>(language);
    }
}

// A translation keeps every blank ("%1".."%9") of the English text and adds none, whatever order
// its language puts them in; filling puts each value where its blank stands.
TEST(InterfaceText, TranslationsKeepEveryBlank) {
    const auto blanks = [](const std::string& t) {
        std::multiset<char> found;
        for (std::size_t i = 0; i + 1 < t.size(); ++i) {
            if (t[i] == '%' && t[i + 1] >= '1' && t[i + 1] <= '9') found.insert(t[i + 1]);
        }
        return found;
    };
    const InterfaceText english;
    for (Language language : kAll) {
        const InterfaceText text(language);
        for (int id = kFirstTextId; id <= kLastTextId; ++id)
            EXPECT_EQ(blanks(text.LoadText(id)), blanks(english.LoadText(id))) << id;
    }
    const TextMessage tooLong{246, {"ABCDEFGHIJ", "F-1 Prefix", "4"}};
    EXPECT_EQ(tooLong.Text(),
              "\"ABCDEFGHIJ\" is too long for row \"F-1 Prefix\" (at most 4 characters)");
    EXPECT_EQ(tooLong.In(InterfaceText(Language::Japanese)),
              "「ABCDEFGHIJ」は行「F-1 Prefix」には長すぎます（最大 4 文字）");
    EXPECT_EQ(FillText("%2 of %1, %3%", {"a", "b"}), "b of a, %3%");
}

TEST(InterfaceText, TheLocalePicksTheVersion) {
    // clang-format off
    struct Case { const char* locale; Language language; } cases[] = {
        {"zh_TW.UTF-8", Language::TraditionalChinese}, {"zh_HK", Language::TraditionalChinese},
        {"ja_JP.UTF-8", Language::Japanese}, {"ja", Language::Japanese},
        {"zh_CN.UTF-8", Language::SimplifiedChinese}, {"zh_SG", Language::SimplifiedChinese},
        {"de_DE.UTF-8", Language::Neutral}, {"en_US", Language::Neutral}, {"C", Language::Neutral},
        {"", Language::Neutral}, {"zh", Language::Neutral}, {"jam_JM", Language::Neutral},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(LanguageForLocale(c.locale), c.language) << c.locale;
}

// Each version names its help file by its tag; the compiled help comes before the HTML pages.
TEST(InterfaceText, HelpOfEachVersionPrefersTheChmFileAndFallsBackToHtml) {
    test_support::TempDir dir;
    const char* tags[] = {"ENGH", "BIG5", "SJIS", "PRCG"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(InterfaceText(kAll[i]).LanguageTag(), tags[i]);
    EXPECT_TRUE(HelpFilePath(dir.path(), "ENGH").empty());
    std::ofstream(dir.path() / "ZUR-HelpENGH.html") << "<html></html>";
    EXPECT_EQ(HelpFilePath(dir.path(), "ENGH"), dir.path() / "ZUR-HelpENGH.html");
    std::ofstream(dir.path() / "ZUR-HelpENGH.chm") << "x";
    EXPECT_EQ(HelpFilePath(dir.path(), "ENGH"), dir.path() / "ZUR-HelpENGH.chm");
    EXPECT_TRUE(HelpFilePath(dir.path(), "SJIS").empty());
}

}  // namespace
}  // namespace qsp
