// qspctl monitor: what the scanner sends over RS-232, as the test window shows it.

#include <csignal>
#include <iostream>

#include "base/text_ids.h"
#include "link/test_session.h"
#include "link_session.h"

namespace {

volatile std::sig_atomic_t gStop = 0;
void OnSignal(int) {
    gStop = 1;
}

// The test window on a terminal: received text on the standard output, the link and the count
// on the standard error.
class TerminalTestView : public qsp::TestView {
public:
    void ShowLink(int, const std::string& text) override {
        if (!text.empty()) link_ = text;
    }
    void ShowClock(const std::string&) override {}
    void ShowTotal(const std::string& text) override {
        if (text == total_) return;
        total_ = text;
        std::cerr << text << "\n" << std::flush;
    }
    // Text before the port is listening is the connect's failure line, reported on exit.
    void AppendText(const std::string& text) override {
        if (live) std::cout << text << std::flush;
    }
    void CaretToEnd() override {}
    void FocusText() override {}
    const std::string& Link() const { return link_; }
    bool live = false;

private:
    std::string link_;
    std::string total_;
};

struct MonitorOptions {
    std::string port;
    bool count = false;
    long items = 0;
};

int Monitor(const MonitorOptions& o, qspctl::CliContext& ctx) {
    qsp::AppState state;
    qspctl::LoadState(ctx, state);
    state.Settings.InterfaceIndex = "0";
    if (!o.port.empty()) state.Settings.CommPort = o.port;
    const long items = o.items;
    state.Settings.TestCount = o.count || items > 0;

    qspctl::LinkSession scanner(state, ctx);
    auto& pump = scanner.pump;
    auto& progress = scanner.view;
    const auto& text = scanner.text;
    auto& link = scanner.link;
    auto& lock = scanner.lock;

    lock.LockMainWindow();
    if (state.Settings.TestCount) {
        // Counting needs the scanner's terminator, and its own serial settings with it.
        const auto read = qsp::ReadScannerImage(link, qsp::kRs232, state.Settings.CommPort);
        progress.EndLine();
        if (!read.ok) throw qspctl::Failure{text.LoadText(read.textId)};
    }
    TerminalTestView view;
    qsp::TestSession session(state, pump, text, link.Serial(), view);
    if (!session.Activate() || !session.Listening()) {
        progress.EndLine();
        throw qspctl::Failure{
            state.Settings.TestCount
                ? qsp::FillText(text.LoadText(qsp::kTextCannotOpenPort),
                                {state.Settings.CommPort,
                                 qsp::ScannerSerialSettings(state.ParamImage).Text()})
                : text.LoadText(qsp::kTextCannotConnect)};
    }
    progress.EndLine();
    std::cerr << "Listening: " << view.Link() << "\n" << std::flush;
    view.live = true;

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    const auto done = [&] {
        return gStop != 0 || (items > 0 && session.Counter().Count() >= items);
    };
    // A second of passes at a time: the pump's wait is bounded.
    const auto second =
        static_cast<std::uint64_t>(std::chrono::seconds(1) / qsp::EventPump::kPassDuration);
    while (!done())
        pump.RunPasses(second, done);
    session.Close();
    link.ClosePort();
    lock.UnlockMainWindow(qsp::kButtonTest);
    std::cout << std::flush;
    return 0;
}

qspctl::CommandRun DefineMonitor(CLI::App& command) {
    auto o = qspctl::Options<MonitorOptions>();
    command.add_option("--port", o->port, "the serial port")->type_name("N");
    command.add_flag("--count", o->count, "count the items by the scanner's terminator");
    command.add_option("--items", o->items, "stop after N items")
        ->type_name("N")
        ->check(CLI::PositiveNumber.description(""));
    return [o](qspctl::CliContext& ctx) { return Monitor(*o, ctx); };
}

}  // namespace

QSP_CLI_COMMAND("monitor",
                "what the scanner sends over RS-232, as it arrives; with --count the items by its "
                "terminator (Total: n on the error output), until interrupted or after N items",
                DefineMonitor);
