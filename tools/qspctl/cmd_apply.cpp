// qspctl apply: a parameter file with a profile applied.

#include "base/file_io.h"
#include "base/text_ids.h"
#include "cli.h"
#include "workbench/param_file.h"
#include "workbench/profile.h"

namespace {

struct ApplyOptions {
    std::string profile, base, output;
};

int Apply(const ApplyOptions& o, qsp::Language language) {
    auto image = qspctl::LoadParamFileOrFail(o.base, language);
    const auto text = qsp::ReadWholeFile(o.profile);
    if (!text) {
        throw qspctl::Failure{o.profile + ": " +
                              qspctl::Say(language, qsp::kTextCannotReadProfile)};
    }
    const auto result = qsp::ApplyProfile(image, *text, o.profile);
    if (!result.ok()) throw qspctl::Failure{result.Describe(qsp::InterfaceText(language))};
    if (!qsp::SaveParamFile(o.output, image))
        throw qspctl::Failure{qspctl::Say(language, qsp::kTextCannotWrite, {o.output})};
    return 0;
}

qspctl::CommandRun DefineApply(CLI::App& command) {
    auto o = qspctl::Options<ApplyOptions>();
    command.add_option("PROFILE", o->profile, "the profile")->required();
    command.add_option("--to", o->base, "the parameter file it is applied to")
        ->type_name("BASE.Dec")
        ->required();
    command.add_option("-o,--output", o->output, "the parameter file to write")
        ->type_name("OUT.Dec")
        ->required();
    return [o](qspctl::CliContext& ctx) { return Apply(*o, ctx.language); };
}

}  // namespace

QSP_CLI_COMMAND("apply", "a parameter file with a profile applied; nothing is written on an error",
                DefineApply);
