#pragma once
// The main window's Setup and Test commands: lock the window, connect, read the scanner's
// parameters into ParamImage, report each step in the message list, and hand over to the
// settings window or the test window.

#include <functional>

#include "base/app_state.h"
#include "base/event_pump.h"
#include "base/interface_text.h"
#include "base/main_lock.h"
#include "base/main_view.h"
#include "base/prompt.h"
#include "link/scanner_link.h"

namespace qsp {

class MainOperations {
public:
    MainOperations(AppState& state, EventPump& pump, MainView& view, MainLock& lock, Prompt& prompt,
                   const InterfaceText& text, ScannerLink& link);

    // Scanner setup. On success `openSettingsWindow` shows the settings window (modeless) and
    // the main window stays locked until that window closes; otherwise the main window is
    // unlocked with the focus on Setup.
    void ScannerSetup(const std::function<void()>& openSettingsWindow);

    // Scanner test. With TestCount on it first reads the scanner's parameters (for its serial
    // settings and terminator) and ends the link; then `openTestWindow` shows the test window
    // modally. The main window is unlocked with the focus on Test afterwards.
    void ScannerTest(const std::function<void()>& openTestWindow);

    // Whether the device a connect on (interface, port) opens is held by another program; when
    // it is, a failed connect says so after "Cannot connect to scanner.".
    using DeviceBusy = std::function<bool(int interface, const std::string& port)>;
    void SetDeviceBusyCheck(DeviceBusy busy) { busy_ = std::move(busy); }

private:
    // "Cannot connect to scanner.", and why when another program holds the device.
    void CannotConnect(int interface);
    // Copies the serial read's block (received bytes 1..512) into ParamImage bytes 0..511.
    void TakeSerialImage();
    // Lets pending events run UsbDelay x `scale` (rounded) + 1 times.
    void Pause(double scale);

    AppState& state_;
    EventPump& pump_;
    MainView& view_;
    MainLock& lock_;
    Prompt& prompt_;
    const InterfaceText& text_;
    ScannerLink& link_;
    DeviceBusy busy_;
};

}  // namespace qsp
