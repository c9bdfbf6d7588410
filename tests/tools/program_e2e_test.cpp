// The program as the user drives it — main window, settings window, value editor, message
// boxes, the real serial port code — against qsp-scanner-sim on a pseudo-terminal.

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "app/program.h"
#include "e2e_support.h"
#include "workbench/settings_window.h"

namespace {

using namespace e2e;

// Answers every message box with OK (or Yes) and, when `choice` is set, picks that entry in the
// value editor and presses its OK button.
struct ModalAnswerer {
    explicit ModalAnswerer(QString choice = {}) {
        QObject::connect(&timer, &QTimer::timeout, [choice] {
            QWidget* modal = QApplication::activeModalWidget();
            auto* combo = modal ? modal->findChild<QComboBox*>("Combo1") : nullptr;
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                const bool ok = box->standardButtons() & QMessageBox::Ok;
                box->button(ok ? QMessageBox::Ok : QMessageBox::Yes)->click();
            } else if (combo && !choice.isEmpty()) {
                combo->setCurrentIndex(combo->findText(choice));
                modal->findChild<QPushButton*>("Command1_1")->click();
            }
        });
        timer.start(50);
    }
    QTimer timer;
};

qsp::SettingsWindow* OpenSettingsWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* s = qobject_cast<qsp::SettingsWindow*>(w); s && s->isVisible()) return s;
    }
    return nullptr;
}

QTreeWidgetItem* FindItem(QTreeWidget* tree, const QString& prefix) {
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if ((*it)->text(0).trimmed().startsWith(prefix)) return *it;
    }
    return nullptr;
}

// A click (or a double click) of the mouse on an item, as the user makes it.
void ClickItem(QTreeWidget* tree, QTreeWidgetItem* item, bool twice = false) {
    for (QTreeWidgetItem* p = item->parent(); p; p = p->parent())
        p->setExpanded(true);
    tree->scrollToItem(item);
    const QPoint at = tree->visualItemRect(item).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    if (twice) QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
}

QString LastMessage(qsp::MainWindow& window) {
    auto* list = window.MessageList();
    return list->count() ? list->item(list->count() - 1)->text() : QString();
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.Ready());
        state.SettingsDir = dir.path;
        program = std::make_unique<qsp::Program>(state, text, BinDir() / "Picture");
        program->Window().show();
    }
    Folder dir;
    Sim sim{dir.path, {}};
    qsp::AppState state;
    qsp::InterfaceText text;
    std::unique_ptr<qsp::Program> program;

    void TearDown() override {
        // A settings window left open by a failed test goes before the program it belongs to.
        while (qsp::SettingsWindow* left = OpenSettingsWindow())
            delete left;
        // Closed windows are deleted later; that has to happen while the program still exists.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        program.reset();
    }
};

// A port another program holds (its advisory lock, as serial programs share ports) is left
// alone: Setup says it cannot connect, and why.
TEST_F(ProgramTest, SetupOnAPortAnotherProgramHoldsSaysSoAndSendsNothing) {
    const int other = ::open((dir.path / "ports" / "COM1").c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    QTest::mouseClick(program->Window().Command(qsp::kButtonSetup), Qt::LeftButton);
    for (int i = 0; i < 500 && !program->Window().Command(qsp::kButtonSetup)->isEnabled(); ++i)
        QTest::qWait(20);
    ::close(other);
    ASSERT_TRUE(program->Window().Command(qsp::kButtonSetup)->isEnabled());
    auto* list = program->Window().MessageList();
    ASSERT_GE(list->count(), 2);
    EXPECT_EQ(list->item(list->count() - 2)->text(), "Cannot connect to scanner.");
    EXPECT_EQ(LastMessage(program->Window()),
              "the device is in use by another program; nothing was sent to it");
    EXPECT_EQ(OpenSettingsWindow(), nullptr);
    EXPECT_TRUE(sim.Bytes("H>S").empty());
}

TEST_F(ProgramTest, ADisabledSymbologyIsProgrammedIntoTheScanner) {
    QTest::mouseClick(program->Window().Command(qsp::kButtonSetup), Qt::LeftButton);
    for (int i = 0; i < 200 && !OpenSettingsWindow(); ++i)
        QTest::qWait(20);
    qsp::SettingsWindow* settings = OpenSettingsWindow();
    ASSERT_NE(settings, nullptr) << LastMessage(program->Window()).toStdString();
    EXPECT_FALSE(program->Window().Command(qsp::kButtonSetup)->isEnabled());

    QTreeWidgetItem* code39 = FindItem(settings->Tree(), "Code 39");
    ASSERT_NE(code39, nullptr);
    ClickItem(settings->Tree(), code39);
    QTreeWidgetItem* row = FindItem(settings->List(), "Code39 State");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->text(1).trimmed(), "Enable");
    {
        ModalAnswerer answer("Disable");
        ClickItem(settings->List(), row, true);
    }
    row = FindItem(settings->List(), "Code39 State");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->text(1).trimmed(), "Disable");
    EXPECT_EQ(state.ParamImage[0] & 1, 0);

    {
        ModalAnswerer answer;
        settings->Command1(qsp::SettingsWindow::kUpdate)->click();
        for (int i = 0; i < 200 && OpenSettingsWindow(); ++i)
            QTest::qWait(20);
    }
    EXPECT_EQ(OpenSettingsWindow(), nullptr);
    EXPECT_EQ(LastMessage(program->Window()), "Parameter is programmed successfully.");
    EXPECT_TRUE(program->Window().Command(qsp::kButtonSetup)->isEnabled());

    // What the scanner now holds, read by the command-line tool.
    ASSERT_EQ(Qspctl(dir.path, "read -o after.Dec").status, 0);
    const auto scanner = FileImage(dir.path / "after.Dec");
    EXPECT_EQ(scanner[0] & 1, 0);
    EXPECT_EQ(scanner[0] | 1, state.ParamImage[0] | 1);
}

}  // namespace
