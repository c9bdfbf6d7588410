#pragma once
// "Barcode Scanner Settings": the category tree, the property list of the current page, the File
// menu and the four category menus, the five command buttons, and the status bar with the link,
// the "Link h:m:s" clock and the progress of a write. The window is thin: what a click or a key
// means is decided by SettingsSession.

#include <QMainWindow>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "base/app_state.h"
#include "base/event_pump.h"
#include "base/interface_text.h"
#include "base/main_lock.h"
#include "base/main_view.h"
#include "base/prompt.h"
#include "link/scanner_link.h"
#include "workbench/settings_session.h"

class QAction;
class QIcon;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace qsp {

class FocusColours;
class RowListDialog;

class SettingsWindow : public QMainWindow, public SettingsView {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Barcode Scanner Settings";

    // The File commands, by button (Command1) index.
    enum Command { kUpdate = 0, kDefault = 1, kSave = 2, kOpen = 3, kPrint = 4, kExit = 5 };

    SettingsWindow(AppState& state, EventPump& pump, Prompt& prompt, const InterfaceText& text,
                   ScannerLink& link, MainLock& mainLock, MainView& mainView,
                   std::filesystem::path pictureDir, QWidget* mainWindow);
    ~SettingsWindow() override;

    // How the value editor is shown (modal, on the scratch buffer and the edit descriptor).
    void SetValueEditor(std::function<void(QWidget* parent)> editor) {
        valueEditor_ = std::move(editor);
    }

    SettingsSession& Session() { return *session_; }
    QTreeWidget* Tree() const { return tree_; }
    QTreeWidget* List() const { return list_; }
    QPushButton* Command1(int index) const { return command1_[static_cast<std::size_t>(index)]; }
    QTreeWidgetItem* Node(int number) const;
    QLabel* LinkPanel() const { return linkText_; }
    QLabel* LinkIcon() const { return linkIcon_; }
    QLabel* ClockPanel() const { return clock_; }
    QProgressBar* ProgressBar() const { return progressBar_; }

    // Find, Show Only Changed and Compare With File: each opens a list of rows over the window;
    // choosing a row shows its page as the tree does and selects the row.
    void ShowFind();
    void ShowChanged();
    void ShowCompare();
    // Shows page `page` as choosing its tree node does (the WAND page as its menu item does) and
    // selects and identifies list row `row` (from 1) when the page shows it.
    void GoToRow(int page, int row);

    // SettingsView
    void ShowRows(const std::vector<PropertyRow>& rows) override;
    std::string RowLabel(int row) const override;
    void SelectRow(int row) override;
    std::size_t TreeNodeCount() const override { return nodes_.size(); }
    void ChangeTree(TreeChange change) override;
    void ExpandNode(int node) override;
    void SelectNode(int node) override;
    void FocusTree() override;
    void RunValueEditor() override;
    void RunSpecialKeyboard(const std::string& rowLabel) override;
    void RunCodeTypes() override;
    PrintOutput AskPrintOutput() override;
    bool PrintPages(const PrintTarget& target, const std::vector<PrintedPage>& pages) override;
    void ShowWriteProgress(bool visible) override;
    void CloseWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    void BuildStatusBar();
    void ApplyLanguage();
    void AddNode(const TreeNode& node);
    void RunCommand(int command);
    void TreeItemClicked(QTreeWidgetItem* item);
    void SetWriteProgress(int value, int maximum);
    void Tick();
    QIcon NodeIcon(int image, int selectedImage) const;
    void BuildFindMenu();
    void MarkChangedRows();
    RowListDialog* NewRowList(int title, const std::vector<int>& headers, int emptyText);

    AppState& state_;
    EventPump& pump_;
    Prompt& prompt_;
    const InterfaceText& text_;
    ScannerLink& link_;
    std::filesystem::path pictureDir_;
    QWidget* mainWindow_;
    std::unique_ptr<SettingsSession> session_;
    std::function<void(QWidget*)> valueEditor_;
    LinkClock linkClock_;
    EventPump::TimerId timer2_ = 0;
    bool started_ = false;
    bool quiet_ = false;
    QTreeWidgetItem* clickOnCurrent_ = nullptr;

    QWidget* area_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QTreeWidget* list_ = nullptr;
    std::vector<QTreeWidgetItem*> nodes_;  // by node number - 1
    std::vector<TreeNode> treeNodes_;
    std::array<QPushButton*, 5> command1_{};
    QMenu* munFile_ = nullptr;
    std::array<QAction*, 6> fileItems_{};
    QAction* exportProfileItem_ = nullptr;  // "Export Profile…"
    QAction* applyProfileItem_ = nullptr;   // "Apply Profile…"
    std::array<QMenu*, 4> categoryMenus_{};
    std::vector<QAction*> dataEditItems_;   // pages 26 to 31
    QAction* dataEditTitleItem_ = nullptr;  // page 25, while every format is off
    QLabel* linkIcon_ = nullptr;
    QLabel* linkText_ = nullptr;
    QLabel* clock_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QLabel* schedule_ = nullptr;
    FocusColours* focusColours_ = nullptr;
};

// Opens the settings window, modeless, over the parameter image just read from the scanner. The
// window deletes itself when it closes; closing it unlocks the main window.
SettingsWindow* OpenSettingsWindow(AppState& state, EventPump& pump, Prompt& prompt,
                                   const InterfaceText& text, ScannerLink& link, MainLock& mainLock,
                                   MainView& mainView, std::filesystem::path pictureDir,
                                   QWidget* mainWindow);

}  // namespace qsp
