#include "tool_text.h"

#include <cstdlib>
#include <sstream>
#include <string_view>
#include <unordered_map>

#include "base/display_width.h"
#include "qspctl/cli_text_data.h"

namespace qsptools {
namespace {

using Table = std::unordered_map<std::string, std::string>;

Table ParseTable(std::string_view source) {
    Table table;
    for (const auto& [english, translation] : qsp::TableLines(source))
        table.emplace(std::string(english), std::string(translation));
    return table;
}

const Table* TableFor(qsp::Language language) {
    static const Table big5 = ParseTable(qsp::kCliTextBIG5);
    static const Table sjis = ParseTable(qsp::kCliTextSJIS);
    static const Table prcg = ParseTable(qsp::kCliTextPRCG);
    switch (language) {
        case qsp::Language::TraditionalChinese:
            return &big5;
        case qsp::Language::Japanese:
            return &sjis;
        case qsp::Language::SimplifiedChinese:
            return &prcg;
        case qsp::Language::Neutral:
            break;
    }
    return nullptr;
}

// Punctuation that does not begin a line.
bool ClosingMark(const std::string& token) {
    for (const char* mark : {"。", "、", "，", "：", "；", "）", "」", "”", "ー"})
        if (token == mark) return true;
    return false;
}

}  // namespace

qsp::Language LocaleLanguage() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return qsp::LanguageForLocale(value);
    }
    return qsp::Language::Neutral;
}

std::string ToolText(qsp::Language language, const std::string& english) {
    const Table* table = TableFor(language);
    if (!table) return english;
    const auto it = table->find(english);
    return it == table->end() ? english : it->second;
}

std::string Say(qsp::Language language, const std::string& english,
                const std::vector<std::string>& args) {
    return qsp::FillText(ToolText(language, english), args);
}

std::vector<Token> Tokens(const std::string& text) {
    std::istringstream in(text);
    std::vector<Token> tokens;
    for (std::string word; in >> word;) {
        bool first = true;
        for (std::size_t at = 0; at < word.size();) {
            std::size_t end = at;
            if (static_cast<unsigned char>(word[at]) < 0x80) {
                while (end < word.size() && static_cast<unsigned char>(word[end]) < 0x80)
                    ++end;
            } else {
                ++end;  // one code point: the lead byte and its continuation bytes
                while (end < word.size() && (static_cast<unsigned char>(word[end]) & 0xC0) == 0x80)
                    ++end;
            }
            tokens.push_back({word.substr(at, end - at), first});
            first = false;
            at = end;
        }
    }
    return tokens;
}

std::string Wrapped(const std::string& first, const std::vector<Token>& tokens, std::size_t column,
                    std::size_t width) {
    std::string out = first;
    std::size_t lineStart = 0;
    for (const auto& t : tokens) {
        const std::size_t used = qsp::DisplayWidth(std::string_view(out).substr(lineStart));
        const bool blank = t.blankBefore && out.size() > lineStart && out.back() != ' ';
        if (used + (blank ? 1 : 0) + qsp::DisplayWidth(t.text) > width && used > column &&
            !ClosingMark(t.text)) {
            out += "\n";
            lineStart = out.size();
            out += std::string(column, ' ') + t.text;
        } else {
            out += (blank ? " " : "") + t.text;
        }
    }
    return out;
}

}  // namespace qsptools
