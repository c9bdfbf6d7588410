// qspctl clone: one scanner's parameters into others, each read back.

#include <algorithm>

#include "base/text_ids.h"
#include "json_output.h"
#include "link_session.h"
#include "source_change.h"

namespace {

struct CloneOptions {
    std::string from;
    std::vector<std::string> to;
    int interface = qsp::kRs232;
    qspctl::LinkOptions link;
    bool json = false;
    bool changeLink = false;
};

int Clone(const CloneOptions& o, qspctl::CliContext& ctx) {
    if (o.interface != qsp::kRs232)
        throw qspctl::UsageError{qspctl::Say(ctx.language, qsp::kTextCloneNeedsSerial)};
    qsp::AppState state;
    qspctl::LoadState(ctx, state);
    o.link.ApplyTo(state.Settings);

    qspctl::LinkSession session(state, ctx);
    qspctl::ScannerReport report(o.json);
    const std::string source = qsp::LinkName(o.interface, o.from);
    const auto read = qspctl::ReadScanner(session, state, o.interface, o.from);
    report.Add(source, read.result, read.ok ? "read" : read.message, read.ok);
    if (read.ok) {
        const qsp::ImageBytes block = state.ParamImage;
        for (const auto& port : o.to) {
            if (port.empty()) continue;
            // The first scanner's block replaces each one's own; one that holds it already is
            // left as it is.
            const auto outcome = qspctl::SetUp(
                session, o.interface, port,
                [&block](qsp::ImageBytes& image) {
                    std::copy_n(block.begin(), qsp::kScannerBlockSize, image.begin());
                    return std::string();
                },
                o.changeLink);
            qspctl::ReportSetUp(report, qsp::LinkName(o.interface, port), outcome, ctx.language);
        }
    }
    return report.Finish({{"from", source}});
}

qspctl::CommandRun DefineClone(CLI::App& command) {
    auto o = qspctl::Options<CloneOptions>();
    command.add_option("--from-port", o->from, "the scanner read")->type_name("N")->required();
    command.add_option("--to-port", o->to, "the scanners programmed")
        ->type_name("M[,M...]")
        ->delimiter(',')
        ->allow_extra_args(false)
        ->required();
    qspctl::AddLinkOption(command, o->interface);
    qspctl::AddLinkOptions(command, o->link);
    qspctl::AddChangeLinkOption(command, o->changeLink);
    command.add_flag("--json", o->json, "one JSON document with each scanner's outcome");
    return [o](qspctl::CliContext& ctx) { return Clone(*o, ctx); };
}

}  // namespace

QSP_CLI_COMMAND("clone",
                "read the scanner on one port and program each of the others with its block, "
                "then read each back",
                DefineClone);
