// qspctl reset: a parameter file holding the factory values for a host link.

#include "base/text_ids.h"
#include "catalogue/reset_values.h"
#include "cli.h"
#include "workbench/param_file.h"

namespace {

struct ResetOptions {
    int hostLink = 0;
    std::string output;
};

int Reset(const ResetOptions& o, qsp::Language language) {
    qsp::ImageBytes image{};
    int page = 0;
    qsp::ResetImage(image, o.hostLink, page);
    if (!qsp::SaveParamFile(o.output, image))
        throw qspctl::Failure{qspctl::Say(language, qsp::kTextCannotWrite, {o.output})};
    return 0;
}

qspctl::CommandRun DefineReset(CLI::App& command) {
    auto o = qspctl::Options<ResetOptions>();
    qspctl::AddLinkOption(command, o->hostLink, true);
    command.add_option("-o,--output", o->output, "the parameter file to write")
        ->type_name("FILE.Dec")
        ->required();
    return [o](qspctl::CliContext& ctx) { return Reset(*o, ctx.language); };
}

}  // namespace

QSP_CLI_COMMAND("reset", "a parameter file of factory values", DefineReset);
