// qspctl print: the printout of a parameter file, written as a PDF file.

#include "base/interface_text.h"
#include "cli.h"
#include "pdf_output.h"
#include "workbench/param_file.h"
#include "workbench/printout.h"

namespace {

struct PrintOptions {
    std::string file, output;
};

int Print(const PrintOptions& o, qsp::Language language) {
    const qsp::InterfaceText text(language);
    auto image = qspctl::LoadParamFileOrFail(o.file, language);
    int page = 0;
    qspctl::WritePdfFile(o.output, qsp::PrintoutOperations(qsp::PrintedPages(image, text, page)),
                         o.file);
    return 0;
}

qspctl::CommandRun DefinePrint(CLI::App& command) {
    auto o = qspctl::Options<PrintOptions>();
    command.add_option("FILE.Dec", o->file, "the parameter file")->required();
    command.add_option("--pdf", o->output, "the PDF file to write")
        ->type_name("OUT.pdf")
        ->required();
    return [o](qspctl::CliContext& ctx) { return Print(*o, ctx.language); };
}

}  // namespace

QSP_CLI_COMMAND("print", "the printout of a parameter file as PDF", DefinePrint);
