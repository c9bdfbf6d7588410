// qspctl print and barcode as a user runs them: PDF files read back as text and as a scanned
// image.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/interface_text.h"
#include "catalogue/catalogue.h"
#include "catalogue/reset_values.h"
#include "test_support/temp_dir.h"
#include "workbench/param_file.h"
#include "workbench/printout.h"

namespace {

std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

struct Outcome {
    int status = -1;
    std::string out;
};

// Runs a shell command; its standard output, and its exit status.
Outcome Shell(const std::string& command) {
    Outcome outcome;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return outcome;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        outcome.out.append(buffer, n);
    const int raw = ::pclose(pipe);
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return outcome;
}

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// Whether a line of the text holds `content` alone, blanks aside.
bool HasLine(const std::string& text, const std::string& content) {
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (Trim(line) == content) return true;
    }
    return false;
}

class QspctlPrint : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("QSP_BIN_DIR");
        program_ = bin != nullptr ? std::filesystem::path(bin) / "qspctl"
                                  : std::filesystem::path(QSPCTL_PROGRAM);
        ASSERT_TRUE(std::filesystem::exists(program_)) << program_;
    }

    Outcome Qspctl(const std::vector<std::string>& args) {
        std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY " + Quote(program_.string()) +
                              " --settings-dir " + Quote(dir_.path().string());
        for (const auto& a : args)
            command += " " + Quote(a);
        return Shell(command + " 2>/dev/null");
    }

    std::string Path(const std::string& name) const { return (dir_.path() / name).string(); }

    // A factory image file, with the data edit switch (byte 256) set to `format`.
    std::string FactoryFile(int format) {
        qsp::ImageBytes image{};
        int page = 0;
        qsp::ResetImage(image, 0, page);
        image[256] = static_cast<std::uint8_t>(format);
        const auto file = Path("f" + std::to_string(format) + ".Dec");
        EXPECT_TRUE(qsp::SaveParamFile(file, image));
        return file;
    }

    test_support::TempDir dir_;
    std::filesystem::path program_;
};

// The sheets of a PDF's text, as pdftotext ends each with a form feed.
std::vector<std::string> Sheets(const std::string& text) {
    std::vector<std::string> sheets;
    std::size_t start = 0;
    for (std::size_t ff; (ff = text.find('\f', start)) != std::string::npos; start = ff + 1)
        sheets.push_back(text.substr(start, ff - start));
    return sheets;
}

TEST_F(QspctlPrint, ThePrintoutHoldsEveryPageAndRowInOrderOnTheCountersSheets) {
    const auto factory = Path("f.Dec");
    ASSERT_EQ(Qspctl({"reset", "--link", "rs232", "-o", factory}).status, 0);
    for (const std::string& file : {factory, FactoryFile(2)}) {
        SCOPED_TRACE(file);
        const auto pdf = Path("out.pdf");
        std::filesystem::remove(pdf);
        ASSERT_EQ(Qspctl({"print", file, "--pdf", pdf}).status, 0);
        const auto text = Shell("pdftotext -layout " + Quote(pdf) + " -");
        ASSERT_EQ(text.status, 0) << "pdftotext (poppler-utils) is needed";
        const auto sheets = Sheets(text.out);

        // What each sheet should hold, in order: headings, labels and values as the listed
        // pages show them, put on sheets where the printout's line counter breaks.
        qsp::ImageBytes image{};
        ASSERT_TRUE(qsp::LoadParamFile(file, image).ok);
        int current = 0;
        const auto pages = qsp::PrintedPages(image, qsp::InterfaceText(), current);
        std::vector<std::vector<std::string>> expected(1);
        for (const auto& op : qsp::PrintoutOperations(pages)) {
            if (op.kind == qsp::PrintOperation::Kind::NewPage) expected.emplace_back();
            const std::string item = Trim(op.text);
            if (op.kind == qsp::PrintOperation::Kind::Text && !item.empty() && item[0] != '-' &&
                item.rfind("Property", 0) != 0)
                expected.back().push_back(item);
        }
        ASSERT_GE(expected.size(), 2u);
        ASSERT_EQ(sheets.size(), expected.size());

        // Every listed page's heading and every row are among them.
        std::size_t items = 0;
        for (const auto& sheet : expected)
            items += sheet.size();
        std::size_t rows = 0;
        for (const auto& page : pages) {
            rows += 1;
            for (const auto& row : page.rows)
                rows += row.value.empty() ? 1 : 2;
        }
        EXPECT_EQ(items, rows);

        for (std::size_t s = 0; s < sheets.size(); ++s) {
            std::size_t at = 0;
            for (const auto& item : expected[s]) {
                const auto found = sheets[s].find(item, at);
                ASSERT_NE(found, std::string::npos)
                    << "sheet " << s + 1 << ": '" << item << "' after\n"
                    << sheets[s].substr(0, at);
                at = found + item.size();
            }
        }
        EXPECT_NE(sheets[0].find("Mode and Interface"), std::string::npos);
        EXPECT_EQ(text.out.find("WAND"), std::string::npos);
        const bool withFormats = file != factory;
        EXPECT_EQ(HasLine(text.out, "Data Edit"), !withFormats);
        EXPECT_EQ(HasLine(text.out, "Code Type and Output"), withFormats);
    }
}

TEST_F(QspctlPrint, TheBarcodeSheetScansAsTheDefaultBarcode) {
    const auto pdf = Path("barcode.pdf");
    ASSERT_EQ(Qspctl({"barcode", "--pdf", pdf}).status, 0);
    EXPECT_NE(Shell("pdftotext " + Quote(pdf) + " -").out.find("Default"), std::string::npos);
    ASSERT_EQ(
        Shell("pdftoppm -r 150 -png -singlefile " + Quote(pdf) + " " + Quote(Path("b"))).status, 0);
    const auto scan = Shell("zbarimg --nodbus --raw -q " + Quote(Path("b.png")));
    EXPECT_EQ(scan.status, 0) << "zbarimg (zbar-tools) found no barcode";
    EXPECT_EQ(scan.out, ".A001$\n");
}

TEST_F(QspctlPrint, WrongCommandLinesAndUnwritableFilesFail) {
    const auto factory = FactoryFile(0);
    EXPECT_EQ(Qspctl({"print", factory}).status, 2);
    EXPECT_EQ(Qspctl({"print", "--pdf", Path("x.pdf")}).status, 2);
    EXPECT_EQ(Qspctl({"barcode"}).status, 2);
    EXPECT_EQ(Qspctl({"barcode", factory, "--pdf", Path("x.pdf")}).status, 2);
    std::ofstream(Path("bad.Dec")) << "1\r\n2\r\n";
    EXPECT_EQ(Qspctl({"print", Path("bad.Dec"), "--pdf", Path("x.pdf")}).status, 1);
    EXPECT_FALSE(std::filesystem::exists(Path("x.pdf")));
    EXPECT_EQ(Qspctl({"barcode", "--pdf", Path("missing/x.pdf")}).status, 1);
}

}  // namespace
