#include "source_change.h"

#include <algorithm>

#include "base/file_io.h"
#include "base/text_ids.h"
#include "catalogue/reset_values.h"
#include "workbench/param_file.h"
#include "workbench/profile.h"

namespace qspctl {

qsp::BlockChange LoadSourceChange(const std::string& source, qsp::Language language) {
    const qsp::InterfaceText words(language);
    if (qsp::IsParamFilePath(source)) {
        const qsp::ImageBytes image = LoadParamFileOrFail(source, language);
        return [image](qsp::ImageBytes& block) {
            std::copy_n(image.begin(), qsp::kScannerBlockSize, block.begin());
            return std::string();
        };
    }
    const auto text = qsp::ReadWholeFile(source);
    if (!text) throw Failure{source + ": " + words.LoadText(qsp::kTextCannotReadProfile)};
    // On the factory values, as a first check of every row.
    qsp::ImageBytes trial{};
    int page = 0;
    qsp::ResetImage(trial, qsp::kRs232, page);
    if (const auto tried = qsp::ApplyProfile(trial, *text, source); !tried.ok())
        throw Failure{tried.Describe(words)};
    return [profile = *text, source, words](qsp::ImageBytes& block) {
        const auto applied = qsp::ApplyProfile(block, profile, source);
        return applied.ok() ? std::string() : applied.Describe(words);
    };
}

void AddPortsOption(CLI::App& command, std::vector<std::string>& ports) {
    command.add_option("--port", ports, "the serial ports")
        ->type_name("N[,N...]")
        ->delimiter(',')
        ->allow_extra_args(false);
}

std::vector<std::string> RunPorts(const std::vector<std::string>& given, int interface,
                                  const std::string& settingsPort) {
    std::vector<std::string> ports;
    if (interface == qsp::kRs232) {
        for (const auto& p : given) {
            if (!p.empty()) ports.push_back(p);
        }
    }
    if (ports.empty()) ports.push_back(settingsPort);
    return ports;
}

void AddChangeLinkOption(CLI::App& command, bool& changeLink) {
    command.add_flag("--change-link", changeLink,
                     "let the source move a scanner to another host link (bytes 139-141)");
}

std::string LinkNote(qsp::Language language, bool keptLink, bool movedLink) {
    if (keptLink) return Say(language, qsp::kTextKeptLink);
    if (movedLink) return Say(language, qsp::kTextMovedLink);
    return "";
}

}  // namespace qspctl
