#include "workbench/settings_session.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "app/virtual_pump.h"
#include "catalogue/reset_values.h"
#include "test_support/temp_dir.h"
#include "workbench/settings_fakes.h"

namespace qsp {
namespace {

using wbtest::FakeProtocol;

// The window as the session sees it: a list of rows, a tree of numbered nodes, and dialogs
// that act through hooks.
class RecordingView : public SettingsView {
public:
    void ShowRows(const std::vector<PropertyRow>& r) override {
        rows = r;
        selectedRow = 0;
        ++shows;
    }
    std::string RowLabel(int row) const override {
        return row >= 1 && row <= static_cast<int>(rows.size()) ? rows[row - 1].label : "";
    }
    void SelectRow(int row) override { selectedRow = row; }
    std::size_t TreeNodeCount() const override { return nodes; }
    void ChangeTree(TreeChange change) override {
        nodes = change == TreeChange::AddDataEditChildren ? nodes + 6 : kFixedTreeNodes;
        ++treeChanges;
    }
    void ExpandNode(int node) override { expanded.push_back(node); }
    void SelectNode(int node) override { selectedNode = node; }
    void FocusTree() override { ++treeFocus; }
    void RunValueEditor() override {
        ++valueEditors;
        if (valueEditor) valueEditor();
    }
    void RunSpecialKeyboard(const std::string& label) override {
        keyboardLabels.push_back(label);
        if (keyboard) keyboard();
    }
    void RunCodeTypes() override { ++codeTypes; }
    PrintOutput AskPrintOutput() override { return printOutput; }
    bool PrintListing() override {
        ++printouts;
        state->CurrentPage = 31;
        return true;
    }
    void ShowWriteProgress(bool visible) override { progress.push_back(visible); }
    void CloseWindow() override { ++closes; }

    std::vector<PropertyRow> rows;
    std::size_t nodes = kFixedTreeNodes;
    int shows = 0, treeChanges = 0, selectedRow = 0, selectedNode = -1, treeFocus = 0;
    int valueEditors = 0, codeTypes = 0, closes = 0, printouts = 0;
    AppState* state = nullptr;
    std::vector<int> expanded;
    std::vector<std::string> keyboardLabels;
    std::vector<bool> progress;
    std::function<void()> valueEditor, keyboard;
    PrintOutput printOutput = PrintOutput::TextFile;
};

class SettingsSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        int page = 0;
        ResetImage(state.ParamImage, kRs232, page);
        state.Settings.InterfaceIndex = "1";
        link.SetProtocol(kUsb, std::unique_ptr<LinkProtocol>(protocol));
        session.SetHomeFolder(dir.path());
        lock.LockMainWindow();
        view.state = &state;
        session.Open();
    }
    // Shows `page` and takes the row with this label for an edit, as a click and Enter do.
    void EditRow(int page, const std::string& label) {
        state.CurrentPage = page;
        session.ShowPage();
        session.IdentifyRow(label);
        session.EnterKey();
    }

    test_support::TempDir dir;
    AppState state;
    VirtualPump pump;
    wbtest::ScriptedPrompt prompt;
    wbtest::RecordingMainView mainView;
    InterfaceText text;
    MainLock lock{mainView, pump};
    ScannerLink link{state, pump, mainView, text, [] { return std::unique_ptr<SerialPort>(); }};
    FakeProtocol* protocol = new FakeProtocol();
    RecordingView view;
    SettingsSession session{state, prompt, text, link, mainView, lock, view};
};

TEST_F(SettingsSessionTest, MenuItemsShowTheirPageAndSelectTheirNode) {
    session.MenuSelect(*MenuTargetForPage(4, state.ParamImage));
    EXPECT_EQ(view.expanded.back(), 2);
    EXPECT_EQ(state.Edit, (EditDescriptor{149, 0, 1}));
    // The WAND page has no node; its own parent is selected.
    session.MenuSelect(*MenuTargetForPage(6, state.ParamImage));
    EXPECT_EQ(state.CurrentPage, 6);
    EXPECT_EQ(view.selectedNode, 2);
    session.MenuSelect(*MenuTargetForPage(24, state.ParamImage));
    EXPECT_EQ(view.selectedNode, 27);

    // Format pages need a selected format: F-2 has base 336.
    EXPECT_FALSE(MenuTargetForPage(30, state.ParamImage));
    state.ParamImage[256] = 2;
    const auto additional = *MenuTargetForPage(30, state.ParamImage);
    EXPECT_EQ(additional.index, 336 + 46);
    EXPECT_EQ(additional.kind, 15);
    session.MenuSelect(*MenuTargetForPage(31, state.ParamImage));
    EXPECT_EQ(state.CurrentPage, 31);
    EXPECT_EQ(view.selectedNode, 33);
}

TEST_F(SettingsSessionTest, TheDataEditChildrenFollowTheFormatSwitchOnce) {
    state.ParamImage[256] = 1;
    session.TreeClick("Data Edit");
    session.TreeClick("Data Edit");
    EXPECT_EQ(view.nodes, 33u);
    EXPECT_EQ(view.treeChanges, 1);
    EXPECT_EQ(view.expanded.back(), 4);
    state.ParamImage[256] = 0;
    session.TreeClick("Data Edit");
    EXPECT_EQ(view.nodes, 27u);
}

TEST_F(SettingsSessionTest, TheInterfaceRowWarnsAboutTheCableAndEdits) {
    view.valueEditor = [this] { state.Scratch[0] = 1; };
    EditRow(1, "Interface");
    EXPECT_EQ(view.valueEditors, 1);
    EXPECT_EQ(prompt.boxes.back().text, text.LoadText(208));
    EXPECT_EQ(state.ParamImage[140], 1);
    EXPECT_FALSE(session.RowIdentified());
}

TEST_F(SettingsSessionTest, EditsGoThroughTheScratchBufferAndReselectTheRow) {
    // A flag: the value editor gets the whole byte.
    state.ParamImage[0] = 0x05;
    view.valueEditor = [this] {
        EXPECT_EQ(state.Scratch[0], 0x05);
        state.Scratch[0] = 0x07;
    };
    EditRow(7, "Code39 CDV");
    EXPECT_EQ(state.ParamImage[0], 0x07);
    EXPECT_EQ(view.selectedRow, 2);
    EXPECT_EQ(view.rows[1].value, "Enable");

    // A code identifier below 256 is two characters in the value editor.
    view.valueEditor = [this] { state.Scratch[1] = 'Q'; };
    EditRow(7, "Set Code ID (Code 39)");
    EXPECT_EQ(state.ParamImage[4], 'Q');
    EXPECT_TRUE(view.keyboardLabels.empty());

    // The preamble: sixteen bytes through the special keyboard, named by its row.
    view.keyboard = [this] {
        state.Scratch[0] = 208;
        state.Scratch[15] = 'Z';
    };
    EditRow(3, "Preamble");
    ASSERT_EQ(view.keyboardLabels, std::vector<std::string>{"Preamble"});
    EXPECT_EQ(state.ParamImage[106], 208);
    EXPECT_EQ(state.ParamImage[121], 'Z');
    EXPECT_EQ(state.ParamImage[107], ResetValue(107));  // bytes the dialog left alone
}

TEST_F(SettingsSessionTest, ClearFormatThreeClearsOnlyItsOwnBytes) {
    state.ParamImage.fill(0x5A);
    state.ParamImage[256] = 4;
    prompt.answers = {PromptAnswer::Cancel};
    EditRow(26, "F-3 Clear Format");
    EXPECT_EQ(state.ParamImage[432], 0x5A);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text, "Format 3 Do you want to clear?\nPress \"OK\" or \"Cancel\"");
    EXPECT_EQ(prompt.boxes[0].title, "Format 3 Clear");

    EditRow(26, "F-3 Clear Format");
    EXPECT_EQ(prompt.boxes.back().text, "Format 3 Clear Completed.");
    for (std::size_t i = 260; i < 516; ++i) {
        const bool cleared = i >= 432 && i <= 500;
        if (i == 256) continue;
        EXPECT_EQ(state.ParamImage[i] == 0, cleared) << i;
    }
}

TEST_F(SettingsSessionTest, AFailedWriteIsReportedAndCancelDoesNothing) {
    prompt.answers = {PromptAnswer::Cancel};
    session.ParametersUpdate();
    EXPECT_EQ(*protocol->writes, 0);
    EXPECT_EQ(view.closes, 0);

    auto* failing = new FakeProtocol(false, true);
    link.SetProtocol(kUsb, std::unique_ptr<LinkProtocol>(failing));
    session.ParametersUpdate();
    EXPECT_EQ(*failing->closes, 1);  // only the final end of the link
    EXPECT_EQ(mainView.messages, std::vector<std::string>{"Parameter programming failed."});
    EXPECT_EQ(view.closes, 1);
}

TEST_F(SettingsSessionTest, SaveAndOpenGoThroughTheDialogsAndTheRememberedPath) {
    const std::string file = (dir.path() / "line1.Dec").string();
    state.Settings.ParamFilePath = dir.path().string() + "/";
    prompt.files = {file};
    session.SaveFile();
    EXPECT_EQ(prompt.requests.back().initialPath, dir.path().string() + "/a.Dec");
    EXPECT_EQ(prompt.requests.back().filter, "(*.Dec)|*.dec;*.DEC;*.Dec");
    EXPECT_EQ(state.Settings.ParamFilePath, file);
    EXPECT_EQ(prompt.boxes.back().text, "QSP setting is saved successfully.");

    const auto saved = state.ParamImage;
    state.ParamImage.fill(1);
    state.CurrentPage = 5;
    session.OpenFile();  // cancelled: nothing
    EXPECT_EQ(state.ParamImage[0], 1);
    EXPECT_EQ(prompt.requests.back().initialPath, file);

    prompt.files = {file};
    session.OpenFile();
    EXPECT_TRUE(std::equal(saved.begin(), saved.begin() + 515, state.ParamImage.begin()));
    EXPECT_EQ(state.ParamImage[515], 1);
    EXPECT_EQ(prompt.boxes.back().text, "Loading completed");
    EXPECT_EQ(view.rows.front().label, "Baud Rate");

    std::ofstream(dir.path() / "short.Dec") << " 1\r\n 2\r\n";
    prompt.files = {(dir.path() / "short.Dec").string()};
    session.OpenFile();
    EXPECT_EQ(prompt.boxes.back().text, "Loading file error!!");
    EXPECT_EQ(prompt.boxes.back().icon, PromptIcon::Critical);
    EXPECT_EQ(state.ParamImage[0], saved[0]);
}

TEST_F(SettingsSessionTest, PrintCancelledWritesNothingAndThePrinterWalksThePages) {
    session.Print();  // the file dialog is cancelled
    EXPECT_EQ(state.CurrentPage, 0);
    EXPECT_EQ(prompt.requests.back().initialPath, (dir.path() / "a.txt").string());

    state.ParamImage[256] = 1;
    view.printOutput = PrintOutput::Printer;
    session.Print();
    EXPECT_EQ(prompt.requests.size(), 1u);
    EXPECT_EQ(view.printouts, 1);
    EXPECT_EQ(view.rows.front().label, "F-1 Code Type");  // the page the walk ended on
}

TEST(LinkClock, CountsWholeSecondsWithCarries) {
    LinkClock clock;
    clock.Reset(std::chrono::seconds(5));
    EXPECT_FALSE(clock.Tick(std::chrono::milliseconds(5900)));
    EXPECT_EQ(clock.Tick(std::chrono::seconds(6)), "Link 0: 0: 1");
    EXPECT_EQ(clock.Tick(std::chrono::seconds(6 + 3599)), "Link 1: 0: 0");
    EXPECT_EQ(clock.Tick(std::chrono::seconds(6 + 3599 + 65)), "Link 1: 1: 5");
}

}  // namespace
}  // namespace qsp
