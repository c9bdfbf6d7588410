// "--lang en|zh_TW|ja|zh_CN" of the commands that print texts for people: the rows of show,
// diff, list and print, and the messages of every command but barcode.
// Without it they follow the locale, as the windows do: LC_ALL, LC_MESSAGES, then LANG.

#include <map>

#include "cli.h"

namespace qspctl {

std::optional<qsp::Language> LanguageNamed(const std::string& tag) {
    static const std::map<std::string, qsp::Language> kLanguages = {
        {"en", qsp::Language::Neutral},
        {"zh_TW", qsp::Language::TraditionalChinese},
        {"ja", qsp::Language::Japanese},
        {"zh_CN", qsp::Language::SimplifiedChinese},
    };
    const auto it = kLanguages.find(tag);
    if (it == kLanguages.end()) return std::nullopt;
    return it->second;
}

qsp::Language CommandLineLanguage(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::optional<qsp::Language> named;
        if (args[i] == "--lang" && i + 1 < args.size()) named = LanguageNamed(args[i + 1]);
        if (args[i].rfind("--lang=", 0) == 0) named = LanguageNamed(args[i].substr(7));
        if (named) return *named;
    }
    return LocaleLanguage();
}

}  // namespace qspctl

namespace {

void DefineLang(CLI::App& command, qspctl::CliContext& ctx) {
    ctx.language = qspctl::LocaleLanguage();
    command
        .add_option_function<std::string>(
            "--lang",
            [&ctx](const std::string& tag) {
                ctx.language = qspctl::LanguageNamed(tag).value_or(qsp::Language::Neutral);
            },
            "the language of the texts (default: the locale's)")
        ->type_name("en|zh_TW|ja|zh_CN")
        ->check(CLI::IsMember({"en", "zh_TW", "ja", "zh_CN"}).description(""));
}

}  // namespace

QSP_CLI_OPTIONS(DefineLang, "show", "diff", "export", "apply", "list", "print", "reset", "read",
                "write", "clone", "update", "monitor", "deploy");
