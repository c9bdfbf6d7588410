// qspctl print and barcode as a user runs them, the PDF files read back as text and scanned.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

#include "app/interface_text.h"
#include "test_support/temp_dir.h"
#include "workbench/param_file.h"
#include "workbench/printout.h"

namespace {

struct Outcome {
    int status = -1;
    std::string out;
};

Outcome Shell(const std::string& command) {
    Outcome outcome;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            outcome.out.append(buffer, n);
        const int raw = ::pclose(pipe);
        outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    return outcome;
}

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    return first == std::string::npos ? "" : s.substr(first, s.find_last_not_of(' ') - first + 1);
}

class QspctlPrint : public ::testing::Test {
protected:
    // Runs qspctl without a display, as on a server.
    int Qspctl(const std::string& args) {
        const char* bin = std::getenv("QSP_BIN_DIR");
        const std::string program =
            bin != nullptr ? std::string(bin) + "/qspctl" : std::string(QSPCTL_PROGRAM);
        return Shell("cd '" + dir_.path().string() + "' && env -u DISPLAY -u WAYLAND_DISPLAY '" +
                     program + "' --settings-dir . " + args + " 2>/dev/null")
            .status;
    }
    std::string Path(const std::string& name) const { return (dir_.path() / name).string(); }

    test_support::TempDir dir_;
};

TEST_F(QspctlPrint, ThePrintoutHoldsEveryPageAndRowInOrderOnTheCountersSheets) {
    ASSERT_EQ(Qspctl("reset --link rs232 -o f.Dec"), 0);
    // The same image with a data edit format selected lists pages 26 to 31 instead of 25.
    qsp::ImageBytes image{};
    ASSERT_TRUE(qsp::LoadParamFile(Path("f.Dec"), image).ok);
    image[256] = 2;
    ASSERT_TRUE(qsp::SaveParamFile(Path("f2.Dec"), image));

    for (const std::string file : {"f.Dec", "f2.Dec"}) {
        SCOPED_TRACE(file);
        ASSERT_EQ(Qspctl("print " + file + " --pdf out.pdf"), 0);
        const auto text = Shell("pdftotext -layout '" + Path("out.pdf") + "' -");
        ASSERT_EQ(text.status, 0) << "pdftotext (poppler-utils) is needed";
        std::vector<std::string> sheets;  // pdftotext ends each sheet with a form feed
        std::istringstream in(text.out);
        for (std::string sheet; std::getline(in, sheet, '\f');)
            sheets.push_back(sheet);

        // The headings, labels and values of the listed pages, on the sheets where the line
        // counter puts them.
        ASSERT_TRUE(qsp::LoadParamFile(Path(file), image).ok);
        int current = 0;
        std::vector<std::vector<std::string>> expected(1);
        for (const auto& op :
             qsp::PrintoutOperations(qsp::PrintedPages(image, qsp::InterfaceText(), current))) {
            if (op.kind == qsp::PrintOperation::Kind::NewPage) expected.emplace_back();
            const std::string item = Trim(op.text);
            if (op.kind == qsp::PrintOperation::Kind::Text && !item.empty() && item[0] != '-' &&
                item.rfind("Property", 0) != 0)
                expected.back().push_back(item);
        }
        ASSERT_GE(expected.size(), 2u);
        ASSERT_EQ(sheets.size(), expected.size());
        for (std::size_t s = 0; s < sheets.size(); ++s) {
            std::size_t at = 0;
            for (const auto& item : expected[s]) {
                const auto found = sheets[s].find(item, at);
                ASSERT_NE(found, std::string::npos) << "sheet " << s + 1 << ": " << item;
                at = found + item.size();
            }
        }
        EXPECT_EQ(Trim(sheets[0].substr(0, sheets[0].find('\n'))), "Mode and Interface");
        EXPECT_EQ(text.out.find("WAND"), std::string::npos);
        const bool hasFormat = file == "f2.Dec";
        const auto heading = [&](const std::string& h) {
            return std::regex_search(text.out, std::regex("\n *" + h + " *\n"));
        };
        EXPECT_EQ(heading("Data Edit"), !hasFormat);
        EXPECT_EQ(heading("Code Type and Output"), hasFormat);
    }
}

TEST_F(QspctlPrint, TheBarcodeSheetScansAsTheDefaultBarcode) {
    ASSERT_EQ(Qspctl("barcode --pdf b.pdf"), 0);
    EXPECT_NE(Shell("pdftotext '" + Path("b.pdf") + "' -").out.find("Default"), std::string::npos);
    ASSERT_EQ(Shell("cd '" + dir_.path().string() + "' && pdftoppm -r 150 -png -singlefile b.pdf b")
                  .status,
              0);
    EXPECT_EQ(Shell("zbarimg --nodbus --raw -q '" + Path("b.png") + "'").out, ".A001$\n");
}

TEST_F(QspctlPrint, WrongCommandLinesAndUnwritableFilesFail) {
    ASSERT_EQ(Qspctl("reset --link usb -o f.Dec"), 0);
    EXPECT_EQ(Qspctl("print f.Dec"), 2);
    EXPECT_EQ(Qspctl("barcode f.Dec --pdf x.pdf"), 2);
    std::ofstream(Path("bad.Dec")) << "1\r\n2\r\n";
    EXPECT_EQ(Qspctl("print bad.Dec --pdf x.pdf"), 1);
    EXPECT_FALSE(std::filesystem::exists(Path("x.pdf")));
    EXPECT_EQ(Qspctl("barcode --pdf missing/x.pdf"), 1);
}

}  // namespace
