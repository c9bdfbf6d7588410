#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "app/interface_text.h"
#include "app/layout_scaling.h"
#include "test_support/temp_dir.h"

namespace qsp {
namespace {

constexpr Language kAll[] = {Language::Neutral, Language::TraditionalChinese, Language::Japanese,
                             Language::SimplifiedChinese};

TEST(InterfaceText, EveryLanguageDefinesEveryTextItself) {
    for (Language language : kAll) {
        const InterfaceText text(language);
        for (int id = kFirstTextId; id <= kLastTextId; ++id) {
            EXPECT_TRUE(text.Defines(id)) << "language " << static_cast<int>(language) << " id " << id;
            EXPECT_FALSE(text.LoadText(id).empty()) << id;
        }
    }
}

TEST(InterfaceText, TranslationsAreTranslatedAndKeepTheirAccessKeys) {
    const InterfaceText english(Language::Neutral);
    for (Language language : {Language::TraditionalChinese, Language::Japanese,
                              Language::SimplifiedChinese}) {
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

TEST(InterfaceText, TheLanguageTagNamesTheVersion) {
    const char* tags[] = {"ENGH", "BIG5", "SJIS", "PRCG"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(InterfaceText(kAll[i]).LanguageTag(), tags[i]);
    EXPECT_TRUE(InterfaceText(Language::Japanese).Japanese());
    EXPECT_FALSE(InterfaceText(Language::SimplifiedChinese).Japanese());

    const InterfaceText english;
    EXPECT_EQ(english.LoadText(117), "This function is unavailable for this interface.");
    EXPECT_EQ(english.LoadText(123), "Press \"OK\" or \"Cancel\"");
    EXPECT_EQ(english.LoadText(100), "");
    EXPECT_EQ(english.LoadText(209), "");
}

TEST(InterfaceText, TheLocalePicksTheVersion) {
    struct Case {
        const char* locale;
        Language language;
    } cases[] = {
        {"zh_TW.UTF-8", Language::TraditionalChinese}, {"zh_HK", Language::TraditionalChinese},
        {"ja_JP.UTF-8", Language::Japanese},           {"ja", Language::Japanese},
        {"zh_CN.UTF-8", Language::SimplifiedChinese},  {"zh_SG", Language::SimplifiedChinese},
        {"de_DE.UTF-8", Language::Neutral},            {"en_US", Language::Neutral},
        {"C", Language::Neutral},                      {"", Language::Neutral},
        {"zh", Language::Neutral},                     {"jam_JM", Language::Neutral},
    };
    for (const Case& c : cases) EXPECT_EQ(LanguageForLocale(c.locale), c.language) << c.locale;
}

TEST(InterfaceText, HelpPrefersTheChmFileAndFallsBackToHtml) {
    test_support::TempDir dir;
    EXPECT_TRUE(HelpFilePath(dir.path(), "ENGH").empty());
    std::ofstream(dir.path() / "ZUR-HelpENGH.html") << "<html></html>";
    EXPECT_EQ(HelpFilePath(dir.path(), "ENGH"), dir.path() / "ZUR-HelpENGH.html");
    std::ofstream(dir.path() / "ZUR-HelpENGH.chm") << "x";
    EXPECT_EQ(HelpFilePath(dir.path(), "ENGH"), dir.path() / "ZUR-HelpENGH.chm");
    EXPECT_TRUE(HelpFilePath(dir.path(), "SJIS").empty());
}

TEST(LayoutScaling, TagsRoundTripAndControlsScaleWithTheWindow) {
    const LayoutRect r{12, 8, 370, 150};
    EXPECT_EQ(LayoutTag(r), "12 8 370 150");
    EXPECT_EQ(ParseLayoutTag("12 8 370 150"), r);
    EXPECT_FALSE(ParseLayoutTag("12 8 370"));
    EXPECT_FALSE(ParseLayoutTag("12 8 370 150 9"));
    EXPECT_FALSE(ParseLayoutTag("left top"));
    EXPECT_FALSE(ParseLayoutTag(""));

    EXPECT_EQ(ScaleRect(r, 2.0, 1.5), (LayoutRect{24, 12, 740, 225}));
    EXPECT_EQ(ScaleRect(r, 0.5, 0.5), (LayoutRect{6, 4, 185, 75}));
    EXPECT_EQ(ScaleRect(r, 1.0, 1.0), r);
}

}  // namespace
}  // namespace qsp
