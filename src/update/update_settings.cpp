#include "update/update_settings.h"

#include <filesystem>

#include "base/file_io.h"
#include "base/text_number.h"
#include "catalogue/catalogue_text.h"
#include "workbench/remembered_path.h"

namespace qsp {

namespace {

constexpr int kTextOpenUpdateFile = 103;

}  // namespace

const std::vector<std::string>& UpdateSettingsModel::Items(int index) {
    static const std::array<std::vector<std::string>, 6> items = [] {
        std::array<std::vector<std::string>, 6> lists;
        for (int port = 1; port <= 16; ++port)
            lists[0].push_back(std::to_string(port));
        lists[1] = {"38400", "19200", "9600", "4800", "2400", "1200", "600", "300"};
        lists[2] = {"None", "Even", "Odd", "Space", "Mark"};
        lists[3] = {"7 bits", "8 bits"};
        lists[4] = {"1 bit", "2 bits"};
        lists[5] = {"KTX - Type", "Y-modem"};
        return lists;
    }();
    static const std::vector<std::string> none;
    return index >= 0 && index < 6 ? items[static_cast<std::size_t>(index)] : none;
}

void UpdateSettingsModel::StoreListTextsInEnglish(AppSettings& settings) {
    settings.DataParity = EnglishChoice(settings.DataParity, Items(2));
    settings.DataLength = EnglishChoice(settings.DataLength, Items(3));
    settings.StopBits = EnglishChoice(settings.StopBits, Items(4));
}

UpdateSettingsModel::UpdateSettingsModel(AppState& state, Prompt& prompt, const InterfaceText& text,
                                         UpdateSettingsMode mode)
    : state_(state), prompt_(prompt), text_(text), mode_(mode) {}

UpdateSettingsLayout UpdateSettingsModel::Activate() {
    UpdateSettingsLayout layout;
    const AppSettings& s = state_.Settings;
    interface_ = InterfaceNumber(s);
    if (interface_ == kUsb || interface_ == kPs2) {
        layout.keyboardLink = true;
        layout.delayLabel = interface_ == kUsb ? 7 : 8;
        values_.usbDelay = s.UsbDelay;
        values_.ps2Delay = s.Ps2Delay;
        return layout;
    }
    layout.automation = true;
    if (mode_ == UpdateSettingsMode::Update) {
        layout.pathFrame = true;
        layout.openMenu = true;
        layout.lists = 6;
        state_.UpdateConfirmed = false;
    } else {
        layout.shortWindow = true;
        layout.lists = 5;
        if (mode_ == UpdateSettingsMode::System) layout.delayLabel = 6;
    }
    values_.path = s.UpdateFilesPath;
    values_.rs232Delay = std::to_string(s.Rs232Delay);
    values_.lists[0] = s.CommPort;
    values_.lists[1] = s.BaudRate;
    values_.lists[2] = s.DataParity;
    values_.lists[3] = s.DataLength;
    values_.lists[4] = s.StopBits;
    values_.automation = s.Automation;
    UpdateTypeClick(state_.UpdateType == kUpdateYmodem ? kUpdateYmodem : kUpdateKtx);
    return layout;
}

void UpdateSettingsModel::UpdateTypeClick(int index) {
    const auto& types = Items(5);
    if (index < 0 || index >= static_cast<int>(types.size())) return;
    updateType_ = index;
    values_.lists[5] = types[static_cast<std::size_t>(index)];
    if (index == kUpdateYmodem) {
        values_.lists[1] = kUpdateRate;
        state_.UpdateType = kUpdateYmodem;
    } else {
        values_.lists[1] = state_.Settings.BaudRate;
        state_.UpdateType = kUpdateKtx;
    }
}

void UpdateSettingsModel::Exit() {
    AppSettings& s = state_.Settings;
    if (interface_ == kUsb) {
        s.UsbDelay = values_.usbDelay;
        return;
    }
    if (interface_ == kPs2) {
        s.Ps2Delay = values_.ps2Delay;
        return;
    }
    s.Rs232Delay = RoundHalfEven(NumericValue(values_.rs232Delay));
    s.UpdateFilesPath = values_.path;
    s.CommPort = values_.lists[0];
    state_.UpdateType = updateType_;
    // The update's own rate is never kept as the link's.
    if (values_.lists[1] != kUpdateRate && updateType_ != kUpdateYmodem)
        s.BaudRate = values_.lists[1];
    s.DataParity = values_.lists[2];
    s.DataLength = values_.lists[3];
    s.StopBits = values_.lists[4];
    s.Automation = values_.automation;
    if (mode_ == UpdateSettingsMode::Update) state_.UpdateConfirmed = true;
}

void UpdateSettingsModel::OpenUpdatePath() {
    CurrentFolderGuard folder;
    // A folder ends with a separator; "*.bin" in the proposed name stands for "any file in it".
    const RememberedPathRules rules{"", "*.bin", 3, true};
    std::string& path = values_.path;
    // Where the program on Windows starts from "C:\", this system starts from the home folder;
    // a remembered Windows drive path that does not exist here moves into it too.
    path = UsableRememberedPath(path, rules, HomeFolder());
    const std::string proposed = OpenDialogName(path, rules);
    const auto chosen =
        prompt_.OpenFileName({text_.LoadText(kTextOpenUpdateFile), kFileFilter, "bin", proposed});
    // A cancelled dialog keeps the proposed name.
    path = RememberDialogChoice(chosen.value_or(proposed), rules);
}

void UpdateSettingsModel::TestSwitch() {
    const CatalogueText translate(text_.language());
    const std::string text = translate("The Test is check run.") + "\n [ " +
                             translate(state_.Settings.TestCount ? "True" : "False") + " ]";
    if (prompt_.MessageBox(text, translate("Change"), PromptIcon::Information,
                           PromptButtons::OkCancel) == PromptAnswer::Ok) {
        state_.Settings.TestCount = !state_.Settings.TestCount;
    }
}

}  // namespace qsp
