// qspctl export: the profile of a parameter file, by page and row.

#include <iostream>

#include "base/file_io.h"
#include "base/text_ids.h"
#include "cli.h"
#include "json_output.h"
#include "workbench/profile.h"

namespace {

struct ExportOptions {
    std::string file, output;
    bool all = false, json = false;
};

int Export(const ExportOptions& o, qsp::Language language) {
    const auto image = qspctl::LoadParamFileOrFail(o.file, language);
    const auto rows = qsp::ProfileRows(image, o.all);
    const std::string profile = qsp::ProfileText(rows, o.file);
    if (!o.output.empty() && !qsp::WriteFileAtomically(o.output, profile))
        throw qspctl::Failure{qspctl::Say(language, qsp::kTextCannotWrite, {o.output})};
    if (o.json) {
        qspctl::PrintJson({{"file", o.file}, {"all", o.all}, {"rows", qspctl::RowsJson(rows)}});
    } else if (o.output.empty()) {
        std::cout << profile << std::flush;
    }
    return 0;
}

qspctl::CommandRun DefineExport(CLI::App& command) {
    auto o = qspctl::Options<ExportOptions>();
    command.add_option("FILE.Dec", o->file, "the parameter file")->required();
    command.add_flag("--all", o->all, "every shown row, not only the changed ones");
    command.add_option("-o,--output", o->output, "the profile to write")->type_name("OUT");
    command.add_flag("--json", o->json, "the rows as one JSON document");
    return [o](qspctl::CliContext& ctx) { return Export(*o, ctx.language); };
}

}  // namespace

QSP_CLI_COMMAND("export",
                "the profile of a parameter file: the rows whose value differs from the factory "
                "value of the file's host link, or every row with --all; on the standard output "
                "without -o",
                DefineExport);
