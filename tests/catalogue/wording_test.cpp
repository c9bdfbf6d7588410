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

constexpr std::array<Language, 3> kTranslated = {Language::TraditionalChinese, Language::Japanese,
                                                 Language::SimplifiedChinese};

std::string ReadSourceFile(const std::string& relative) {
    std::ifstream in(std::string(QSP_TEST_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string Trim(std::string s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::vector<std::string> Split(const std::string& s, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(s);
    while (std::getline(in, part, separator))
        parts.push_back(Trim(part));
    return parts;
}

// One glossary row: the English spellings and the word of each translated language.
struct Term {
    std::vector<std::string> english;
    std::array<std::string, 3> words;
};

std::size_t Column(Language language) {
    switch (language) {
        case Language::TraditionalChinese:
            return 0;
        case Language::Japanese:
            return 1;
        default:
            return 2;
    }
}

// The table under "## Glossary": "| English, spelling | zh_TW | ja | zh_CN |".
std::vector<Term> Glossary(const std::string& markdown) {
    std::vector<Term> terms;
    std::istringstream in(markdown);
    std::string line;
    bool inGlossary = false;
    while (std::getline(in, line)) {
        if (line.rfind("## ", 0) == 0) inGlossary = line == "## Glossary";
        if (!inGlossary || line.rfind("| ", 0) != 0 || line.rfind("| English", 0) == 0) continue;
        const auto cells = Split(line.substr(1, line.rfind('|') - 1), '|');
        if (cells.size() != 4) continue;
        terms.push_back({Split(cells[0], ','), {cells[1], cells[2], cells[3]}});
    }
    return terms;
}

// An English text and its translation.
using Entry = std::pair<std::string, std::string>;

// Every text of the string table (every id, whoever added it), of the catalogue file and of the
// command-line tools' file.
std::vector<Entry> Entries(Language language) {
    const InterfaceText english, own(language);
    std::vector<Entry> entries;
    for (int id = kFirstTextId + 1; id <= kLastTextId; ++id)
        entries.emplace_back(english.LoadText(id), own.LoadText(id));
    const CatalogueText translate(language);
    for (const std::string& key : TranslatedCatalogueTexts(language))
        entries.emplace_back(key, translate(key));
    // The command-line tools' own texts.
    const std::string tools =
        ReadSourceFile("resources/cli/" + InterfaceText(language).LanguageTag() + ".txt");
    for (const auto& [english, translation] : TableLines(tools))
        entries.emplace_back(english, translation);
    return entries;
}

bool WordCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Where an English spelling of a term appears as whole words, the translation holds the term's
// word; of overlapping spellings the longest counts. One line per miss.
std::vector<std::string> GlossaryMisses(const std::vector<Term>& glossary, Language language,
                                        const std::vector<Entry>& entries) {
    std::vector<std::string> misses;
    for (const auto& [english, translation] : entries) {
        struct Found {
            std::size_t begin, end;
            const Term* term;
        };
        std::vector<Found> found;
        for (const Term& term : glossary) {
            for (const std::string& spelling : term.english) {
                for (auto at = english.find(spelling); at != std::string::npos;
                     at = english.find(spelling, at + 1)) {
                    const std::size_t end = at + spelling.size();
                    if ((at == 0 || !WordCharacter(english[at - 1])) &&
                        (end == english.size() || !WordCharacter(english[end])))
                        found.push_back({at, end, &term});
                }
            }
        }
        std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
            return a.end - a.begin > b.end - b.begin;
        });
        std::vector<Found> taken;
        for (const Found& f : found) {
            bool overlaps = false;
            for (const Found& t : taken)
                overlaps = overlaps || (f.begin < t.end && t.begin < f.end);
            if (overlaps) continue;
            taken.push_back(f);
            const std::string& word = f.term->words[Column(language)];
            if (translation.find(word) == std::string::npos) {
                misses.push_back("\"" + english + "\" -> \"" + translation + "\" lacks " + word +
                                 " (" + english.substr(f.begin, f.end - f.begin) + ")");
            }
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
    for (const std::string suffix : {"…", "...", "：", ":"}) {
        if (text.size() >= suffix.size() &&
            text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0)
            text.resize(text.size() - suffix.size());
    }
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
    static const std::array<std::pair<std::string, std::string>, 4> kQuotes = {
        {{"「", "」"}, {"“", "”"}, {"\"", "\""}, {"［", "］"}}};
    std::vector<std::string> names;
    for (const auto& [open, close] : kQuotes) {
        for (auto at = text.find(open); at != std::string::npos;) {
            const auto begin = at + open.size();
            const auto end = text.find(close, begin);
            if (end == std::string::npos) break;
            const std::string name = text.substr(begin, end - begin);
            if (name.find('%') == std::string::npos) names.push_back(name);
            at = text.find(open, end + close.size());
        }
    }
    return names;
}

std::vector<std::string> QuoteMisses(Language language, const std::vector<std::string>& messages) {
    const auto shown = ShownNames(language);
    std::vector<std::string> misses;
    for (const std::string& message : messages) {
        for (const std::string& name : QuotedNames(message))
            if (!shown.count(AsName(name))) misses.push_back("「" + name + "」 in " + message);
    }
    return misses;
}

std::string PlainText(std::string html) {
    static const std::regex tag("<[^>]+>"), lineBreak(R"(\s*\n\s*)");
    html = std::regex_replace(std::regex_replace(html, tag, ""), lineBreak, "");
    for (const auto& [entity, character] : std::array<std::pair<std::string, std::string>, 4>{
             {{"&gt;", ">"}, {"&lt;", "<"}, {"&nbsp;", " "}, {"&amp;", "&"}}}) {
        for (auto at = html.find(entity); at != std::string::npos; at = html.find(entity, at))
            html.replace(at, entity.size(), character);
    }
    return html;
}

// The help page's names (class "ui") and messages (class "msg"), and the names its text quotes.
// A name may be a menu path ("Interface(F) > System") or a list ("Baud Rate、Data Parity"), each
// part a shown text; a sample of what a panel shows ("Link 0: 2: 5", "COM 1 , 9600 , None") may
// add numbers.
std::vector<std::string> HelpMisses(Language language, const std::string& page) {
    static const std::regex marked(R"re(<(span|td) class="(ui|msg)"[^>]*>([\s\S]*?)</\1>)re");
    static const std::regex separators(R"( > |、| / |，|, | , )");
    static const std::regex sample(R"((COM ?)?[\d\s:.,]*)");
    static const std::regex trailingNumbers(R"([\s\d:]+$)");
    const auto shown = ShownNames(language);
    std::vector<std::string> misses;
    for (std::sregex_iterator it(page.begin(), page.end(), marked), end; it != end; ++it) {
        const std::string name = PlainText((*it)[3]);
        if (shown.count(AsName(name))) continue;
        for (std::sregex_token_iterator part(name.begin(), name.end(), separators, -1), last;
             part != last; ++part) {
            const std::string text = AsName(*part);
            if (shown.count(text) || std::regex_match(text, sample) ||
                shown.count(AsName(std::regex_replace(text, trailingNumbers, ""))))
                continue;
            misses.push_back(text + " (in " + name + ")");
        }
    }
    // The names its sentences quote.
    const auto body = page.find("<body");
    for (const std::string& name :
         QuotedNames(PlainText(page.substr(body == std::string::npos ? 0 : body))))
        if (!shown.count(AsName(name))) misses.push_back("「" + name + "」");
    return misses;
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& line : lines)
        all += line + "\n";
    return all;
}

TEST(Wording, EveryTranslationUsesTheGlossaryWordOfEachTerm) {
    const auto glossary = Glossary(ReadSourceFile("docs/TRANSLATING.md"));
    ASSERT_GE(glossary.size(), 40u) << "the glossary table in docs/TRANSLATING.md";
    for (Language language : kTranslated) {
        const auto misses = GlossaryMisses(glossary, language, Entries(language));
        EXPECT_TRUE(misses.empty()) << InterfaceText(language).LanguageTag() << ":\n"
                                    << Lines(misses);
    }
}

TEST(Wording, EveryQuotedNameIsATextTheProgramShows) {
    for (Language language : {Language::Neutral, kTranslated[0], kTranslated[1], kTranslated[2]}) {
        std::vector<std::string> messages;
        const InterfaceText text(language);
        for (int id = kFirstTextId + 1; id <= kLastTextId; ++id)
            messages.push_back(text.LoadText(id));
        const auto misses = QuoteMisses(language, messages);
        EXPECT_TRUE(misses.empty()) << text.LanguageTag() << ":\n" << Lines(misses);
    }
}

TEST(Wording, HelpPagesNameButtonsWindowsAndMessagesAsTheProgramShowsThem) {
    for (Language language : {Language::Neutral, kTranslated[0], kTranslated[1], kTranslated[2]}) {
        const std::string tag = InterfaceText(language).LanguageTag();
        const std::string page = ReadSourceFile("resources/Picture/ZUR-Help" + tag + ".html");
        ASSERT_NE(page.find("class=\"ui\""), std::string::npos) << tag;
        const auto misses = HelpMisses(language, page);
        EXPECT_TRUE(misses.empty()) << tag << ":\n" << Lines(misses);
    }
}

// The checks above would pass on anything if they found nothing: each one catches an entry
// written the way the tables once were.
TEST(Wording, ChecksCatchWrongEntries) {
    const auto glossary = Glossary(ReadSourceFile("docs/TRANSLATING.md"));
    const Language taiwan = Language::TraditionalChinese, japan = Language::Japanese;

    EXPECT_EQ(GlossaryMisses(glossary, Language::SimplifiedChinese,
                             {{"General Settings", "一般设置"}, {"Save Files", "储存文件"}})
                  .size(),
              2u);
    // "Parameters Update" is one term; its "Update" is not checked on its own.
    EXPECT_TRUE(GlossaryMisses(glossary, Language::SimplifiedChinese,
                               {{"Scanner Parameters Update", "扫描器参数更新"}})
                    .empty());
    EXPECT_EQ(GlossaryMisses(glossary, japan, {{"Loading scanner parameter", "パラメータ"}}).size(),
              1u);

    EXPECT_EQ(QuoteMisses(taiwan, {"出廠值為「回復預設值」寫入的值。"}).size(), 1u);
    EXPECT_EQ(QuoteMisses(japan, {"［スキャナー設定の更新］を押すまで"}).size(), 1u);
    EXPECT_TRUE(QuoteMisses(japan, {"「スキャナー設定を更新」を押すまで「%1」"}).empty());

    EXPECT_EQ(HelpMisses(taiwan, R"(<span class="ui">System Setting</span>)").size(), 1u);
    EXPECT_EQ(HelpMisses(taiwan, R"(<td class="ui">鮑率、Data Parity</td>)").size(), 1u);
    EXPECT_EQ(HelpMisses(taiwan, "<body>按「確定 (OK)」開始</body>").size(), 1u);
    EXPECT_TRUE(HelpMisses(taiwan, R"(<span class="ui">介面(<u>F</u>) &gt; 系統</span>
<span class="msg">連線 0: 2: 5</span>)")
                    .empty());
}

}  // namespace
}  // namespace qsp
