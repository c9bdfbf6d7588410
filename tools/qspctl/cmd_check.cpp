// qspctl check: whether each scanner already holds a parameter file or a profile. Nothing is
// programmed: each scanner is read, the source is put into its block in memory as write would
// put it, and the rows that would change are shown with their current and wanted values.

#include <iostream>

#include "base/text_ids.h"
#include "catalogue/catalogue_text.h"
#include "json_output.h"
#include "link/keyboard_wedge.h"
#include "link_session.h"
#include "source_change.h"
#include "workbench/page_report.h"

namespace {

// The exit status when every scanner was read and one or more does not hold the source.
constexpr int kStatusDiffers = 3;

struct CheckOptions {
    std::string source;
    std::vector<std::string> ports;
    int interface = qsp::kRs232;
    qspctl::LinkOptions link;
    bool json = false;
    bool changeLink = false;
};

int Check(const CheckOptions& o, qspctl::CliContext& ctx) {
    qsp::AppState state;
    qspctl::LoadState(ctx, state);
    const auto ports = qspctl::RunPorts(o.ports, o.interface, state.Settings.CommPort);
    o.link.ApplyTo(state.Settings);

    const qsp::BlockChange change = qspctl::LoadSourceChange(o.source, ctx.language);

    qspctl::LinkSession session(state, ctx);
    const qsp::CatalogueText catalogue(ctx.language);
    qspctl::ScannerReport report(o.json);
    bool differs = false;
    for (const auto& port : ports) {
        const std::string name = qsp::LinkName(o.interface, port);
        const auto read = qspctl::ReadScanner(session, state, o.interface, port);
        if (!read.ok) {
            report.Add(name, read.result, read.message, false);
            continue;
        }
        const qsp::ImageBytes& current = state.ParamImage;
        const qsp::WantedBlock wanted =
            qsp::ComposeBlock(o.interface, current, change, o.changeLink);
        if (!wanted.error.empty()) {
            report.Add(name, "failed", wanted.error, false);
            continue;
        }
        const bool holds = wanted.bytesChanged == 0;
        differs = differs || !holds;
        const std::string message = holds ? session.text.LoadText(qsp::kTextAlreadyHolds)
                                          : qspctl::Say(ctx.language, qsp::kTextWouldProgram,
                                                        {std::to_string(wanted.bytesChanged)});
        const auto difference = qsp::CompareImages(current, wanted.block);
        nlohmann::ordered_json extra = {{"wanted_block_xor", qsp::ImageChecksum(wanted.block)}};
        extra.update(qspctl::DifferenceJson(difference, current));
        qspctl::ReportSetUp(report, name,
                            {true, holds ? "holds" : "differs", message, wanted.keptLink,
                             wanted.movedLink, wanted.bytesChanged, qsp::ImageChecksum(current)},
                            ctx.language, std::move(extra));
        if (report.Lines())
            std::cout << qsp::DifferenceText(difference, catalogue, session.text) << std::flush;
    }
    const int status = report.Finish({{"source", o.source}});
    return status == 0 && differs ? kStatusDiffers : status;
}

qspctl::CommandRun DefineCheck(CLI::App& command) {
    auto o = qspctl::Options<CheckOptions>();
    command.add_option("SOURCE", o->source, "the parameter file (*.Dec) or profile")->required();
    qspctl::AddLinkOption(command, o->interface);
    qspctl::AddPortsOption(command, o->ports);
    qspctl::AddLinkOptions(command, o->link);
    qspctl::AddChangeLinkOption(command, o->changeLink);
    command.add_flag("--json", o->json,
                     "one JSON document with each scanner's outcome and differing rows");
    return [o](qspctl::CliContext& ctx) { return Check(*o, ctx); };
}

}  // namespace

QSP_CLI_COMMAND("check",
                "whether each scanner already holds a parameter file or a profile, programming "
                "nothing: the rows write would change, page by page, with the current and the "
                "wanted value; exit status 0 when every scanner holds it, 3 when one differs, 1 "
                "on a failure",
                DefineCheck);
