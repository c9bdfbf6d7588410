// qspctl's file commands run as a user runs them: the built program on files in a fresh folder,
// its PDF printouts read back as text and scanned.

#include <regex>
#include <sstream>

#include "catalogue/catalogue_text.h"
#include "catalogue/reset_values.h"
#include "e2e_support.h"
#include "workbench/param_listing.h"
#include "workbench/printout.h"

namespace {

using namespace e2e;

// Each test starts in a fresh folder holding f.Dec, the RS-232 factory file.
class QspctlCommands : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Ctl("reset --link rs232 -o f.Dec").status, 0); }
    e2e::Run Ctl(const std::string& args, const std::string& locale = "C.UTF-8") {
        return Qspctl(dir.path, args, locale);
    }
    std::string PdfText(const std::string& pdf) {
        const auto run = Shell("pdftotext -layout '" + (dir.path / pdf).string() + "' -");
        EXPECT_EQ(run.status, 0) << "pdftotext (poppler-utils) is needed";
        return run.output;
    }
    Folder dir;
};

TEST_F(QspctlCommands, ResetDiffListAndShowReportWhatAUserSees) {
    const std::pair<std::string, int> links[] = {{"rs232", 0}, {"usb", 1}, {"ps2", 2}};
    for (const auto& [name, link] : links) {
        ASSERT_EQ(Ctl("reset --link " + name + " -o " + name + ".Dec").status, 0);
        qsp::ImageBytes expected{};
        int page = 0;
        qsp::ResetImage(expected, link, page);
        EXPECT_EQ(FileImage(dir.path / (name + ".Dec")), expected) << name;
    }
    // Two links differ in the rows of page 1, and only there.
    EXPECT_EQ(Ctl("diff rs232.Dec usb.Dec").output,
              "# 1 Mode and Interface\nComputer Type\tPC - AT\tNotebook PC\n"
              "Interface\tRS232\tUSB(Cable)\nTerminator\tCR + LF\tCR\n");
    EXPECT_EQ(Ctl("diff usb.Dec usb.Dec").output, "");

    auto image = FileImage(dir.path / "rs232.Dec");
    image[256] = 1;  // the data edit switch: F-1 shows pages 26 to 31 instead of 25
    ASSERT_TRUE(qsp::SaveParamFile(dir.path / "s.Dec", image));
    const auto shown = Ctl("show s.Dec").output;
    EXPECT_EQ(shown.rfind("# 1 Mode and Interface\nComputer Type\tPC - AT\n", 0), 0u);
    EXPECT_TRUE(Has(shown, "\n# 31 Code Type and Output\n"));
    EXPECT_EQ(shown.find("# 25 "), std::string::npos);
    EXPECT_EQ(shown.find("# 6 "), std::string::npos);
    EXPECT_EQ(Ctl("show s.Dec --page 6").output.rfind("# 6 WAND Emulation\n", 0), 0u);
    // A byte no page shows is reported as a byte.
    image[256] = 0;
    image[155] = 0;
    ASSERT_TRUE(qsp::SaveParamFile(dir.path / "c.Dec", image));
    EXPECT_EQ(Ctl("diff rs232.Dec c.Dec").output,
              "# Differing bytes that no row shows:\n155\t170\t0\n");
}

// show, list, print and the messages of a command that talks to a scanner speak the locale's
// language, or the one --lang names; the listing keeps its columns.
TEST_F(QspctlCommands, TextsForPeopleFollowTheLocaleOrTheLangOption) {
    const qsp::CatalogueText ja(qsp::Language::Japanese);
    const std::string expected = "# 5 " + ja("RS-232") + "\n" + ja("Baud Rate") + "\t9600 bps\n" +
                                 ja("Data Length") + "\t" + ja("8 bits") + "\n";
    EXPECT_EQ(Ctl("show f.Dec --page 5", "ja_JP.UTF-8").output.rfind(expected, 0), 0u);
    EXPECT_EQ(Ctl("show f.Dec --page 5 --lang ja").output.rfind(expected, 0), 0u);
    EXPECT_EQ(Ctl("show f.Dec --page 5 --lang en", "ja_JP.UTF-8")
                  .output.rfind("# 5 RS-232\nBaud Rate\t9600 bps\n", 0),
              0u);
    EXPECT_TRUE(Has(Ctl("read --port 9 -o x.Dec", "ja_JP.UTF-8").output,
                    qsp::InterfaceText(qsp::Language::Japanese).LoadText(129)));

    ASSERT_EQ(Ctl("list f.Dec -o zh.txt", "zh_TW.UTF-8").status, 0);
    auto image = FileImage(dir.path / "f.Dec");
    int page = 0;
    EXPECT_EQ(ReadText(dir.path / "zh.txt"),
              qsp::ListingText(image, qsp::InterfaceText(qsp::Language::TraditionalChinese), page));
    ASSERT_EQ(Ctl("print f.Dec --pdf zh.pdf --lang zh_CN").status, 0);
    EXPECT_TRUE(Has(PdfText("zh.pdf"),
                    qsp::CatalogueText(qsp::Language::SimplifiedChinese)("Reading Mode")));
}

TEST_F(QspctlCommands, BadFilesAndWrongCommandLinesFailSayingWhyAndChangeNothing) {
    // A file one line short: the reader names the line (its other refusals have tests of their
    // own); every command that reads it fails and writes nothing.
    const std::string good = ReadText(dir.path / "f.Dec");
    std::ofstream(dir.path / "bad.Dec") << good.substr(0, good.rfind('\n', good.size() - 2) + 1);
    std::ofstream(dir.path / "old.txt") << "earlier listing";
    const auto run = Ctl("list bad.Dec -o old.txt");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.output, "Loading file error!!"));
    EXPECT_TRUE(Has(run.output, "line 515:"));
    EXPECT_EQ(ReadText(dir.path / "old.txt"), "earlier listing");
    // Every refusal starts "qspctl: "; a parse error names the option in the language of the
    // command line. `output` is the whole output where it ends a line, else how it starts.
    const struct {
        std::string args;
        int status;
        std::string output = "qspctl: ", locale = "C.UTF-8";
    } cases[] = {
        // clang-format off
        {"show bad.Dec", 1}, {"diff f.Dec bad.Dec", 1}, {"print bad.Dec --pdf x.pdf", 1},
        {"reset --link usb2 -o x.Dec", 2}, {"reset --link usb", 2}, {"show f.Dec --page 32", 2},
        {"show f.Dec --page 3x", 2}, {"list f.Dec", 2}, {"diff f.Dec", 2}, {"show f.Dec --bogus", 2},
        {"print f.Dec", 2}, {"barcode f.Dec --pdf x.pdf", 2}, {"barcode --pdf missing/x.pdf", 1},
        // clang-format on
        {"show f.Dec --page 3x --lang ja", 2,
         "qspctl: --page：この値は指定できません（--help を参照）\n"},
        {"show f.Dec extra --lang zh_TW", 2, "qspctl: 無法識別的參數：extra\n"},
        {"reset --link usb --lang zh_CN", 2, "qspctl: 必须指定 --output\n"},
        {"show f.Dec --lang ja --page", 2, "qspctl: --page：値の個数が正しくありません\n"},
        {"reset --link usb2 -o x.Dec --lang zh_TW", 2,
         "qspctl: --link 只接受以下其中之一：rs232|usb|ps2\n"},
        {"show f.Dec --lang de", 2, "qspctl: --lang takes one of en|zh_TW|ja|zh_CN\n"},
        {"show f.Dec --lang de", 2,
         "qspctl: --lang には次のいずれかを指定してください：en|zh_TW|ja|zh_CN\n", "ja_JP.UTF-8"},
    };
    for (const auto& [args, status, output, locale] : cases) {
        const auto run = Ctl(args, locale);
        EXPECT_EQ(run.status, status) << args;
        EXPECT_EQ(output.ends_with('\n') ? run.output : run.output.substr(0, output.size()), output)
            << args << ": " << run.output;
    }
    EXPECT_FALSE(fs::exists(dir.path / "x.Dec"));
    EXPECT_FALSE(fs::exists(dir.path / "x.pdf"));
}

// Which pages are printed is the listing's choice (tested with it); here every text the printout
// lays out lands on its sheet in order.
TEST_F(QspctlCommands, ThePrintoutHoldsEveryPageAndRowInOrderOnTheCountersSheets) {
    ASSERT_EQ(Ctl("print f.Dec --pdf out.pdf").status, 0);
    const std::string text = PdfText("out.pdf");
    static const std::regex formFeed("\f");  // pdftotext ends each sheet with one
    const std::vector<std::string> sheets(
        std::sregex_token_iterator(text.begin(), text.end(), formFeed, -1), {});

    // The headings, labels and values of the listed pages, on the sheets where the line counter
    // puts them.
    auto image = FileImage(dir.path / "f.Dec");
    int current = 0;
    std::vector<std::vector<std::string>> expected(1);
    for (const auto& op :
         qsp::PrintoutOperations(qsp::PrintedPages(image, qsp::InterfaceText(), current))) {
        if (op.kind == qsp::PrintOperation::Kind::NewPage) expected.emplace_back();
        const std::string item = std::regex_replace(op.text, std::regex("^ +| +$"), "");
        if (op.kind == qsp::PrintOperation::Kind::Text && !item.empty() && item[0] != '-' &&
            item.rfind("Property", 0) != 0)
            expected.back().push_back(item);
    }
    ASSERT_GE(expected.size(), 2u);
    ASSERT_EQ(sheets.size(), expected.size());
    for (std::size_t s = 0; s < sheets.size(); ++s) {
        std::size_t at = 0;
        for (const auto& item : expected[s]) {
            at = sheets[s].find(item, at);
            ASSERT_NE(at, std::string::npos) << "sheet " << s + 1 << ": " << item;
        }
    }
    EXPECT_TRUE(std::regex_search(sheets[0], std::regex("^ *Mode and Interface *\n")));
    EXPECT_TRUE(std::regex_search(text, std::regex("\n *Data Edit *\n")));
}

TEST_F(QspctlCommands, TheBarcodeSheetScansAsTheDefaultBarcode) {
    ASSERT_EQ(Ctl("barcode --pdf b.pdf").status, 0);
    EXPECT_TRUE(Has(PdfText("b.pdf"), "Default"));
    const std::string pdf = (dir.path / "b.pdf").string(), png = (dir.path / "b").string();
    ASSERT_EQ(Shell("pdftoppm -r 150 -png -singlefile '" + pdf + "' '" + png + "'").status, 0);
    EXPECT_EQ(Shell("zbarimg --nodbus --raw -q '" + png + ".png'").output, ".A001$\n");
}

// The description parts of a --help text (from the description column on) that read as English
// words; names, options and their values are typed alike in every language.
std::vector<std::string> DescriptionProse(const std::string& help) {
    static const std::regex column("\n.{27} ([^ \\[\n-][^\n]*)"), prose("[a-z]{2,} [a-z]{2,}");
    std::vector<std::string> parts;
    const std::string text = "\n" + help;
    for (std::sregex_iterator it(text.begin(), text.end(), column), end; it != end; ++it)
        if (std::regex_search((*it)[1].str(), prose)) parts.push_back((*it)[1]);
    return parts;
}

// --help and each command's usage speak --lang or the locale; a description or an option added
// without a translation stays English and fails here.
TEST_F(QspctlCommands, HelpAndUsageSpeakTheLanguage) {
    const std::string english = Ctl("--help").output;
    for (const char* locale : {"zh_TW.UTF-8", "ja_JP.UTF-8", "zh_CN.UTF-8"}) {
        const std::string translated = Ctl("--help", locale).output;
        for (const std::string& part : DescriptionProse(english))
            EXPECT_FALSE(Has(translated, part)) << locale;
        EXPECT_TRUE(Has(translated, "--settings-dir")) << locale;
    }
    static const std::regex commandLine("\n  ([a-z]+)(?= |\n)");
    int commands = 0;
    for (std::sregex_iterator it(english.begin(), english.end(), commandLine), end; it != end;
         ++it, ++commands) {
        const std::string command = (*it)[1], shown = Ctl(command + " --help").output;
        EXPECT_TRUE(Has(shown, "Usage: qspctl " + command));
        for (const std::string lang : {"zh_TW", "ja", "zh_CN"}) {
            const std::string translated = Ctl(command + " --help --lang " + lang).output;
            EXPECT_EQ(translated.find("Usage"), std::string::npos) << lang << "\n" << translated;
            for (const std::string& part : DescriptionProse(shown))
                EXPECT_FALSE(Has(translated, part)) << lang << " " << command;
        }
    }
    EXPECT_GE(commands, 13) << english;
    EXPECT_TRUE(Has(Ctl("show --help --lang ja").output, "使い方: qspctl show"));
}

}  // namespace
