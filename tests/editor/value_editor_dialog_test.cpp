// The value editor dialog on the offscreen platform: what it shows and what its buttons and keys
// leave in the scratch buffer.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "catalogue/catalogue_text.h"
#include "editor/value_editor_dialog.h"

namespace qsp {
namespace {

// The dialog shown on one row's byte (and `second` for a two-character row), in English.
struct Shown {
    const InterfaceText english;
    ScratchBytes scratch{};
    ValueEditorModel model;
    ValueEditorDialog dialog;

    Shown(int page, EditDescriptor edit, const char* label, std::uint8_t byte,
          std::uint8_t second = 0)
        : scratch{byte, second}, model(page, edit, label, scratch), dialog(model, english) {
        dialog.show();
    }
    QComboBox* Combo() { return dialog.findChild<QComboBox*>("Combo1"); }
    QLineEdit* Text1() { return dialog.findChild<QLineEdit*>("Text1"); }
    QPushButton* Button(int i) {
        return dialog.findChild<QPushButton*>(QString("Command1_%1").arg(i));
    }
};

TEST(ValueEditorDialog, ShowsTheListHintAndCorrectionAndCancelKeepsIt) {
    Shown s(1, {140, 9, 2}, "Interface", 2);
    EXPECT_EQ(s.dialog.windowTitle(), "Setting : Interface");
    ASSERT_TRUE(s.Combo()->isVisible());
    EXPECT_FALSE(s.Text1()->isVisible());
    EXPECT_EQ(s.Combo()->currentText(), "RS232");
    EXPECT_EQ(s.dialog.findChild<QLabel*>("Label2")->text().toStdString(), s.english.LoadText(208));

    QTest::mouseClick(s.Button(2), Qt::LeftButton);
    EXPECT_FALSE(s.dialog.isVisible());
    EXPECT_EQ(s.scratch[0], 1);

    // A row the editor does not edit: the dialog returns at once and changes nothing.
    ScratchBytes scratch{2};
    ValueEditorModel closed(1, {140, 9, 0}, "Interface", scratch);
    ValueEditorDialog dialog(closed, s.english);
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(scratch[0], 2);
}

TEST(ValueEditorDialog, NullEnterAndOk) {
    Shown s(1, {150, 9, 3}, "Reading Mode", 0);
    EXPECT_EQ(s.Combo()->currentIndex(), -1);
    EXPECT_EQ(s.Combo()->currentText(), "Null");
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

// Text typed into the list counts when it equals an entry exactly, as the dialog's language
// shows it; any other text brings the first selection back on Enter or "OK".
TEST(ValueEditorDialog, TypedListText) {
    const std::uint8_t testMode = 4;  // Reading Mode "Test Mode", entry 3
    struct Case {
        Language language;
        int entry;  // the entry typed, or -1
        const char* other;
        bool enter;
    };
    const Case cases[] = {{Language::Neutral, 1, "", true},
                          {Language::Neutral, 0, "", false},
                          {Language::Japanese, 1, "", false},
                          {Language::Neutral, -1, "test mode", true},
                          {Language::Neutral, -1, "Test Mode ", false}};
    for (const Case& c : cases) {
        ScratchBytes scratch{testMode};
        ValueEditorModel model(1, {150, 9, 3}, "Reading Mode", scratch);
        const InterfaceText text(c.language);
        ValueEditorDialog dialog(model, text);
        dialog.show();
        auto* edit = dialog.findChild<QComboBox*>("Combo1")->lineEdit();
        const std::string typed =
            c.entry < 0 ? c.other : CatalogueText(c.language)(model.Options()[c.entry]);
        SCOPED_TRACE(typed);
        edit->clear();
        for (QChar ch : QString::fromStdString(typed))
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, ch, {});
        if (c.enter) QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        QTest::mouseClick(dialog.findChild<QPushButton*>("Command1_1"), Qt::LeftButton);
        // What choosing the entry (or, for other text, the first selection) and OK store.
        ScratchBytes expected{testMode};
        ValueEditorModel chosen(1, {150, 9, 3}, "Reading Mode", expected);
        chosen.Choose(c.entry < 0 ? chosen.InitialIndex() : c.entry);
        chosen.Ok();
        EXPECT_EQ(scratch[0], expected[0]);
        if (c.entry >= 0) {
            EXPECT_NE(scratch[0], testMode);
        }
    }
}

// A two-character row takes at most two characters; OK stores them, a position left empty (or
// Default, whatever was typed) stores 255.
TEST(ValueEditorDialog, TwoCharacterEntry) {
    // clang-format off
    struct Case { std::uint8_t first, second; const char *shows, *typed; int button, stored; };
    const Case cases[] = {
        {'A', 255, "A", "xyz", 1, 'x' << 8 | 'y'}, {255, 'B', "B", "c", 1, 'c' << 8 | 0xFF},
        {'A', 'B', "AB", "\xC3\xA9x", 1, 0xE9 << 8 | 'x'},  // \xE9 in the scanner's code page
        {'A', 'B', "AB", "", 1, 0xFFFF}, {'A', 'B', "AB", "zz", 0, 0xFFFF},
    };
    // clang-format on
    for (const Case& c : cases) {
        Shown s(7, {3, 12, 5}, "Set Code ID (Code 39)", c.first, c.second);
        ASSERT_TRUE(s.Text1()->isVisible());
        EXPECT_EQ(s.Text1()->text(), QString::fromUtf8(c.shows));
        s.Text1()->clear();
        for (QChar typed : QString::fromUtf8(c.typed))
            QTest::sendKeyEvent(QTest::Click, s.Text1(), Qt::Key_unknown, typed, {});
        EXPECT_LE(s.Text1()->text().size(), 2);  // the box takes no third character
        QTest::mouseClick(s.Button(c.button), Qt::LeftButton);
        EXPECT_EQ(s.scratch[0] << 8 | s.scratch[1], c.stored) << c.shows << " " << c.typed;
    }
    // Enter in the box is OK, whether the characters were typed or were there already.
    for (const char* typed : {"AB", ""}) {
        Shown s(7, {3, 12, 5}, "Set Code ID (Code 39)", '{', '}');
        ASSERT_TRUE(QTest::qWaitForWindowActive(&s.dialog));
        if (*typed) {
            s.Text1()->clear();
            QTest::keyClicks(s.Text1(), typed);
        }
        QTest::keyClick(s.Text1(), Qt::Key_Return);
        EXPECT_FALSE(s.dialog.isVisible());
        EXPECT_EQ(s.scratch[0] << 8 | s.scratch[1], *typed ? 'A' << 8 | 'B' : '{' << 8 | '}');
    }
}

}  // namespace
}  // namespace qsp
