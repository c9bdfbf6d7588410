#pragma once
// The printouts as the printer is told to make them: the parameter printout of every listed page
// and the default-barcode sheet, each a sequence of printer operations (font, bold, text at a
// position in twips, new page). Building the sequence needs no printer; a painter executes it.
//
// Positions are in twips (1/1440 inch) from the top-left corner of the printable area, and a
// text's position is the top-left corner of its line, as the printer's CurrentX and CurrentY are.

#include <string>
#include <vector>

#include "base/interface_text.h"
#include "catalogue/param_image.h"
#include "workbench/page_report.h"

namespace qsp {

struct PrintOperation {
    enum class Kind {
        Font,     // `text` is the font name, `points` the size; bold is left as it is
        Bold,     // `bold` switches bold on or off
        Text,     // `text` printed at (x, y) in the current font
        Barcode,  // `text` printed at (x, y) in the Code 39 font: its asterisks are the start and
                  // stop characters, `points` the font size (the height of the bars)
        NewPage,  // the next page; positions start again at the top
    };
    Kind kind = Kind::Text;
    int x = 0;
    int y = 0;
    std::string text;
    double points = 0;
    bool bold = false;

    friend bool operator==(const PrintOperation&, const PrintOperation&) = default;
};

using PrintOperations = std::vector<PrintOperation>;

// The parameter printout's font, and the advance of one printed line: small enough that the
// longest label ends before the value column and that a full sheet (up to 89 lines when heading
// lines run past the count) fits on A4 or Letter paper.
inline constexpr const char* kPrintoutFont = "Arial";
inline constexpr double kPrintoutPoints = 7;
inline constexpr int kPrintoutLineHeight = 164;  // twips

// Where a row's value text stands.
inline constexpr int kPrintoutValueColumn = 4300;  // twips

// A page of the printout holds this many counted lines before the next one is started.
inline constexpr int kPrintoutLinesPerPage = 85;

// One listed page as the property list shows it: its heading and its rows' labels and values.
struct PrintedPage {
    std::string heading;
    struct Row {
        std::string label;
        std::string value;
    };
    std::vector<Row> rows;
    std::string propertyHeader = "Property";  // the two column headers, messages 147 and 148
    std::string parameterHeader = "Parameter";
};

// The printout of pages, in order:
//   before the first page three one-blank lines, before every other page two;
//   5 blanks and the heading; 20 blanks, "Property", 80 blanks, "  Parameter"; 180 dashes;
//   the rows in bold: 5 blanks and the label, and on the same line, at 4300 twips, 5 blanks and
//   the value text when there is one;
//   180 dashes, not bold.
// A line counter counts the blank lines before a page, its three heading lines, each row and the
// closing dashes; when the blank lines or a row bring it above 85, a new page is started with
// three one-blank lines and the count starts again at 3.
PrintOperations PrintoutOperations(const std::vector<PrintedPage>& pages);

// The listed pages of the image as the printout prints them, in the interface language: each page
// shown in turn, so the image takes the corrections showing makes, with its listing heading (page
// 25's in the interface language), page 26 without its third row. `currentPage` ends at the last
// listed page.
std::vector<PrintedPage> PrintedPages(ImageBytes& image, const InterfaceText& text,
                                      int& currentPage);
// The printed pages of pages already shown (the settings window's own walk).
std::vector<PrintedPage> PrintedPages(const std::vector<PageRows>& shown,
                                      const InterfaceText& text);

// The text of the default barcode: the Code 39 symbol of ".A001$" with its start and stop
// characters.
inline constexpr const char* kDefaultBarcodeText = "*.A001$*";

// The default-barcode sheet: "Default" in bold 16-point Tahoma at (1500, 300), then the barcode
// text in the 28-point Code 39 font at (1500, 700), not bold.
PrintOperations DefaultBarcodeOperations(const std::string& barcodeText = kDefaultBarcodeText);

// What a Code 39 text encodes: the text without its leading and trailing asterisks (the start
// and stop characters).
std::string Code39Data(const std::string& barcodeText);

}  // namespace qsp
