#include "workbench/printout.h"

#include "catalogue/catalogue.h"
#include "workbench/page_report.h"
#include "workbench/param_listing.h"

namespace qsp {
namespace {

// The printer as the printouts drive it: a current position that each printed line moves down
// by one line and back to the left edge.
class Printer {
public:
    explicit Printer(PrintOperations& out) : out_(out) {}

    void Font(const std::string& name, double points) {
        out_.push_back({PrintOperation::Kind::Font, 0, 0, name, points, false});
    }
    void Bold(bool on) { out_.push_back({PrintOperation::Kind::Bold, 0, 0, {}, 0, on}); }
    void MoveTo(int x, int y) {
        x_ = x;
        y_ = y;
    }
    int CurrentY() const { return y_; }
    void Print(const std::string& text) {
        out_.push_back({PrintOperation::Kind::Text, x_, y_, text, 0, false});
        x_ = 0;
        y_ += kPrintoutLineHeight;
    }
    void PrintBarcode(const std::string& text, double points) {
        out_.push_back({PrintOperation::Kind::Barcode, x_, y_, text, points, false});
        x_ = 0;
        y_ += kPrintoutLineHeight;
    }
    void NewPage() {
        out_.push_back({PrintOperation::Kind::NewPage, 0, 0, {}, 0, false});
        x_ = 0;
        y_ = 0;
    }

private:
    PrintOperations& out_;
    int x_ = 0;
    int y_ = 0;
};

const std::string kBlankLine = " ";
const std::string kIndent(5, ' ');
const std::string kDashes(180, '-');

}  // namespace

PrintOperations PrintoutOperations(const std::vector<PrintedPage>& pages) {
    PrintOperations out;
    Printer printer(out);
    printer.Font(kPrintoutFont, kPrintoutPoints);
    int lines = 0;
    bool first = true;
    // Counts `n` more lines; past the page's lines a new page starts with three blank lines.
    const auto count = [&](int n, bool mayBreak) {
        lines += n;
        if (!mayBreak || lines <= kPrintoutLinesPerPage) return;
        printer.NewPage();
        for (int i = 0; i < 3; ++i)
            printer.Print(kBlankLine);
        lines = 3;
    };
    for (const auto& page : pages) {
        printer.Bold(false);
        printer.Print(kBlankLine);
        printer.Print(kBlankLine);
        if (first) {
            printer.Print(kBlankLine);
            lines = 1;
            first = false;
        }
        count(2, true);
        printer.Print(kIndent + page.heading);
        printer.Print(std::string(20, ' ') + page.propertyHeader + std::string(80, ' ') + "  " +
                      page.parameterHeader);
        printer.Print(kDashes);
        printer.Bold(true);
        count(3, false);
        for (const auto& row : page.rows) {
            const int y = printer.CurrentY();
            printer.Print(kIndent + row.label);
            if (!row.value.empty()) {
                printer.MoveTo(kPrintoutValueColumn, y);
                printer.Print(kIndent + row.value);
            }
            count(1, true);
        }
        printer.Bold(false);
        printer.Print(kDashes);
        count(1, false);
    }
    return out;
}

std::vector<PrintedPage> PrintedPages(const std::vector<PageRows>& shown,
                                      const InterfaceText& text) {
    std::vector<PrintedPage> printed;
    for (const auto& s : shown) {
        PrintedPage page{ListingHeading(s.page, text), {}, text.LoadText(147), text.LoadText(148)};
        const auto rows = TranslatedRows(s.rows, text.language());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (s.page == kFormatSettingPage && i == 2) continue;
            page.rows.push_back({rows[i].label, rows[i].value});
        }
        printed.push_back(std::move(page));
    }
    return printed;
}

std::vector<PrintedPage> PrintedPages(ImageBytes& image, const InterfaceText& text,
                                      int& currentPage) {
    const auto shown = ShowPages(image, ListedPages(image));
    if (!shown.empty()) currentPage = shown.back().page;
    return PrintedPages(shown, text);
}

PrintOperations DefaultBarcodeOperations(const std::string& barcodeText) {
    PrintOperations out;
    Printer printer(out);
    printer.Font("Tahoma", 16);
    printer.Bold(true);
    printer.MoveTo(1500, 300);
    printer.Print("Default");
    printer.Bold(false);
    printer.Font("3 of 9 Barcode", 28);
    printer.MoveTo(1500, 700);
    printer.PrintBarcode(barcodeText, 28);
    return out;
}

std::string Code39Data(const std::string& barcodeText) {
    std::size_t first = 0;
    std::size_t last = barcodeText.size();
    if (first < last && barcodeText[first] == '*') ++first;
    if (last > first && barcodeText[last - 1] == '*') --last;
    return barcodeText.substr(first, last - first);
}

}  // namespace qsp
