// qspctl read: the scanner's parameters over RS-232, USB or PS/2 into a parameter file.

#include <iostream>

#include "json_output.h"
#include "link/keyboard_wedge.h"
#include "link_session.h"
#include "workbench/param_file.h"

namespace {

struct ReadOptions {
    std::string output, port;
    int interface = qsp::kRs232;
    qspctl::LinkOptions link;
    bool json = false;
};

int Read(const ReadOptions& o, qspctl::CliContext& ctx) {
    qsp::AppState state;
    qspctl::LoadState(ctx, state);
    const std::string& out = o.output;
    const int interface = o.interface;
    if (!o.port.empty()) state.Settings.CommPort = o.port;
    o.link.ApplyTo(state.Settings);

    qspctl::LinkSession session(state, ctx);
    const std::string port = state.Settings.CommPort;
    const auto read = qspctl::ReadScanner(session, state, interface, port);
    const bool saved = read.ok && qsp::SaveParamFile(out, state.ParamImage);
    const std::string fault = !read.ok ? read.message : "cannot write " + out;
    if (o.json) {
        qspctl::ScannerReport report(true);
        nlohmann::ordered_json facts = {{"file", out}};
        if (saved) facts["block_xor"] = qsp::ImageChecksum(state.ParamImage);
        report.Add(qsp::LinkName(interface, port), saved ? "read" : "failed", saved ? "" : fault,
                   saved, std::move(facts));
        return report.Finish();
    }
    if (!saved) throw qspctl::Failure{fault};
    return 0;
}

qspctl::CommandRun DefineRead(CLI::App& command) {
    auto o = qspctl::Options<ReadOptions>();
    command.add_option("-o,--output", o->output, "the parameter file to write")
        ->type_name("FILE.Dec")
        ->required();
    qspctl::AddLinkOption(command, o->interface);
    command.add_option("--port", o->port, "the serial port")->type_name("N");
    qspctl::AddLinkOptions(command, o->link);
    command.add_flag("--json", o->json, "the outcome as one JSON document");
    return [o](qspctl::CliContext& ctx) { return Read(*o, ctx); };
}

}  // namespace

QSP_CLI_COMMAND("read", "the scanner's parameters into a file", DefineRead);
