#include "base/interface_text.h"

#include <array>
#include <optional>

#include "base/interface_text_data.h"

namespace qsp {
namespace {

using Table = std::array<std::optional<std::string>, kLastTextId - kFirstTextId + 1>;

// Each table's source is "id<TAB>text" lines, UTF-8; "\n" in a text stands for a line break.
Table ParseTable(std::string_view source) {
    Table table;
    for (const auto& [number, raw] : TableLines(source)) {
        int id = 0;
        for (char c : number) {
            if (c < '0' || c > '9') {
                id = -1;
                break;
            }
            id = id * 10 + (c - '0');
        }
        if (id < kFirstTextId || id > kLastTextId) continue;
        std::string text;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '\\' && i + 1 < raw.size() && raw[i + 1] == 'n') {
                text.push_back('\n');
                ++i;
            } else {
                text.push_back(raw[i]);
            }
        }
        table[id - kFirstTextId] = std::move(text);
    }
    return table;
}

const Table& TableFor(Language language) {
    static const Table neutral = ParseTable(kTextTableENGH);
    static const Table big5 = ParseTable(kTextTableBIG5);
    static const Table sjis = ParseTable(kTextTableSJIS);
    static const Table prcg = ParseTable(kTextTablePRCG);
    switch (language) {
        case Language::TraditionalChinese:
            return big5;
        case Language::Japanese:
            return sjis;
        case Language::SimplifiedChinese:
            return prcg;
        case Language::Neutral:
            break;
    }
    return neutral;
}

}  // namespace

std::vector<std::pair<std::string_view, std::string_view>> TableLines(std::string_view source) {
    std::vector<std::pair<std::string_view, std::string_view>> lines;
    std::size_t pos = 0;
    while (pos < source.size()) {
        std::size_t end = source.find('\n', pos);
        if (end == std::string_view::npos) end = source.size();
        std::string_view line = source.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::size_t tab = line.find('\t');
        if (line.empty() || line[0] == '#' || tab == std::string_view::npos) continue;
        lines.emplace_back(line.substr(0, tab), line.substr(tab + 1));
    }
    return lines;
}

Language LanguageForLocale(std::string_view locale) {
    // "zh_TW.UTF-8@variant" -> language "zh", territory "TW".
    const std::size_t cut = locale.find_first_of(".@");
    if (cut != std::string_view::npos) locale = locale.substr(0, cut);
    std::string_view lang = locale;
    std::string_view territory;
    const std::size_t sep = locale.find_first_of("_-");
    if (sep != std::string_view::npos) {
        lang = locale.substr(0, sep);
        territory = locale.substr(sep + 1);
    }
    if (lang == "ja") return Language::Japanese;
    if (lang == "zh") {
        if (territory == "TW" || territory == "HK" || territory == "Hant") {
            return Language::TraditionalChinese;
        }
        if (territory == "CN" || territory == "SG" || territory == "Hans") {
            return Language::SimplifiedChinese;
        }
    }
    return Language::Neutral;
}

InterfaceText::InterfaceText(Language language) : language_(language) {}

const std::string& InterfaceText::LoadText(int id) const {
    static const std::string empty;
    if (id < kFirstTextId || id > kLastTextId) return empty;
    const auto& own = TableFor(language_)[id - kFirstTextId];
    if (own) return *own;
    const auto& neutral = TableFor(Language::Neutral)[id - kFirstTextId];
    return neutral ? *neutral : empty;
}

bool InterfaceText::Defines(int id) const {
    return id >= kFirstTextId && id <= kLastTextId &&
           TableFor(language_)[id - kFirstTextId].has_value();
}

std::string FillText(std::string_view pattern, const std::vector<std::string>& args) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto n = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (n < args.size()) {
                out += args[n];
                ++i;
                continue;
            }
        }
        out.push_back(c);
    }
    return out;
}

std::filesystem::path HelpFilePath(const std::filesystem::path& pictureDir, std::string_view tag) {
    std::error_code ec;
    const std::string base = "ZUR-Help" + std::string(tag);
    for (const char* ext : {".chm", ".html"}) {
        const auto path = pictureDir / (base + ext);
        if (std::filesystem::is_regular_file(path, ec)) return path;
    }
    return {};
}

}  // namespace qsp
