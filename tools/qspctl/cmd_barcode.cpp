// qspctl barcode: the default-barcode sheet, written as a PDF file.

#include "cli.h"
#include "pdf_output.h"
#include "workbench/printout.h"

namespace {

qspctl::CommandRun Barcode(CLI::App& command) {
    auto output = qspctl::Options<std::string>();
    command.add_option("--pdf", *output, "the PDF file to write")->type_name("OUT.pdf")->required();
    return [output](qspctl::CliContext&) {
        qspctl::WritePdfFile(*output, qsp::DefaultBarcodeOperations(), "Default");
        return 0;
    };
}

}  // namespace

QSP_CLI_COMMAND("barcode", "the default-barcode sheet as PDF", Barcode);
