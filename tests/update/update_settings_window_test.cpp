// The update settings window on the offscreen platform: what each mode and link shows, the
// update type's immediate effect, what "EXIT [OK]" saves, the path dialog and the Test switch.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include "update/update_settings_window.h"
#include "workbench/remembered_path.h"
#include "workbench/settings_fakes.h"

namespace {

using Mode = qsp::UpdateSettingsMode;

struct Fixture : wbtest::ScriptedPrompt {
    explicit Fixture(const std::string& interface = "0") {
        state.Settings = qsp::ParseSettings("");
        state.Settings.InterfaceIndex = interface;
        state.Settings.UpdateFilesPath = "D:\\fw\\";
        state.Settings.TestCount = false;
    }
    std::unique_ptr<qsp::UpdateSettingsWindow> Open(Mode mode) {
        auto w = std::make_unique<qsp::UpdateSettingsWindow>(state, *this, text, mode);
        w->show();
        return w;
    }
    qsp::AppState state;
    qsp::InterfaceText text;
};

int VisibleLists(qsp::UpdateSettingsWindow& w) {
    int n = 0;
    for (int i = 0; i < 6; ++i)
        n += w.Combo1(i)->isVisible();
    return n;
}

TEST(UpdateSettingsWindow, WhatEachModeAndLinkShows) {
    Fixture f;
    auto system = f.Open(Mode::System);
    EXPECT_EQ(system->windowTitle(), "System Setting");
    EXPECT_EQ(VisibleLists(*system), 5);
    EXPECT_EQ(system->Text1(1)->text(), "200");
    EXPECT_FALSE(system->Frame1()->isVisible());
    auto update = f.Open(Mode::Update);
    EXPECT_EQ(VisibleLists(*update), 6);
    EXPECT_TRUE(update->Frame1()->isVisible());
    EXPECT_FALSE(update->Text1(1)->isVisible());

    // USB: only its delay and OK, whatever the mode; "EXIT [OK]" saves only that delay.
    Fixture usb(" 1");
    auto w = usb.Open(Mode::Update);
    EXPECT_EQ(VisibleLists(*w), 0);
    EXPECT_TRUE(w->Text1(2)->isVisible());
    w->Text1(2)->setText("9");
    w->Combo1(1)->setEditText("300");
    w->ExitOk();
    EXPECT_EQ(usb.state.Settings.UsbDelay, "9");
    EXPECT_EQ(usb.state.Settings.BaudRate, "9600");
}

TEST(UpdateSettingsWindow, UpdateTypeActsAtOnceAndItsRateIsNeverSaved) {
    Fixture f;
    {
        auto w = f.Open(Mode::Update);
        emit w->Combo1(5)->activated(1);
        EXPECT_EQ(w->Combo1(1)->currentText(), "115200");
        w->close();  // without "EXIT [OK]": only the type has changed
    }
    EXPECT_EQ(f.state.UpdateType, qsp::kUpdateYmodem);
    EXPECT_FALSE(f.state.UpdateConfirmed);
    f.Open(Mode::Update)->ExitOk();
    EXPECT_EQ(f.state.Settings.BaudRate, "9600");
    EXPECT_TRUE(f.state.UpdateConfirmed);
    {
        auto w = f.Open(Mode::Update);
        emit w->Combo1(5)->activated(0);
        w->Combo1(1)->setCurrentIndex(w->Combo1(1)->findText("2400"));
        w->Check1()->setChecked(true);
        QTest::mouseClick(w->Command1(0), Qt::LeftButton);
    }
    EXPECT_EQ(f.state.Settings.BaudRate, "2400");
    EXPECT_TRUE(f.state.Settings.Automation);
    EXPECT_EQ(f.state.UpdateType, qsp::kUpdateKtx);
    auto w = f.Open(Mode::System);
    w->Text1(1)->setText("abc");
    w->MenuExit()->trigger();
    EXPECT_EQ(f.state.Settings.Rs232Delay, 0);
}

// Keyboard: Tab in reading order (the lists, Automation, OK, then the path frame), arrows move
// through a list (on the update type, a move counts as its click), typing is refused, and Escape
// leaves the window unsaved.
TEST(UpdateSettingsWindow, ListsTakeArrowsAndEscapeButNoTyping) {
    Fixture f;
    auto w = f.Open(Mode::Update);
    QApplication::setActiveWindow(w.get());
    w->Combo1(0)->setFocus();
    for (QWidget* next :
         {(QWidget*)w->Combo1(1), (QWidget*)w->Combo1(2), (QWidget*)w->Combo1(3),
          (QWidget*)w->Combo1(4), (QWidget*)w->Combo1(5), (QWidget*)w->Check1(),
          (QWidget*)w->Command1(0), (QWidget*)w->Text1(0), (QWidget*)w->Command1(1)}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
    QComboBox* baud = w->Combo1(1);
    QComboBox* type = w->Combo1(5);
    for (auto [list, key, rate] : {std::tuple{baud, Qt::Key_Down, "4800"},
                                   {baud, Qt::Key_Up, "9600"},
                                   {baud, Qt::Key_Up, "19200"},
                                   {baud, Qt::Key_Backspace, "19200"},
                                   {type, Qt::Key_Down, "115200"},
                                   {type, Qt::Key_Up, "9600"},
                                   {baud, Qt::Key_Down, "4800"}}) {
        list->setFocus();
        if (key == Qt::Key_Backspace) QTest::keyClicks(baud, "9x");
        QTest::keyClick(list, key);
        EXPECT_EQ(baud->currentText(), rate) << key;
        if (rate == std::string("115200")) {
            EXPECT_EQ(f.state.UpdateType, qsp::kUpdateYmodem);
        }
    }
    // F4, Alt+Down and Space open the list; Escape closes it, and then the window.
    for (auto [key, modifier] :
         {std::pair{Qt::Key_F4, Qt::NoModifier}, std::pair{Qt::Key_Down, Qt::AltModifier},
          std::pair{Qt::Key_Space, Qt::NoModifier}}) {
        QTest::keyClick(baud, key, modifier);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(baud->view()->window())) << key;
        QTest::keyClick(baud->view(), Qt::Key_Escape);
        EXPECT_FALSE(baud->view()->isVisible());
        EXPECT_TRUE(w->isVisible());
    }
    QTest::keyClick(baud, Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(f.state.Settings.BaudRate, "9600");
    EXPECT_FALSE(f.state.UpdateConfirmed);
}

TEST(UpdateSettingsWindow, PathDialogKeepsFoldersAndTakesFiles) {
    Fixture f;
    auto w = f.Open(Mode::Update);
    // Remembered Windows drive folders ("D:\fw\", the default "C:\") open in the home folder.
    std::string home = qsp::HomeFolder().string();
    if (home.back() != '/') home += '/';
    for (const char* remembered : {"D:\\fw\\", "C:\\"}) {
        f.requests.clear();
        w->Text1(0)->setText(remembered);
        w->OpenUpdatePath();  // cancelled
        ASSERT_EQ(f.requests.size(), 1u);
        EXPECT_EQ(f.requests[0].initialPath, home + "*.bin") << remembered;
        EXPECT_EQ(f.requests[0].filter, "(*.bin)|*.bin;*.BIN");
        EXPECT_EQ(w->Text1(0)->text().toStdString(), home);
    }
    // A file chosen is kept; a folder pattern keeps its folder.
    for (auto [chosen, kept] : {std::pair{"/home/u/KTXC.bin", "/home/u/KTXC.bin"},
                                std::pair{"/home/u/other/*.bin", "/home/u/other/"}}) {
        f.files = {chosen};
        w->MenuOpenUpdatePath()->trigger();
        EXPECT_EQ(w->Text1(0)->text(), kept);
    }
}

TEST(UpdateSettingsWindow, HiddenLabelSwitchesTheTestCount) {
    Fixture f;
    auto w = f.Open(Mode::System);
    QTest::mouseDClick(w->Label2(), Qt::LeftButton);
    QTest::mouseDClick(w->Label2(), Qt::LeftButton);
    ASSERT_EQ(f.boxes.size(), 2u);
    EXPECT_EQ(f.boxes[0].text, "The Test is check run.\n [ False ]");
    EXPECT_EQ(f.boxes[1].text, "The Test is check run.\n [ True ]");
    EXPECT_FALSE(f.state.Settings.TestCount);
    f.answers = {qsp::PromptAnswer::Cancel};
    QTest::mouseDClick(w->Label2(), Qt::LeftButton);
    EXPECT_FALSE(f.state.Settings.TestCount);
}

// The lists show the words in the window's language; the settings keep the English words, and a
// settings file holding the translated words reads back as the English ones.
TEST(UpdateSettingsWindow, ListsShowTranslationsAndStoreTheEnglishWords) {
    Fixture f;
    f.text = qsp::InterfaceText(qsp::Language::TraditionalChinese);
    const qsp::CatalogueText translate(qsp::Language::TraditionalChinese);
    auto w = f.Open(Mode::Update);
    EXPECT_EQ(w->windowTitle().toStdString(), translate("System Setting"));
    EXPECT_EQ(w->Combo1(2)->currentText().toStdString(), translate("None"));
    EXPECT_NE(translate("None"), "None");
    w->Combo1(2)->setCurrentIndex(w->Combo1(2)->findText(QString::fromStdString(translate("Odd"))));
    w->Combo1(3)->setCurrentIndex(0);
    EXPECT_EQ(w->Combo1(5)->itemText(0).toStdString(), translate("KTX - Type"));
    EXPECT_EQ(w->Command1(0)->text(), "確定");
    EXPECT_EQ(w->Command1(0)->toolTip(), "儲存並結束");
    w->ExitOk();
    EXPECT_EQ(f.state.Settings.DataParity, "Odd");
    EXPECT_EQ(f.state.Settings.DataLength, "7 bits");
    EXPECT_EQ(f.state.Settings.StopBits, "1 bit");

    qsp::AppSettings stored = qsp::ParseSettings("");
    stored.DataParity = qsp::CatalogueText(qsp::Language::Japanese)("Even");
    stored.StopBits = translate("2 bits");
    stored.DataLength = "8 bits";
    qsp::UpdateSettingsModel::StoreListTextsInEnglish(stored);
    EXPECT_EQ(stored.DataParity + stored.StopBits + stored.DataLength, "Even2 bits8 bits");
}

}  // namespace
