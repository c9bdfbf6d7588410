// qspctl reset: a parameter file holding the factory values for a host link.

#include "catalogue/reset_values.h"
#include "cli.h"
#include "workbench/param_file.h"

namespace {

int Reset(qspctl::CliContext& ctx) {
    qspctl::Args args(ctx.args);
    const std::string link = args.TakeOption("--link");
    const std::string output = args.TakeOption("--output", "-o");
    if (!args.Positionals().empty()) throw qspctl::UsageError{"reset takes no file but -o FILE"};
    int hostLink = 0;
    if (link == "rs232") {
        hostLink = 0;
    } else if (link == "usb") {
        hostLink = 1;
    } else if (link == "ps2") {
        hostLink = 2;
    } else {
        throw qspctl::UsageError{"reset needs --link rs232, usb or ps2"};
    }
    if (output.empty()) throw qspctl::UsageError{"reset needs -o FILE.Dec"};

    qsp::ImageBytes image{};
    int page = 0;
    qsp::ResetImage(image, hostLink, page);
    if (!qsp::SaveParamFile(output, image)) throw qspctl::Failure{"cannot write " + output};
    return 0;
}

}  // namespace

QSP_CLI_COMMAND("reset",
                "reset --link rs232|usb|ps2 -o FILE.Dec    a parameter file of factory values",
                Reset);
