#pragma once
// The catalogue's own texts (tree captions, page headings, row labels, value texts) in the
// window's language. The English text is the key: the tables stay English, and a window asks
// for the text it shows here. A text without a translation stays English.

#include <string>
#include <string_view>

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

}  // namespace qsp
