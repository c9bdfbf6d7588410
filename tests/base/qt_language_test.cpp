// Qt's own texts and the font face follow the interface language.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPushButton>
#include <QTranslator>

#include "base/display_width.h"
#include "base/qt_language.h"
#include "catalogue/catalogue_text.h"

namespace qsp {
namespace {

void RemoveQtTranslations() {
    for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
        QApplication::removeTranslator(t);
        delete t;
    }
}

QString CancelText() {
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    return box.button(QDialogButtonBox::Cancel)->text();
}

TEST(QtLanguage, StandardButtonsSpeakTheInterfaceLanguage) {
    const QString english = CancelText();
    EXPECT_FALSE(InstallQtTranslations(*qApp, Language::Neutral));
    struct Case {
        Language language;
        const char* cancel;
    };
    const Case cases[] = {
        {Language::TraditionalChinese, "\xE5\x8F\x96\xE6\xB6\x88"},  // 取消
        {Language::Japanese, "\xE3\x82\xAD\xE3\x83\xA3\xE3\x83\xB3\xE3\x82\xBB\xE3\x83\xAB"},
        {Language::SimplifiedChinese, "\xE5\x8F\x96\xE6\xB6\x88"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(InstallQtTranslations(*qApp, c.language))
            << "Qt's translations are not installed (qt6-translations-l10n)";
        EXPECT_EQ(CancelText(), QString::fromUtf8(c.cancel));
        RemoveQtTranslations();
    }
    EXPECT_EQ(CancelText(), english);
}

TEST(QtLanguage, EachScriptGetsItsOwnNotoFace) {
    EXPECT_TRUE(LanguageFontFamilies(Language::Neutral).isEmpty());
    if (!QFontDatabase::hasFamily("Noto Sans CJK TC")) GTEST_SKIP() << "fonts-noto-cjk missing";
    EXPECT_EQ(LanguageFontFamilies(Language::TraditionalChinese).first(), "Noto Sans CJK TC");
    EXPECT_EQ(LanguageFontFamilies(Language::Japanese).first(), "Noto Sans CJK JP");
    EXPECT_EQ(LanguageFontFamilies(Language::SimplifiedChinese).first(), "Noto Sans CJK SC");
    const QFont before = QApplication::font();
    ApplyLanguageFont(*qApp, Language::SimplifiedChinese);
    EXPECT_EQ(QApplication::font().families().first(), "Noto Sans CJK SC");
    QApplication::setFont(before);
}

// Every text of a language, string table and catalogue alike, has its glyphs in the language's
// own font face: nothing is drawn as a box or borrowed from another script's face.
TEST(QtLanguage, TheLanguageFaceHasAGlyphForEveryCharacterOfItsTexts) {
    for (Language language :
         {Language::TraditionalChinese, Language::Japanese, Language::SimplifiedChinese}) {
        const QStringList families = LanguageFontFamilies(language);
        if (families.size() < 2) GTEST_SKIP() << "fonts-noto-cjk missing";
        const QFontMetrics metrics{QFont(families.first())};
        const InterfaceText strings(language);
        const CatalogueText translate(language);
        QStringList texts;
        for (int id = kFirstTextId; id <= kLastTextId; ++id)
            texts << QString::fromStdString(strings.LoadText(id));
        for (const std::string& english : TranslatedCatalogueTexts(language))
            texts << QString::fromStdString(translate(english));
        for (const QString& text : texts) {
            for (char32_t c : text.toUcs4()) {
                if (c == '\n') continue;
                EXPECT_TRUE(metrics.inFontUcs4(c))
                    << families.first().toStdString() << " lacks U+" << std::hex
                    << static_cast<unsigned>(c) << " of \"" << text.toStdString() << "\"";
            }
        }
    }
}

TEST(DisplayWidth, WideCharactersTakeTwoColumns) {
    EXPECT_EQ(DisplayWidth("Code39 State"), 12u);
    EXPECT_EQ(DisplayWidth("\xE7\x8B\x80\xE6\x85\x8B"), 4u);    // 狀態
    EXPECT_EQ(DisplayWidth("\xE3\x82\xAA\xE3\x83\xB3 A"), 6u);  // オン A
    EXPECT_EQ(DisplayWidth("\xEF\xBF\xA1"
                           "UK"),
              4u);                            // fullwidth pound
    EXPECT_EQ(DisplayWidth("\xC3\xA9"), 1u);  // é
    EXPECT_EQ(DisplayWidth("\xE3\x82"), 2u);  // cut short: bytes
}

}  // namespace
}  // namespace qsp
