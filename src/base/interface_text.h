#pragma once
// The interface texts: string table entries 101 to 208 in four languages.

#include <filesystem>
#include <string>
#include <string_view>

namespace qsp {

enum class Language { Neutral, TraditionalChinese, Japanese, SimplifiedChinese };

inline constexpr int kFirstTextId = 101;
inline constexpr int kLastTextId = 219;

// The version a user with this locale name ("ja_JP.UTF-8", "zh_TW", "de_DE"...) gets:
// Traditional Chinese for zh_TW and zh_HK, Japanese for ja, Simplified Chinese for zh_CN and
// zh_SG, the neutral (English) version otherwise.
Language LanguageForLocale(std::string_view locale);

class InterfaceText {
public:
    explicit InterfaceText(Language language = Language::Neutral);

    // The text of `id` in this language; the neutral text when the language lacks it, and an
    // empty text for an id outside 101..208.
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

// The help file for a language tag in the Picture folder: "ZUR-Help" + tag + ".chm" when it
// exists, else the ".html" help of the same name when that exists, else an empty path.
std::filesystem::path HelpFilePath(const std::filesystem::path& pictureDir, std::string_view tag);

}  // namespace qsp
