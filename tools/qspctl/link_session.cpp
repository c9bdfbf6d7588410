#include "link_session.h"

#include "base/settings_file.h"
#include "base/text_ids.h"
#include "link/busy_device.h"
#include "source_change.h"

namespace qspctl {

void AddLinkOptions(CLI::App& command, LinkOptions& o) {
    command.add_option("--baud", o.baud, "the baud rate the scanner is set to")->type_name("B");
    command.add_option("--parity", o.parity, "None, Even, Odd, Space or Mark")->type_name("P");
    command.add_option("--data", o.data, "data bits: 7 or 8")->type_name("D");
    command.add_option("--stop", o.stop, "stop bits: 1 or 2")->type_name("S");
    command.add_option("--delay", o.delay, "the RS-232 time-out factor")
        ->type_name("N")
        ->check(CLI::PositiveNumber.description(""));
    auto* search = command.add_flag("--search", o.search, "try other serial settings");
    command.add_flag("--no-search", o.noSearch, "do not try other serial settings")
        ->excludes(search);
}

void LinkOptions::ApplyTo(qsp::AppSettings& s) const {
    if (!baud.empty()) s.BaudRate = baud;
    if (!parity.empty()) s.DataParity = parity;
    if (!data.empty()) s.DataLength = data;
    if (!stop.empty()) s.StopBits = stop;
    if (delay > 0) s.Rs232Delay = delay;
    if (search) s.Automation = true;
    if (noSearch) s.Automation = false;
}

void LoadState(const CliContext& ctx, qsp::AppState& state) {
    state.SettingsDir = ctx.settingsDir;
    state.Settings = qsp::LoadSettingsFile(ctx.settingsDir);
}

LinkSession::LinkSession(qsp::AppState& state, const CliContext& ctx)
    : text(ctx.language),
      link(state, pump, view, text, qsp::QtSerialPort::Factory(ctx.settingsDir)),
      lock(view, pump) {
    lock.SetReceivePoll([this] { link.Serial().ReceivePoll(); });
    qsp::InstallKeyboardWedgeProtocols(link, ctx.settingsDir);
}

std::string LinkSession::Why(int textId, int interface, const std::string& port) {
    if (textId == qsp::kTextCannotConnect &&
        qsp::ScannerDeviceBusy(link.Serial().State().SettingsDir, interface, port))
        textId = qsp::kTextDeviceBusy;
    return text.LoadText(textId);
}

ScannerOutcome ReadScanner(LinkSession& session, qsp::AppState& state, int interface,
                           const std::string& port) {
    state.ParamImage = {};
    const auto read =
        session.Locked([&] { return qsp::ReadScannerImage(session.link, interface, port); });
    if (!read.ok) return {false, "failed", session.Why(read.textId, interface, port)};
    return {true, "read", ""};
}

ScannerOutcome SetUp(LinkSession& session, int interface, const std::string& port,
                     const qsp::BlockChange& change, bool changeLink) {
    const qsp::SetupOutcome out = session.Locked(
        [&] { return qsp::SetUpScanner(session.link, interface, port, change, changeLink); });
    // Outside a fleet set-up a scanner that does not answer is a failure like any other.
    const bool ok =
        out.result == qsp::SetupResult::Programmed || out.result == qsp::SetupResult::Unchanged;
    const std::string result = ok ? qsp::SetupResultName(out.result) : "failed";
    const std::string message = out.result == qsp::SetupResult::Unchanged ? result
                                : out.result == qsp::SetupResult::NoScanner
                                    ? session.Why(qsp::kTextCannotConnect, interface, port)
                                    : out.message;
    return {ok, result, message, out.keptLink, out.movedLink, out.bytesChanged, out.blockXor};
}

void ReportSetUp(ScannerReport& report, const std::string& name, const ScannerOutcome& outcome,
                 qsp::Language language, nlohmann::ordered_json extra) {
    nlohmann::ordered_json facts = {{"kept_link", outcome.keptLink},
                                    {"moved_link", outcome.movedLink},
                                    {"bytes_changed", outcome.bytesChanged},
                                    {"block_xor", outcome.blockXor}};
    facts.update(extra);
    report.Add(name, outcome.result, outcome.message, outcome.ok, std::move(facts));
    const std::string note = LinkNote(language, outcome.keptLink, outcome.movedLink);
    if (!report.Lines() || note.empty()) return;
    (outcome.movedLink ? std::cerr : std::cout) << name << ": " << note << "\n" << std::flush;
}

}  // namespace qspctl
