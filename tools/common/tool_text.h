#pragma once
// The command-line tools' own texts for people (qspctl's --help, usage lines and complaints about
// a command line, the virtual scanner's usage and messages) in four languages, looked up by their
// English text in resources/cli/<tag>.txt, and laid out in columns that Chinese and Japanese
// text fits as well.

#include <cstddef>
#include <string>
#include <vector>

#include "base/interface_text.h"

namespace qsptools {

// The language the locale asks for: LC_ALL, LC_MESSAGES, then LANG.
qsp::Language LocaleLanguage();

// `english` in `language`, or `english` itself where the language's file has no line for it.
std::string ToolText(qsp::Language language, const std::string& english);

// `english` in `language`, its blanks ("%1"..) filled with `args`.
std::string Say(qsp::Language language, const std::string& english,
                const std::vector<std::string>& args = {});

// A message put into words where the language is known.
struct ToolMessage {
    std::string english;
    std::vector<std::string> args;
    std::string In(qsp::Language language) const { return Say(language, english, args); }
};

// A piece of text that is never split: an ASCII word, or one Chinese or Japanese character,
// which a line may break before and which follows the one before it without a blank.
struct Token {
    std::string text;
    bool blankBefore = true;
};
std::vector<Token> Tokens(const std::string& text);

// `tokens` after `first`, in lines of at most `width` columns (a wide character takes two);
// continuation lines start at `column`. A line does not begin with closing punctuation.
std::string Wrapped(const std::string& first, const std::vector<Token>& tokens, std::size_t column,
                    std::size_t width);

}  // namespace qsptools
