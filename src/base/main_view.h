#pragma once
// What operations started from the main window need from it. The Qt main window implements
// this; tests use a recording fake.

#include <string>

namespace qsp {

// Main-window command buttons, by Command1 index.
enum MainButton : int {
    kButtonExit = 0,
    kButtonSetup = 1,
    kButtonUpdate = 2,
    kButtonTest = 3,
    kButtonClear = 4,
    kButtonMoreSet = 5,
};

class MainView {
public:
    virtual ~MainView() = default;

    // Appends a line to the message list and makes it the visible, selected last line.
    virtual void AddMessage(const std::string& text) = 0;

    // Locked: commands, menus and the interface frame disabled, F1 help off. Unlocked: all
    // enabled again, the focus on `focusButton`, F1 help on.
    virtual void SetLocked(bool locked, int focusButton) = 0;

    // ProgressBar1 (0..maximum) and the per-cent label beside it; a maximum of 0 hides both.
    virtual void SetProgress(int value, int maximum) = 0;

    // Label2, the serial settings being tried during a search.
    virtual void SetSearchText(const std::string& text, bool visible) = 0;

    // Text2 (DelayBox): carries the USB/PS/2 time-out factor in use.
    virtual void SetDelayBox(const std::string& text) = 0;

    // Rebuilds LinkLabel from the settings.
    virtual void RefreshLinkLabel() = 0;
};

}  // namespace qsp
