#pragma once
// The settings window's behaviour, apart from its widgets: the current page and row, the row
// lookup, the edit guard, the edit of a row by its kind (value editor, special keyboard, code
// types, Clear Format) through the scratch buffer, Parameters Update, Reset to Default, the
// file commands (Open, Save, Print), closing, and the "Link h:m:s" clock.
//
// The window implements SettingsView and forwards its events here; tests drive the session
// with a recording view and see what the user would see.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "base/event_pump.h"
#include "base/interface_text.h"
#include "base/link_clock.h"
#include "base/main_lock.h"
#include "base/main_view.h"
#include "base/prompt.h"
#include "catalogue/catalogue.h"
#include "link/scanner_link.h"
#include "workbench/page_report.h"
#include "workbench/printout.h"

namespace qsp {

// What the print choice picked: the printer (0) or a text file (1).
enum class PrintOutput { Printer = 0, TextFile = 1 };

// Everything the session asks of the window.
class SettingsView {
public:
    virtual ~SettingsView() = default;

    // The property list now holds these rows, in order; nothing is selected.
    virtual void ShowRows(const std::vector<PropertyRow>& rows) = 0;
    // The label of list row `row` (1-based), "" when there is no such row.
    virtual std::string RowLabel(int row) const = 0;
    // Selects list row `row` (1-based) when it exists.
    virtual void SelectRow(int row) = 0;

    // Tree nodes, numbered from 1 in the order they were added.
    virtual std::size_t TreeNodeCount() const = 0;
    // Adds or removes the six data edit children and enables or disables their menu items.
    virtual void ChangeTree(TreeChange change) = 0;
    virtual void ExpandNode(int node) = 0;
    // Selects node `node`; 0 selects none.
    virtual void SelectNode(int node) = 0;
    virtual void FocusTree() = 0;

    // The modal dialogs. The value editor and the special keyboard edit the scratch buffer; the
    // code type dialog writes the image itself.
    virtual void RunValueEditor() = 0;
    virtual void RunSpecialKeyboard(const std::string& rowLabel) = 0;
    virtual void RunCodeTypes() = 0;
    virtual PrintOutput AskPrintOutput() = 0;
    // Prints the walked pages on the printer (or PDF file) the user picked in the print dialog.
    // False when the printer or the file cannot be opened.
    virtual bool PrintPages(const PrintTarget& target, const std::vector<PrintedPage>& pages) = 0;

    // ProgressBar1 and its per-cent label, shown while the image is written.
    virtual void ShowWriteProgress(bool visible) = 0;
    // Ends the window; its closing runs SettingsSession::Close.
    virtual void CloseWindow() = 0;
};

// A category menu item: what it passes to the selection.
struct MenuTarget {
    int parent = 0;           // top node 1..4
    int child = 0;            // node number as the menu gives it (0 for the Data Edit title)
    std::uint16_t index = 0;  // start index of the edit descriptor
    std::uint16_t kind = 0;   // bit-or-kind of the edit descriptor
};

// The menu item of a page (1..31), with the selected format's base for the data edit pages.
// Nothing for another page, or for pages 27 to 31 while no format is selected.
std::optional<MenuTarget> MenuTargetForPage(int page, const ImageBytes& image);

// The node a menu selection selects: the child node (one less under Symbologies and Data Edit,
// as those menus count it) or the parent when the child is 0.
int MenuNode(const MenuTarget& target);

class SettingsSession {
public:
    SettingsSession(AppState& state, Prompt& prompt, const InterfaceText& text, ScannerLink& link,
                    MainView& mainView, MainLock& mainLock, SettingsView& view);

    // The folder that stands in for the program's "C:\" defaults of the file dialogs.
    void SetHomeFolder(std::filesystem::path home) { home_ = std::move(home); }

    // The window's load: no page, an empty descriptor. The window builds the tree with the data
    // edit children when DataEditChildrenAtOpen() says so.
    void Open();
    bool DataEditChildrenAtOpen() const;

    // Clears the list and fills it with CurrentPage's rows; applies the data edit tree change.
    void ShowPage();
    // Shows each listed page in turn, with everything showing it does (the data edit nodes, the
    // image's corrections), the tree taking the focus; the window is left on the last one.
    std::vector<PageRows> WalkListedPages();

    // A tree node with this caption was clicked.
    void TreeClick(const std::string& caption);
    // A category menu item.
    void MenuSelect(const MenuTarget& target);

    // The row with this label was clicked (or is taken for an edit).
    void IdentifyRow(const std::string& label);
    // The list took the focus; `selectedLabel` is the selected row's label, if a row is selected.
    void ListFocus(const std::optional<std::string>& selectedLabel);
    void RowDoubleClick();
    void EnterKey();

    // True when the edit may go ahead (shows the Interface and Computer Type messages).
    bool EditGuard();
    // Edits the identified row by its kind.
    void Edit();
    // Clear Format of the format the descriptor's index names (1, 2, or 4 for format 3).
    void ClearFormat();

    void ParametersUpdate();
    void ResetToDefault();
    void SaveFile();
    void OpenFile();
    void Print();
    // Asks for a parameter file (starting where Open would) and compares the image with it. Nothing
    // when the user cancels or names no openable file; "Loading file error!!" and nothing for a
    // file Open would refuse. Neither the image nor the remembered path changes.
    struct FileComparison {
        std::string file;
        ImageDifference difference;
    };
    std::optional<FileComparison> CompareWithFile();

    // File menu: the profile of the image (its rows that differ from the factory values) into a
    // file, and a profile applied to the image, whose page is shown again. Applying sends nothing
    // to the scanner; a profile with errors changes nothing and its errors are shown.
    void ExportProfile();
    void ApplyProfileFile();

    // The window's unload: "No change" and the end of the link when nothing was programmed,
    // then the main window is unlocked. Runs once.
    void Close();
    bool Closed() const { return closed_; }

    bool RowIdentified() const { return identified_; }
    const std::string& RowLabelInEdit() const { return label_; }

private:
    std::vector<PropertyRow> ShowCurrentPage();
    bool PageShown() const {
        return state_.CurrentPage >= kFirstPage && state_.CurrentPage <= kLastPage;
    }
    // A page is shown, the row number is not 0 and the row was identified.
    bool CanEdit() const;
    void EditRequest();
    int Interface() const;
    std::string T(int id) const { return text_.LoadText(id); }

    AppState& state_;
    Prompt& prompt_;
    const InterfaceText& text_;
    ScannerLink& link_;
    MainView& mainView_;
    MainLock& mainLock_;
    SettingsView& view_;
    std::filesystem::path home_;
    std::string profilePath_;  // the profile last exported or applied

    bool identified_ = false;
    std::string label_;  // the row last identified
    int focusPage_ = 0;  // CurrentPage at the last focus lookup
    bool closed_ = false;
};

// The bytes Clear Format sets to 0 for format 1, 2 or 3 (both ends included); {0, 0} for
// another number.
std::pair<std::size_t, std::size_t> FormatClearRange(int format);

}  // namespace qsp
