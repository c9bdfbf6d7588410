// The program as the user drives it — main window, settings window, value editor, message
// boxes, the real serial port code — against qsp-scanner-sim on a pseudo-terminal.

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
#include "link/sim_process.h"
#include "workbench/param_file.h"
#include "workbench/settings_window.h"

namespace {

using qsptest::BinDir;
using qsptest::Folder;
using qsptest::Sim;

// Answers every message box with its first (OK) button and, when `choice` is set, picks that
// entry in the value editor and presses its OK button.
class ModalAnswerer {
public:
    explicit ModalAnswerer(QString choice = {}) : choice_(std::move(choice)) {
        timer_.setInterval(50);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Answer(); });
        timer_.start();
    }
    QStringList boxes;

private:
    void Answer() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            boxes << box->text();
            box->button(box->standardButtons() & QMessageBox::Ok ? QMessageBox::Ok
                                                                  : QMessageBox::Yes)
                ->click();
            return;
        }
        auto* combo = modal->findChild<QComboBox*>("Combo1");
        auto* ok = modal->findChild<QPushButton*>("Command1_1");
        if (combo && ok && !choice_.isEmpty()) {
            combo->setCurrentIndex(combo->findText(choice_));
            ok->click();
        }
    }
    QString choice_;
    QTimer timer_;
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

// A click of the mouse on an item, as the user makes it.
void ClickItem(QTreeWidget* tree, QTreeWidgetItem* item) {
    for (QTreeWidgetItem* p = item->parent(); p; p = p->parent()) p->setExpanded(true);
    tree->scrollToItem(item);
    const QPoint at = tree->visualItemRect(item).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
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
    void PressSetup() {
        QTest::mouseClick(program->Window().Command(qsp::kButtonSetup), Qt::LeftButton);
        for (int i = 0; i < 200 && !OpenSettingsWindow(); ++i) QTest::qWait(20);
    }

    Folder dir;
    Sim sim{dir.path, {}};
    qsp::AppState state;
    qsp::InterfaceText text;
    std::unique_ptr<qsp::Program> program;

    void TearDown() override {
        // A settings window left open by a failed test goes before the program it belongs to.
        while (qsp::SettingsWindow* left = OpenSettingsWindow()) delete left;
        // Closed windows are deleted later; that has to happen while the program still exists.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        program.reset();
    }
};

TEST_F(ProgramTest, ADisabledSymbologyIsProgrammedIntoTheScanner) {
    PressSetup();
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
        ClickItem(settings->List(), row);
        const QPoint at = settings->List()->visualItemRect(row).center();
        QTest::mouseDClick(settings->List()->viewport(), Qt::LeftButton, {}, at);
    }
    row = FindItem(settings->List(), "Code39 State");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->text(1).trimmed(), "Disable");
    EXPECT_EQ(state.ParamImage[0] & 1, 0);

    {
        ModalAnswerer answer;
        settings->Command1(qsp::SettingsWindow::kUpdate)->click();
        for (int i = 0; i < 200 && OpenSettingsWindow(); ++i) QTest::qWait(20);
    }
    EXPECT_EQ(OpenSettingsWindow(), nullptr);
    EXPECT_EQ(LastMessage(program->Window()), "Parameter is programmed successfully.");
    EXPECT_TRUE(program->Window().Command(qsp::kButtonSetup)->isEnabled());

    // What the scanner now holds, read by the command-line tool.
    const auto file = dir.path / "after.Dec";
    const std::string command = (BinDir() / "qspctl").string() + " --settings-dir '" +
                                dir.path.string() + "' read -o '" + file.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    qsp::ImageBytes scanner{};
    ASSERT_TRUE(qsp::LoadParamFile(file, scanner).ok);
    EXPECT_EQ(scanner[0] & 1, 0);
    EXPECT_EQ(scanner[0] | 1, state.ParamImage[0] | 1);
}

}  // namespace
