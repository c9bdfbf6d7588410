#pragma once
// What every qspctl command that talks to a scanner sets up: an event loop, the pump, a terminal
// progress view, the link with all three protocols, and the lock that runs the receive poll.

#include <unistd.h>

#include <QCoreApplication>
#include <iostream>

#include "base/app_state.h"
#include "base/interface_text.h"
#include "base/main_lock.h"
#include "base/qt_event_pump.h"
#include "cli.h"
#include "json_output.h"
#include "link/batch_link.h"
#include "link/keyboard_wedge_devices.h"
#include "link/qt_serial_port.h"

namespace qspctl {

// The serial options that override the settings file for one run: --baud, --parity, --data,
// --stop, --delay, --search and --no-search.
struct LinkOptions {
    std::string baud, parity, data, stop;
    int delay = 0;
    bool search = false, noSearch = false;
    // Puts what was given into `settings`.
    void ApplyTo(qsp::AppSettings& settings) const;
};
void AddLinkOptions(CLI::App& command, LinkOptions& options);

// The settings file of the context, read into a fresh application state.
void LoadState(const CliContext& ctx, qsp::AppState& state);

class LinkSession {
public:
    LinkSession(qsp::AppState& state, const CliContext& ctx);

    qsp::EventPump& Pump() { return pump; }

    // The message of text `textId` that an operation on `port` failed with; a connect that
    // failed because another program holds the device says so.
    std::string Why(int textId, int interface, const std::string& port);

    // Runs `operation` with the poll going, as the main window does while locked.
    template <typename F>
    auto Locked(F operation) {
        lock.LockMainWindow();
        auto result = operation();
        lock.UnlockMainWindow(qsp::kButtonSetup);
        view.EndLine();
        return result;
    }

private:
    int argc_ = 1;
    char name_[7] = "qspctl";
    char* argv_[2] = {name_, nullptr};
    QCoreApplication app_{argc_, argv_};

public:
    qsp::QtEventPump pump;
    qsp::StreamView view{std::cerr, ::isatty(2) != 0};
    const qsp::InterfaceText text;  // in the command line's language
    qsp::ScannerLink link;
    qsp::MainLock lock;
};

// What happened to one scanner: "programmed", "unchanged", "read" or "failed", and the line
// that says so.
struct ScannerOutcome {
    bool ok = false;
    std::string result;
    std::string message;
    bool keptLink = false;   // the scanner's own host-link bytes were kept
    bool movedLink = false;  // the scanner was moved to the source's link (--change-link)
    int bytesChanged = 0;    // bytes of the block that were (or would be) programmed
    int blockXor = 0;        // exclusive-or of the block the scanner holds at the end
};

// One scanner set up as deploy sets it up (connect, read, `change`, program only when a byte
// differs, read back and compare): "programmed", "unchanged" or "failed".
// Unless `changeLink`, the scanner stays on its host link.
ScannerOutcome SetUp(LinkSession& session, int interface, const std::string& port,
                     const qsp::BlockChange& change, bool changeLink);

// A scanner set up through SetUp, in `report`: its outcome with "kept_link", "moved_link",
// "bytes_changed" and "block_xor" in the JSON, and the line that says the link was kept
// (standard output) or moved (standard error). `extra` adds keys to the JSON.
void ReportSetUp(ScannerReport& report, const std::string& name, const ScannerOutcome& outcome,
                 qsp::Language language,
                 nlohmann::ordered_json extra = nlohmann::ordered_json::object());

// Reads the scanner on `port` into ParamImage (bytes 512.. zero).
ScannerOutcome ReadScanner(LinkSession& session, qsp::AppState& state, int interface,
                           const std::string& port);

}  // namespace qspctl
