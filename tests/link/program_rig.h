#pragma once
// The main window's side of the program, without its window: the commands (`Operations`) with
// the program's Qt pump, link, serial port and lock over the settings folder `dir`, message boxes
// answered OK. Shared by the end-to-end tests and the window-thread benchmark.

#include <QCoreApplication>
#include <filesystem>

#include "base/main_lock.h"
#include "base/qt_event_pump.h"
#include "base/settings_file.h"
#include "link/fakes.h"
#include "link/qt_serial_port.h"
#include "link/scanner_link.h"

namespace qsptest {

// The process's Qt application: the one that exists, or one made on first use.
inline QCoreApplication& QtApp() {
    if (QCoreApplication* running = QCoreApplication::instance()) return *running;
    static int argc = 1;
    static char name[] = "qsp_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

template <class Operations>
struct ProgramRig {
    explicit ProgramRig(const std::filesystem::path& dir) : folder(dir) {
        state.SettingsDir = dir;
        state.Settings = qsp::LoadSettingsFile(dir);
        lock.SetReceivePoll([this] { link.Serial().ReceivePoll(); });
    }
    // Setup as the main window runs it; true when the settings window would open.
    bool Setup() {
        bool opened = false;
        ops.ScannerSetup([&] { opened = true; });
        return opened;
    }
    std::filesystem::path folder;
    QCoreApplication& app = QtApp();
    qsp::AppState state;
    qsp::QtEventPump pump;
    FakeMainView view;
    FakePrompt prompt;
    qsp::InterfaceText text;
    qsp::ScannerLink link{state, pump, view, text, qsp::QtSerialPort::Factory(folder)};
    qsp::MainLock lock{view, pump};
    Operations ops{state, pump, view, lock, prompt, text, link};
};

}  // namespace qsptest
