// The wording of the four languages: each term of the glossary in docs/TRANSLATING.md keeps its
// one word, every name a message quotes is a text the program shows in that language, and the
// help pages name buttons, windows and messages as the program shows them.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "base/interface_text.h"
#include "catalogue/catalogue_text.h"

namespace qsp {
namespace {

// In the order of the glossary's columns.
constexpr std::array<Language, 3> kTranslated = {Language::TraditionalChinese, Language::Japanese,
                                                 Language::SimplifiedChinese};

std::string ReadSourceFile(const std::string& relative) {
    std::ifstream in(std::string(QSP_TEST_SOURCE_DIR) + "/" + relative, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Trim(const std::string& s) {
    static const std::regex ends("^ +| +$");
    return std::regex_replace(s, ends, "");
}

std::vector<std::string> Split(const std::string& s, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(s);
    for (std::string part; std::getline(in, part, separator);)
        parts.push_back(Trim(part));
    return parts;
}

// The table under "## Glossary" ("| English, spelling | zh_TW | ja | zh_CN |") as each English
// spelling with the word of `language`, the longest spellings first.
std::vector<std::pair<std::string, std::string>> Glossary(Language language) {
    const auto column = 1 + (std::ranges::find(kTranslated, language) - kTranslated.begin());
    std::vector<std::pair<std::string, std::string>> spellings;
    std::istringstream in(ReadSourceFile("docs/TRANSLATING.md"));
    bool inGlossary = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("## ", 0) == 0) inGlossary = line == "## Glossary";
        if (!inGlossary || line.rfind("| ", 0) != 0 || line.rfind("| English", 0) == 0) continue;
        const auto cells = Split(line.substr(1, line.rfind('|') - 1), '|');
        if (cells.size() == 4)
            for (const std::string& spelling : Split(cells[0], ','))
                spellings.emplace_back(spelling, cells[column]);
    }
    std::ranges::stable_sort(spellings, std::greater{},
                             [](const auto& s) { return s.first.size(); });
    return spellings;
}

// An English text and its translation.
using Entry = std::pair<std::string, std::string>;

// Every text of the string table, of the catalogue file and of the command-line tools' file.
std::vector<Entry> Entries(Language language) {
    const InterfaceText english, own(language);
    std::vector<Entry> entries;
    for (int id = kFirstTextId + 1; id <= kLastTextId; ++id)
        entries.emplace_back(english.LoadText(id), own.LoadText(id));
    const CatalogueText translate(language);
    for (const std::string& key : TranslatedCatalogueTexts(language))
        entries.emplace_back(key, translate(key));
    const std::string tools = ReadSourceFile("resources/cli/" + own.LanguageTag() + ".txt");
    for (const auto& [text, translation] : TableLines(tools))
        entries.emplace_back(text, translation);
    return entries;
}

// Where an English spelling of a term appears as whole words, the translation holds the term's
// word; of overlapping spellings the longest counts. One line per miss.
std::string GlossaryMisses(const std::vector<std::pair<std::string, std::string>>& spellings,
                           const std::vector<Entry>& entries) {
    const auto wordCharacter = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    };
    std::string misses;
    for (const auto& [english, translation] : entries) {
        std::vector<bool> taken(english.size());
        for (const auto& [spelling, word] : spellings)
            for (auto at = english.find(spelling); at != std::string::npos;
                 at = english.find(spelling, at + 1)) {
                const std::size_t end = at + spelling.size();
                if ((at > 0 && wordCharacter(english[at - 1])) ||
                    (end < english.size() && wordCharacter(english[end])) ||
                    std::find(taken.begin() + at, taken.begin() + end, true) != taken.begin() + end)
                    continue;
                std::fill(taken.begin() + at, taken.begin() + end, true);
                if (translation.find(word) == std::string::npos)
                    misses += "\"" + english + "\" -> \"" + translation + "\" lacks " + word +
                              " (" + spelling + ")\n";
            }
    }
    return misses;
}

// A text as a name: without its accelerator ("(&F)", "(F)" after the underline is gone, "(F1)"),
// ampersands, a trailing ellipsis or colon.
std::string AsName(std::string text) {
    static const std::regex accelerator(R"(\((&?[A-Z]|F1)\)$)");
    text = std::regex_replace(Trim(text), accelerator, "");
    std::erase(text, '&');
    for (const std::string suffix : {"…", "...", "：", ":"})
        if (text.ends_with(suffix)) text.resize(text.size() - suffix.size());
    return Trim(text);
}

// The texts a user of `language` sees: the string table and the catalogue with the windows'
// own texts.
std::set<std::string> ShownNames(Language language) {
    std::set<std::string> names;
    const InterfaceText text(language);
    for (int id = kFirstTextId + 1; id <= kLastTextId; ++id)
        names.insert(AsName(text.LoadText(id)));
    const CatalogueText translate(language);
    for (const auto& keys : {TranslatedCatalogueTexts(Language::TraditionalChinese), WindowTexts()})
        for (const std::string& key : keys)
            names.insert(AsName(translate(key)));
    return names;
}

// The names between 「」, “”, "" or ［］ that hold no blank ("%1").
std::vector<std::string> QuotedNames(const std::string& text) {
    static const std::array<std::regex, 4> kQuotes = {
        std::regex("「([\\s\\S]*?)」"), std::regex("“([\\s\\S]*?)”"),
        std::regex("\"([\\s\\S]*?)\""), std::regex("［([\\s\\S]*?)］")};
    std::vector<std::string> names;
    for (const std::regex& quote : kQuotes)
        for (std::sregex_iterator it(text.begin(), text.end(), quote), end; it != end; ++it)
            if ((*it)[1].str().find('%') == std::string::npos) names.push_back((*it)[1]);
    return names;
}

std::string QuoteMisses(Language language, const std::vector<std::string>& messages) {
    const auto shown = ShownNames(language);
    std::string misses;
    for (const std::string& message : messages)
        for (const std::string& name : QuotedNames(message))
            if (!shown.count(AsName(name))) misses += "「" + name + "」 in " + message + "\n";
    return misses;
}

std::string PlainText(std::string html) {
    static const std::regex tag("<[^>]+>"), lineBreak(R"(\s*\n\s*)");
    html = std::regex_replace(std::regex_replace(html, tag, ""), lineBreak, "");
    for (const auto& [entity, character] : {std::pair{"&gt;", ">"}, std::pair{"&lt;", "<"},
                                            std::pair{"&nbsp;", " "}, std::pair{"&amp;", "&"}})
        html = std::regex_replace(html, std::regex(entity), character);
    return html;
}

// The help page's names (class "ui") and messages (class "msg"), and the names its text quotes.
// A name may be a menu path ("Interface(F) > System") or a list ("Baud Rate、Data Parity"), each
// part a shown text; a sample of what a panel shows ("Link 0: 2: 5", "COM 1 , 9600 , None") may
// add numbers.
std::string HelpMisses(Language language, const std::string& page) {
    static const std::regex marked(R"re(<(span|td) class="(ui|msg)"[^>]*>([\s\S]*?)</\1>)re");
    static const std::regex separators(R"( > |、| / |，|, | , )");
    static const std::regex sample(R"((COM ?)?[\d\s:.,]*)"), trailingNumbers(R"([\s\d:]+$)");
    const auto shown = ShownNames(language);
    std::string misses;
    for (std::sregex_iterator it(page.begin(), page.end(), marked), end; it != end; ++it) {
        const std::string name = PlainText((*it)[3]);
        if (shown.count(AsName(name))) continue;
        for (std::sregex_token_iterator part(name.begin(), name.end(), separators, -1), last;
             part != last; ++part) {
            const std::string text = AsName(*part);
            if (!shown.count(text) && !std::regex_match(text, sample) &&
                !shown.count(AsName(std::regex_replace(text, trailingNumbers, ""))))
                misses += text + " (in " + name + ")\n";
        }
    }
    const auto body = page.find("<body");
    for (const std::string& name :
         QuotedNames(PlainText(page.substr(body == std::string::npos ? 0 : body))))
        if (!shown.count(AsName(name))) misses += "「" + name + "」\n";
    return misses;
}

TEST(Wording, EachLanguageKeepsTheGlossaryWordsAndNamesOnlyTextsItShows) {
    ASSERT_GE(Glossary(Language::Japanese).size(), 40u) << "the glossary in docs/TRANSLATING.md";
    for (Language language : {Language::Neutral, kTranslated[0], kTranslated[1], kTranslated[2]}) {
        const InterfaceText text(language);
        const std::string tag = text.LanguageTag();
        if (language != Language::Neutral) {
            EXPECT_EQ(GlossaryMisses(Glossary(language), Entries(language)), "") << tag;
        }
        std::vector<std::string> messages;
        for (int id = kFirstTextId + 1; id <= kLastTextId; ++id)
            messages.push_back(text.LoadText(id));
        EXPECT_EQ(QuoteMisses(language, messages), "") << tag;
        const std::string page = ReadSourceFile("resources/Picture/ZUR-Help" + tag + ".html");
        ASSERT_NE(page.find("class=\"ui\""), std::string::npos) << tag;
        EXPECT_EQ(HelpMisses(language, page), "") << tag << " help page";
    }
}

// The checks above would pass on anything if they found nothing: each one catches an entry
// written the way the tables once were.
TEST(Wording, ChecksCatchWrongEntries) {
    const auto chinese = Glossary(Language::SimplifiedChinese);
    const Language taiwan = Language::TraditionalChinese, japan = Language::Japanese;
    const std::pair<std::string, long> cases[] = {
        {GlossaryMisses(chinese, {{"General Settings", "一般设置"}, {"Save Files", "储存文件"}}),
         2},
        // "Parameters Update" is one term; its "Update" is not checked on its own.
        {GlossaryMisses(chinese, {{"Scanner Parameters Update", "扫描器参数更新"}}), 0},
        {GlossaryMisses(Glossary(japan), {{"Loading scanner parameter", "パラメータ"}}), 1},
        {QuoteMisses(taiwan, {"出廠值為「回復預設值」寫入的值。"}), 1},
        {QuoteMisses(japan, {"［スキャナー設定の更新］を押すまで"}), 1},
        {QuoteMisses(japan, {"「スキャナー設定を更新」を押すまで「%1」"}), 0},
        {HelpMisses(taiwan, R"(<span class="ui">System Setting</span>)"), 1},
        {HelpMisses(taiwan, R"(<td class="ui">鮑率、Data Parity</td>)"), 1},
        {HelpMisses(taiwan, "<body>按「確定 (OK)」開始</body>"), 1},
        {HelpMisses(taiwan, R"(<span class="ui">介面(<u>F</u>) &gt; 系統</span>
<span class="msg">連線 0: 2: 5</span>)"),
         0},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(std::ranges::count(cases[i].first, '\n'), cases[i].second)
            << "case " << i << ":\n"
            << cases[i].first;
}

}  // namespace
}  // namespace qsp
