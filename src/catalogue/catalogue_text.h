#pragma once
// The catalogue's own texts (tree captions, page headings, row labels, value texts, the option
// lists of the value editor) and the window texts the string table does not hold, in the
// window's language. The English text is the key: the tables stay English, and a window asks
// for the text it shows here. A text without a translation stays English.
//
// The translations are the files resources/catalogue/<tag>.txt ("BIG5", "SJIS", "PRCG"), one
// "English<TAB>translation" line per text, embedded at build time. A text is looked up as a
// whole; failing that, its leading and trailing blanks are kept and the rest looked up (" ( Double
// Click )"), and a data edit format row's label keeps its format name ("F-2") and translates
// the rest. Anything else (numbers, character runs such as "{A}{F1}") is shown as it is.

#include <string>
#include <string_view>
#include <vector>

#include "base/interface_text.h"

namespace qsp {

class CatalogueText {
public:
    explicit CatalogueText(Language language = Language::Neutral) : language_(language) {}

    // `english` as the user of this language reads it.
    std::string operator()(std::string_view english) const;

    Language language() const { return language_; }

private:
    Language language_;
};

// The choice among `choices` (English texts) that `shown` names, in English or in any
// language; `shown` itself when it names none. Lists whose chosen text is stored keep the English
// text, and read back a translated one as well.
std::string EnglishChoice(std::string_view shown, const std::vector<std::string>& choices);

// The English texts this language's file translates, in file order (empty for English).
std::vector<std::string> TranslatedCatalogueTexts(Language language);

// The texts of the windows and dialogs that are neither string-table texts nor catalogue
// texts: menu and button captions, window titles, tool tips, the lists of the update settings
// window. Every one of them has a translation in each language file.
const std::vector<std::string>& WindowTexts();

}  // namespace qsp
