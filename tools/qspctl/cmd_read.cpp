// qspctl read: the scanner's parameters over RS-232, USB or PS/2 into a parameter file.

#include <unistd.h>
#include <QCoreApplication>
#include <iostream>

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

// The link options shared with write: they override the settings file for this run.
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

int Read(qspctl::CliContext& ctx) {
    qspctl::Args args(ctx.args);
    qsp::AppState state;
    state.SettingsDir = ctx.settingsDir;
    state.Settings = qsp::LoadSettingsFile(ctx.settingsDir);
    const std::string out = args.TakeOption("--output", "-o");
    if (auto p = args.TakeOption("--port"); !p.empty()) state.Settings.CommPort = p;
    const std::string linkName = args.TakeOption("--link");
    const int interface = linkName.empty() ? qsp::kRs232 : qsp::LinkNumber(linkName);
    if (interface < 0) throw qspctl::UsageError{"--link must be rs232, usb or ps2"};
    TakeLinkOptions(args, state.Settings);
    if (!args.Positionals().empty())
        throw qspctl::UsageError{"read takes no file argument; use -o FILE.Dec"};
    if (out.empty()) throw qspctl::UsageError{"read needs -o FILE.Dec"};

    int argc = 1;
    char name[] = "qspctl";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    qsp::QtEventPump pump;
    qsp::StreamView view(std::cerr, ::isatty(2) != 0);
    const qsp::InterfaceText text;
    qsp::ScannerLink link(state, pump, view, text, qsp::QtSerialPort::Factory(ctx.settingsDir));
    qsp::MainLock lock(view, pump);
    lock.SetReceivePoll([&] { link.Serial().ReceivePoll(); });
    qsp::InstallKeyboardWedgeProtocols(link, ctx.settingsDir);

    lock.LockMainWindow();
    const auto result = qsp::ReadScannerImage(link, interface, state.Settings.CommPort);
    lock.UnlockMainWindow(qsp::kButtonSetup);
    view.EndLine();
    if (!result.ok) throw qspctl::Failure{text.LoadText(result.textId)};
    if (!qsp::SaveParamFile(out, state.ParamImage)) throw qspctl::Failure{"cannot write " + out};
    return 0;
}

}  // namespace

QSP_CLI_COMMAND("read",
                "read -o FILE.Dec [--link rs232|usb|ps2] [--port N] [--baud B --parity P --data D "
                "--stop S --delay N --search|--no-search]\n"
                "                            the scanner's parameters into a file",
                Read);
