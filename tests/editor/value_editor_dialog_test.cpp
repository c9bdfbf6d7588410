// The value editor dialog on the offscreen platform: what it shows and what its buttons and keys
// leave in the scratch buffer.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/window_style.h"
#include "editor/value_editor_dialog.h"

namespace qsp {
namespace {

struct Shown {
    ScratchBytes scratch{};
    ValueEditorModel model;
    ValueEditorDialog dialog;

    Shown(int page, EditDescriptor edit, const char* label, std::uint8_t byte,
          const InterfaceText& text, std::uint8_t second = 0)
        : scratch{byte, second}, model(page, edit, label, scratch), dialog(model, text) {
        dialog.show();
    }
    template <typename T>
    T* Find(const char* name) {
        return dialog.findChild<T*>(name);
    }
    QComboBox* Combo() { return Find<QComboBox>("Combo1"); }
    QPushButton* Button(int i) {
        return Find<QPushButton>(qPrintable(QString("Command1_%1").arg(i)));
    }
};

TEST(ValueEditorDialog, ShowsTheListHintAndCorrectionAndCancelKeepsIt) {
    const InterfaceText english;
    Shown s(1, {140, 9, 2}, "Interface", 2, english);
    EXPECT_EQ(s.dialog.windowTitle(), "Setting : Interface");
    EXPECT_EQ(s.Find<QLabel>("Label1")->text(), "Interface");
    ASSERT_TRUE(s.Combo()->isVisible());
    EXPECT_FALSE(s.Find<QLineEdit>("Text1")->isVisible());
    EXPECT_EQ(s.Combo()->count(), 3);
    EXPECT_EQ(s.Combo()->currentText(), "RS232");
    EXPECT_TRUE(s.Find<QLabel>("Label2")->isVisible());
    EXPECT_EQ(s.Find<QLabel>("Label2")->text().toStdString(), english.LoadText(208));
    EXPECT_EQ(s.Button(2)->text(), "Cancel");

    QTest::mouseClick(s.Button(2), Qt::LeftButton);
    EXPECT_FALSE(s.dialog.isVisible());
    EXPECT_EQ(s.scratch[0], 1);
}

TEST(ValueEditorDialog, NullEnterAndOk) {
    const InterfaceText english;
    Shown s(1, {150, 9, 3}, "Reading Mode", 0, english);
    EXPECT_EQ(s.Combo()->currentIndex(), -1);
    EXPECT_EQ(s.Combo()->placeholderText(), "Null");
    ASSERT_TRUE(QTest::qWaitForWindowActive(&s.dialog));
    s.Combo()->setFocus();
    QTest::keyClick(s.Combo(), Qt::Key_Return);
    EXPECT_TRUE(s.Button(1)->hasFocus());
    EXPECT_TRUE(s.dialog.isVisible());  // Enter in the list does not close the dialog
    EXPECT_EQ(s.Combo()->currentIndex(), -1);

    s.Combo()->setCurrentIndex(3);  // "Test Mode"
    QTest::mouseClick(s.Button(1), Qt::LeftButton);
    EXPECT_FALSE(s.dialog.isVisible());
    EXPECT_EQ(s.scratch[0], 4);
}

TEST(ValueEditorDialog, TwoCharacterEntry) {
    const InterfaceText english;
    Shown s(7, {3, 12, 5}, "Set Code ID (Code 39)", 'A', english, 255);
    auto* text1 = s.Find<QLineEdit>("Text1");
    ASSERT_TRUE(text1->isVisible());
    EXPECT_FALSE(s.Combo()->isVisible());
    EXPECT_EQ(text1->toolTip(), "Max 2 bytes");
    EXPECT_EQ(text1->text(), "A");
    text1->clear();
    QTest::keyClicks(text1, "xyz");
    EXPECT_EQ(text1->text(), "xy");
    QTest::mouseClick(s.Button(1), Qt::LeftButton);
    EXPECT_EQ(s.scratch[0], 'x');
    EXPECT_EQ(s.scratch[1], 'y');
}

TEST(ValueEditorDialog, JapaneseFontRowZeroAndScaling) {
    const InterfaceText japanese(Language::Japanese);
    Shown s(5, {142, 9, 1}, "Baud Rate", 22, japanese);
    EXPECT_EQ(s.Combo()->font().family(), JapaneseFontFamily());
    EXPECT_EQ(s.Button(2)->text().toStdString(), japanese.LoadText(166));
    const int comboWidth = s.Combo()->width();
    s.dialog.resize(s.dialog.width() * 2, s.dialog.height());
    EXPECT_NEAR(s.Combo()->width(), comboWidth * 2, 2);

    ScratchBytes scratch{2};
    ValueEditorModel closed(1, {140, 9, 0}, "Interface", scratch);
    ValueEditorDialog dialog(closed, InterfaceText());
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);  // returns at once, nothing changed
    EXPECT_EQ(scratch[0], 2);
}

}  // namespace
}  // namespace qsp
