// qspctl show: the rows of one page, or of every listed page, of a parameter file.

#include <iostream>

#include "base/interface_text.h"
#include "catalogue/catalogue.h"
#include "cli.h"
#include "workbench/page_report.h"
#include "workbench/param_file.h"

namespace {

int Show(qspctl::CliContext& ctx) {
    qspctl::Args args(ctx.args);
    const std::string pageText = args.TakeOption("--page");
    const auto files = args.Positionals();
    if (files.size() != 1) throw qspctl::UsageError{"show needs one parameter file"};

    std::vector<int> pages;
    qsp::ImageBytes image{};
    if (!pageText.empty()) {
        std::size_t used = 0;
        int page = 0;
        try {
            page = std::stoi(pageText, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used != pageText.size() || page < qsp::kFirstPage || page > qsp::kLastPage) {
            throw qspctl::UsageError{"--page needs a page number from 1 to 31, not '" + pageText +
                                     "'"};
        }
        pages.push_back(page);
    }
    const auto loaded = qsp::LoadParamFile(files[0], image);
    if (!loaded.ok) {
        throw qspctl::Failure{files[0] + ": " + qsp::InterfaceText().LoadText(157) + " " +
                              loaded.Describe()};
    }
    if (pages.empty()) pages = qsp::ListedPages(image);
    std::cout << qsp::PageRowsText(qsp::ShowPages(image, pages));
    return 0;
}

}  // namespace

QSP_CLI_COMMAND("show",
                "show FILE.Dec [--page N]    the rows of page N (1..31) or of every listed page",
                Show);
