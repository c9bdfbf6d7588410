// qspctl run as a user runs it: the built program on files in a fresh folder.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/file_io.h"
#include "catalogue/reset_values.h"
#include "test_support/temp_dir.h"
#include "workbench/param_file.h"
#include "workbench/param_listing.h"

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class Qspctl : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("QSP_BIN_DIR");
        program_ = bin != nullptr ? std::filesystem::path(bin) / "qspctl"
                                  : std::filesystem::path(QSPCTL_PROGRAM);
        ASSERT_TRUE(std::filesystem::exists(program_)) << program_;
    }

    Outcome Run(const std::vector<std::string>& args) {
        std::string command = Quote(program_.string()) + " --settings-dir " + Quote(dir_.path());
        for (const auto& a : args)
            command += " " + Quote(a);
        const auto out = Path("stdout");
        const auto err = Path("stderr");
        command += " >" + Quote(out) + " 2>" + Quote(err);
        const int raw = std::system(command.c_str());
        Outcome outcome;
        outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        outcome.out = qsp::ReadWholeFile(out).value_or("");
        outcome.err = qsp::ReadWholeFile(err).value_or("");
        return outcome;
    }

    std::string Path(const std::string& name) const { return (dir_.path() / name).string(); }

    // The lines of a file written by reset, with line `line` (1-based) replaced.
    std::string FactoryFileWith(int line, const std::string& text) {
        const auto factory = Path("factory.Dec");
        EXPECT_EQ(Run({"reset", "--link", "rs232", "-o", factory}).status, 0);
        std::istringstream in(qsp::ReadWholeFile(factory).value_or(""));
        std::string out;
        std::string current;
        for (int n = 1; std::getline(in, current); ++n) {
            out += (n == line ? text + "\r" : current) + "\n";
        }
        return out;
    }

    std::string Write(const std::string& name, const std::string& content) {
        std::ofstream(Path(name), std::ios::binary) << content;
        return Path(name);
    }

    test_support::TempDir dir_;
    std::filesystem::path program_;
};

TEST_F(Qspctl, ResetFilesReadBackAsTheFactoryImageOfEachLink) {
    const std::pair<std::string, int> links[] = {{"rs232", 0}, {"usb", 1}, {"ps2", 2}};
    for (const auto& [name, link] : links) {
        const auto file = Path(name + ".Dec");
        const auto run = Run({"reset", "--link", name, "-o", file});
        ASSERT_EQ(run.status, 0) << run.err;
        qsp::ImageBytes expected{};
        int page = 0;
        qsp::ResetImage(expected, link, page);
        qsp::ImageBytes loaded{};
        loaded.fill(99);
        const auto result = qsp::LoadParamFile(file, loaded);
        ASSERT_TRUE(result.ok) << result.Describe();
        for (std::size_t i = 0; i < 515; ++i)
            ASSERT_EQ(loaded[i], expected[i]) << name << " " << i;
        EXPECT_EQ(loaded[515], 99);
    }
    // Two links differ in the rows of page 1, and only there.
    const auto diff = Run({"diff", Path("rs232.Dec"), Path("usb.Dec")});
    ASSERT_EQ(diff.status, 0) << diff.err;
    EXPECT_EQ(diff.out,
              "# 1 Mode and Interface\n"
              "Computer Type\tPC - AT\tNotebook PC\n"
              "Interface\tRS232\tUSB(Cable)\n"
              "Terminator\tCR + LF\tCR\n");
    EXPECT_EQ(Run({"diff", Path("usb.Dec"), Path("usb.Dec")}).out, "");
}

TEST_F(Qspctl, ListWritesTheProgramsListingOfTheFile) {
    const auto file = Path("f.Dec");
    ASSERT_EQ(Run({"reset", "--link", "rs232", "-o", file}).status, 0);
    const auto run = Run({"list", file, "-o", Path("out.txt")});
    ASSERT_EQ(run.status, 0) << run.err;
    qsp::ImageBytes image{};
    ASSERT_TRUE(qsp::LoadParamFile(file, image).ok);
    int page = 0;
    const std::string listing = qsp::ReadWholeFile(Path("out.txt")).value_or("");
    EXPECT_EQ(listing, qsp::ListingText(image, qsp::InterfaceText(), page));
    EXPECT_EQ(listing.rfind("    Mode and Interface\r\n", 0), 0u);
}

TEST_F(Qspctl, BadFilesAreRefusedNamingTheLineAndChangeNothing) {
    const std::string good = FactoryFileWith(0, "");
    std::string short514 = good.substr(0, good.size() - 4);  // the last line " 0\r\n" off
    ASSERT_EQ(short514.substr(short514.size() - 2), "\r\n");
    struct Case {
        std::string content;
        std::string line;
    };
    const Case cases[] = {
        {short514, "line 515"},
        {FactoryFileWith(300, "256"), "line 300"},
    };
    Write("old.txt", "earlier listing");
    for (const auto& c : cases) {
        const auto file = Write("bad.Dec", c.content);
        const auto run = Run({"list", file, "-o", Path("old.txt")});
        EXPECT_EQ(run.status, 1) << c.line;
        EXPECT_NE(run.err.find("Loading file error!!"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(c.line + ":"), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(qsp::ReadWholeFile(Path("old.txt")), "earlier listing");
        EXPECT_EQ(Run({"show", file}).status, 1);
        EXPECT_EQ(Run({"diff", Path("factory.Dec"), file}).status, 1);
    }
}

TEST_F(Qspctl, ShowAndDiffReportWhatAUserSees) {
    const auto file =
        Write("s.Dec", FactoryFileWith(257, "1"));  // byte 256, the data edit switch: F-1
    auto run = Run({"show", file});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("# 1 Mode and Interface\nComputer Type\tPC - AT\n", 0), 0u);
    EXPECT_NE(run.out.find("\n# 31 Code Type and Output\n"), std::string::npos);
    EXPECT_EQ(run.out.find("# 25 "), std::string::npos);
    EXPECT_EQ(run.out.find("# 6 "), std::string::npos);
    run = Run({"show", file, "--page", "6"});
    EXPECT_EQ(run.out.rfind("# 6 WAND Emulation\n", 0), 0u) << run.out;

    // A byte no page shows is reported as a byte; a shown one as its row.
    const auto changed = Write("c.Dec", FactoryFileWith(156, " 0"));  // byte 155
    run = Run({"diff", Path("factory.Dec"), changed});
    EXPECT_EQ(run.out, "# bytes no row shows\n155\t170\t0\n");
    run = Run({"diff", Path("factory.Dec"), file});
    EXPECT_NE(run.out.find("# 25 Data Edit\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("# 31 Code Type and Output\n"), std::string::npos) << run.out;
}

TEST_F(Qspctl, WrongCommandLinesExitWith2) {
    const std::vector<std::vector<std::string>> cases = {
        {"reset", "--link", "usb2", "-o", Path("x.Dec")},
        {"reset", "--link", "usb"},
        {"show", "f.Dec", "--page", "32"},
        {"show", "f.Dec", "--page", "3x"},
        {"list", "f.Dec"},
        {"diff", "f.Dec"},
        {"show", "f.Dec", "--bogus"}};
    for (const auto& args : cases) {
        const auto run = Run(args);
        EXPECT_EQ(run.status, 2) << args[0] << " " << run.err;
        EXPECT_EQ(run.err.rfind("qspctl: ", 0), 0u);
    }
    EXPECT_FALSE(std::filesystem::exists(Path("x.Dec")));
}

}  // namespace
