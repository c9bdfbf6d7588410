// The printouts painted into PDF files, and the update success window, as a user meets them.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <cstdio>

#include "test_support/temp_dir.h"
#include "workbench/default_barcode_window.h"
#include "workbench/qt_printout.h"
#include "workbench/settings_fakes.h"

namespace qsp {
namespace {

// What a shell command prints; errors go nowhere.
std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

TEST(UpdateSuccessWindow, ShowsTheDefaultBarcodeAndPrintOutPrintsItAndCloses) {
    test_support::TempDir dir;
    wbtest::ScriptedPrompt prompt;
    const InterfaceText english;
    DefaultBarcodeWindow window(prompt, english);
    window.show();
    EXPECT_EQ(window.windowTitle(), "Update Success !");
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(window.ProcedureLabel(i)->text().toStdString(), english.LoadText(203 + i));
    EXPECT_EQ(window.BarcodeLabel()->text(), "*.A001$*");

    // The symbol on screen reads as the printed one does.
    auto* symbol = window.findChild<QWidget*>("Barcode");
    ASSERT_NE(symbol, nullptr);
    const auto png = dir.path() / "screen.png";
    ASSERT_TRUE(symbol->grab().save(QString::fromStdString(png.string())));
    EXPECT_EQ(Shell("zbarimg --nodbus --raw -q '" + png.string() + "'"), ".A001$\n");

    // Print Out cancelled: nothing printed, the window stays for another try.
    window.PrintOutButton()->click();
    EXPECT_EQ(prompt.printDialogs, 1);
    EXPECT_TRUE(window.isVisible());

    prompt.pdf = (dir.path() / "sheet.pdf").string();
    window.PrintOutButton()->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_NE(Shell("pdftotext -layout '" + prompt.pdf + "' -").find("Default"), std::string::npos);
}

}  // namespace
}  // namespace qsp
