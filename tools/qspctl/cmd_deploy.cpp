// qspctl deploy: sets up every scanner that is plugged in with a parameter file, several at once,
// with a report.

#include <algorithm>
#include <cctype>

#include "deploy.h"
#include "link_session.h"
#include "workbench/param_file.h"

namespace {

bool EndsWithDec(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name.size() > 4 && name.compare(name.size() - 4, 4, ".dec") == 0;
}

int Deploy(qspctl::CliContext& ctx) {
    qspctl::Args args(ctx.args);
    qsp::AppState state;
    qspctl::LoadState(ctx, state);
    qspctl::DeployOptions o;
    const std::string link = args.TakeOption("--link");
    if (!link.empty() && link != "any") {
        const int interface = qsp::LinkNumber(link);
        if (interface < 0) throw qspctl::UsageError{"--link must be rs232, usb, ps2 or any"};
        o.filter.rs232 = interface == qsp::kRs232;
        o.filter.usb = interface == qsp::kUsb;
        o.filter.ps2 = interface == qsp::kPs2;
    }
    o.report = args.TakeOption("--report");
    if (const std::string jobs = args.TakeOption("--jobs"); !jobs.empty()) {
        try {
            std::size_t used = 0;
            o.jobs = std::stoi(jobs, &used);
            if (used != jobs.size()) throw std::invalid_argument(jobs);
        } catch (const std::exception&) {
            throw qspctl::UsageError{"--jobs needs a whole number, not '" + jobs + "'"};
        }
        if (o.jobs < 1) throw qspctl::UsageError{"--jobs must be at least 1"};
    }
    for (std::string p = args.TakeOption("--port"); !p.empty(); p = args.TakeOption("--port"))
        o.filter.serialPorts.push_back(p);
    o.once = args.TakeFlag("--once");
    o.udev = !args.TakeFlag("--ports-only");
    qspctl::TakeLinkOptions(args, state.Settings);
    const auto sources = args.Positionals();
    if (sources.size() != 1) throw qspctl::UsageError{"deploy needs one source: FILE.Dec"};
    const std::string& source = sources[0];
    if (!EndsWithDec(source))
        throw qspctl::UsageError{"deploy takes a parameter file (*.Dec) as its source, not '" +
                                 source + "'"};
    qsp::ImageBytes image{};
    const auto loaded = qsp::LoadParamFile(source, image);
    if (!loaded.ok) {
        const qsp::InterfaceText text;
        throw qspctl::Failure{source + ": " + text.LoadText(157) + " " + loaded.Describe()};
    }
    o.edit = qsp::BlockEdit::WholeBlock(image);
    return qspctl::RunDeploy(ctx, state.Settings, o);
}

}  // namespace

QSP_CLI_COMMAND(
    "deploy",
    "deploy FILE.Dec [--link rs232|usb|ps2|any] [--report FILE] [--jobs N] [--once] "
    "[--port ttyS<N>]... [--ports-only] [--baud B --parity P --data D --stop S --delay N "
    "--search|--no-search]\n"
    "                            set up every scanner that is plugged in, several at once",
    Deploy);
