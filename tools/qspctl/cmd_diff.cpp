// qspctl diff: the parameters in which two parameter files differ.

#include <iostream>

#include "base/interface_text.h"
#include "cli.h"
#include "workbench/page_report.h"
#include "workbench/param_file.h"

namespace {

struct DiffOptions {
    std::string files[2];
};

int Diff(const DiffOptions& o) {
    const auto& files = o.files;
    qsp::ImageBytes images[2] = {};
    for (int i = 0; i < 2; ++i) {
        const auto loaded = qsp::LoadParamFile(files[i], images[i]);
        if (!loaded.ok) {
            throw qspctl::Failure{files[i] + ": " + qsp::InterfaceText().LoadText(157) + " " +
                                  loaded.Describe()};
        }
    }
    std::cout << qsp::DifferenceText(qsp::CompareImages(images[0], images[1]));
    return 0;
}

qspctl::CommandRun DefineDiff(CLI::App& command) {
    auto o = qspctl::Options<DiffOptions>();
    command.add_option("A.Dec", o->files[0], "the first parameter file")->required();
    command.add_option("B.Dec", o->files[1], "the second parameter file")->required();
    return [o](qspctl::CliContext&) { return Diff(*o); };
}

}  // namespace

QSP_CLI_COMMAND("diff",
                "parameters that differ (page, label, both values) and differing bytes no row "
                "shows",
                DefineDiff);
