// qspctl print: the printout of a parameter file, written as a PDF file.

#include "base/interface_text.h"
#include "cli.h"
#include "pdf_output.h"
#include "workbench/param_file.h"
#include "workbench/printout.h"

namespace {

int Print(qspctl::CliContext& ctx) {
    qspctl::Args args(ctx.args);
    const std::string output = args.TakeOption("--pdf");
    const auto files = args.Positionals();
    if (files.size() != 1) throw qspctl::UsageError{"print needs one parameter file"};
    if (output.empty()) throw qspctl::UsageError{"print needs --pdf OUT.pdf"};

    const qsp::InterfaceText text;
    qsp::ImageBytes image{};
    const auto loaded = qsp::LoadParamFile(files[0], image);
    if (!loaded.ok) {
        throw qspctl::Failure{files[0] + ": " + text.LoadText(157) + " " + loaded.Describe()};
    }
    int page = 0;
    qspctl::WritePdfFile(output, qsp::PrintoutOperations(qsp::PrintedPages(image, text, page)),
                         files[0]);
    return 0;
}

}  // namespace

QSP_CLI_COMMAND("print", "print FILE.Dec --pdf OUT.pdf    the printout of a parameter file as PDF",
                Print);
