// The "Test Scanner" window on the offscreen platform: opened by the main window's Test over the
// virtual scanner, and typed into as a keyboard-wedge scanner types.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/main_operations.h"
#include "app/window_style.h"
#include "fakes.h"
#include "link/test_window.h"
#include "virtual_line.h"

namespace qsp {
namespace {

class TestWindowTest : public ::testing::Test {
protected:
    TestWindowTest() : model(qspsim::FactoryBlock()) {
        state.Settings = ParseSettings("");
        state.Settings.CommPort = "1";
        state.Settings.Rs232Delay = 20;
        state.Settings.UsbDelay = "0";
        lock.SetReceivePoll([this] { link.Serial().ReceivePoll(); });
    }
    ~TestWindowTest() override { delete window.data(); }

    // A window shown and activated by hand, for a keyboard-wedge scanner.
    void OpenWedge(const char* interface, int terminator) {
        state.Settings.InterfaceIndex = interface;
        state.ParamImage[kTerminatorIndex] = static_cast<std::uint8_t>(terminator);
        window = new TestWindow(state, pump, text, link.Serial(), QSP_PICTURE_DIR);
        window->show();
        QApplication::setActiveWindow(window);
        ASSERT_TRUE(window->Activate());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    // The scanner reads a barcode and sends it at its own pace.
    void Scan(const std::string& data) {
        const auto& s = line.port()->settings();
        ASSERT_TRUE(model.Scan(data, qspsim::ViewOf(std::stoi(s.baud), s.parity[0], 1)));
        EventPump::Clock at = pump.Now();
        for (const auto& answer : model.TakeAnswers()) {
            for (std::uint8_t b : answer.bytes) {
                line.DeliverAt(at, {b});
                at += EventPump::Clock(10'000'000 / answer.baud);
            }
        }
        pump.Advance(std::chrono::milliseconds(300));
    }

    qspsim::ScannerModel model;
    AppState state;
    VirtualPump pump;
    qsptest::FakeMainView mainView;
    qsptest::FakePrompt prompt;
    InterfaceText text;
    qsptest::VirtualLine line{pump, &model};
    ScannerLink link{state, pump, mainView, text, line.Factory()};
    MainLock lock{mainView, pump};
    MainOperations ops{state, pump, mainView, lock, prompt, text, link};
    QPointer<TestWindow> window;
};

TEST_F(TestWindowTest, MainWindowTestCountsScannedItemsAndEndsWithTestEnds) {
    state.Settings.TestCount = true;
    state.Settings.Automation = true;  // the read finds the scanner by the search
    model.SetSerial(19200, 'N', 8, 1);
    std::string shownTotal, shownLink, shownText, tip;
    ops.ScannerTest([&] {
        QTimer::singleShot(0, [&] {
            auto* shown = qobject_cast<TestWindow*>(QApplication::activeModalWidget());
            ASSERT_NE(shown, nullptr);
            EXPECT_EQ(shown->windowTitle(), "Test Scanner");
            ASSERT_TRUE(shown->Activate());
            for (const char* code : {"A-1", "B-2", "C-3"})
                Scan(code);
            shownTotal = shown->TotalPanel()->text().toStdString();
            shownLink = shown->LinkPanel()->text().toStdString();
            shownText = shown->Text1()->toPlainText().toStdString();
            tip = shown->Text1()->toolTip().toStdString();
            EXPECT_FALSE(shown->LinkIcon()->pixmap().isNull());
            QTest::keyClick(shown->Text1(), Qt::Key_Q, Qt::AltModifier);
        });
        ShowTestWindow(state, pump, text, link, mainView, QSP_PICTURE_DIR, nullptr);
    });
    EXPECT_EQ(shownLink, "RS232 19200,N,8,1  COM1");
    EXPECT_EQ(shownTotal, "Total: 3");
    EXPECT_EQ(shownText, "A-1\nB-2\nC-3\n");
    EXPECT_EQ(tip, "Please scan");
    ASSERT_FALSE(mainView.messages.empty());
    EXPECT_EQ(mainView.messages.back(), "Test Ends");
    EXPECT_FALSE(mainView.locked);
    EXPECT_EQ(mainView.focus, kButtonTest);
}

// With CR + LF as terminator a keyboard counts the return key (serial text counts the line feed).
TEST_F(TestWindowTest, KeyboardScannerTypesIntoTheTextBoxAndReturnsCount) {
    OpenWedge("1", 3);  // USB, CR + LF
    QTest::keyClicks(window->Text1(), "4711");
    EXPECT_EQ(window->TotalPanel()->text(), "");
    QTest::keyClick(window->Text1(), Qt::Key_Return);
    QTest::keyClicks(window->Text1(), "0815");
    QTest::keyClick(window->Text1(), Qt::Key_Return);
    EXPECT_EQ(window->TotalPanel()->text(), "Total: 2");
    EXPECT_EQ(window->Text1()->toPlainText(), "4711\n0815\n");
    EXPECT_EQ(window->LinkPanel()->text(), "USB  Please Scanner");
}

TEST_F(TestWindowTest, TabToExitComesBackWithTheNextCharacter) {
    OpenWedge("2", 4);  // PS/2, TAB
    window->Text1()->setFocus();
    QTest::keyClicks(window->Text1(), "AB");
    QTest::keyClick(window->Text1(), Qt::Key_Tab);
    EXPECT_TRUE(window->Command1()->hasFocus());
    QTest::keyClick(window->Command1(), Qt::Key_C);
    EXPECT_TRUE(window->Text1()->hasFocus());
    EXPECT_EQ(window->Text1()->toPlainText(), "AB\tc");
    EXPECT_EQ(window->TotalPanel()->text(), "Total: 1");
    EXPECT_TRUE(window->isVisible());  // the key on Exit did not press it
}

TEST_F(TestWindowTest, EscapeTerminatorCountsAndLeavesTheWindowOpen) {
    OpenWedge("2", 6);
    QTest::keyClicks(window->Text1(), "X9");
    QTest::keyClick(window->Text1(), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->TotalPanel()->text(), "Total: 1");
    QTest::mouseClick(window->Command1(), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
}

TEST(TestWindowLanguage, JapaneseTextsAndFont) {
    AppState state;
    state.Settings = ParseSettings("");
    state.Settings.InterfaceIndex = "1";
    VirtualPump pump;
    qsptest::FakeMainView mainView;
    const InterfaceText japanese(Language::Japanese);
    SerialLink serial(state, pump, mainView, [] { return std::unique_ptr<SerialPort>(); });
    TestWindow window(state, pump, japanese, serial, QSP_PICTURE_DIR);
    EXPECT_EQ(window.Text1()->font().family(), JapaneseFontFamily());
    EXPECT_EQ(window.Command1()->font().family(), JapaneseFontFamily());
    EXPECT_EQ(window.Text1()->toolTip().toStdString(), japanese.LoadText(184));
}

}  // namespace
}  // namespace qsp
