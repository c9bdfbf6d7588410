// qspctl write: a parameter file or a profile into one scanner or several over RS-232, or into
// the scanner on USB or PS/2.

#include <iostream>

#include "json_output.h"
#include "link_session.h"
#include "source_change.h"

namespace {

struct WriteOptions {
    std::string file;
    std::vector<std::string> ports;
    int interface = qsp::kRs232;
    qspctl::LinkOptions link;
    bool json = false;
    bool changeLink = false;
};

int Write(const WriteOptions& o, qspctl::CliContext& ctx) {
    qsp::AppState state;
    qspctl::LoadState(ctx, state);
    const int interface = o.interface;
    const auto ports = qspctl::RunPorts(o.ports, interface, state.Settings.CommPort);
    o.link.ApplyTo(state.Settings);

    // Read and checked before any scanner is touched.
    const qsp::BlockChange change = qspctl::LoadSourceChange(o.file, ctx.language);

    qspctl::LinkSession session(state, ctx);
    qspctl::ScannerReport report(o.json);
    for (const auto& port : ports) {
        // Each scanner's own block with the source put in, programmed only when a byte changes,
        // then read back; its host-link bytes stay unless --change-link.
        const auto outcome = qspctl::SetUp(session, interface, port, change, o.changeLink);
        qspctl::ReportSetUp(report, qsp::LinkName(interface, port), outcome, ctx.language);
    }
    return report.Finish({{"file", o.file}});
}

qspctl::CommandRun DefineWrite(CLI::App& command) {
    auto o = qspctl::Options<WriteOptions>();
    command.add_option("FILE", o->file, "the parameter file (*.Dec) or profile")->required();
    qspctl::AddLinkOption(command, o->interface);
    qspctl::AddPortsOption(command, o->ports);
    qspctl::AddLinkOptions(command, o->link);
    qspctl::AddChangeLinkOption(command, o->changeLink);
    command.add_flag("--json", o->json, "one JSON document with each scanner's outcome");
    return [o](qspctl::CliContext& ctx) { return Write(*o, ctx); };
}

}  // namespace

QSP_CLI_COMMAND(
    "write",
    "program a parameter file or a profile into each scanner in turn: each scanner's own "
    "block gets the source, is programmed only when a byte changes and is then read "
    "back; a scanner stays on its host link unless --change-link",
    DefineWrite);
