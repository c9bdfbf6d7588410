#pragma once
// The running program: the main window with every operation wired to the link and the other
// windows. main() makes one; end-to-end tests make one over a folder of their own.

#include <filesystem>
#include <memory>

#include "app/main_operations.h"
#include "app/main_window.h"
#include "base/app_state.h"
#include "base/interface_text.h"
#include "base/qt_event_pump.h"
#include "base/qt_prompt.h"
#include "link/scanner_link.h"
#include "update/update_commands.h"

namespace qsp {

class Program {
public:
    // Reads the settings from state.SettingsDir and loads the main window (not shown yet).
    Program(AppState& state, const InterfaceText& text, std::filesystem::path pictureDir);
    ~Program();

    MainWindow& Window() { return window_; }
    ScannerLink& Link() { return link_; }
    EventPump& Pump() { return pump_; }
    Prompt& Prompts() { return prompt_; }

private:
    void WireCommands();

    AppState& state_;
    const InterfaceText& text_;
    std::filesystem::path pictureDir_;
    QtEventPump pump_;
    MainWindow window_;
    QtPrompt prompt_;
    ScannerLink link_;
    MainOperations operations_;
    UpdateCommands updates_;
};

}  // namespace qsp
