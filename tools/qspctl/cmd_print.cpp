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

int Print(const PrintOptions& o) {
    const qsp::InterfaceText text;
    auto image = qspctl::LoadParamFileOrFail(o.file);
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
    return [o](qspctl::CliContext&) { return Print(*o); };
}

}  // namespace

QSP_CLI_COMMAND("print", "the printout of a parameter file as PDF", DefinePrint);
