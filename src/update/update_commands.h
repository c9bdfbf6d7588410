#pragma once
// The main window's update commands: Scanner Update, the advanced-settings button and the System
// menu. main() makes one and hands its functions to the window's hooks.

#include "update/firmware_update.h"

class QWidget;

namespace qsp {

class UpdateCommands {
public:
    UpdateCommands(AppState& state, EventPump& pump, MainView& view, MainLock& lock, Prompt& prompt,
                   const InterfaceText& text, ScannerLink& link, QWidget* mainWindow);

    // Scanner Update: the settings window in update mode, then the update of the chosen type,
    // the "Update Success !" window after a good one.
    void RunScannerUpdate();

    // The update settings window, modally: from the System menu (System) or the advanced-settings
    // button (None). From the System menu on USB or PS/2 the window is 1500 twips high.
    void ShowUpdateSettings(UpdateSettingsMode mode);

    FirmwareUpdate& Update() { return update_; }

private:
    AppState& state_;
    Prompt& prompt_;
    const InterfaceText& text_;
    QWidget* mainWindow_;
    FirmwareUpdate update_;
};

}  // namespace qsp
