#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <fstream>

#include "app/main_window.h"
#include "base/file_io.h"
#include "base/virtual_pump.h"
#include "base/window_style.h"
#include "test_support/temp_dir.h"

namespace qsp {
namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void Start(Language language = Language::Neutral, const std::string& settings = "") {
        if (!settings.empty()) std::ofstream(dir.path() / "HW_Path.int") << settings;
        text = std::make_unique<InterfaceText>(language);
        state.SettingsDir = dir.path();
        std::ofstream(dir.path() / "ZUR-HelpENGH.html") << "<html></html>";
        window = std::make_unique<MainWindow>(state, *text, pump, dir.path());
        state.Settings = LoadSettingsFile(dir.path());
        window->Load();
        MainWindowCommands commands;
        commands.update = [this] { ++updates; };
        commands.openHelp = [this](const std::filesystem::path& p) { helpOpened.push_back(p); };
        window->SetCommands(commands);
        window->show();
        QApplication::setActiveWindow(window.get());
        QTest::qWait(10);
    }
    std::string SettingsFile() {
        return ReadWholeFile(dir.path() / "HW_Path.int").value_or("<none>");
    }
    QListWidget* Messages() { return window->MessageList(); }

    test_support::TempDir dir;
    AppState state;
    VirtualPump pump;
    std::unique_ptr<InterfaceText> text;
    std::unique_ptr<MainWindow> window;
    int updates = 0;
    std::vector<std::filesystem::path> helpOpened;
};

TEST_F(MainWindowTest, TheStoredOrChosenInterfaceShowsItsControlsAndIsWrittenAtExit) {
    Start(Language::Neutral, "C:\\\r\n 2\r\n");
    EXPECT_EQ(window->windowTitle(), "QSP - v2.01");
    EXPECT_TRUE(window->Option(2)->isChecked());
    EXPECT_TRUE(window->LinkLabel()->isHidden());
    EXPECT_TRUE(window->Command(kButtonMoreSet)->isHidden());
    // Read from the file, the interface text is kept as it stands.
    EXPECT_EQ(state.Settings.InterfaceIndex, " 2");
    EXPECT_EQ(window->Command(kButtonSetup)->toolTip(), "Scanner Parameters Setup");
    QStringList menus;
    for (QAction* a : window->menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, (QStringList{"Interface(&F)", "Operation(&O)", "Help(F1)"}));

    QTest::keyClick(window.get(), Qt::Key_R, Qt::ControlModifier);
    EXPECT_TRUE(window->Option(0)->isChecked());
    EXPECT_FALSE(window->Command(kButtonMoreSet)->isHidden());
    EXPECT_EQ(window->LinkLabel()->text(), "COM 1 , 9600 , None , 8 bits , 1 bit");
    QTest::mouseClick(window->Option(1), Qt::LeftButton, {},
                      QPoint(8, window->Option(1)->height() / 2));
    EXPECT_EQ(state.Settings.InterfaceIndex, " 1");
    EXPECT_TRUE(window->Command(kButtonMoreSet)->isHidden());
    // A click on a picture chooses its interface too.
    QTest::mouseClick(window->findChild<QLabel*>("Picture1_2"), Qt::LeftButton);
    EXPECT_TRUE(window->Option(2)->isChecked());
    EXPECT_EQ(state.Settings.InterfaceIndex, " 2");
    QTest::keyClick(window.get(), Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(state.Settings.InterfaceIndex, " 1");

    QTest::mouseClick(window->Command(kButtonExit), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    const std::string file = SettingsFile();
    EXPECT_EQ(file.substr(0, file.find("\r\n", 5) + 2), "C:\\\r\n 1\r\n");
}

TEST_F(MainWindowTest, EveryWayOutWritesTheSettingsAndASecondCopyWritesNothing) {
    for (int way = 0; way < 3; ++way) {  // Ctrl+E, the close box, a second copy closing
        window.reset();
        Start();
        std::ofstream(dir.path() / "HW_Path.int") << "old";
        state.SecondInstance = way == 2;
        if (way == 0) QTest::keyClick(window.get(), Qt::Key_E, Qt::ControlModifier);
        if (way > 0) window->close();
        EXPECT_FALSE(window->isVisible()) << way;
        EXPECT_EQ(SettingsFile() == "old", way == 2) << way;
    }
}

TEST_F(MainWindowTest, LockingDisablesEveryCommandAndHelpUntilUnlocked) {
    Start();
    window->LockMainWindow();
    for (int i = 0; i < 6; ++i)
        EXPECT_FALSE(window->Command(i)->isEnabled()) << i;
    EXPECT_FALSE(window->findChild<QGroupBox*>("Frame1")->isEnabled());
    for (QAction* a : window->menuBar()->actions())
        EXPECT_FALSE(a->isEnabled());
    EXPECT_TRUE(window->Lock().PollRunning());
    QTest::keyClick(window.get(), Qt::Key_F1);
    EXPECT_TRUE(helpOpened.empty());
    // Shortcuts of disabled menus do nothing.
    QTest::keyClick(window.get(), Qt::Key_B, Qt::ControlModifier);
    EXPECT_TRUE(window->Option(0)->isChecked());
    // The close box does not end the program in the middle of an operation.
    window->close();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(SettingsFile(), "");

    window->UnlockMainWindow(kButtonTest);
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(window->Command(i)->isEnabled()) << i;
    EXPECT_FALSE(window->Lock().PollRunning());
    EXPECT_TRUE(window->Command(kButtonTest)->hasFocus());
    QTest::keyClick(window.get(), Qt::Key_F1);
    EXPECT_EQ(helpOpened, std::vector{dir.path() / "ZUR-HelpENGH.html"});
}

TEST_F(MainWindowTest, UpdateIsRefusedOffTheSerialLinkAndMessagesAreListedAndCleared) {
    Start();
    QTest::mouseClick(window->Command(kButtonUpdate), Qt::LeftButton);
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(Messages()->count(), 0);

    window->SelectInterface(2);
    QTest::mouseClick(window->Command(kButtonUpdate), Qt::LeftButton);
    QTest::keyClick(window.get(), Qt::Key_U, Qt::ControlModifier);
    EXPECT_EQ(updates, 1);
    ASSERT_EQ(Messages()->count(), 2);
    EXPECT_EQ(Messages()->item(1)->text(), "This function is unavailable for this interface.");

    // The progress display shows while a transfer runs and goes away after it.
    auto* schedule = window->findChild<QLabel*>("Schedule");
    window->SetProgress(36, 72);
    EXPECT_EQ(schedule->isHidden() ? "" : schedule->text(), "50%");
    window->SetProgress(0, 0);
    EXPECT_TRUE(schedule->isHidden());

    window->AddMessage("last");
    EXPECT_EQ(Messages()->currentRow(), 2);
    QTest::keyClick(window.get(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Messages()->count(), 0);
}

TEST_F(MainWindowTest, ControlsScaleWithTheWindowAndFocusedButtonsChangeColour) {
    Start();
    QWidget* area = window->centralWidget();
    const QSize before = area->size();
    const QRect setup = window->Command(kButtonSetup)->geometry();
    window->resize(window->width() + before.width(), window->height() + before.height());
    QTest::qWait(10);
    const QSize after = area->size();
    ASSERT_EQ(after, before * 2);
    const QRect scaled = window->Command(kButtonSetup)->geometry();
    EXPECT_NEAR(scaled.left(), setup.left() * 2, 1);
    EXPECT_NEAR(scaled.height(), setup.height() * 2, 1);

    window->Command(kButtonClear)->setFocus();
    QTest::qWait(1);
    EXPECT_NE(window->Command(kButtonClear)->styleSheet().indexOf("rgb(192, 192, 255)"), -1);
    window->Command(kButtonSetup)->setFocus();
    QTest::qWait(1);
    EXPECT_EQ(window->Command(kButtonClear)->styleSheet(), "");
    // The message list shows that it has the focus, empty as it is.
    const QImage unfocused = Messages()->grab().toImage();
    Messages()->setFocus();
    QTest::qWait(1);
    EXPECT_NE(Messages()->grab().toImage(), unfocused);
}

// Tab goes through the window in reading order: the links and More Set in their frame, the
// commands from the top down, the messages. Enter presses the focused button.
TEST_F(MainWindowTest, TabFollowsTheReadingOrderAndEnterPressesTheFocusedButton) {
    Start(Language::Neutral, "C:\\\r\n 0\r\n");
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->Option(0)->setFocus();
    const std::vector<QWidget*> order = {window->Command(kButtonMoreSet),
                                         window->Command(kButtonSetup),
                                         window->Command(kButtonUpdate),
                                         window->Command(kButtonTest),
                                         window->Command(kButtonClear),
                                         window->Command(kButtonExit),
                                         Messages(),
                                         window->Option(0)};
    for (QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
    window->AddMessage("shown");
    window->Command(kButtonClear)->setFocus();
    QTest::keyClick(window->Command(kButtonClear), Qt::Key_Return);
    EXPECT_EQ(Messages()->count(), 0);
}

TEST_F(MainWindowTest, JapaneseUsesACjkFontAndATallMessageList) {
    Start(Language::Japanese);
    const QString family = window->MessageList()->font().family();
    EXPECT_EQ(family, JapaneseFontFamily());
    EXPECT_EQ(window->Command(kButtonSetup)->font().family(), family);
    // The message list is made 6885 twips tall, and the window still fits the screen: it opens
    // no taller than the screen's free area, and the controls scale with it.
    EXPECT_EQ(window->MessageList()->property("layoutTag").toString().split(' ').value(3),
              QString::number(6885 / 15));
    EXPECT_TRUE(window->MessageList()->geometry().bottom() <= window->centralWidget()->height());
    EXPECT_LE(window->height(), window->screen()->availableGeometry().height());
    // The serial settings read in the window's language; the settings keep the stored words.
    EXPECT_FALSE(window->LinkLabel()->text().contains("None"));
    EXPECT_EQ(state.Settings.DataParity, "None");
}

}  // namespace
}  // namespace qsp
