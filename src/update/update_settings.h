#pragma once
// What the update settings window ("System Setting") shows and saves: the link settings, the
// receive delay of the current host link, Auto Detection, the update type and the update file's
// path. The window holds the controls; this model decides what is shown, fills the values from
// the settings and copies them back on "EXIT [OK]".

#include <array>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "base/interface_text.h"
#include "base/prompt.h"
#include "update/firmware_update.h"

namespace qsp {

// What the window shows after activation.
struct UpdateSettingsLayout {
    bool keyboardLink = false;  // USB or PS/2: only that link's delay and the OK button
    int delayLabel = -1;        // Label1 index of the shown delay: 6 RS-232, 7 USB, 8 PS/2, -1 none
    int lists = 0;              // Combo1(0) .. Combo1(lists - 1) are shown
    bool automation = false;    // Check1
    bool pathFrame = false;     // the update file's path box and browse button
    bool openMenu = false;      // the Open Update Path menu
    bool shortWindow = false;   // the window is cut to 3120 twips, below the Update Type row
};

// The controls' values.
struct UpdateSettingsValues {
    std::array<std::string, 6> lists;  // Comm Port, Baud Rate, Data Parity, Data Length, Stop Bits,
                                       // Update Type
    std::string path;                  // Text1(0)
    std::string rs232Delay;            // Text1(1)
    std::string usbDelay;              // Text1(2)
    std::string ps2Delay;              // Text1(3)
    bool automation = false;           // Check1
};

class UpdateSettingsModel {
public:
    static constexpr const char* kCaption = "System Setting";
    static constexpr const char* kFileFilter = "(*.bin)|*.bin;*.BIN";
    // Shown in the Baud Rate box while "Y-modem" is chosen; never saved.
    static constexpr const char* kUpdateRate = "115200";

    // The items of Combo1(index).
    static const std::vector<std::string>& Items(int index);
    // The stored serial texts (parity, data length, stop bits) in the words of the lists' English
    // items, when a settings file holds them in another language.
    static void StoreListTextsInEnglish(AppSettings& settings);

    UpdateSettingsModel(AppState& state, Prompt& prompt, const InterfaceText& text,
                        UpdateSettingsMode mode);

    // Decides what is shown and fills the values from the settings; in update mode it clears
    // UpdateConfirmed. Selecting the update type runs UpdateTypeClick.
    UpdateSettingsLayout Activate();

    // The Update Type list was clicked: "KTX - Type" shows BaudRate, "Y-modem" shows 115200.
    // UpdateType changes at once, even when the window is later closed without "EXIT [OK]".
    void UpdateTypeClick(int index);

    // "EXIT [OK]": copies the values into the settings (per link) and, in update mode, confirms.
    void Exit();

    // Open Update Path: the file dialog, proposed on the path box's file or folder.
    void OpenUpdatePath();

    // The hidden switch: asks, and on OK inverts TestCount.
    void TestSwitch();

    UpdateSettingsValues& Values() { return values_; }
    int UpdateTypeIndex() const { return updateType_; }
    UpdateSettingsMode Mode() const { return mode_; }

private:
    AppState& state_;
    Prompt& prompt_;
    const InterfaceText& text_;
    UpdateSettingsMode mode_;
    int interface_ = kRs232;
    int updateType_ = kUpdateKtx;
    UpdateSettingsValues values_;
};

}  // namespace qsp
