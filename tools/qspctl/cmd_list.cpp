// qspctl list: the parameter listing of a parameter file, as a text file.

#include "base/interface_text.h"
#include "cli.h"
#include "workbench/param_file.h"
#include "workbench/param_listing.h"

namespace {

int List(qspctl::CliContext& ctx) {
    qspctl::Args args(ctx.args);
    const std::string output = args.TakeOption("--output", "-o");
    const auto files = args.Positionals();
    if (files.size() != 1) throw qspctl::UsageError{"list needs one parameter file"};
    if (output.empty()) throw qspctl::UsageError{"list needs -o OUT.txt"};

    const qsp::InterfaceText text;
    qsp::ImageBytes image{};
    const auto loaded = qsp::LoadParamFile(files[0], image);
    if (!loaded.ok) {
        throw qspctl::Failure{files[0] + ": " + text.LoadText(157) + " " + loaded.Describe()};
    }
    int page = 0;
    if (!qsp::SaveListing(output, qsp::ListingText(image, text, page))) {
        throw qspctl::Failure{"cannot write " + output};
    }
    return 0;
}

}  // namespace

QSP_CLI_COMMAND("list", "list FILE.Dec -o OUT.txt    the parameter listing as a text file", List);
