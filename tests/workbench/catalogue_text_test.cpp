// The translations of the catalogue and window texts: complete in every language, nothing left
// over, and shown in the language asked for.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "catalogue/catalogue.h"
#include "catalogue/catalogue_text.h"
#include "editor/value_editor_model.h"

namespace qsp {
namespace {

std::set<std::string> EveryShownText() {
    std::set<std::string> texts;
    for (const auto& list : {CatalogueShownTexts(), ValueEditorListTexts(), WindowTexts()})
        texts.insert(list.begin(), list.end());
    return texts;
}

TEST(CatalogueText, EveryLanguageTranslatesEveryShownTextAndNoOtherText) {
    const std::set<std::string> shown = EveryShownText();
    ASSERT_GT(shown.size(), 300u);
    for (Language language :
         {Language::TraditionalChinese, Language::Japanese, Language::SimplifiedChinese}) {
        const auto translated = TranslatedCatalogueTexts(language);
        const std::set<std::string> keys(translated.begin(), translated.end());
        EXPECT_EQ(keys.size(), translated.size()) << "a text is translated twice";
        for (const auto& text : shown) {
            EXPECT_TRUE(keys.count(text))
                << "language " << static_cast<int>(language) << " lacks \"" << text << "\"";
        }
        for (const auto& key : keys) {
            EXPECT_TRUE(shown.count(key))
                << "language " << static_cast<int>(language) << " translates \"" << key
                << "\", which the program no longer shows";
        }
    }
}

}  // namespace
}  // namespace qsp
