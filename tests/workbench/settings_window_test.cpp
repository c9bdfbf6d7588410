// The settings window on the offscreen platform, over a virtual scanner on a virtual serial line:
// what the user sees and what the scanner ends up holding.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>

#include "test_support/temp_dir.h"

#include "app/main_operations.h"
#include "base/qt_language.h"
#include "base/qt_text.h"
#include "base/virtual_pump.h"
#include "base/window_style.h"
#include "catalogue/catalogue_text.h"
#include "editor/value_editor_dialog.h"
#include "link/fakes.h"
#include "link/virtual_line.h"
#include "workbench/code_type_dialog.h"
#include "workbench/param_file.h"
#include "workbench/param_search.h"
#include "workbench/print_choice_dialog.h"
#include "workbench/row_list_dialog.h"
#include "workbench/settings_fakes.h"
#include "workbench/settings_window.h"

namespace qsp {
namespace {

// Runs `act` on the next modal dialog of type D once it is shown.
template <class D>
void WhenModal(std::function<void(D*)> act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        act(dialog);
    });
}

class SettingsWindowTest : public ::testing::Test {
protected:
    SettingsWindowTest() : model(qspsim::FactoryBlock(), {}) {
        state.Settings = ParseSettings("");  // COM1 at 9600 N81, RS-232
        state.Settings.Rs232Delay = 20;
        lock.SetReceivePoll([this] { link.Serial().ReceivePoll(); });
    }
    ~SettingsWindowTest() override { delete window.data(); }

    // Setup, as the main window runs it: read the scanner, then open the window.
    void Open() {
        const std::filesystem::path pictures = QSP_PICTURE_DIR;
        ops.ScannerSetup([&] {
            window = OpenSettingsWindow(state, pump, prompt, text, link, lock, mainView, pictures,
                                        nullptr);
        });
        ASSERT_TRUE(window);
        QApplication::setActiveWindow(window);
    }
    void Menu(const char* name) { window->findChild<QAction*>(name)->trigger(); }
    void ClickNode(int number) {
        QTreeWidget* tree = window->Tree();
        QTreeWidgetItem* item = window->Node(number);
        tree->scrollToItem(item);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(item).center());
    }
    QTreeWidgetItem* Row(const QString& label) {
        auto found = window->List()->findItems(label, Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.first();
    }
    void ClickRow(const QString& label, bool twice = false) {
        QTreeWidget* list = window->List();
        QTreeWidgetItem* item = Row(label);
        ASSERT_NE(item, nullptr) << label.toStdString();
        const QPoint at = list->visualItemRect(item).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    std::vector<int> Bytes(std::size_t first, std::size_t count) {
        return {state.ParamImage.begin() + first, state.ParamImage.begin() + first + count};
    }
    QString FirstRow() { return window->List()->topLevelItem(0)->text(0); }
    // Print, choosing option 0 (printer) or 1 (text file) in the choice dialog.
    void Print(int option) {
        WhenModal<PrintChoiceDialog>([option](PrintChoiceDialog* d) {
            EXPECT_EQ(d->windowTitle(), "Property Parameter");
            QTest::mouseClick(d->Option(option), Qt::LeftButton, {},
                              QPoint(8, d->Option(option)->height() / 2));
            d->close();
        });
        QTest::mouseClick(window->Command1(SettingsWindow::kPrint), Qt::LeftButton);
    }

    qspsim::ScannerModel model;
    AppState state;
    VirtualPump pump;
    wbtest::ScriptedPrompt prompt;
    qsptest::FakeMainView mainView;
    InterfaceText text;
    qsptest::VirtualLine line{pump, &model};
    ScannerLink link{state, pump, mainView, text, line.Factory()};
    MainLock lock{mainView, pump};
    MainOperations ops{state, pump, mainView, lock, prompt, text, link};
    QPointer<SettingsWindow> window;
};

TEST_F(SettingsWindowTest, OpensOnTheScannersImageAndMenuItemsSelectPagesAndNodes) {
    Open();
    EXPECT_EQ(window->windowTitle(), "Barcode Scanner Settings");
    EXPECT_EQ(state.ParamImage[0], model.block()[0]);
    EXPECT_EQ(window->List()->topLevelItemCount(), 0);
    EXPECT_EQ(window->TreeNodeCount(), 27u);
    EXPECT_FALSE(window->findChild<QAction*>("mun30CodeType")->isEnabled());
    EXPECT_EQ(window->LinkPanel()->text(), "RS232  COM1");
    pump.Advance(std::chrono::seconds(1));
    EXPECT_EQ(window->ClockPanel()->text(), "Link 0: 0: 1");
    EXPECT_TRUE(mainView.locked);

    // clang-format off
    struct Case { const char *action, *node, *firstRow; int page, number; };
    const Case cases[] = {
        {"mun04Keyboard", "Keyboard (PS-2)", "Capital Lock Mode", 4, 8},
        {"mun07Code39", "Code 39 -{Code32}", "Code39 State", 7, 10},
        {"mun06WAND", "Interface Settings", "Level Duration of Mini Width", 6, 2},  // no own node
        {"mun24PDF417", "PDF417", "PDF417 State", 24, 27},
    };
    // clang-format on
    for (const Case& c : cases) {
        Menu(c.action);
        EXPECT_EQ(state.CurrentPage, c.page) << c.action;
        EXPECT_EQ(window->Tree()->currentItem(), window->Node(c.number)) << c.action;
        EXPECT_EQ(window->Node(c.number)->text(0), c.node);
        EXPECT_EQ(FirstRow(), c.firstRow);
    }
    // Clicking a top node empties the list; Enter and a double-click then do nothing.
    ClickNode(1);
    EXPECT_EQ(state.CurrentPage, 0);
    EXPECT_EQ(window->List()->topLevelItemCount(), 0);
    QTest::keyClick(window->List(), Qt::Key_Return);
    QTest::mouseDClick(window->List()->viewport(), Qt::LeftButton);
    EXPECT_TRUE(prompt.boxes.empty());
    // Computer Type cannot be changed while the interface is USB(Cable).
    state.ParamImage[140] = 3;
    Menu("mun01ModeInterface");
    QTest::keyClick(window->List(), Qt::Key_Return);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text, "Change is not allowed for this property.");
    EXPECT_FALSE(QApplication::activeModalWidget());
}

TEST_F(SettingsWindowTest, ClearFormatThreeAndTheDataEditNodes) {
    Open();
    state.ParamImage[256] = 4;
    for (std::size_t i = 257; i < 516; ++i)
        state.ParamImage[i] = 1;
    Menu("mun24PDF417");
    ClickNode(4);  // "Data Edit": the format switch page adds the six children
    EXPECT_EQ(state.CurrentPage, 25);
    ASSERT_EQ(window->TreeNodeCount(), 33u);
    EXPECT_TRUE(window->findChild<QAction*>("mun30CodeType")->isEnabled());
    ClickNode(28);
    EXPECT_EQ(state.CurrentPage, 26);
    prompt.answers = {PromptAnswer::Cancel};
    ClickRow("F-3 Clear Format", true);
    EXPECT_EQ(state.ParamImage[432], 1);
    EXPECT_EQ(prompt.boxes.back().title, "Format 3 Clear");
    ClickRow("F-3 Clear Format", true);
    EXPECT_EQ(prompt.boxes.back().text, "Format 3 Clear Completed.");
    for (std::size_t i = 257; i < 516; ++i) {
        EXPECT_EQ(state.ParamImage[i] == 0, i >= 432 && i <= 500) << i;
    }
}

TEST_F(SettingsWindowTest, CodeTypeDialogWritesTheBoxesAndKeepsTheSpareBits) {
    Open();
    state.ParamImage[256] = 1;
    state.ParamImage[276] = 192;
    Menu("mun24PDF417");
    ClickNode(4);
    Menu("mun30CodeType");
    EXPECT_EQ(state.CurrentPage, 31);
    EXPECT_EQ(window->Tree()->currentItem(), window->Node(33));
    WhenModal<CodeTypeDialog>([](CodeTypeDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Format 1 Code Type");
        QTest::mouseClick(d->Box(18), Qt::LeftButton, {}, QPoint(8, d->Box(18)->height() / 2));
        QTest::mouseClick(d->Command1(CodeTypeDialog::kExit), Qt::LeftButton);
    });
    ClickRow("F-1 Code Type", true);
    EXPECT_EQ(state.ParamImage[276], 192 + 4);  // "EAN 8" ticked, bits 6 and 7 kept
    EXPECT_EQ(Row("F-1 Code Type")->text(1), "EAN 8,");
}

TEST_F(SettingsWindowTest, ResetOnTheKeyboardWedgeKeepsItsBytesAndLeavesPage27) {
    Open();
    state.Settings.InterfaceIndex = "2";
    std::copy_n("\5\6\7", 3, state.ParamImage.begin() + 139);
    state.ParamImage[256] = 2;
    Menu("mun24PDF417");
    ClickNode(4);
    Menu("mun26Block1");
    EXPECT_EQ(state.CurrentPage, 27);
    QTest::mouseClick(window->Command1(SettingsWindow::kDefault), Qt::LeftButton);
    EXPECT_EQ(state.CurrentPage, 24);
    EXPECT_EQ(FirstRow(), "PDF417 State");
    EXPECT_EQ(Bytes(139, 3), (std::vector<int>{5, 6, 7}));  // the PS/2 bytes stay
    EXPECT_EQ(state.ParamImage[256], 0);
    EXPECT_EQ(prompt.boxes.back().text, "Default restored.");
}

TEST_F(SettingsWindowTest, ClosingWithoutAnUpdateSaysNoChange) {
    Open();
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window);  // deleted on close
    EXPECT_EQ(mainView.messages.back(), "No change");
    EXPECT_EQ(prompt.boxes.back().title, "Alteration");
    EXPECT_FALSE(mainView.locked);
    EXPECT_EQ(model.mode(), qspsim::ScannerModel::Mode::Idle);  // the link was ended
}

TEST_F(SettingsWindowTest, UpdateProgramsTheScannerAndCloses) {
    Open();
    state.ParamImage[0] = 0;  // Code 39 off
    QTest::mouseClick(window->Command1(SettingsWindow::kUpdate), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window);
    EXPECT_EQ(mainView.messages.back(), "Parameter is programmed successfully.");
    EXPECT_EQ(model.block()[0], 0);
    EXPECT_EQ(model.writesAccepted(), 1);
    EXPECT_FALSE(mainView.locked);
}

TEST_F(SettingsWindowTest, SaveAndOpenGoThroughTheDialogsAndTheRememberedPath) {
    test_support::TempDir dir;
    const std::string file = (dir.path() / "line1.Dec").string();
    state.Settings.ParamFilePath = dir.path().string() + "/";
    Open();
    prompt.files = {file};
    QTest::mouseClick(window->Command1(SettingsWindow::kSave), Qt::LeftButton);
    EXPECT_EQ(prompt.requests.back().initialPath, dir.path().string() + "/a.Dec");
    EXPECT_EQ(state.Settings.ParamFilePath, file);
    EXPECT_EQ(prompt.boxes.back().text, "QSP setting is saved successfully.");

    const auto saved = state.ParamImage;
    state.ParamImage.fill(1);
    Menu("mun05RS232");
    prompt.files = {file};
    QTest::mouseClick(window->Command1(SettingsWindow::kOpen), Qt::LeftButton);
    EXPECT_EQ(prompt.requests.back().initialPath, file);
    EXPECT_TRUE(std::equal(saved.begin(), saved.begin() + 515, state.ParamImage.begin()));
    EXPECT_EQ(prompt.boxes.back().text, "Loading completed");
    EXPECT_EQ(Row("Baud Rate")->text(1), "9600 bps");  // the page shown again
}

TEST_F(SettingsWindowTest, ProfilesAreExportedAndAppliedThroughTheFileMenu) {
    test_support::TempDir dir;
    const std::string exported = (dir.path() / "shop.qsp-profile").string();
    Open();
    Menu("mun05RS232");
    // The scanner's own block holds factory values: its profile says nothing.
    prompt.files = {exported};
    Menu("munExportProfile");
    EXPECT_EQ(prompt.requests.back().title, "Export Profile");
    EXPECT_EQ(prompt.boxes.back().text, "Profile exported.");
    std::ifstream in(exported);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "");

    // A profile with a bad line changes nothing and names the line.
    const std::string bad = (dir.path() / "bad.qsp-profile").string();
    std::ofstream(bad) << "[RS-232]\nBaud Rate = 19200 bps\nParity = Odd\n";
    const auto before = state.ParamImage;
    prompt.files = {bad};
    Menu("munApplyProfile");
    EXPECT_EQ(prompt.boxes.back().text,
              "The profile was not applied:\n" + bad + ":3: no row \"Parity\" on page \"RS-232\"");
    EXPECT_EQ(state.ParamImage, before);

    // A good one changes the image and the list; the scanner hears nothing until Update.
    const std::string good = (dir.path() / "good.qsp-profile").string();
    std::ofstream(good) << "[RS-232]\nBaud Rate = 19200 bps\n";
    const auto written = model.block();
    prompt.files = {good};
    Menu("munApplyProfile");
    EXPECT_EQ(prompt.boxes.back().text,
              "Profile applied. Nothing is sent to the scanner until you press Update Scanner "
              "Setting.\nBytes changed: 1");
    EXPECT_EQ(Row("Baud Rate")->text(1), "19200 bps");
    EXPECT_EQ(model.block(), written);
    prompt.files = {exported};
    Menu("munExportProfile");
    std::ifstream again(exported);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(again), {}),
              "[RS-232]\nBaud Rate = 19200 bps\n");
}

// Editing through the value editor is driven end to end in the program test; the Interface row
// first warns about the cable.
TEST_F(SettingsWindowTest, TheInterfaceRowWarnsBeforeTheValueEditorChangesIt) {
    Open();
    Menu("mun01ModeInterface");
    WhenModal<ValueEditorDialog>([](ValueEditorDialog* d) {
        auto* combo = d->findChild<QComboBox*>("Combo1");
        combo->setCurrentIndex(combo->findText("USB(Cable)"));
        QTest::mouseClick(d->findChild<QPushButton*>("Command1_1"), Qt::LeftButton);
    });
    ClickRow("Interface", true);
    EXPECT_EQ(prompt.boxes.back().text, text.LoadText(208));
    EXPECT_EQ(state.ParamImage[140], 3);
    EXPECT_EQ(Row("Interface")->text(1), "USB(Cable)");
    EXPECT_EQ(window->List()->currentItem(), Row("Interface"));
}

TEST_F(SettingsWindowTest, PrintWritesTheListingToTheChosenFileOrThePrinter) {
    test_support::TempDir dir;
    const auto file = dir.path() / "scanner.txt";
    Open();
    prompt.files = {file.string()};
    Print(1);
    std::string first;
    std::getline(std::ifstream(file), first);
    EXPECT_EQ(first, "    Mode and Interface\r");
    EXPECT_EQ(state.CurrentPage, 25);
    EXPECT_EQ(state.Settings.TextFilePath, file.string());
    prompt.pdf = (dir.path() / "print.pdf").string();
    Print(0);
    EXPECT_EQ(prompt.requests.size(), 1u);  // no file dialog for the printer
    EXPECT_GT(std::filesystem::file_size(prompt.pdf), 0u);
}

// The walk over the pages happens whether or not the printer then prints: the window is left on
// the last listed page, with every effect of having shown the pages on the way.
TEST_F(SettingsWindowTest, APrintThatFailsLeavesTheWindowOnTheLastWalkedPage) {
    test_support::TempDir dir;
    Open();
    Menu("mun01ModeInterface");
    const int page = state.CurrentPage;
    const QString first = FirstRow();
    Print(0);  // print dialog cancelled: nothing is walked
    EXPECT_EQ(prompt.printDialogs, 1);
    EXPECT_EQ(state.CurrentPage, page);
    EXPECT_EQ(FirstRow(), first);

    // The format switch turned on: the walk shows pages 26..31, so the six Data Edit nodes and
    // their menu commands appear. The PDF cannot be written.
    state.ParamImage[256] = 1;
    ASSERT_EQ(window->TreeNodeCount(), 27u);
    prompt.pdf = (dir.path() / "missing" / "print.pdf").string();
    Print(0);
    EXPECT_FALSE(std::filesystem::exists(prompt.pdf));
    EXPECT_EQ(state.CurrentPage, 31);
    EXPECT_EQ(window->TreeNodeCount(), 33u);
    EXPECT_TRUE(window->findChild<QAction*>("mun30CodeType")->isEnabled());
    ImageBytes copy = state.ParamImage;
    const auto rows = ShowPage(copy, 31);
    ASSERT_EQ(window->List()->topLevelItemCount(), static_cast<int>(rows.size()));
    EXPECT_EQ(FirstRow().toStdString(), rows[0].label);
}

TEST_F(SettingsWindowTest, JapaneseTextsAndFontsAndTheMainWindowFollowsAMinimise) {
    const InterfaceText japanese(Language::Japanese);
    QWidget mainWindow;
    mainWindow.show();
    state.Settings.InterfaceIndex = "2";
    window = OpenSettingsWindow(state, pump, prompt, japanese, link, lock, mainView,
                                QSP_PICTURE_DIR, &mainWindow);
    EXPECT_EQ(window->Tree()->font().family(), JapaneseFontFamily());
    EXPECT_EQ(window->LinkPanel()->text(), Q(CatalogueText(Language::Japanese)("Keyboard")));

    window->showMinimized();
    EXPECT_TRUE(mainWindow.isMinimized());
    window->close();
    EXPECT_FALSE(mainWindow.isMinimized());

    // A maximised main window is back to normal too when the window closes.
    mainWindow.showMaximized();
    delete window.data();
    window = OpenSettingsWindow(state, pump, prompt, japanese, link, lock, mainView,
                                QSP_PICTURE_DIR, &mainWindow);
    window->close();
    EXPECT_EQ(mainWindow.windowState(), Qt::WindowNoState);
}

// The list of rows that Find, Show Only Changed or Compare With File has open, and its lines.
RowListDialog* OpenRowList(QWidget* window) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    auto* dialog = window->findChild<RowListDialog*>();
    return dialog && dialog->isVisible() ? dialog : nullptr;
}

std::vector<QStringList> Lines(QTreeWidget* list) {
    std::vector<QStringList> lines;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QStringList columns;
        for (int c = 0; c < list->columnCount(); ++c)
            columns << list->topLevelItem(i)->text(c);
        lines.push_back(columns);
    }
    return lines;
}

TEST_F(SettingsWindowTest, FindWithTheKeyboardShowsTheRowOnItsPage) {
    Open();
    Menu("mun07Code39");
    QTest::keyClick(window, Qt::Key_F, Qt::ControlModifier);
    RowListDialog* find = OpenRowList(window);
    ASSERT_NE(find, nullptr);
    QTest::keyClicks(find->FindField(), "baud");
    const std::vector<QStringList> baud = {{"RS-232", "Baud Rate", "9600 bps"}};
    EXPECT_EQ(Lines(find->Results()), baud);
    QTest::keyClick(find->FindField(), Qt::Key_Return);
    EXPECT_EQ(OpenRowList(window), nullptr);
    // As a click on the node shows it: the node selected, the page listed, the row selected.
    EXPECT_EQ(state.CurrentPage, 5);
    EXPECT_EQ(window->Tree()->currentItem(), window->Node(9));
    EXPECT_EQ(window->List()->currentItem(), Row("Baud Rate"));
    WhenModal<ValueEditorDialog>([](ValueEditorDialog* d) { d->close(); });
    QTest::keyClick(window->List(), Qt::Key_Return);  // Enter edits the row found
    EXPECT_EQ(state.Edit.index, 142);

    // The WAND page has no node: it is shown as its menu item shows it.
    Menu("munFind");
    find = OpenRowList(window);
    ASSERT_NE(find, nullptr);
    QTest::keyClicks(find->FindField(), "mini width");
    QTest::keyClick(find->FindField(), Qt::Key_Down);
    QTest::keyClick(find->Results(), Qt::Key_Return);
    EXPECT_EQ(state.CurrentPage, 6);
    EXPECT_EQ(window->List()->currentItem(), Row("Level Duration of Mini Width"));
    EXPECT_TRUE(prompt.boxes.empty());  // finding never asks or edits anything
}

TEST_F(SettingsWindowTest, ChangedRowsAreBoldAndShowOnlyChangedListsThemWithTheirFactoryValues) {
    Open();
    state.ParamImage = FactoryImage(state.ParamImage, 0);
    state.ParamImage[142] = 3;  // 1200 bps
    Menu("mun05RS232");
    EXPECT_TRUE(Row("Baud Rate")->font(0).bold());
    EXPECT_FALSE(Row("Data Length")->font(0).bold());
    Menu("mun07Code39");
    Menu("munChanged");
    RowListDialog* changed = OpenRowList(window);
    ASSERT_NE(changed, nullptr);
    const std::vector<QStringList> baud = {{"RS-232", "Baud Rate", "1200 bps", "9600 bps"}};
    EXPECT_EQ(Lines(changed->Results()), baud);
    QTest::keyClick(changed->Results(), Qt::Key_Return);
    EXPECT_EQ(state.CurrentPage, 5);
    EXPECT_EQ(window->List()->currentItem(), Row("Baud Rate"));
}

TEST_F(SettingsWindowTest, CompareWithFileListsWhatQspctlDiffPrints) {
    test_support::TempDir dir;
    Open();
    const auto mine = (dir.path() / "window.Dec").string();
    const auto other = (dir.path() / "other.Dec").string();
    ASSERT_TRUE(SaveParamFile(mine, state.ParamImage));
    ImageBytes changed = state.ParamImage;
    changed[142] = 3;   // Baud Rate
    changed[0] ^= 2;    // Code39 CDV
    changed[155] ^= 1;  // a byte no row shows
    ASSERT_TRUE(SaveParamFile(other, changed));

    std::FILE* pipe = popen((QSP_BIN_DIR "/qspctl diff " + mine + " " + other).c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::vector<QStringList> expected;  // "# page heading", then "label<TAB>first<TAB>second"
    QString heading;
    for (char line[256]; std::fgets(line, sizeof line, pipe);) {
        const QString text = QString::fromUtf8(line).trimmed();
        if (text.startsWith("# bytes")) break;
        if (text.startsWith("# ")) heading = text.section(' ', 2);
        if (!text.startsWith("# ")) expected.push_back(QStringList{heading} + text.split('\t'));
    }
    pclose(pipe);
    ASSERT_EQ(expected.size(), 2u);

    prompt.files = {other};
    Menu("munCompare");
    RowListDialog* compare = OpenRowList(window);
    ASSERT_NE(compare, nullptr);
    EXPECT_EQ(Lines(compare->Results()), expected);
    EXPECT_EQ(compare->Note()->text(),
              QString::fromStdString("Compared with: " + other +
                                     "\nDiffering bytes that no row shows: 1"));
    QTest::keyClick(compare->Results(), Qt::Key_Down);
    QTest::keyClick(compare->Results(), Qt::Key_Return);
    EXPECT_EQ(window->List()->currentItem(), Row("Code39 CDV"));

    // A file Open would refuse is refused alike; the image and the remembered path stay.
    const auto image = state.ParamImage;
    const auto remembered = state.Settings.ParamFilePath;
    std::ofstream(dir.path() / "short.Dec") << " 1\r\n";
    prompt.files = {(dir.path() / "short.Dec").string()};
    Menu("munCompare");
    EXPECT_EQ(prompt.boxes.back().text, "Loading file error!!");
    EXPECT_EQ(OpenRowList(window), nullptr);
    EXPECT_EQ(state.ParamImage, image);
    EXPECT_EQ(state.Settings.ParamFilePath, remembered);
}

// scripts/screenshots.sh sets QSP_SCREENSHOT_DIR to have the windows of the tests that show
// them saved as pictures for the documentation.
void SaveScreenshot(QWidget* window, const std::string& name) {
    const char* dir = std::getenv("QSP_SCREENSHOT_DIR");
    if (!dir || !*dir) return;
    if (auto* settings = qobject_cast<SettingsWindow*>(window)) settings->Tree()->expandAll();
    window->resize(1000, 620);
    QApplication::processEvents();
    EXPECT_TRUE(window->grab().save(QString::fromStdString(std::string(dir) + "/" + name)));
}

// In each language the tree, the rows and the value editor show translated texts, and clicking
// and editing them does what it does in English.
TEST_F(SettingsWindowTest, EveryLanguageShowsTranslatedNodesRowsAndChoicesThatWorkAsInEnglish) {
    for (Language language :
         {Language::TraditionalChinese, Language::Japanese, Language::SimplifiedChinese}) {
        SCOPED_TRACE(static_cast<int>(language));
        const InterfaceText shownText(language);
        const CatalogueText translate(language);
        const auto shown = [&translate](const char* english) { return Q(translate(english)); };
        ops.ScannerSetup([&] {
            window = OpenSettingsWindow(state, pump, prompt, shownText, link, lock, mainView,
                                        QSP_PICTURE_DIR, nullptr);
        });
        ASSERT_TRUE(window);
        QApplication::setActiveWindow(window);

        EXPECT_EQ(window->Node(1)->text(0), Q(shownText.LoadText(143)));
        EXPECT_EQ(window->Node(5)->text(0), shown("Mode and Interface"));
        EXPECT_NE(window->Node(5)->text(0), "Mode and Interface");
        ClickNode(5);
        EXPECT_EQ(state.CurrentPage, 1);
        ASSERT_NE(Row(shown("Reading Mode")), nullptr);
        EXPECT_EQ(Row(shown("Reading Mode"))->text(1), shown("Trigger Mode"));
        EXPECT_EQ(window->List()->headerItem()->text(0), Q(shownText.LoadText(147)));

        WhenModal<ValueEditorDialog>([&](ValueEditorDialog* d) {
            EXPECT_TRUE(d->windowTitle().endsWith(shown("Reading Mode"))) << S(d->windowTitle());
            auto* combo = d->findChild<QComboBox*>("Combo1");
            EXPECT_EQ(combo->itemText(0), shown("Flash Mode"));
            combo->setCurrentIndex(combo->findText(shown("Test Mode")));
            QTest::mouseClick(d->findChild<QPushButton*>("Command1_1"), Qt::LeftButton);
        });
        ClickRow(shown("Reading Mode"), true);
        EXPECT_EQ(state.ParamImage[150], 4);
        EXPECT_EQ(Row(shown("Reading Mode"))->text(1), shown("Test Mode"));
        SaveScreenshot(window, "settings-window-" + S(QtLocaleName(language)) + ".png");

        // A symbology's rows follow its translated state, as they follow "Enable" in English.
        Menu("mun08Codabar");
        ASSERT_NE(Row(shown("Codabar State")), nullptr);
        const bool enabled = Row(shown("Codabar State"))->text(1) == shown("Enable");
        EXPECT_EQ(window->List()->topLevelItemCount() > 1, enabled);
        window->close();
        delete window.data();
    }
}

}  // namespace
}  // namespace qsp
