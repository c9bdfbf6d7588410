#include "deploy.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <sstream>

#include "base/child_supervisor.h"
#include "base/text_ids.h"
#include "deploy_report.h"
#include "link/busy_device.h"
#include "link/ports_folder_watch.h"
#include "link/udev_watch.h"
#include "link_session.h"

namespace qspctl {

namespace fs = std::filesystem;

namespace {

// SIGINT and SIGTERM as input on a descriptor, for the wait; held back otherwise, and back to
// how they were when deploy ends.
struct StopSignals {
    StopSignals() {
        ::sigemptyset(&set);
        ::sigaddset(&set, SIGINT);
        ::sigaddset(&set, SIGTERM);
        ::pthread_sigmask(SIG_BLOCK, &set, &before);
        fd = ::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    }
    ~StopSignals() {
        // A stop that came after the end is taken here, not left to end the process.
        if (fd >= 0) {
            Take();
            ::close(fd);
        }
        ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    }
    // The stops that arrived since the last look.
    int Take() const {
        int n = 0;
        signalfd_siginfo info;
        while (::read(fd, &info, sizeof info) == sizeof info)
            ++n;
        return n;
    }
    sigset_t set, before;
    int fd = -1;
};

std::string LinkText(int interface) {
    return interface == qsp::kUsb ? "usb" : interface == qsp::kPs2 ? "ps2" : "rs232";
}

// A real device is reached through a settings folder of its own whose ports/ entry leads to it,
// so the links find it where they find the virtual scanner.
struct PrivatePorts {
    explicit PrivatePorts(const qsp::ScannerPlace& place) {
        std::string t = (fs::temp_directory_path() / "qspctl-deploy-XXXXXX").string();
        if (!::mkdtemp(t.data())) return;
        dir = t;
        std::error_code ec;
        fs::create_directories(dir / "ports", ec);
        const char* entry = place.interface == qsp::kUsb   ? "USB"
                            : place.interface == qsp::kPs2 ? "PS2"
                                                           : "COM1";
        fs::create_symlink(place.device, dir / "ports" / entry, ec);
        if (ec) dir.clear();
    }
    ~PrivatePorts() {
        std::error_code ec;
        if (!dir.empty()) fs::remove_all(dir, ec);
    }
    fs::path dir;
};

// The child: sets up the scanner at `place` and writes
// "result<TAB>bytes<TAB>xor<TAB>host link<TAB>message".
int SetUpInChild(int resultFd, pid_t parent, const CliContext& ctx,
                 const qsp::AppSettings& settings, const qsp::ScannerPlace& place,
                 const qsp::BlockChange& change, bool changeLink) {
    // The links' progress and messages are the parent's to tell, one line per scanner.
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) ::dup2(null, 2);
    CliContext child = ctx;
    std::string port = "1";
    std::unique_ptr<PrivatePorts> own;
    if (place.IsDevicePath()) {
        own = std::make_unique<PrivatePorts>(place);
        if (own->dir.empty()) {
            const std::string line =
                "failed\t0\t0\t0\t" +
                qsp::FillText(qsp::InterfaceText(ctx.language).LoadText(qsp::kTextCannotReach),
                              {place.device}) +
                "\n";
            return ::write(resultFd, line.data(), line.size()) > 0 ? 0 : 1;
        }
        child.settingsDir = own->dir;
    } else if (place.interface == qsp::kRs232) {
        port = place.device.substr(3);  // COM<n>
    }
    qsp::AppState state;
    state.SettingsDir = child.settingsDir;
    state.Settings = settings;
    state.Settings.InterfaceIndex = std::to_string(place.interface);
    LinkSession session(state, child);
    // Nobody would record a write made after deploy is gone: none is started then. One that
    // has started goes on to its read-back, and the child ends after it.
    const qsp::BlockChange checked = [&](qsp::ImageBytes& block) {
        if (::getppid() != parent) return session.text.LoadText(qsp::kTextDeployerGone);
        return change(block);
    };
    qsp::SetupOutcome out = session.Locked([&] {
        return qsp::SetUpScanner(session.link, place.interface, port, checked, changeLink);
    });
    // A device another program holds has a scanner, maybe, but was not ours to touch.
    if (out.result == qsp::SetupResult::NoScanner &&
        qsp::ScannerDeviceBusy(state.SettingsDir, place.interface, port)) {
        out.result = qsp::SetupResult::Failed;
        out.message = session.text.LoadText(qsp::kTextDeviceBusy);
    }
    // The host link: 0 as it was, 1 the scanner's own kept, 2 moved to the source's.
    const int hostLink = out.keptLink ? 1 : out.movedLink ? 2 : 0;
    const std::string line =
        qsp::SetupResultName(out.result) + "\t" + std::to_string(out.bytesChanged) + "\t" +
        std::to_string(out.blockXor) + "\t" + std::to_string(hostLink) + "\t" + out.message + "\n";
    return ::write(resultFd, line.data(), line.size()) == static_cast<ssize_t>(line.size()) ? 0 : 1;
}

// The parent's record of a child that ended.
DeployRecord RecordOf(const qsp::ScannerPlace& place, const qsp::ChildSupervisor::Ended& e,
                      const qsp::InterfaceText& text) {
    DeployRecord r;
    r.time = NowUtc();
    r.link = LinkText(place.interface);
    r.device = place.device;
    r.seconds = e.seconds;
    r.result = e.stopped ? "interrupted" : "failed";
    std::istringstream fields(e.result);
    std::string result, bytes, x, hostLink, message;
    // A child that was cut off after it wrote its whole result still counts by its result.
    const bool whole = !e.result.empty() && e.result.back() == '\n';
    if ((!e.problem.empty() && !(e.stopped && whole)) || !std::getline(fields, result, '\t') ||
        !std::getline(fields, bytes, '\t') || !std::getline(fields, x, '\t') ||
        !std::getline(fields, hostLink, '\t') || !std::getline(fields, message)) {
        r.message = e.problem.empty() ? text.LoadText(qsp::kTextNoSetupResult) : e.problem.In(text);
        return r;
    }
    r.result = result;
    r.bytesChanged = std::atoi(bytes.c_str());
    r.blockXor = std::atoi(x.c_str());
    r.keptLink = hostLink == "1";
    r.movedLink = hostLink == "2";
    r.message = message;
    return r;
}

}  // namespace

int RunDeploy(const CliContext& ctx, const qsp::AppSettings& settings, const DeployOptions& o) {
    const qsp::InterfaceText text(ctx.language);
    const auto say = [&ctx](int id, const std::vector<std::string>& args) {
        return Say(ctx.language, id, args);
    };
    ReportFile report;
    if (!o.report.empty()) {
        std::string why;
        if (!report.Open(o.report.string(), why))
            throw Failure{say(qsp::kTextCannotWriteReport, {o.report.string() + ": " + why})};
    }
    const StopSignals stopSignals;
    if (stopSignals.fd < 0) throw Failure{text.LoadText(qsp::kTextCannotWatchStops)};
    ::signal(SIGPIPE, SIG_IGN);
    const pid_t self = ::getpid();

    qsp::Fleet fleet(o.jobs);
    // With --once, arrivals count only until the scanners present at the start are known.
    bool takeArrivals = true;
    auto apply = [&](const qsp::ArrivalDecision& change) {
        if (change.what == qsp::Arrival::None) return;
        if (change.what == qsp::Arrival::Arrived && !takeArrivals) return;
        fleet.Apply(change);
        std::cerr << "qspctl: deploy: "
                  << say(change.what == qsp::Arrival::Arrived ? qsp::kTextPluggedIn
                                                              : qsp::kTextUnplugged,
                         {change.place.device, LinkText(change.place.interface)})
                  << "\n"
                  << std::flush;
    };
    qsp::ArrivalFilter filter = o.filter;
    qsp::UdevWatch udev;
    std::vector<int> watched{stopSignals.fd};
    std::string where = (ctx.settingsDir / "ports").string();
    if (o.udev && (filter.rs232 || filter.usb)) {
        qsp::TextMessage error;
        if (udev.Start(error)) {
            filter.udev = true;
            watched.push_back(udev.Fd());
            where = say(qsp::kTextAndUdev, {where});
            for (const auto& d : udev.Present())
                apply(qsp::DecideArrival(d, filter));
        } else {
            std::cerr << "qspctl: deploy: "
                      << say(qsp::kTextWatchingOnly, {say(error.id, error.args), where}) << "\n";
        }
    }
    qsp::PortsFolderWatch folderWatch;
    if (folderWatch.Start(ctx.settingsDir)) watched.push_back(folderWatch.Fd());
    std::set<qsp::ScannerPlace> folder = qsp::PortsFolderPlaces(ctx.settingsDir, filter);
    for (const auto& c : qsp::PlaceChanges({}, folder))
        apply(c);
    takeArrivals = !o.once;
    std::cerr << "qspctl: deploy: "
              << say(o.once ? qsp::kTextSettingUpOnce : qsp::kTextWatching, {where}) << "\n"
              << std::flush;

    const auto bound = qsp::SetupBound(settings);
    qsp::ChildSupervisor children;
    std::map<int, qsp::ScannerPlace> running;
    DeployTotals totals;
    bool reportLost = false;
    // A scanner done: its lines, as soon as it is done.
    auto record = [&](const DeployRecord& r) {
        totals.Count(r);
        std::cout << HumanLine(r, totals, text) << "\n" << std::flush;
        std::string why;
        if (report.IsOpen() && !report.Append(JsonLine(r), why)) {
            reportLost = true;
            std::cerr << "qspctl: deploy: "
                      << say(qsp::kTextCannotWriteReport, {o.report.string() + ": " + why}) << "\n"
                      << std::flush;
        }
    };
    auto done = [&](const qsp::ScannerPlace& place, const qsp::ChildSupervisor::Ended& e) {
        const DeployRecord r = RecordOf(place, e, text);
        record(r);
        fleet.Finished(place, r.result == "programmed" || r.result == "unchanged");
    };
    int stops = 0;
    for (;;) {
        if (stops == 0) {
            for (const auto& place : fleet.TakeStartable()) {
                const int id = children.Start(
                    [&](int fd) {
                        return SetUpInChild(fd, self, ctx, settings, place, o.change, o.changeLink);
                    },
                    bound);
                if (id >= 0) {
                    running[id] = place;
                    continue;
                }
                qsp::ChildSupervisor::Ended e;
                e.problem = {qsp::kTextCannotStartSetup, {}};
                done(place, e);
            }
        }
        if (children.Running() == 0 && (stops > 0 || (o.once && fleet.Waiting() == 0))) break;

        std::vector<int> ready;
        for (const auto& e : children.Wait(std::chrono::milliseconds(100), watched, &ready)) {
            const qsp::ScannerPlace place = running[e.id];
            running.erase(e.id);
            done(place, e);
        }
        for (int fd : ready) {
            if (fd == stopSignals.fd) {
                // The first stop starts nothing new and lets running set-ups finish; a second
                // one ends them.
                for (int n = stopSignals.Take(); n > 0; --n) {
                    if (++stops == 1 && children.Running() > 0)
                        std::cerr << "qspctl: deploy: " << text.LoadText(qsp::kTextStopping) << "\n"
                                  << std::flush;
                    if (stops == 2) children.StopAll();
                }
            } else if (fd == folderWatch.Fd()) {
                // Removed since the last look: unplugged, even when it is back already.
                for (const auto& name : folderWatch.TakeRemoved()) {
                    for (auto it = folder.begin(); it != folder.end();) {
                        if (it->device != name) {
                            ++it;
                            continue;
                        }
                        apply({qsp::Arrival::Left, *it});
                        it = folder.erase(it);
                    }
                }
            } else {
                for (const auto& d : udev.TakeEvents()) {
                    apply(qsp::DecideArrival(d, filter));
                }
            }
        }
        const auto now = qsp::PortsFolderPlaces(ctx.settingsDir, filter);
        for (const auto& c : qsp::PlaceChanges(folder, now)) {
            apply(c);
        }
        folder = now;
    }
    // Scanners still waiting at a stop: each has its line too.
    for (const auto& place : fleet.TakeWaiting()) {
        DeployRecord r;
        r.time = NowUtc();
        r.link = LinkText(place.interface);
        r.device = place.device;
        r.result = "not started";
        r.message = text.LoadText(qsp::kTextStoppedBeforeStart);
        record(r);
    }
    std::cout << say(totals.All() == 1 ? qsp::kTextTotalOne : qsp::kTextTotalMany,
                     {std::to_string(totals.All()), TotalsLine(totals, text)})
              << "\n"
              << std::flush;
    return totals.AllSetUp(o.strict) && !reportLost ? 0 : 1;
}

}  // namespace qspctl
