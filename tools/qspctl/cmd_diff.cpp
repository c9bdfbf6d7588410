// qspctl diff: the parameters in which two parameter files differ.

#include <iostream>

#include "base/interface_text.h"
#include "catalogue/catalogue_text.h"
#include "cli.h"
#include "json_output.h"
#include "workbench/page_report.h"
#include "workbench/param_file.h"

namespace {

struct DiffOptions {
    std::string files[2];
    bool json = false;
};

int Diff(const DiffOptions& o, qsp::Language language) {
    const auto& files = o.files;
    const qsp::ImageBytes images[2] = {qspctl::LoadParamFileOrFail(files[0], language),
                                       qspctl::LoadParamFileOrFail(files[1], language)};
    const auto difference = qsp::CompareImages(images[0], images[1]);
    if (o.json) {
        // JSON keeps the English texts whatever the language.
        nlohmann::ordered_json document = {{"first", files[0]}, {"second", files[1]}};
        document.update(qspctl::DifferenceJson(difference, images[0]));
        qspctl::PrintJson(document);
    } else {
        std::cout << qsp::DifferenceText(difference, qsp::CatalogueText(language),
                                         qsp::InterfaceText(language));
    }
    return 0;
}

qspctl::CommandRun DefineDiff(CLI::App& command) {
    auto o = qspctl::Options<DiffOptions>();
    command.add_option("A.Dec", o->files[0], "the first parameter file")->required();
    command.add_option("B.Dec", o->files[1], "the second parameter file")->required();
    command.add_flag("--json", o->json, "the differences as one JSON document");
    return [o](qspctl::CliContext& ctx) { return Diff(*o, ctx.language); };
}

}  // namespace

QSP_CLI_COMMAND("diff",
                "parameters that differ (page, label, both values) and differing bytes no row "
                "shows",
                DefineDiff);
