#include "app/program.h"

#include <QApplication>

#include "base/settings_file.h"
#include "link/busy_device.h"
#include "link/keyboard_wedge_devices.h"
#include "link/qt_serial_port.h"
#include "link/test_window.h"
#include "update/update_settings.h"
#include "workbench/settings_window.h"

namespace qsp {

Program::Program(AppState& state, const InterfaceText& text, std::filesystem::path pictureDir)
    : state_(state),
      text_(text),
      pictureDir_(std::move(pictureDir)),
      window_(state, text, pump_, pictureDir_),
      // Message boxes belong to the window the user is working in.
      prompt_([this] {
          QWidget* active = QApplication::activeWindow();
          return active ? active : static_cast<QWidget*>(&window_);
      }),
      link_(state, pump_, window_, text, QtSerialPort::Factory(state.SettingsDir)),
      operations_(state, pump_, window_, window_.Lock(), prompt_, text, link_),
      updates_(state, pump_, window_, window_.Lock(), prompt_, text, link_, &window_) {
    state_.Settings = LoadSettingsFile(state_.SettingsDir);
    UpdateSettingsModel::StoreListTextsInEnglish(state_.Settings);
    window_.Load();
    window_.Lock().SetReceivePoll([this] { link_.Serial().ReceivePoll(); });
    InstallKeyboardWedgeProtocols(link_, state_.SettingsDir);
    operations_.SetDeviceBusyCheck([this](int interface, const std::string& port) {
        return ScannerDeviceBusy(state_.SettingsDir, interface, port);
    });
    WireCommands();
}

Program::~Program() = default;

void Program::WireCommands() {
    MainWindowCommands commands;
    commands.setup = [this] {
        operations_.ScannerSetup([this] {
            OpenSettingsWindow(state_, pump_, prompt_, text_, link_, window_.Lock(), window_,
                               pictureDir_, &window_);
        });
    };
    commands.test = [this] {
        operations_.ScannerTest([this] {
            ShowTestWindow(state_, pump_, text_, link_, window_, pictureDir_, &window_);
        });
    };
    commands.update = [this] { updates_.RunScannerUpdate(); };
    commands.moreSettings = [this] { updates_.ShowUpdateSettings(UpdateSettingsMode::None); };
    commands.system = [this] { updates_.ShowUpdateSettings(UpdateSettingsMode::System); };
    commands.closePort = [this] { link_.ClosePort(); };
    window_.SetCommands(commands);
}

}  // namespace qsp
