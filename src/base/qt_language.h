#pragma once
// The program-wide side of the interface language: Qt's own texts (the standard buttons of
// message boxes, the file and print dialogs) and the font face of the language's script.

#include <QString>
#include <QStringList>

#include "base/interface_text.h"

class QApplication;

namespace qsp {

// The locale name Qt's translations use for a language ("ja", "zh_TW", "zh_CN"; "" for English).
QString QtLocaleName(Language language);

// Loads Qt's own translations of `language` (qtbase_<name>.qm from Qt's translations folder)
// into the application. False when the language needs none or the file is not installed (Qt's
// dialogs then stay English).
bool InstallQtTranslations(QApplication& app, Language language);

// The font faces a language's texts are shown in, best first: the Noto CJK face of its script
// (Traditional Chinese, Japanese, Simplified Chinese), so that Han characters take the script's
// own forms; empty for English.
QStringList LanguageFontFamilies(Language language);

// Makes the language's font face the application's font, keeping the size.
void ApplyLanguageFont(QApplication& app, Language language);

}  // namespace qsp
