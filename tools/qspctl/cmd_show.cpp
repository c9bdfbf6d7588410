// qspctl show: the rows of one page, or of every listed page, of a parameter file.

#include <iostream>

#include "base/interface_text.h"
#include "catalogue/catalogue.h"
#include "catalogue/catalogue_text.h"
#include "cli.h"
#include "json_output.h"
#include "workbench/page_report.h"
#include "workbench/param_file.h"
#include "workbench/param_listing.h"

namespace {

struct ShowOptions {
    std::string file;
    int page = 0;
    bool json = false;
};

int Show(const ShowOptions& o, qsp::Language language) {
    std::vector<int> pages;
    if (o.page != 0) pages.push_back(o.page);
    auto image = qspctl::LoadParamFileOrFail(o.file, language);
    if (pages.empty()) pages = qsp::ListedPages(image);
    auto shown = qsp::ShowPages(image, pages);
    if (o.json) {
        // JSON keeps the English texts whatever the language.
        qspctl::PrintJson({{"file", o.file}, {"rows", qspctl::RowsJson(qspctl::ShownRows(shown))}});
        return 0;
    }
    const qsp::CatalogueText translate(language);
    for (auto& page : shown) {
        page.heading = translate(page.heading);
        page.rows = qsp::TranslatedRows(std::move(page.rows), language);
    }
    std::cout << qsp::PageRowsText(shown);
    return 0;
}

qspctl::CommandRun DefineShow(CLI::App& command) {
    auto o = qspctl::Options<ShowOptions>();
    command.add_option("FILE.Dec", o->file, "the parameter file")->required();
    command.add_option("--page", o->page, "the page to show")
        ->type_name("N")
        ->check(CLI::Range(qsp::kFirstPage, qsp::kLastPage).description(""));
    command.add_flag("--json", o->json, "the rows as one JSON document");
    return [o](qspctl::CliContext& ctx) { return Show(*o, ctx.language); };
}

}  // namespace

QSP_CLI_COMMAND("show", "the rows of page N (1..31) or of every listed page", DefineShow);
