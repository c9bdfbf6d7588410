#include "workbench/settings_session.h"

#include <algorithm>
#include <array>
#include <system_error>

#include "base/file_io.h"
#include "base/settings_file.h"
#include "base/text_ids.h"
#include "base/text_number.h"
#include "catalogue/catalogue_text.h"
#include "catalogue/reset_values.h"
#include "workbench/param_file.h"
#include "workbench/param_listing.h"
#include "workbench/profile.h"
#include "workbench/remembered_path.h"

namespace qsp {
namespace {

constexpr std::size_t kSwitchIndex = 256;
constexpr std::size_t kInterfaceIndex = 140;
constexpr std::size_t kComputerTypeIndex = 139;
constexpr std::uint8_t kInterfaceUsbKeyboard = 3;
constexpr const char* kParamFileFilter = "(*.Dec)|*.dec;*.DEC;*.Dec";
constexpr const char* kListingFilter = "*.Txt";

// The first index of each symbology page's menu item, pages 7 to 24.
constexpr std::array<std::uint16_t, 18> kSymbologyFirstIndex = {
    0, 9, 18, 23, 28, 33, 38, 43, 48, 58, 63, 67, 71, 75, 79, 84, 93, 156};

}  // namespace

std::optional<MenuTarget> MenuTargetForPage(int page, const ImageBytes& image) {
    switch (page) {
        case 1:
            return MenuTarget{1, 5, 139, kEditWholeByte};
        case 2:
            return MenuTarget{1, 6, 152, kEditWholeByte};
        case 3:
            return MenuTarget{1, 7, 149, 4};
        case 4:
            return MenuTarget{2, 8, 149, 0};
        case 5:
            return MenuTarget{2, 9, 142, kEditWholeByte};
        case 6:
            return MenuTarget{2, 10, 154, 0};
        case kDataEditPage:
            return MenuTarget{4, 0, 260, kEditWholeByte};
        case kFormatSettingPage:
            return MenuTarget{4, 29, 260, kEditWholeByte};
        default:
            break;
    }
    if (page >= kFirstSymbologyPage && page <= kLastSymbologyPage) {
        return MenuTarget{
            3, page + 4, kSymbologyFirstIndex[static_cast<std::size_t>(page - kFirstSymbologyPage)],
            0};
    }
    if (page < 27 || page > kLastPage) return std::nullopt;
    const auto format = SelectedFormat(image);
    if (!format) return std::nullopt;
    const auto base = static_cast<std::uint16_t>(format->base);
    switch (page) {
        case 27:
            return MenuTarget{4, 30, static_cast<std::uint16_t>(base + 29), kEditWholeByte};
        case 28:
            return MenuTarget{4, 31, static_cast<std::uint16_t>(base + 34), kEditWholeByte};
        case 29:
            return MenuTarget{4, 32, static_cast<std::uint16_t>(base + 39), kEditWholeByte};
        case 30:
            return MenuTarget{4, 33, static_cast<std::uint16_t>(base + 46),
                              static_cast<std::uint16_t>(kEditRunBase + 5)};
        default:
            return MenuTarget{4, 34, static_cast<std::uint16_t>(base + 18), kEditCodeTypes};
    }
}

int MenuNode(const MenuTarget& target) {
    if (target.child == 0) return target.parent;
    // The WAND page has no node of its own: its menu item counts the Code 39 node, so the
    // Interface Settings node it belongs under is selected instead.
    if (target.parent == 2 && target.child == 10) return 2;
    return target.parent > 2 ? target.child - 1 : target.child;
}

std::pair<std::size_t, std::size_t> FormatClearRange(int format) {
    switch (format) {
        case 1:
            return {272, 340};
        case 2:
            return {352, 420};
        case 3:
            return {432, 500};
        default:
            return {0, 0};
    }
}

SettingsSession::SettingsSession(AppState& state, Prompt& prompt, const InterfaceText& text,
                                 ScannerLink& link, MainView& mainView, MainLock& mainLock,
                                 SettingsView& view)
    : state_(state),
      prompt_(prompt),
      text_(text),
      link_(link),
      mainView_(mainView),
      mainLock_(mainLock),
      view_(view),
      home_(HomeFolder()) {}

int SettingsSession::Interface() const {
    return InterfaceNumber(state_.Settings);
}

void SettingsSession::Open() {
    state_.Edit = EditDescriptor{};
    state_.CurrentPage = 0;
    identified_ = false;
    focusPage_ = 0;
}

bool SettingsSession::DataEditChildrenAtOpen() const {
    return HasDataEditChildren(state_.ParamImage);
}

void SettingsSession::ShowPage() {
    ShowCurrentPage();
}

std::vector<PropertyRow> SettingsSession::ShowCurrentPage() {
    auto rows = qsp::ShowPage(state_.ParamImage, state_.CurrentPage);
    if (!PageShown()) {
        state_.CurrentPage = 0;
        state_.Edit.row = 0;
    }
    const TreeChange change =
        DataEditTreeChange(state_.ParamImage, state_.CurrentPage, view_.TreeNodeCount());
    if (change != TreeChange::None) view_.ChangeTree(change);
    if (state_.CurrentPage == kDataEditPage && HasDataEditChildren(state_.ParamImage)) {
        view_.ExpandNode(4);
    }
    view_.ShowRows(rows);
    return rows;
}

std::vector<PageRows> SettingsSession::WalkListedPages() {
    std::vector<PageRows> shown;
    for (int page : ListedPages(state_.ParamImage)) {
        state_.CurrentPage = page;
        shown.push_back({page, PageHeading(page), ShowCurrentPage()});
        view_.FocusTree();
    }
    return shown;
}

void SettingsSession::TreeClick(const std::string& caption) {
    state_.CurrentPage = PageForCaption(caption, T(kDataEditTextId));
    if (state_.CurrentPage == 0) {
        state_.Edit.row = 0;
        identified_ = false;
    }
    ShowPage();
}

void SettingsSession::MenuSelect(const MenuTarget& target) {
    view_.ExpandNode(target.parent);
    if (target.parent < 4) {
        state_.CurrentPage = target.child - 4;
    } else {
        state_.CurrentPage = target.child == 0 ? kDataEditPage : target.child - 3;
    }
    ShowPage();
    state_.Edit = EditDescriptor{target.index, target.kind, 1};
    view_.SelectNode(MenuNode(target));
    view_.FocusTree();
}

void SettingsSession::IdentifyRow(const std::string& label) {
    identified_ = true;
    focusPage_ = state_.CurrentPage;
    label_ = label;
    if (!PageShown()) {
        identified_ = false;
        return;
    }
    if (const auto edit = LookupRow(state_.ParamImage, state_.CurrentPage, label)) {
        state_.Edit = *edit;
    }
}

void SettingsSession::ListFocus(const std::optional<std::string>& selectedLabel) {
    if (state_.CurrentPage == focusPage_ && !(PageShown() && state_.Edit.row == 0)) return;
    focusPage_ = state_.CurrentPage;
    if (selectedLabel) IdentifyRow(*selectedLabel);
}

void SettingsSession::RowDoubleClick() {
    EditRequest();
}

void SettingsSession::EnterKey() {
    if (PageShown() && state_.Edit.row != 0 && !identified_) {
        const std::string label = view_.RowLabel(state_.Edit.row);
        if (!label.empty()) IdentifyRow(label);
    }
    EditRequest();
}

bool SettingsSession::CanEdit() const {
    return PageShown() && state_.Edit.row != 0 && identified_;
}

void SettingsSession::EditRequest() {
    // With no page, no row or no identified row there is nothing to edit, and nothing to guard.
    if (CanEdit() && EditGuard()) Edit();
    identified_ = false;
}

bool SettingsSession::EditGuard() {
    if (state_.ParamImage[kInterfaceIndex] == kInterfaceUsbKeyboard &&
        state_.Edit.index == kComputerTypeIndex) {
        prompt_.MessageBox(T(151), T(149), PromptIcon::Information, PromptButtons::Ok);
        return false;
    }
    if (state_.Edit.index == kInterfaceIndex) {
        prompt_.MessageBox(T(208), T(149), PromptIcon::Information, PromptButtons::Ok);
    }
    return true;
}

void SettingsSession::Edit() {
    if (!CanEdit()) return;
    const std::size_t index = state_.Edit.index;
    const int kind = state_.Edit.bitOrKind;
    auto& image = state_.ParamImage;
    auto& scratch = state_.Scratch;
    if (kind < 11) {
        if (!InImage(index)) return;
        scratch[0] = image[index];
        view_.RunValueEditor();
        image[index] = scratch[0];
    } else if (kind == kEditClearFormat) {
        ClearFormat();
    } else if (kind == kEditCodeTypes) {
        view_.RunCodeTypes();
    } else {
        const std::size_t room = index < image.size() ? image.size() - index : 0;
        const std::size_t n =
            std::min({static_cast<std::size_t>(kind - kEditRunBase), scratch.size(), room});
        std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(index), n, scratch.begin());
        if (kind == kEditRunBase + 2 && index < 256) {
            view_.RunValueEditor();
        } else {
            view_.RunSpecialKeyboard(label_);
        }
        std::copy_n(scratch.begin(), n, image.begin() + static_cast<std::ptrdiff_t>(index));
    }
    ShowPage();
    if (image[kSwitchIndex] != 0 && state_.CurrentPage == kDataEditPage) {
        view_.FocusTree();
    } else {
        view_.SelectRow(state_.Edit.row);
    }
}

void SettingsSession::ClearFormat() {
    const int format = state_.Edit.index == 4 ? 3 : state_.Edit.index;
    const std::string name = CatalogueText(text_.language())("Format") + NumberText(format);
    const auto answer = prompt_.MessageBox(name + " " + T(152) + "\n" + T(123), name + " " + T(115),
                                           PromptIcon::Information, PromptButtons::OkCancel);
    if (answer != PromptAnswer::Ok) return;
    const auto [first, last] = FormatClearRange(format);
    if (last == 0) return;
    std::fill(state_.ParamImage.begin() + static_cast<std::ptrdiff_t>(first),
              state_.ParamImage.begin() + static_cast<std::ptrdiff_t>(last + 1), 0);
    prompt_.MessageBox(name + " " + T(153), T(115), PromptIcon::Information, PromptButtons::Ok);
}

void SettingsSession::ParametersUpdate() {
    const auto answer = prompt_.MessageBox(T(160) + "\n" + T(123), T(161), PromptIcon::Information,
                                           PromptButtons::OkCancel);
    if (answer != PromptAnswer::Ok) return;
    const int link = Interface();
    view_.ShowWriteProgress(true);
    const bool written = link_.WriteParameters(link);
    view_.ShowWriteProgress(false);
    if (written && link_.CloseScannerLink(link)) {
        mainView_.AddMessage(T(162));
        prompt_.MessageBox(T(162), T(149), PromptIcon::Information, PromptButtons::Ok);
        state_.ProgrammedFlag = true;
    }
    link_.CloseScannerLink(link);
    if (!state_.ProgrammedFlag) {
        mainView_.AddMessage(T(163));
        prompt_.MessageBox(T(163), T(149), PromptIcon::Information, PromptButtons::Ok);
        state_.ProgrammedFlag = true;
    }
    view_.CloseWindow();
}

void SettingsSession::ResetToDefault() {
    const auto answer = prompt_.MessageBox(T(154) + "\n" + T(123), T(164), PromptIcon::Information,
                                           PromptButtons::OkCancel);
    if (answer != PromptAnswer::Ok) return;
    ResetImage(state_.ParamImage, Interface(), state_.CurrentPage);
    ShowPage();
    prompt_.MessageBox(T(155), T(164), PromptIcon::Information, PromptButtons::Ok);
}

void SettingsSession::SaveFile() {
    CurrentFolderGuard folder;
    const auto rules = ParamFileSaveRules();
    auto& remembered = state_.Settings.ParamFilePath;
    remembered = UsableRememberedPath(remembered, rules, home_);
    const auto chosen =
        prompt_.SaveFileName({T(140), kParamFileFilter, "Dec", SaveDialogName(remembered, rules)});
    if (!chosen) return;
    remembered = RememberDialogChoice(*chosen, rules);
    if (NamesFolder(remembered)) return;
    if (SaveParamFile(remembered, state_.ParamImage)) {
        prompt_.MessageBox(T(159), T(140), PromptIcon::Information, PromptButtons::Ok);
    } else {
        // There is no message for a file that cannot be written; the beep says it was not saved.
        prompt_.Beep();
    }
}

void SettingsSession::OpenFile() {
    CurrentFolderGuard folder;
    const auto rules = ParamFileOpenRules();
    auto& remembered = state_.Settings.ParamFilePath;
    remembered = UsableRememberedPath(remembered, rules, home_);
    const auto chosen =
        prompt_.OpenFileName({T(156), kParamFileFilter, "Dec", OpenDialogName(remembered, rules)});
    if (!chosen) return;
    remembered = RememberDialogChoice(*chosen, rules);
    if (NamesFolder(remembered) || !IsOpenableParamFile(remembered)) return;
    if (!LoadParamFile(remembered, state_.ParamImage).ok) {
        prompt_.MessageBox(T(157), T(156), PromptIcon::Critical, PromptButtons::Ok);
        return;
    }
    ShowPage();
    prompt_.MessageBox(T(158), T(156), PromptIcon::Information, PromptButtons::Ok);
}

std::optional<SettingsSession::FileComparison> SettingsSession::CompareWithFile() {
    CurrentFolderGuard folder;
    const auto rules = ParamFileOpenRules();
    const auto start = UsableRememberedPath(state_.Settings.ParamFilePath, rules, home_);
    const auto chosen =
        prompt_.OpenFileName({T(239), kParamFileFilter, "Dec", OpenDialogName(start, rules)});
    if (!chosen) return std::nullopt;
    const auto name = RememberDialogChoice(*chosen, rules);
    if (NamesFolder(name) || !IsOpenableParamFile(name)) return std::nullopt;
    ImageBytes file = state_.ParamImage;  // the byte no file holds stays the window's
    if (!LoadParamFile(name, file).ok) {
        prompt_.MessageBox(T(157), T(239), PromptIcon::Critical, PromptButtons::Ok);
        return std::nullopt;
    }
    return FileComparison{name, CompareImages(state_.ParamImage, file)};
}

void SettingsSession::Print() {
    if (view_.AskPrintOutput() == PrintOutput::Printer) {
        CurrentFolderGuard folder;
        const auto target = prompt_.PrintDialog("");
        if (!target) return;  // cancelled: nothing walked, nothing printed
        // The walk happens whatever the printer then does: the window stays on the last page.
        const auto pages = PrintedPages(WalkListedPages(), text_);
        if (!view_.PrintPages(*target, pages)) prompt_.Beep();
        return;
    }
    CurrentFolderGuard folder;
    const auto rules = ListingFileRules();
    auto& remembered = state_.Settings.TextFilePath;
    remembered = UsableRememberedPath(remembered, rules, home_);
    const auto chosen =
        prompt_.SaveFileName({T(200), kListingFilter, "Txt", SaveDialogName(remembered, rules)});
    if (!chosen) return;
    remembered = RememberDialogChoice(*chosen, rules);
    if (NamesFolder(remembered)) return;
    const std::string listing = ListingText(WalkListedPages(), text_);
    if (!SaveListing(remembered, listing)) prompt_.Beep();
}

void SettingsSession::ExportProfile() {
    CurrentFolderGuard folder;
    const std::string initial =
        profilePath_.empty() ? (home_ / ("profile" + std::string(kProfileExtension))).string()
                             : profilePath_;
    const auto chosen =
        prompt_.SaveFileName({T(211), T(218) + "|*.qsp-profile", "qsp-profile", initial});
    if (!chosen) return;
    profilePath_ = *chosen;
    const std::string profile = ProfileText(ProfileRows(state_.ParamImage, false), "");
    if (WriteFileAtomically(*chosen, profile)) {
        prompt_.MessageBox(T(213), T(211), PromptIcon::Information, PromptButtons::Ok);
    } else {
        prompt_.MessageBox(T(216) + "\n" + *chosen, T(211), PromptIcon::Critical,
                           PromptButtons::Ok);
    }
}

void SettingsSession::ApplyProfileFile() {
    CurrentFolderGuard folder;
    const std::string initial = profilePath_.empty() ? home_.string() : profilePath_;
    const auto chosen =
        prompt_.OpenFileName({T(212), T(218) + "|*.qsp-profile", "qsp-profile", initial});
    if (!chosen) return;
    profilePath_ = *chosen;
    const auto text = ReadWholeFile(*chosen);
    const auto result = text ? ApplyProfile(state_.ParamImage, *text, *chosen)
                             : ProfileResult{{{*chosen, 0, {kTextCannotReadProfile, {}}}}, 0};
    if (!result.ok()) {
        prompt_.MessageBox(T(215) + "\n" + result.Describe(text_), T(212), PromptIcon::Critical,
                           PromptButtons::Ok);
        return;
    }
    ShowPage();
    prompt_.MessageBox(
        T(214) + "\n" + T(219) + NumberText(static_cast<long long>(result.changedBytes)), T(212),
        PromptIcon::Information, PromptButtons::Ok);
}

void SettingsSession::Close() {
    if (closed_) return;
    closed_ = true;
    if (!state_.ProgrammedFlag) {
        link_.CloseScannerLink(Interface());
        prompt_.MessageBox(T(150), T(149), PromptIcon::Exclamation, PromptButtons::Ok);
        mainView_.AddMessage(T(150));
    }
    mainLock_.UnlockMainWindow(kButtonSetup);
}

}  // namespace qsp
