// QSP: sets up a handheld barcode scanner from this computer.

#include <QApplication>
#include <QLocale>

#include "app/app_paths.h"
#include "app/app_state.h"
#include "app/interface_text.h"
#include "app/main_operations.h"
#include "app/main_window.h"
#include "app/qt_event_pump.h"
#include "app/qt_prompt.h"
#include "app/settings_file.h"
#include "app/single_instance.h"
#include "link/qt_serial_port.h"
#include "link/scanner_link.h"
#include "workbench/settings_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("qsp");

    const auto exeDir = qsp::ExecutableDir();
    qsp::AppState state;
    state.SettingsDir = qsp::SettingsDirFor(exeDir);

    // A second copy ends at once: no window, and the settings file is left alone.
    qsp::SingleInstance instance(state.SettingsDir);
    if (instance.AnotherIsRunning()) return 0;

    const qsp::InterfaceText text(qsp::LanguageForLocale(QLocale::system().name().toStdString()));
    qsp::QtEventPump pump;
    qsp::MainWindow window(state, text, pump, qsp::PictureDirFor(exeDir));
    // Message boxes belong to the window the user is working in.
    qsp::QtPrompt prompt([&window] {
        QWidget* active = QApplication::activeWindow();
        return active ? active : &window;
    });

    state.Settings = qsp::LoadSettingsFile(state.SettingsDir);
    window.Load();

    qsp::ScannerLink link(state, pump, window, text, qsp::QtSerialPort::Factory(state.SettingsDir));
    window.Lock().SetReceivePoll([&link] { link.Serial().ReceivePoll(); });
    qsp::MainOperations operations(state, pump, window, window.Lock(), prompt, text, link);

    qsp::MainWindowCommands commands;
    commands.setup = [&] {
        operations.ScannerSetup([&] {
            qsp::OpenSettingsWindow(state, pump, prompt, text, link, window.Lock(), window,
                                    qsp::PictureDirFor(exeDir), &window);
        });
    };
    commands.test = [&] { operations.ScannerTest([] {}); };
    commands.closePort = [&link] { link.ClosePort(); };
    window.SetCommands(commands);
    window.show();
    return app.exec();
}
