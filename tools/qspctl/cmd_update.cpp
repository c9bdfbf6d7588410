// qspctl update: a firmware update over RS-232, KTX-type or Y-modem, on the program's own code.

#include <iostream>

#include "link_session.h"
#include "update/firmware_update.h"

namespace {

// Message boxes as lines on standard error; the confirmation asked on the terminal unless --yes.
class TerminalPrompt : public qsp::Prompt {
public:
    TerminalPrompt(qsp::StreamView& view, bool yes) : view_(view), yes_(yes) {}
    qsp::PromptAnswer MessageBox(const std::string& text, const std::string& title, qsp::PromptIcon,
                                 qsp::PromptButtons buttons) override {
        view_.EndLine();
        std::string line = text;
        for (char& c : line) {
            if (c == '\n') c = ' ';
        }
        std::cerr << title << " " << line << "\n";
        if (buttons != qsp::PromptButtons::OkCancel) return qsp::PromptAnswer::Ok;
        if (yes_) return qsp::PromptAnswer::Ok;
        std::cerr << "Continue? [y/N] " << std::flush;
        std::string answer;
        std::getline(std::cin, answer);
        return answer == "y" || answer == "Y" || answer == "yes" ? qsp::PromptAnswer::Ok
                                                                 : qsp::PromptAnswer::Cancel;
    }
    std::optional<std::string> OpenFileName(const qsp::FileDialogRequest&) override { return {}; }
    std::optional<std::string> SaveFileName(const qsp::FileDialogRequest&) override { return {}; }
    void Beep() override {}

private:
    qsp::StreamView& view_;
    bool yes_;
};

int Update(qspctl::CliContext& ctx) {
    qspctl::Args args(ctx.args);
    qsp::AppState state;
    qspctl::LoadState(ctx, state);
    const std::string type = args.TakeOption("--type");
    int updateType = 0;
    if (type == "ktx") {
        updateType = qsp::kUpdateKtx;
    } else if (type == "ymodem") {
        updateType = qsp::kUpdateYmodem;
    } else {
        throw qspctl::UsageError{"update needs --type ktx or --type ymodem"};
    }
    if (auto port = args.TakeOption("--port"); !port.empty()) state.Settings.CommPort = port;
    qspctl::TakeLinkOptions(args, state.Settings);
    const bool yes = args.TakeFlag("--yes");
    const auto files = args.Positionals();
    if (files.size() != 1) throw qspctl::UsageError{"update needs one update file"};
    // The update runs over RS-232 whatever link the settings name.
    state.Settings.InterfaceIndex = "0";

    qspctl::LinkSession scanner(state, ctx);
    auto& pump = scanner.pump;
    auto& view = scanner.view;
    const auto& text = scanner.text;
    auto& link = scanner.link;
    auto& lock = scanner.lock;
    TerminalPrompt prompt(view, yes);
    qsp::FirmwareUpdate update(state, pump, view, lock, prompt, text, link);
    // The choices the settings window would take: this file, this type, confirmed.
    update.SetSettingsWindow([&](qsp::UpdateSettingsMode) {
        state.Settings.UpdateFilesPath = files[0];
        state.UpdateType = updateType;
        state.UpdateConfirmed = true;
    });
    bool succeeded = false;
    update.SetSuccessWindow([&] {
        succeeded = true;
        view.EndLine();
        std::cout << "Update Success !\n"
                  << text.LoadText(203) << "\n"
                  << text.LoadText(204) << "\n"
                  << std::flush;
    });
    update.ScannerUpdateCommand();
    view.EndLine();
    return succeeded ? 0 : 1;
}

}  // namespace

QSP_CLI_COMMAND("update",
                "update FILE.bin --type ktx|ymodem [--port N] [--baud B] [--delay N] [--yes]\n"
                "                            replace the scanner's firmware from an update file",
                Update);
