// qspctl list: the parameter listing of a parameter file, as a text file.

#include "base/interface_text.h"
#include "base/text_ids.h"
#include "cli.h"
#include "workbench/param_file.h"
#include "workbench/param_listing.h"

namespace {

struct ListOptions {
    std::string file, output;
};

int List(const ListOptions& o, qsp::Language language) {
    const std::string& output = o.output;
    const qsp::InterfaceText text(language);
    auto image = qspctl::LoadParamFileOrFail(o.file, language);
    int page = 0;
    if (!qsp::SaveListing(output, qsp::ListingText(image, text, page))) {
        throw qspctl::Failure{qspctl::Say(language, qsp::kTextCannotWrite, {output})};
    }
    return 0;
}

qspctl::CommandRun DefineList(CLI::App& command) {
    auto o = qspctl::Options<ListOptions>();
    command.add_option("FILE.Dec", o->file, "the parameter file")->required();
    command.add_option("-o,--output", o->output, "the text file to write")
        ->type_name("OUT.txt")
        ->required();
    return [o](qspctl::CliContext& ctx) { return List(*o, ctx.language); };
}

}  // namespace

QSP_CLI_COMMAND("list", "the parameter listing as a text file", DefineList);
