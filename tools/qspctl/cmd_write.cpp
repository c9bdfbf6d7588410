// qspctl write: a parameter file into one scanner or several over RS-232, or into the scanner
// on USB or PS/2.

#include <unistd.h>
#include <QCoreApplication>
#include <iostream>
#include <sstream>

#include "app/app_state.h"
#include "app/interface_text.h"
#include "app/main_lock.h"
#include "app/qt_event_pump.h"
#include "cli.h"
#include "link/batch_link.h"
#include "link/keyboard_wedge_devices.h"
#include "link/qt_serial_port.h"
#include "workbench/param_file.h"

namespace {

void TakeLinkOptions(qspctl::Args& args, qsp::AppSettings& s) {
    if (auto v = args.TakeOption("--baud"); !v.empty()) s.BaudRate = v;
    if (auto v = args.TakeOption("--parity"); !v.empty()) s.DataParity = v;
    if (auto v = args.TakeOption("--data"); !v.empty()) s.DataLength = v;
    if (auto v = args.TakeOption("--stop"); !v.empty()) s.StopBits = v;
    if (auto v = args.TakeOption("--delay"); !v.empty()) {
        try {
            s.Rs232Delay = std::stoi(v);
        } catch (const std::exception&) {
            throw qspctl::UsageError{"--delay needs a whole number, not '" + v + "'"};
        }
        if (s.Rs232Delay <= 0) throw qspctl::UsageError{"--delay must be at least 1"};
    }
    if (args.TakeFlag("--search")) s.Automation = true;
    if (args.TakeFlag("--no-search")) s.Automation = false;
}

int Write(qspctl::CliContext& ctx) {
    qspctl::Args args(ctx.args);
    qsp::AppState state;
    state.SettingsDir = ctx.settingsDir;
    state.Settings = qsp::LoadSettingsFile(ctx.settingsDir);
    // --port may repeat and may list several ports: --port 1 --port 2 or --port 1,2.
    std::vector<std::string> ports;
    for (std::string p = args.TakeOption("--port"); !p.empty(); p = args.TakeOption("--port")) {
        std::stringstream list(p);
        for (std::string item; std::getline(list, item, ',');) {
            if (!item.empty()) ports.push_back(item);
        }
    }
    const std::string linkName = args.TakeOption("--link");
    const int interface = linkName.empty() ? qsp::kRs232 : qsp::LinkNumber(linkName);
    if (interface < 0) throw qspctl::UsageError{"--link must be rs232, usb or ps2"};
    // One scanner on a keyboard-wedge link.
    if (interface != qsp::kRs232) ports.assign(1, state.Settings.CommPort);
    if (ports.empty()) ports.push_back(state.Settings.CommPort);
    TakeLinkOptions(args, state.Settings);
    const auto files = args.Positionals();
    if (files.size() != 1) throw qspctl::UsageError{"write needs one parameter file"};

    const qsp::InterfaceText text;
    const auto loaded = qsp::LoadParamFile(files[0], state.ParamImage);
    if (!loaded.ok) {
        throw qspctl::Failure{files[0] + ": " + text.LoadText(157) + " " + loaded.Describe()};
    }

    int argc = 1;
    char name[] = "qspctl";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    qsp::QtEventPump pump;
    qsp::StreamView view(std::cerr, ::isatty(2) != 0);
    qsp::ScannerLink link(state, pump, view, text, qsp::QtSerialPort::Factory(ctx.settingsDir));
    qsp::MainLock lock(view, pump);
    lock.SetReceivePoll([&] { link.Serial().ReceivePoll(); });
    qsp::InstallKeyboardWedgeProtocols(link, ctx.settingsDir);

    int failures = 0;
    for (const auto& port : ports) {
        lock.LockMainWindow();
        const auto result = qsp::WriteScannerImage(link, interface, port);
        lock.UnlockMainWindow(qsp::kButtonSetup);
        view.EndLine();
        const std::string line =
            qsp::LinkName(interface, port) + ": " + text.LoadText(result.textId);
        if (result.ok) {
            std::cout << line << "\n" << std::flush;
        } else {
            std::cerr << "qspctl: " << line << "\n" << std::flush;
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace

QSP_CLI_COMMAND("write",
                "write FILE.Dec [--link rs232|usb|ps2] [--port N[,N...]]... [--baud B --parity P "
                "--data D --stop S --delay N --search|--no-search]\n"
                "                            program a parameter file into each scanner in turn",
                Write);
