// qspctl write: a parameter file into one scanner or several over RS-232, or into the scanner
// on USB or PS/2.

#include <iostream>
#include <sstream>

#include "link_session.h"
#include "workbench/param_file.h"

namespace {

int Write(qspctl::CliContext& ctx) {
    qspctl::Args args(ctx.args);
    qsp::AppState state;
    qspctl::LoadState(ctx, state);
    // --port may repeat and may list several ports: --port 1 --port 2 or --port 1,2.
    std::vector<std::string> ports;
    for (std::string p = args.TakeOption("--port"); !p.empty(); p = args.TakeOption("--port")) {
        std::stringstream list(p);
        for (std::string item; std::getline(list, item, ',');) {
            if (!item.empty()) ports.push_back(item);
        }
    }
    const std::string linkName = args.TakeOption("--link");
    const int interface = linkName.empty() ? qsp::kRs232 : qsp::LinkNumber(linkName);
    if (interface < 0) throw qspctl::UsageError{"--link must be rs232, usb or ps2"};
    // One scanner on a keyboard-wedge link.
    if (interface != qsp::kRs232) ports.assign(1, state.Settings.CommPort);
    if (ports.empty()) ports.push_back(state.Settings.CommPort);
    qspctl::TakeLinkOptions(args, state.Settings);
    const auto files = args.Positionals();
    if (files.size() != 1) throw qspctl::UsageError{"write needs one parameter file"};

    const qsp::InterfaceText text;
    const auto loaded = qsp::LoadParamFile(files[0], state.ParamImage);
    if (!loaded.ok) {
        throw qspctl::Failure{files[0] + ": " + text.LoadText(157) + " " + loaded.Describe()};
    }

    qspctl::LinkSession session(state, ctx);
    int failures = 0;
    for (const auto& port : ports) {
        const auto result =
            session.Locked([&] { return qsp::WriteScannerImage(session.link, interface, port); });
        const std::string line =
            qsp::LinkName(interface, port) + ": " + text.LoadText(result.textId);
        if (result.ok) {
            std::cout << line << "\n" << std::flush;
        } else {
            std::cerr << "qspctl: " << line << "\n" << std::flush;
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace

QSP_CLI_COMMAND("write",
                "write FILE.Dec [--link rs232|usb|ps2] [--port N[,N...]]... [--baud B --parity P "
                "--data D --stop S --delay N --search|--no-search]\n"
                "                            program a parameter file into each scanner in turn",
                Write);
