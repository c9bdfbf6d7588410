#include "base/qt_language.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>

namespace qsp {

QString QtLocaleName(Language language) {
    switch (language) {
        case Language::TraditionalChinese:
            return "zh_TW";
        case Language::Japanese:
            return "ja";
        case Language::SimplifiedChinese:
            return "zh_CN";
        case Language::Neutral:
            break;
    }
    return {};
}

bool InstallQtTranslations(QApplication& app, Language language) {
    const QString name = QtLocaleName(language);
    if (name.isEmpty()) return false;
    auto* translator = new QTranslator(&app);
    if (!translator->load("qtbase_" + name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QApplication::installTranslator(translator);
}

QStringList LanguageFontFamilies(Language language) {
    QStringList wanted;
    switch (language) {
        case Language::TraditionalChinese:
            wanted = {"Noto Sans CJK TC", "Noto Sans CJK HK", "Noto Sans TC"};
            break;
        case Language::Japanese:
            wanted = {"Noto Sans CJK JP", "Noto Sans JP", "IPAGothic"};
            break;
        case Language::SimplifiedChinese:
            wanted = {"Noto Sans CJK SC", "Noto Sans SC"};
            break;
        case Language::Neutral:
            return {};
    }
    QStringList found;
    for (const QString& family : wanted) {
        if (QFontDatabase::hasFamily(family)) found << family;
    }
    found << "Droid Sans Fallback";
    return found;
}

void ApplyLanguageFont(QApplication& app, Language language) {
    const QStringList families = LanguageFontFamilies(language);
    if (families.isEmpty()) return;
    QFont font = QApplication::font();
    QStringList all = families;
    all << font.families();
    font.setFamilies(all);
    app.setFont(font);
}

}  // namespace qsp
