// The update settings window on the offscreen platform: what each mode and link shows, the
// update type's immediate effect, what "EXIT [OK]" saves, the path dialog and the Test switch.

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include "app/window_style.h"
#include "link/fakes.h"
#include "update/update_settings_window.h"

namespace {

using qsp::UpdateSettingsMode;

class DialogPrompt : public qsptest::FakePrompt {
public:
    std::optional<std::string> OpenFileName(const qsp::FileDialogRequest& request) override {
        requests.push_back(request);
        return chosen;
    }
    qsp::PromptAnswer MessageBox(const std::string& text, const std::string& title,
                                 qsp::PromptIcon icon, qsp::PromptButtons buttons) override {
        FakePrompt::MessageBox(text, title, icon, buttons);
        return answer;
    }
    std::vector<qsp::FileDialogRequest> requests;
    std::optional<std::string> chosen;
    qsp::PromptAnswer answer = qsp::PromptAnswer::Ok;
};

struct Fixture {
    explicit Fixture(const std::string& interface = "0",
                     qsp::Language language = qsp::Language::Neutral)
        : text(language) {
        state.Settings = qsp::ParseSettings("");
        state.Settings.InterfaceIndex = interface;
        state.Settings.UpdateFilesPath = "/fw/KTXA.bin";
        state.Settings.TestCount = false;
    }
    std::unique_ptr<qsp::UpdateSettingsWindow> Open(UpdateSettingsMode mode) {
        auto w = std::make_unique<qsp::UpdateSettingsWindow>(state, prompt, text, mode);
        w->show();
        return w;
    }
    qsp::AppState state;
    DialogPrompt prompt;
    qsp::InterfaceText text;
};

int VisibleLists(qsp::UpdateSettingsWindow& w) {
    int n = 0;
    for (int i = 0; i < 6; ++i)
        n += w.Combo1(i)->isVisible() ? 1 : 0;
    return n;
}

TEST(UpdateSettingsWindow, WhatEachModeAndLinkShows) {
    Fixture f;
    auto system = f.Open(UpdateSettingsMode::System);
    EXPECT_EQ(system->windowTitle(), "System Setting");
    EXPECT_EQ(VisibleLists(*system), 5);
    EXPECT_TRUE(system->Check1()->isVisible());
    EXPECT_EQ(system->Text1(1)->text(), "200");
    EXPECT_TRUE(system->Text1(1)->isVisible());
    EXPECT_FALSE(system->Frame1()->isVisible());
    EXPECT_FALSE(system->MenuOpenUpdatePath()->isVisible());
    EXPECT_EQ(system->Canvas()->height(), qsp::TwipsToPixels(3120));

    auto update = f.Open(UpdateSettingsMode::Update);
    EXPECT_EQ(VisibleLists(*update), 6);
    EXPECT_TRUE(update->Frame1()->isVisible());
    EXPECT_EQ(update->Text1(0)->text(), "/fw/KTXA.bin");
    EXPECT_FALSE(update->Text1(1)->isVisible());

    EXPECT_FALSE(f.Open(UpdateSettingsMode::None)->Text1(1)->isVisible());

    // USB: only its delay and OK, whatever the mode; "EXIT [OK]" saves only that delay.
    Fixture usb(" 1");
    auto w = usb.Open(UpdateSettingsMode::Update);
    EXPECT_EQ(VisibleLists(*w), 0);
    EXPECT_FALSE(w->Check1()->isVisible());
    EXPECT_TRUE(w->Text1(2)->isVisible());
    EXPECT_FALSE(w->Text1(3)->isVisible());
    w->Text1(2)->setText("9");
    w->Combo1(1)->setEditText("300");
    w->ExitOk();
    EXPECT_EQ(usb.state.Settings.UsbDelay, "9");
    EXPECT_EQ(usb.state.Settings.BaudRate, "9600");
    EXPECT_FALSE(usb.state.UpdateConfirmed);
}

TEST(UpdateSettingsWindow, UpdateTypeActsAtOnceAndItsRateIsNeverSaved) {
    Fixture f;
    {
        auto w = f.Open(UpdateSettingsMode::Update);
        w->Combo1(5)->setCurrentIndex(1);
        emit w->Combo1(5)->activated(1);
        EXPECT_EQ(w->Combo1(1)->currentText(), "115200");
        w->close();  // without "EXIT [OK]": only the type has changed
    }
    EXPECT_EQ(f.state.UpdateType, qsp::kUpdateYmodem);
    EXPECT_FALSE(f.state.UpdateConfirmed);
    f.Open(UpdateSettingsMode::Update)->ExitOk();
    EXPECT_EQ(f.state.Settings.BaudRate, "9600");
    EXPECT_TRUE(f.state.UpdateConfirmed);
    EXPECT_EQ(f.state.Settings.Rs232Delay, 200);  // hidden, saved back unchanged
    {
        auto w = f.Open(UpdateSettingsMode::Update);
        EXPECT_EQ(w->Combo1(5)->currentText(), "Y-modem");
        emit w->Combo1(5)->activated(0);
        EXPECT_EQ(w->Combo1(1)->currentText(), "9600");
        w->Combo1(1)->setCurrentIndex(w->Combo1(1)->findText("2400"));
        w->Check1()->setChecked(true);
        // Typing into a list does nothing.
        QTest::keyClicks(w->Combo1(0), "9");
        QTest::keyClick(w->Combo1(3), Qt::Key_Down);
        EXPECT_EQ(w->Combo1(0)->currentText(), "1");
        EXPECT_EQ(w->Combo1(3)->currentText(), "8 bits");
        QTest::mouseClick(w->Command1(0), Qt::LeftButton);
    }
    EXPECT_EQ(f.state.Settings.BaudRate, "2400");
    EXPECT_TRUE(f.state.Settings.Automation);
    EXPECT_EQ(f.state.UpdateType, qsp::kUpdateKtx);
    auto w = f.Open(UpdateSettingsMode::System);
    w->Text1(1)->setText("abc");
    w->MenuExit()->trigger();
    EXPECT_EQ(f.state.Settings.Rs232Delay, 0);
}

TEST(UpdateSettingsWindow, PathDialogKeepsFoldersAndTakesFiles) {
    Fixture f;
    f.state.Settings.UpdateFilesPath = "D:\\fw\\";
    auto w = f.Open(UpdateSettingsMode::Update);
    w->OpenUpdatePath();  // cancelled
    ASSERT_EQ(f.prompt.requests.size(), 1u);
    EXPECT_EQ(f.prompt.requests[0].initialPath, "D:\\fw\\*.bin");
    EXPECT_EQ(f.prompt.requests[0].filter, "(*.bin)|*.bin;*.BIN");
    EXPECT_EQ(w->Text1(0)->text(), "D:\\fw\\");
    f.prompt.chosen = "/home/u/KTXC.bin";
    w->MenuOpenUpdatePath()->trigger();
    EXPECT_EQ(w->Text1(0)->text(), "/home/u/KTXC.bin");
    f.prompt.chosen = "/home/u/other/*.bin";
    w->OpenUpdatePath();
    EXPECT_EQ(w->Text1(0)->text(), "/home/u/other/");
}

TEST(UpdateSettingsWindow, HiddenLabelSwitchesTheTestCount) {
    Fixture f;
    auto w = f.Open(UpdateSettingsMode::System);
    QTest::mouseDClick(w->Label2(), Qt::LeftButton);
    ASSERT_EQ(f.prompt.boxes.size(), 1u);
    EXPECT_EQ(f.prompt.boxes[0].title, "Change");
    EXPECT_EQ(f.prompt.boxes[0].text, "The Test is check run.\n [ False ]");
    QTest::mouseDClick(w->Label2(), Qt::LeftButton);
    EXPECT_EQ(f.prompt.boxes[1].text, "The Test is check run.\n [ True ]");
    EXPECT_FALSE(f.state.Settings.TestCount);
    f.prompt.answer = qsp::PromptAnswer::Cancel;
    QTest::mouseDClick(w->Label2(), Qt::LeftButton);
    EXPECT_FALSE(f.state.Settings.TestCount);
}

TEST(UpdateSettingsWindow, JapaneseCaptionsAndFonts) {
    Fixture f("0", qsp::Language::Japanese);
    auto w = f.Open(UpdateSettingsMode::Update);
    EXPECT_EQ(w->Label1(0)->text().toStdString(), f.text.LoadText(193));
    EXPECT_EQ(w->Label1(0)->font().family(), qsp::JapaneseFontFamily());
    EXPECT_EQ(w->Text1(0)->font().family(), qsp::JapaneseFontFamily());
}

}  // namespace
