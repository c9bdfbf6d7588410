#pragma once
// The interface texts: string table entries 101 to 288 in four languages.

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qsp {

enum class Language { Neutral, TraditionalChinese, Japanese, SimplifiedChinese };

inline constexpr int kFirstTextId = 101;
inline constexpr int kLastTextId = 303;

// The version a user with this locale name ("ja_JP.UTF-8", "zh_TW", "de_DE"...) gets:
// Traditional Chinese for zh_TW and zh_HK, Japanese for ja, Simplified Chinese for zh_CN and
// zh_SG, the neutral (English) version otherwise.
Language LanguageForLocale(std::string_view locale);

class InterfaceText {
public:
    explicit InterfaceText(Language language = Language::Neutral);

    // The text of `id` in this language; the neutral text when the language lacks it, and an
    // empty text for an id outside the table.
    const std::string& LoadText(int id) const;

    // String 101: "ENGH", "BIG5", "SJIS" or "PRCG".
    const std::string& LanguageTag() const { return LoadText(kFirstTextId); }
    bool Japanese() const { return LanguageTag() == "SJIS"; }
    Language language() const { return language_; }

    // Whether this language's table defines `id` itself (not by falling back).
    bool Defines(int id) const;

private:
    Language language_;
};

// `pattern` with "%1".."%9" replaced by the matching entry of `args` (an entry that is not there
// leaves its mark as it is).
std::string FillText(std::string_view pattern, const std::vector<std::string>& args);

// A message of the table with what fills its blanks, to be put into words in any language.
struct TextMessage {
    int id = 0;
    std::vector<std::string> args;
    std::string In(const InterfaceText& text) const { return FillText(text.LoadText(id), args); }
    // In English.
    std::string Text() const { return In(InterfaceText()); }
    bool empty() const { return id == 0; }
};

// The lines of a text table's source, each split at its first tab: "id<TAB>text" or
// "English<TAB>translation". Lines ending in CR LF are read as well; comment lines (starting with
// '#') and lines without a tab are skipped.
std::vector<std::pair<std::string_view, std::string_view>> TableLines(std::string_view source);

// The help file for a language tag in the Picture folder: "ZUR-Help" + tag + ".chm" when it
// exists, else the ".html" help of the same name when that exists, else an empty path.
std::filesystem::path HelpFilePath(const std::filesystem::path& pictureDir, std::string_view tag);

}  // namespace qsp
