// qspctl diff: the parameters in which two parameter files differ.

#include <iostream>

#include "base/interface_text.h"
#include "cli.h"
#include "workbench/page_report.h"
#include "workbench/param_file.h"

namespace {

int Diff(qspctl::CliContext& ctx) {
    const auto files = qspctl::Args(ctx.args).Positionals();
    if (files.size() != 2) throw qspctl::UsageError{"diff needs two parameter files"};
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

}  // namespace

QSP_CLI_COMMAND("diff",
                "diff A.Dec B.Dec    parameters that differ (page, label, both values) and "
                "differing bytes no row shows",
                Diff);
