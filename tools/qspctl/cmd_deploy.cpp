// qspctl deploy: sets up every scanner that is plugged in with a profile or a parameter file,
// several at once, with a report.

#include "base/text_ids.h"
#include "deploy.h"
#include "link_session.h"
#include "source_change.h"

namespace {

struct DeployArgs {
    std::string source;
    std::string link = "any";
    std::string report;
    int jobs = 0;
    bool once = false;
    bool portsOnly = false;
    bool changeLink = false;
    bool strict = false;
    std::vector<std::string> serialPorts, match, exclude;
    qspctl::LinkOptions serial;
};

int Deploy(const DeployArgs& a, qspctl::CliContext& ctx) {
    qsp::AppState state;
    qspctl::LoadState(ctx, state);
    a.serial.ApplyTo(state.Settings);
    qspctl::DeployOptions o;
    if (a.link != "any") {
        const int interface = qsp::LinkNumber(a.link);
        o.filter.rs232 = interface == qsp::kRs232;
        o.filter.usb = interface == qsp::kUsb;
        o.filter.ps2 = interface == qsp::kPs2;
    }
    o.filter.serialPorts = a.serialPorts;
    o.filter.exclude = a.exclude;
    for (const auto& m : a.match) {
        std::pair<std::string, std::string> property;
        if (!qsp::ParsePropertyMatch(m, property))
            throw qspctl::UsageError{qspctl::Say(ctx.language, qsp::kTextNotPropertyMatch, {m})};
        o.filter.match.push_back(property);
    }
    o.strict = a.strict;
    o.report = a.report;
    o.jobs = a.jobs;
    o.once = a.once;
    o.udev = !a.portsOnly;
    o.change = qspctl::LoadSourceChange(a.source, ctx.language);
    o.changeLink = a.changeLink;
    return qspctl::RunDeploy(ctx, state.Settings, o);
}

qspctl::CommandRun DefineDeploy(CLI::App& command) {
    auto a = qspctl::Options<DeployArgs>();
    command
        .add_option("SOURCE", a->source,
                    "the profile, or the parameter file (*.Dec), every scanner gets")
        ->required();
    command.add_option("--link", a->link, "the links to watch (default any)")
        ->type_name("rs232|usb|ps2|any")
        ->check(CLI::IsMember({"rs232", "usb", "ps2", "any"}).description(""));
    command.add_option("--report", a->report, "add one JSON line per scanner to this file")
        ->type_name("FILE");
    command
        .add_option("--jobs", a->jobs,
                    "scanners set up at once (default: as many as are plugged in, up to " +
                        std::to_string(qsp::Fleet::kDefaultJobs) + ")")
        ->type_name("N")
        ->check(CLI::PositiveNumber.description(""));
    command.add_flag("--once", a->once, "set up the scanners present now, then end");
    command
        .add_option("--port", a->serialPorts,
                    "an on-board serial port with a scanner (ttyUSB, ttyACM are always watched)")
        ->type_name("ttyS<N>")
        ->allow_extra_args(false);
    command
        .add_option("--match", a->match,
                    "take only serial devices with this udev property (ID_VENDOR_ID=0403, "
                    "ID_SERIAL=...); all given must match")
        ->type_name("KEY=VALUE")
        ->allow_extra_args(false);
    command
        .add_option("--exclude", a->exclude,
                    "leave this device out (/dev/ttyUSB1, a /dev/serial/by-id/ link, ttyUSB1, "
                    "COM3)")
        ->type_name("DEVICE")
        ->allow_extra_args(false);
    command.add_flag("--strict", a->strict, "count a device where no scanner answers as a failure");
    command.add_flag("--ports-only", a->portsOnly,
                     "watch only the settings folder's ports/, not udev's devices");
    qspctl::AddLinkOptions(command, a->serial);
    qspctl::AddChangeLinkOption(command, a->changeLink);
    return [a](qspctl::CliContext& ctx) { return Deploy(*a, ctx); };
}

}  // namespace

QSP_CLI_COMMAND("deploy", "set up every scanner that is plugged in, several at once", DefineDeploy);
