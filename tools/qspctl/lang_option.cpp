// "--lang en|zh_TW|ja|zh_CN" of the commands that print texts for people: the rows of show,
// diff, list and print, and the messages of every command but barcode.
// Without it they follow the locale, as the windows do: LC_ALL, LC_MESSAGES, then LANG.

#include <cstdlib>
#include <map>

#include "cli.h"

namespace qspctl {

qsp::Language LocaleLanguage() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return qsp::LanguageForLocale(value);
    }
    return qsp::Language::Neutral;
}

}  // namespace qspctl

namespace {

void DefineLang(CLI::App& command, qspctl::CliContext& ctx) {
    static const std::map<std::string, qsp::Language> kLanguages = {
        {"en", qsp::Language::Neutral},
        {"zh_TW", qsp::Language::TraditionalChinese},
        {"ja", qsp::Language::Japanese},
        {"zh_CN", qsp::Language::SimplifiedChinese},
    };
    ctx.language = qspctl::LocaleLanguage();
    command
        .add_option_function<std::string>(
            "--lang", [&ctx](const std::string& tag) { ctx.language = kLanguages.at(tag); },
            "the language of the texts (default: the locale's)")
        ->type_name("en|zh_TW|ja|zh_CN")
        ->check(CLI::IsMember({"en", "zh_TW", "ja", "zh_CN"}).description(""));
}

}  // namespace

QSP_CLI_OPTIONS(DefineLang, "show", "diff", "export", "apply", "list", "print", "reset", "read",
                "write", "clone", "update", "monitor", "deploy");
