#include "link_session.h"

#include "base/settings_file.h"

namespace qspctl {

void TakeLinkOptions(Args& args, qsp::AppSettings& s) {
    if (auto v = args.TakeOption("--baud"); !v.empty()) s.BaudRate = v;
    if (auto v = args.TakeOption("--parity"); !v.empty()) s.DataParity = v;
    if (auto v = args.TakeOption("--data"); !v.empty()) s.DataLength = v;
    if (auto v = args.TakeOption("--stop"); !v.empty()) s.StopBits = v;
    if (auto v = args.TakeOption("--delay"); !v.empty()) {
        try {
            s.Rs232Delay = std::stoi(v);
        } catch (const std::exception&) {
            throw UsageError{"--delay needs a whole number, not '" + v + "'"};
        }
        if (s.Rs232Delay <= 0) throw UsageError{"--delay must be at least 1"};
    }
    if (args.TakeFlag("--search")) s.Automation = true;
    if (args.TakeFlag("--no-search")) s.Automation = false;
}

void LoadState(const CliContext& ctx, qsp::AppState& state) {
    state.SettingsDir = ctx.settingsDir;
    state.Settings = qsp::LoadSettingsFile(ctx.settingsDir);
}

LinkSession::LinkSession(qsp::AppState& state, const CliContext& ctx)
    : link(state, pump, view, text, qsp::QtSerialPort::Factory(ctx.settingsDir)), lock(view, pump) {
    lock.SetReceivePoll([this] { link.Serial().ReceivePoll(); });
    qsp::InstallKeyboardWedgeProtocols(link, ctx.settingsDir);
}

}  // namespace qspctl
