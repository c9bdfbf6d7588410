// The printouts painted into PDF files, and the update success window, as a user meets them.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <cstdio>

#include "app/window_style.h"
#include "catalogue/catalogue.h"
#include "catalogue/reset_values.h"
#include "test_support/temp_dir.h"
#include "workbench/default_barcode_window.h"
#include "workbench/qt_printout.h"
#include "workbench/settings_fakes.h"

namespace qsp {
namespace {

using FakePrompt = wbtest::ScriptedPrompt;

std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

std::string PdfText(const std::filesystem::path& pdf) {
    return Shell("pdftotext -layout '" + pdf.string() + "' - 2>/dev/null");
}

std::string Decode(const std::filesystem::path& png) {
    return Shell("zbarimg --nodbus --raw -q '" + png.string() + "' 2>/dev/null");
}

TEST(PrintParameters, PrintOnlyWhenAPrinterIsChosen) {
    test_support::TempDir dir;
    FakePrompt prompt;
    ImageBytes image{};
    int current = 0;
    ResetImage(image, 0, current);
    const ImageBytes before = image;
    current = 4;
    EXPECT_FALSE(PrintParameters(prompt, image, InterfaceText(), current));
    EXPECT_EQ(current, 4);
    EXPECT_EQ(image, before);

    prompt.pdf = (dir.path() / "print.pdf").string();
    ASSERT_TRUE(PrintParameters(prompt, image, InterfaceText(), current));
    EXPECT_EQ(prompt.printDialogs, 2);
    EXPECT_EQ(current, kDataEditPage);
    EXPECT_NE(PdfText(prompt.pdf).find("Mode and Interface"), std::string::npos);
}

class UpdateSuccessWindow : public ::testing::Test {
protected:
    test_support::TempDir dir_;
    FakePrompt prompt_;
};

TEST_F(UpdateSuccessWindow, ShowsTheProcedureAndTheDefaultBarcode) {
    const InterfaceText english;
    DefaultBarcodeWindow window(prompt_, english);
    window.show();
    EXPECT_EQ(window.windowTitle(), "Update Success !");
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(window.ProcedureLabel(i)->text().toStdString(), english.LoadText(203 + i));
    EXPECT_EQ(window.ProcedureLabel(0)->text(), "Operating Procedure:");
    EXPECT_EQ(window.BarcodeLabel()->text(), "*.A001$*");
    EXPECT_EQ(window.PrintOutButton()->text(), "Print Out");

    // The symbol on screen reads as the printed one does.
    auto* symbol = window.findChild<QWidget*>("Barcode");
    ASSERT_NE(symbol, nullptr);
    const auto png = dir_.path() / "screen.png";
    ASSERT_TRUE(symbol->grab().save(QString::fromStdString(png.string())));
    EXPECT_EQ(Decode(png), ".A001$\n");

    const InterfaceText japanese(Language::Japanese);
    DefaultBarcodeWindow japaneseWindow(prompt_, japanese);
    EXPECT_EQ(japaneseWindow.ProcedureLabel(1)->text().toStdString(), japanese.LoadText(204));
    EXPECT_EQ(japaneseWindow.ProcedureLabel(1)->font().family(), JapaneseFontFamily());
}

TEST_F(UpdateSuccessWindow, PrintOutPrintsTheSheetAndCloses) {
    DefaultBarcodeWindow window(prompt_, InterfaceText());
    window.show();
    // Cancelled: nothing printed, the window stays for another try.
    window.PrintOutButton()->click();
    EXPECT_EQ(prompt_.printDialogs, 1);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(std::filesystem::is_empty(dir_.path()));

    prompt_.pdf = (dir_.path() / "sheet.pdf").string();
    window.PrintOutButton()->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_NE(PdfText(prompt_.pdf).find("Default"), std::string::npos);
}

}  // namespace
}  // namespace qsp
