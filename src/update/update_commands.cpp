#include "update/update_commands.h"

#include "update/update_settings_window.h"
#include "workbench/default_barcode_window.h"

namespace qsp {

UpdateCommands::UpdateCommands(AppState& state, EventPump& pump, MainView& view, MainLock& lock,
                               Prompt& prompt, const InterfaceText& text, ScannerLink& link,
                               QWidget* mainWindow)
    : state_(state),
      prompt_(prompt),
      text_(text),
      mainWindow_(mainWindow),
      update_(state, pump, view, lock, prompt, text, link) {
    update_.SetSettingsWindow([this](UpdateSettingsMode mode) { ShowUpdateSettings(mode); });
    update_.SetSuccessWindow([this] { ShowUpdateSuccessWindow(prompt_, text_, mainWindow_); });
}

void UpdateCommands::RunScannerUpdate() {
    update_.ScannerUpdateCommand();
}

void UpdateCommands::ShowUpdateSettings(UpdateSettingsMode mode) {
    UpdateSettingsWindow window(state_, prompt_, text_, mode, mainWindow_);
    if (mode == UpdateSettingsMode::System && InterfaceNumber(state_.Settings) != kRs232) {
        window.SetHeightTwips(1500);
    }
    window.exec();
}

}  // namespace qsp
