// qspctl write: a parameter file into one scanner or several over RS-232, or into the scanner
// on USB or PS/2.

#include <iostream>

#include "link_session.h"
#include "workbench/param_file.h"

namespace {

struct WriteOptions {
    std::string file;
    std::vector<std::string> ports;
    int interface = qsp::kRs232;
    qspctl::LinkOptions link;
};

int Write(const WriteOptions& o, qspctl::CliContext& ctx) {
    qsp::AppState state;
    qspctl::LoadState(ctx, state);
    std::vector<std::string> ports;
    for (const auto& p : o.ports) {
        if (!p.empty()) ports.push_back(p);
    }
    const int interface = o.interface;
    // One scanner on a keyboard-wedge link.
    if (interface != qsp::kRs232) ports.assign(1, state.Settings.CommPort);
    if (ports.empty()) ports.push_back(state.Settings.CommPort);
    o.link.ApplyTo(state.Settings);

    const qsp::InterfaceText text;
    const auto loaded = qsp::LoadParamFile(o.file, state.ParamImage);
    if (!loaded.ok) {
        throw qspctl::Failure{o.file + ": " + text.LoadText(157) + " " + loaded.Describe()};
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

qspctl::CommandRun DefineWrite(CLI::App& command) {
    auto o = qspctl::Options<WriteOptions>();
    command.add_option("FILE.Dec", o->file, "the parameter file")->required();
    qspctl::AddLinkOption(command, o->interface);
    // --port may repeat and may list several ports: --port 1 --port 2 or --port 1,2.
    command.add_option("--port", o->ports, "the serial ports")
        ->type_name("N[,N...]")
        ->delimiter(',')
        ->allow_extra_args(false);
    qspctl::AddLinkOptions(command, o->link);
    return [o](qspctl::CliContext& ctx) { return Write(*o, ctx); };
}

}  // namespace

QSP_CLI_COMMAND("write", "program a parameter file into each scanner in turn", DefineWrite);
