// The settings window on the offscreen platform, over a virtual scanner on a virtual serial line:
// what the user sees and what the scanner ends up holding.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
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

// The value editor's next showing picks `choice` in its list and presses OK.
void ChooseInValueEditor(const QString& choice) {
    WhenModal<ValueEditorDialog>([choice](ValueEditorDialog* d) {
        auto* combo = d->findChild<QComboBox*>("Combo1");
        combo->setCurrentIndex(combo->findText(choice));
        QTest::mouseClick(d->findChild<QPushButton*>("Command1_1"), Qt::LeftButton);
    });
}

std::string FileText(const std::string& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), {}};
}

class SettingsWindowTest : public ::testing::Test {
protected:
    SettingsWindowTest() : model(qspsim::FactoryBlock(), {}) {
        state.Settings = ParseSettings("");  // COM1 at 9600 N81, RS-232
        state.Settings.Rs232Delay = 20;
        lock.SetReceivePoll([this] { link.Serial().ReceivePoll(); });
    }
    ~SettingsWindowTest() override { delete window.data(); }

    // Setup, as the main window runs it: read the scanner, then open the window in `shown`'s
    // language.
    void Open(const InterfaceText* shown = nullptr) {
        ops.ScannerSetup([&] {
            window = OpenSettingsWindow(state, pump, prompt, shown ? *shown : text, link, lock,
                                        mainView, QSP_PICTURE_DIR, nullptr);
        });
        ASSERT_TRUE(window);
        QApplication::setActiveWindow(window);
    }
    void Menu(const char* name) { window->findChild<QAction*>(name)->trigger(); }
    void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
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
    QString FirstRow() { return window->List()->topLevelItem(0)->text(0); }
    // Print, choosing option 0 (printer) or 1 (text file) in the choice dialog.
    void Print(int option) {
        WhenModal<PrintChoiceDialog>([option](PrintChoiceDialog* d) {
            EXPECT_EQ(d->windowTitle(), "Property Parameter");
            QTest::mouseClick(d->Option(option), Qt::LeftButton, {},
                              QPoint(8, d->Option(option)->height() / 2));
            d->close();
        });
        Click(window->Command1(SettingsWindow::kPrint));
    }
    // The window has closed (and deleted itself), said `message`, and handed the main window back.
    void ExpectClosedSaying(const std::string& message) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(window);
        EXPECT_EQ(mainView.messages.back(), message);
        EXPECT_FALSE(mainView.locked);
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
        SCOPED_TRACE(c.action);
        Menu(c.action);
        EXPECT_EQ(state.CurrentPage, c.page);
        EXPECT_EQ(window->Tree()->currentItem(), window->Node(c.number));
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

    // The Interface row warns about the cable before the value editor changes it; Computer Type
    // then cannot be changed while the interface is USB(Cable).
    Menu("mun01ModeInterface");
    ChooseInValueEditor("USB(Cable)");
    ClickRow("Interface", true);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text, text.LoadText(208));
    EXPECT_EQ(state.ParamImage[140], 3);
    EXPECT_EQ(Row("Interface")->text(1), "USB(Cable)");
    EXPECT_EQ(window->List()->currentItem(), Row("Interface"));
    Menu("mun01ModeInterface");
    QTest::keyClick(window->List(), Qt::Key_Return);
    ASSERT_EQ(prompt.boxes.size(), 2u);
    EXPECT_EQ(prompt.boxes[1].text, "Change is not allowed for this property.");
    EXPECT_FALSE(QApplication::activeModalWidget());
}

// Opening and leaving a menu changes nothing; the Data Edit menu's own item shows the format
// switch page while every format is off. Ctrl+W closes the window as Exit does.
TEST_F(SettingsWindowTest, MenusChangeThePageOnlyWhenAnItemIsChosen) {
    Open();
    state.ParamImage[256] = 0;
    Menu("mun05RS232");
    ClickRow("Baud Rate");
    auto* dataEdit = window->findChild<QMenu*>("mun24DataEdit");
    for (QMenu* menu : {window->findChild<QMenu*>("munFile"), dataEdit}) {
        menu->popup(window->mapToGlobal(QPoint(0, 0)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        QTest::keyClick(menu, Qt::Key_Escape);
        EXPECT_FALSE(menu->isVisible());
    }
    EXPECT_EQ(state.CurrentPage, 5);
    EXPECT_EQ(window->List()->currentItem(), Row("Baud Rate"));

    auto* title = window->findChild<QAction*>("mun24DataEditTitle");
    EXPECT_TRUE(title->isVisible());
    EXPECT_EQ(dataEdit->actions().front(), title);
    title->trigger();
    EXPECT_EQ(state.CurrentPage, kDataEditPage);
    state.ParamImage[256] = 1;
    emit dataEdit->aboutToShow();
    EXPECT_FALSE(title->isVisible());

    QApplication::setActiveWindow(window);
    QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier);
    ExpectClosedSaying("No change");
}

// The Data Edit node adds the six format nodes; on their pages the code type boxes and Clear
// Format touch only their format's bytes, and Default leaves them for page 24.
TEST_F(SettingsWindowTest, DataEditNodesCodeTypesClearFormatAndDefault) {
    Open();
    ImageBytes& image = state.ParamImage;
    image[256] = 4;  // format 3
    std::fill(image.begin() + 257, image.begin() + 516, 1);
    image[434] = image[435] = 0;
    image[436] = 192;  // bits 6 and 7 stand for no code type
    Menu("mun24PDF417");
    ClickNode(4);
    EXPECT_EQ(state.CurrentPage, 25);
    ASSERT_EQ(window->TreeNodeCount(), 33u);
    EXPECT_TRUE(window->findChild<QAction*>("mun30CodeType")->isEnabled());

    Menu("mun30CodeType");
    EXPECT_EQ(state.CurrentPage, 31);
    EXPECT_EQ(window->Tree()->currentItem(), window->Node(33));
    WhenModal<CodeTypeDialog>([](CodeTypeDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Format 3 Code Type");
        QTest::mouseClick(d->Box(18), Qt::LeftButton, {}, QPoint(8, d->Box(18)->height() / 2));
        QTest::mouseClick(d->Command1(CodeTypeDialog::kExit), Qt::LeftButton);
    });
    ClickRow("F-3 Code Type", true);
    EXPECT_EQ(image[436], 192 + 4);  // "EAN 8" ticked, bits 6 and 7 kept
    EXPECT_EQ(Row("F-3 Code Type")->text(1), "EAN 8,");

    ClickNode(28);
    EXPECT_EQ(state.CurrentPage, 26);
    prompt.answers = {PromptAnswer::Cancel};
    ClickRow("F-3 Clear Format", true);
    EXPECT_EQ(image[432], 1);
    EXPECT_EQ(prompt.boxes.back().title, "Format 3 Clear");
    ClickRow("F-3 Clear Format", true);
    EXPECT_EQ(prompt.boxes.back().text, "Format 3 Clear Completed.");
    for (std::size_t i = 257; i < 516; ++i)
        EXPECT_EQ(image[i] == 0, i >= 432 && i <= 500) << i;

    // Default on the keyboard wedge keeps its PS/2 bytes.
    state.Settings.InterfaceIndex = "2";
    std::copy_n("\5\6\7", 3, image.begin() + 139);
    Menu("mun26Block1");
    EXPECT_EQ(state.CurrentPage, 27);
    Click(window->Command1(SettingsWindow::kDefault));
    EXPECT_EQ(state.CurrentPage, 24);
    EXPECT_EQ(FirstRow(), "PDF417 State");
    EXPECT_EQ(std::vector<int>(image.begin() + 139, image.begin() + 142),
              (std::vector<int>{5, 6, 7}));
    EXPECT_EQ(image[256], 0);
    EXPECT_EQ(prompt.boxes.back().text, "Default restored.");
}

TEST_F(SettingsWindowTest, ClosingSaysNoChangeAndUpdateProgramsTheScannerOnce) {
    Open();
    window->close();
    ExpectClosedSaying("No change");
    EXPECT_EQ(prompt.boxes.back().title, "Alteration");
    EXPECT_EQ(model.mode(), qspsim::ScannerModel::Mode::Idle);  // the link was ended

    Open();
    state.ParamImage[0] = 0;  // Code 39 off
    Click(window->Command1(SettingsWindow::kUpdate));
    ExpectClosedSaying("Parameter is programmed successfully.");
    EXPECT_EQ(model.block()[0], 0);
    EXPECT_EQ(model.writesAccepted(), 1);
}

// Save and Open go through the file dialogs from the remembered path; profiles are applied and
// exported through the File menu.
TEST_F(SettingsWindowTest, SaveOpenAndProfilesGoThroughTheFileDialogs) {
    test_support::TempDir dir;
    const auto at = [&](const char* name) { return (dir.path() / name).string(); };
    state.Settings.ParamFilePath = dir.path().string() + "/";
    Open();
    Menu("mun05RS232");
    prompt.files = {at("line1.Dec")};
    Click(window->Command1(SettingsWindow::kSave));
    EXPECT_EQ(prompt.requests.back().initialPath, at("a.Dec"));
    EXPECT_EQ(state.Settings.ParamFilePath, at("line1.Dec"));
    EXPECT_EQ(prompt.boxes.back().text, "QSP setting is saved successfully.");
    const auto saved = state.ParamImage;
    state.ParamImage.fill(1);
    prompt.files = {at("line1.Dec")};
    Click(window->Command1(SettingsWindow::kOpen));
    EXPECT_EQ(prompt.requests.back().initialPath, at("line1.Dec"));
    EXPECT_TRUE(std::equal(saved.begin(), saved.begin() + 515, state.ParamImage.begin()));
    EXPECT_EQ(prompt.boxes.back().text, "Loading completed");
    EXPECT_EQ(Row("Baud Rate")->text(1), "9600 bps");  // the page shown again

    // A profile with a bad line changes nothing and names the line.
    std::ofstream(at("bad.qsp-profile")) << "[RS-232]\nBaud Rate = 19200 bps\nParity = Odd\n";
    const auto before = state.ParamImage;
    prompt.files = {at("bad.qsp-profile")};
    Menu("munApplyProfile");
    EXPECT_EQ(prompt.boxes.back().text, "The profile was not applied:\n" + at("bad.qsp-profile") +
                                            ":3: no row \"Parity\" on page \"RS-232\"");
    EXPECT_EQ(state.ParamImage, before);

    // A good one changes the image and the list; the scanner hears nothing until Update.
    std::ofstream(at("good.qsp-profile")) << "[RS-232]\nBaud Rate = 19200 bps\n";
    const auto written = model.block();
    prompt.files = {at("good.qsp-profile"), at("shop.qsp-profile")};
    Menu("munApplyProfile");
    EXPECT_EQ(prompt.boxes.back().text,
              "Profile applied. Nothing is sent to the scanner until you press Update Scanner "
              "Setting.\nBytes changed: 1");
    EXPECT_EQ(Row("Baud Rate")->text(1), "19200 bps");
    EXPECT_EQ(model.block(), written);
    // The export holds the rows that differ from the factory values.
    Menu("munExportProfile");
    EXPECT_EQ(prompt.requests.back().title, "Export Profile");
    EXPECT_EQ(prompt.boxes.back().text, "Profile exported.");
    EXPECT_EQ(FileText(at("shop.qsp-profile")), "[RS-232]\nBaud Rate = 19200 bps\n");
}

// Printing walks every listed page, as showing them would, then prints; the walk happens whether
// or not the printer then prints, and leaves the window on the last listed page. A cancelled
// print dialog walks nothing.
TEST_F(SettingsWindowTest, PrintWalksTheListedPagesWhetherOrNotThePrinterPrints) {
    test_support::TempDir dir;
    Open();
    Menu("mun01ModeInterface");
    const QString first = FirstRow();
    Print(0);
    EXPECT_EQ(prompt.printDialogs, 1);
    EXPECT_EQ(state.CurrentPage, 1);
    EXPECT_EQ(FirstRow(), first);

    const auto file = dir.path() / "scanner.txt";
    prompt.files = {file.string()};
    Print(1);
    std::string heading;
    std::getline(std::ifstream(file), heading);
    EXPECT_EQ(heading, "    Mode and Interface\r");
    EXPECT_EQ(state.CurrentPage, 25);
    EXPECT_EQ(state.Settings.TextFilePath, file.string());
    prompt.pdf = (dir.path() / "print.pdf").string();
    Print(0);
    EXPECT_EQ(prompt.requests.size(), 1u);  // no file dialog for the printer
    EXPECT_GT(std::filesystem::file_size(prompt.pdf), 0u);

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
    const auto open = [&] {
        delete window.data();
        window = OpenSettingsWindow(state, pump, prompt, japanese, link, lock, mainView,
                                    QSP_PICTURE_DIR, &mainWindow);
    };
    open();
    EXPECT_EQ(window->Tree()->font().family(), JapaneseFontFamily());
    EXPECT_EQ(window->LinkPanel()->text(), Q(CatalogueText(Language::Japanese)("Keyboard")));

    // A profile's faults are told in the window's language; what the profile says stays as it is.
    test_support::TempDir dir;
    const std::string bad = (dir.path() / "bad.qsp-profile").string();
    std::ofstream(bad) << "[Nowhere]\n";
    prompt.files = {bad};
    Menu("munApplyProfile");
    EXPECT_EQ(prompt.boxes.back().text,
              japanese.LoadText(215) + "\n" + bad + ":1: ページ「Nowhere」はありません");

    window->showMinimized();
    EXPECT_TRUE(mainWindow.isMinimized());
    window->close();
    EXPECT_FALSE(mainWindow.isMinimized());

    // A maximised main window is back to normal too when the window closes.
    mainWindow.showMaximized();
    open();
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

// Changed rows are bold; Find and Show Only Changed list rows, and choosing one shows its page as
// a click on the node shows it, with the row selected.
TEST_F(SettingsWindowTest, FindAndShowOnlyChangedLeadToTheRowOnItsPage) {
    Open();
    state.ParamImage = FactoryImage(state.ParamImage, 0);
    state.ParamImage[142] = 3;  // 1200 bps
    Menu("mun05RS232");
    EXPECT_TRUE(Row("Baud Rate")->font(0).bold());
    EXPECT_FALSE(Row("Data Length")->font(0).bold());

    Menu("mun07Code39");
    QTest::keyClick(window, Qt::Key_F, Qt::ControlModifier);
    RowListDialog* list = OpenRowList(window);
    ASSERT_NE(list, nullptr);
    QTest::keyClicks(list->FindField(), "baud");
    EXPECT_EQ(Lines(list->Results()),
              (std::vector<QStringList>{{"RS-232", "Baud Rate", "1200 bps"}}));
    QTest::keyClick(list->FindField(), Qt::Key_Return);
    EXPECT_EQ(OpenRowList(window), nullptr);
    EXPECT_EQ(state.CurrentPage, 5);
    EXPECT_EQ(window->Tree()->currentItem(), window->Node(9));
    EXPECT_EQ(window->List()->currentItem(), Row("Baud Rate"));
    WhenModal<ValueEditorDialog>([](ValueEditorDialog* d) { d->close(); });
    QTest::keyClick(window->List(), Qt::Key_Return);  // Enter edits the row found
    EXPECT_EQ(state.Edit.index, 142);

    // The WAND page has no node: it is shown as its menu item shows it.
    Menu("munFind");
    list = OpenRowList(window);
    ASSERT_NE(list, nullptr);
    QTest::keyClicks(list->FindField(), "mini width");
    QTest::keyClick(list->FindField(), Qt::Key_Down);
    QTest::keyClick(list->Results(), Qt::Key_Return);
    EXPECT_EQ(state.CurrentPage, 6);
    EXPECT_EQ(window->List()->currentItem(), Row("Level Duration of Mini Width"));
    EXPECT_TRUE(prompt.boxes.empty());  // finding never asks or edits anything

    Menu("mun07Code39");
    Menu("munChanged");
    list = OpenRowList(window);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(Lines(list->Results()),
              (std::vector<QStringList>{{"RS-232", "Baud Rate", "1200 bps", "9600 bps"}}));
    QTest::keyClick(list->Results(), Qt::Key_Return);
    EXPECT_EQ(state.CurrentPage, 5);
    EXPECT_EQ(window->List()->currentItem(), Row("Baud Rate"));
}

TEST_F(SettingsWindowTest, CompareWithFileListsTheDifferingRowsAndCountsTheOtherBytes) {
    test_support::TempDir dir;
    Open();
    const auto other = (dir.path() / "other.Dec").string();
    ImageBytes changed = state.ParamImage;
    changed[142] = 3;   // Baud Rate
    changed[0] ^= 2;    // Code39 CDV
    changed[155] ^= 1;  // a byte no row shows
    ASSERT_TRUE(SaveParamFile(other, changed));

    prompt.files = {other};
    Menu("munCompare");
    RowListDialog* compare = OpenRowList(window);
    ASSERT_NE(compare, nullptr);
    EXPECT_EQ(Lines(compare->Results()),
              (std::vector<QStringList>{{"RS-232", "Baud Rate", "9600 bps", "1200 bps"},
                                        {"Code 39 -{Code32}", "Code39 CDV", "Disable", "Enable"}}));
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
        Open(&shownText);

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
            EXPECT_EQ(d->findChild<QComboBox*>("Combo1")->itemText(0), shown("Flash Mode"));
        });
        ChooseInValueEditor(shown("Test Mode"));
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
