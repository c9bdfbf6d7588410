// qspctl barcode: the default-barcode sheet, written as a PDF file.

#include "cli.h"
#include "pdf_output.h"
#include "workbench/printout.h"

namespace {

int Barcode(qspctl::CliContext& ctx) {
    qspctl::Args args(ctx.args);
    const std::string output = args.TakeOption("--pdf");
    if (!args.Positionals().empty()) throw qspctl::UsageError{"barcode takes no file but --pdf"};
    if (output.empty()) throw qspctl::UsageError{"barcode needs --pdf OUT.pdf"};
    qspctl::WritePdfFile(output, qsp::DefaultBarcodeOperations(), "Default");
    return 0;
}

}  // namespace

QSP_CLI_COMMAND("barcode", "barcode --pdf OUT.pdf    the default-barcode sheet as PDF", Barcode);
