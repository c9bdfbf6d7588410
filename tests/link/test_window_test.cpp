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

#include "base/window_style.h"
#include "link/test_window.h"
#include "link_rig.h"

namespace qsp {
namespace {

struct TestWindowTest : ::testing::Test, qsptest::Rig {
    TestWindowTest() { state.Settings.UsbDelay = "0"; }
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
    QPointer<TestWindow> window;
};

TEST_F(TestWindowTest, MainWindowTestCountsScannedItemsAndEndsWithTestEnds) {
    state.Settings.Automation = true;  // the read finds the scanner by the search
    model.SetSerial(19200, 'N', 8, 1);
    ops.ScannerTest([&] {
        QTimer::singleShot(0, [&] {
            auto* shown = qobject_cast<TestWindow*>(QApplication::activeModalWidget());
            ASSERT_NE(shown, nullptr);
            EXPECT_EQ(shown->windowTitle(), "Test Scanner");
            ASSERT_TRUE(shown->Activate());
            for (const char* code : {"A-1", "B-2", "C-3"})
                Scan(code);
            EXPECT_EQ(shown->LinkPanel()->text(), "RS232 19200,N,8,1  COM1");
            EXPECT_EQ(shown->TotalPanel()->text(), "Total: 3");
            EXPECT_EQ(shown->Text1()->toPlainText(), "A-1\nB-2\nC-3\n");
            EXPECT_EQ(shown->Text1()->toolTip(), "Please scan");
            QTest::keyClick(shown->Text1(), Qt::Key_Q, Qt::AltModifier);
        });
        ShowTestWindow(state, pump, text, link, view, QSP_PICTURE_DIR, nullptr);
    });
    EXPECT_EQ(view.messages.back(), "Test Ends");
    ExpectIdle(kButtonTest);
}

// A keyboard-wedge scanner types into the text box: with CR + LF the return key counts (serial
// text counts the line feed); TAB moves to Exit and comes back with the next character; ESC
// counts and leaves the window open.
TEST_F(TestWindowTest, KeyboardScannerTypesIntoTheTextBox) {
    OpenWedge("1", 3);  // USB, CR + LF
    EXPECT_EQ(window->LinkPanel()->text(), "USB  Please Scanner");
    QTest::keyClicks(window->Text1(), "4711");
    EXPECT_EQ(window->TotalPanel()->text(), "");
    QTest::keyClick(window->Text1(), Qt::Key_Return);
    QTest::keyClicks(window->Text1(), "0815");
    QTest::keyClick(window->Text1(), Qt::Key_Return);
    EXPECT_EQ(window->TotalPanel()->text(), "Total: 2");
    EXPECT_EQ(window->Text1()->toPlainText(), "4711\n0815\n");
    delete window.data();

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
    delete window.data();

    OpenWedge("2", 6);  // PS/2, ESC
    QTest::keyClicks(window->Text1(), "X9");
    QTest::keyClick(window->Text1(), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->TotalPanel()->text(), "Total: 1");
    QTest::mouseClick(window->Command1(), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(TestWindowTest, JapaneseTextsAndFont) {
    const InterfaceText japanese(Language::Japanese);
    TestWindow w(state, pump, japanese, link.Serial(), QSP_PICTURE_DIR);
    EXPECT_EQ(w.Text1()->font().family(), JapaneseFontFamily());
    EXPECT_EQ(w.Text1()->toolTip().toStdString(), japanese.LoadText(184));
}

}  // namespace
}  // namespace qsp
