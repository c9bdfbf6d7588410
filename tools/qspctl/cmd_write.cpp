// qspctl write: a parameter file or a profile into one scanner or several over RS-232, or into
// the scanner on USB or PS/2.

#include <iostream>

#include "base/file_io.h"
#include "base/text_ids.h"
#include "json_output.h"
#include "link_session.h"
#include "workbench/param_file.h"
#include "workbench/profile.h"

namespace {

struct WriteOptions {
    std::string file;
    std::vector<std::string> ports;
    int interface = qsp::kRs232;
    qspctl::LinkOptions link;
    bool json = false;
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

    const qsp::InterfaceText text(ctx.language);
    const bool isProfile = !qsp::IsParamFilePath(o.file);
    std::string profile;
    if (isProfile) {
        const auto read = qsp::ReadWholeFile(o.file);
        if (!read)
            throw qspctl::Failure{o.file + ": " + text.LoadText(qsp::kTextCannotReadProfile)};
        profile = *read;
        const auto errors = qsp::ProfileSyntaxErrors(profile, o.file);
        if (!errors.empty()) throw qspctl::Failure{qsp::ProfileResult{errors, 0}.Describe(text)};
    } else {
        state.ParamImage = qspctl::LoadParamFileOrFail(o.file, ctx.language);
    }
    const qsp::ImageBytes file = state.ParamImage;

    qspctl::LinkSession session(state, ctx);
    qspctl::ScannerReport report(o.json);
    for (const auto& port : ports) {
        qspctl::ScannerOutcome outcome;
        if (isProfile) {
            // Each scanner's own block with the profile applied, programmed only when a byte
            // changes, then read back.
            outcome = qspctl::SetUp(session, interface, port, [&](qsp::ImageBytes& image) {
                const auto applied = qsp::ApplyProfile(image, profile, o.file);
                return applied.ok() ? std::string() : applied.Describe(text);
            });
        } else {
            state.ParamImage = file;
            const auto result = session.Locked(
                [&] { return qsp::WriteScannerImage(session.link, interface, port); });
            outcome = {result.ok, result.ok ? "programmed" : "failed",
                       session.Why(result.textId, interface, port)};
        }
        report.Add(qsp::LinkName(interface, port), outcome.result, outcome.message, outcome.ok);
    }
    return report.Finish({{"file", o.file}});
}

qspctl::CommandRun DefineWrite(CLI::App& command) {
    auto o = qspctl::Options<WriteOptions>();
    command.add_option("FILE", o->file, "the parameter file (*.Dec) or profile")->required();
    qspctl::AddLinkOption(command, o->interface);
    // --port may repeat and may list several ports: --port 1 --port 2 or --port 1,2.
    command.add_option("--port", o->ports, "the serial ports")
        ->type_name("N[,N...]")
        ->delimiter(',')
        ->allow_extra_args(false);
    qspctl::AddLinkOptions(command, o->link);
    command.add_flag("--json", o->json, "one JSON document with each scanner's outcome");
    return [o](qspctl::CliContext& ctx) { return Write(*o, ctx); };
}

}  // namespace

QSP_CLI_COMMAND("write",
                "program a parameter file into each scanner in turn; a profile is applied to each "
                "scanner's own block, which is programmed only when a byte changes and then read "
                "back",
                DefineWrite);
