#include "workbench/remembered_path.h"

#include <cctype>
#include <cstdlib>
#include <system_error>

namespace qsp {
namespace {

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// "C:", "C:\...", "c:/...": a path that only means something on Windows.
bool IsDrivePath(const std::string& path) {
    if (path.size() < 2 || !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':')
        return false;
    return path.size() == 2 || IsSeparator(path[2]);
}

std::string InFolder(const std::filesystem::path& folder, const std::string& name) {
    std::string text = folder.string();
    if (text.empty() || !IsSeparator(text.back())) text.push_back('/');
    return text + name;
}

}  // namespace

RememberedPathRules ParamFileSaveRules() {
    return {"a.Dec", "*.Dec", 5, false};
}
RememberedPathRules ParamFileOpenRules() {
    return {"a.Dec", "*.Dec", 3, true};
}
RememberedPathRules ListingFileRules() {
    return {"a.txt", "*.txt", 5, false};
}

bool NamesFolder(const std::string& path) {
    return !path.empty() && IsSeparator(path.back());
}

std::filesystem::path HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') return home;
    std::error_code ec;
    auto current = std::filesystem::current_path(ec);
    return ec ? std::filesystem::path("/") : current;
}

std::string UsableRememberedPath(const std::string& remembered, const RememberedPathRules& rules,
                                 const std::filesystem::path& home) {
    if (remembered.size() < rules.minimumSize) {
        return InFolder(home, rules.defaultIsFolder ? std::string() : rules.fileName);
    }
    if (IsDrivePath(remembered)) {
        std::error_code ec;
        if (std::filesystem::exists(remembered, ec)) return remembered;
        std::size_t cut = remembered.size();
        while (cut > 0 && !IsSeparator(remembered[cut - 1]) && remembered[cut - 1] != ':')
            --cut;
        return InFolder(home, remembered.substr(cut));
    }
    return remembered;
}

std::string SaveDialogName(const std::string& remembered, const RememberedPathRules& rules) {
    return NamesFolder(remembered) ? remembered + rules.fileName : remembered;
}

std::string OpenDialogName(const std::string& remembered, const RememberedPathRules& rules) {
    return NamesFolder(remembered) ? remembered + rules.wildcard : remembered;
}

std::string RememberDialogChoice(const std::string& chosen, const RememberedPathRules& rules) {
    if (EndsWith(chosen, rules.wildcard))
        return chosen.substr(0, chosen.size() - rules.wildcard.size());
    return chosen;
}

}  // namespace qsp
