// qspctl read: the scanner's parameters over RS-232, USB or PS/2 into a parameter file.

#include <iostream>

#include "link_session.h"
#include "workbench/param_file.h"

namespace {

int Read(qspctl::CliContext& ctx) {
    qspctl::Args args(ctx.args);
    qsp::AppState state;
    qspctl::LoadState(ctx, state);
    const std::string out = args.TakeOption("--output", "-o");
    if (auto p = args.TakeOption("--port"); !p.empty()) state.Settings.CommPort = p;
    const std::string linkName = args.TakeOption("--link");
    const int interface = linkName.empty() ? qsp::kRs232 : qsp::LinkNumber(linkName);
    if (interface < 0) throw qspctl::UsageError{"--link must be rs232, usb or ps2"};
    qspctl::TakeLinkOptions(args, state.Settings);
    if (!args.Positionals().empty())
        throw qspctl::UsageError{"read takes no file argument; use -o FILE.Dec"};
    if (out.empty()) throw qspctl::UsageError{"read needs -o FILE.Dec"};

    qspctl::LinkSession session(state, ctx);
    const auto result = session.Locked(
        [&] { return qsp::ReadScannerImage(session.link, interface, state.Settings.CommPort); });
    if (!result.ok) throw qspctl::Failure{session.text.LoadText(result.textId)};
    if (!qsp::SaveParamFile(out, state.ParamImage)) throw qspctl::Failure{"cannot write " + out};
    return 0;
}

}  // namespace
QSP_CLI_COMMAND("read",
                "read -o FILE.Dec [--link rs232|usb|ps2] [--port N] [--baud B --parity P --data D "
                "--stop S --delay N --search|--no-search]\n"
                "                            the scanner's parameters into a file",
                Read);
