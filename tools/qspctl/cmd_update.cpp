// qspctl update: a firmware update over RS-232, KTX-type or Y-modem, on the program's own code.

#include <iostream>

#include "base/text_ids.h"
#include "link_session.h"
#include "update/firmware_update.h"

namespace {

// Message boxes as lines on standard error; the confirmation asked on the terminal unless --yes.
class TerminalPrompt : public qsp::Prompt {
public:
    TerminalPrompt(qsp::StreamView& view, const qsp::InterfaceText& text, bool yes)
        : view_(view), text_(text), yes_(yes) {}
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
        std::cerr << text_.LoadText(qsp::kTextContinueYesNo) << " " << std::flush;
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
    const qsp::InterfaceText& text_;
    bool yes_;
};

struct UpdateOptions {
    std::string file, type, port;
    bool yes = false;
    qspctl::LinkOptions link;
};

int Update(const UpdateOptions& o, qspctl::CliContext& ctx) {
    qsp::AppState state;
    qspctl::LoadState(ctx, state);
    const int updateType = o.type == "ktx" ? qsp::kUpdateKtx : qsp::kUpdateYmodem;
    if (!o.port.empty()) state.Settings.CommPort = o.port;
    o.link.ApplyTo(state.Settings);
    const bool yes = o.yes;
    const std::vector<std::string> files{o.file};
    // The update runs over RS-232 whatever link the settings name.
    state.Settings.InterfaceIndex = "0";

    qspctl::LinkSession scanner(state, ctx);
    auto& pump = scanner.pump;
    auto& view = scanner.view;
    const auto& text = scanner.text;
    auto& link = scanner.link;
    auto& lock = scanner.lock;
    TerminalPrompt prompt(view, text, yes);
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

qspctl::CommandRun DefineUpdate(CLI::App& command) {
    auto o = qspctl::Options<UpdateOptions>();
    command.add_option("FILE.bin", o->file, "the update file")->required();
    command.add_option("--type", o->type, "the kind of update")
        ->type_name("ktx|ymodem")
        ->check(CLI::IsMember({"ktx", "ymodem"}).description(""))
        ->required();
    command.add_option("--port", o->port, "the serial port")->type_name("N");
    qspctl::AddLinkOptions(command, o->link);
    command.add_flag("--yes", o->yes, "do not ask before programming");
    return [o](qspctl::CliContext& ctx) { return Update(*o, ctx); };
}

}  // namespace

QSP_CLI_COMMAND("update", "replace the scanner's firmware from an update file", DefineUpdate);
