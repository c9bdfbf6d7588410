// Faults of the scanner and of the line on every link, as the user meets them: Setup, Scanner
// Test and Parameters Update against the scanner models on the virtual clock. Each case checks
// what the user is told, that the main window is unlocked, that a failed read leaves the
// parameter image alone, and that the next operation, with the fault gone, works.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <fstream>
#include <functional>

#include "app/file_io.h"
#include "app/main_lock.h"
#include "app/main_operations.h"
#include "fakes.h"
#include "link/ps2_protocol.h"
#include "link/scanner_link.h"
#include "link/test_session.h"
#include "link/usb_protocol.h"
#include "test_support/temp_dir.h"
#include "virtual_line.h"
#include "wedge_fakes.h"
#include "workbench/param_file.h"
#include "workbench/settings_fakes.h"
#include "workbench/settings_session.h"

namespace {

using qspsim::Faults;
using qspsim::Stage;
using std::chrono::milliseconds;
using std::chrono::seconds;

const std::string kCannotConnect = "Cannot connect to scanner.";
const std::string kLoadFailed = "Failed to load parameter!!";
const std::string kProgrammed = "Parameter is programmed successfully.";
const std::string kProgramFailed = "Parameter programming failed.";

// Offered every host byte before the scanner: answers what `hook` adds, takes the byte from the
// scanner when it returns true.
class Intercept : public qspsim::LineTaker {
public:
    using Hook = std::function<bool(std::uint8_t, bool, std::vector<qspsim::Answer>&)>;
    bool Take(std::uint8_t byte, bool configuring, const qspsim::LineView&, qspsim::Micros,
              std::vector<qspsim::Answer>& answers, std::vector<std::string>&) override {
        return hook && hook(byte, configuring, answers);
    }
    Hook hook;
};

// The keyboard-wedge libraries with a hook after every message the host writes.
class HookedUsb : public qsptest::ModelUsbLib {
public:
    using ModelUsbLib::ModelUsbLib;
    std::int16_t WriteUsbKb(std::int32_t h, const std::uint8_t* r, std::int32_t n) override {
        const auto ok = ModelUsbLib::WriteUsbKb(h, r, n);
        if (afterWrite) afterWrite(++writes);
        return ok;
    }
    std::function<void(int)> afterWrite;
    int writes = 0;
};

class HookedPs2 : public qsptest::ModelPs2Lib {
public:
    using ModelPs2Lib::ModelPs2Lib;
    std::int32_t WritePs2Kb(std::int32_t h, const std::uint8_t* f, std::int32_t n) override {
        const auto ok = ModelPs2Lib::WritePs2Kb(h, f, n);
        if (afterWrite) afterWrite(++writes);
        return ok;
    }
    std::function<void(int)> afterWrite;
    int writes = 0;
};

// The settings window as far as Parameters Update needs it: closing it ends the session.
class ClosingSettingsView : public qsp::SettingsView {
public:
    void ShowRows(const std::vector<qsp::PropertyRow>&) override {}
    std::string RowLabel(int) const override { return {}; }
    void SelectRow(int) override {}
    std::size_t TreeNodeCount() const override { return 0; }
    void ChangeTree(qsp::TreeChange) override {}
    void ExpandNode(int) override {}
    void SelectNode(int) override {}
    void FocusTree() override {}
    void RunValueEditor() override {}
    void RunSpecialKeyboard(const std::string&) override {}
    void RunCodeTypes() override {}
    qsp::PrintOutput AskPrintOutput() override { return qsp::PrintOutput::TextFile; }
    bool PrintListing() override { return false; }
    void ShowWriteProgress(bool) override {}
    void CloseWindow() override {
        if (session) session->Close();
    }
    qsp::SettingsSession* session = nullptr;
};

// One scanner behind all three links, with the program's link, main operations and main lock.
struct Rig {
    explicit Rig(int interface) {
        state.Settings = qsp::ParseSettings("");
        state.Settings.InterfaceIndex = std::to_string(interface);
        state.Settings.Rs232Delay = 20;
        auto usb = std::make_unique<HookedUsb>(usbWire, usbHandles);
        usbLib = usb.get();
        link.SetProtocol(qsp::kUsb,
                         std::make_unique<qsp::UsbProtocol>(state, pump, view, std::move(usb)));
        auto ps2 = std::make_unique<HookedPs2>(ps2Wire, ps2Handles);
        ps2Lib = ps2.get();
        link.SetProtocol(
            qsp::kPs2, std::make_unique<qsp::Ps2Protocol>(state, pump, view, text, std::move(ps2)));
        model.AddTaker(&intercept);
        lock.SetReceivePoll([this] { link.Serial().ReceivePoll(); });
        state.ParamImage.fill(0x5A);
    }
    int Interface() const { return qsp::InterfaceNumber(state.Settings); }

    void Inject(const Faults& f) {
        faults = f;
        model.SetFaults(f);
    }
    // The fault goes away; the user waits a while (late answers die out) before the next try.
    void Heal() {
        Inject({});
        intercept.hook = nullptr;
        usbLib->afterWrite = nullptr;
        ps2Lib->afterWrite = nullptr;
        usbHandles.present = ps2Handles.present = true;
        pump.Advance(seconds(60));
    }
    qsp::ImageBytes ScannerImage(const qsp::ImageBytes& tail) const {
        qsp::ImageBytes image = tail;
        std::copy(model.block().begin(), model.block().end(), image.begin());
        return image;
    }
    // Setup; true when the settings window opened (its session is then `session`).
    bool Setup() {
        bool opened = false;
        ops.ScannerSetup([&] {
            opened = true;
            session = std::make_unique<qsp::SettingsSession>(state, prompt, text, link, view, lock,
                                                             settingsView);
            settingsView.session = session.get();
            session->Open();
        });
        return opened;
    }
    // Setup, a changed byte, Parameters Update: the last message of the main window's list.
    std::string Program(std::uint8_t value) {
        if (!Setup()) return "settings window did not open";
        state.ParamImage[10] = value;
        session->ParametersUpdate();
        return view.messages.back();
    }
    void ExpectIdle(int focus) const {
        EXPECT_FALSE(view.locked);
        EXPECT_EQ(view.focus, focus);
        EXPECT_FALSE(lock.PollRunning());
    }

    Faults faults;
    qspsim::ScannerModel model{qspsim::FactoryBlock()};
    qspsim::UsbWedgeModel usbModel{model.block(), faults};
    qspsim::Ps2WedgeModel ps2Model{model.block(), faults};
    Intercept intercept;
    qsp::AppState state;
    qsp::VirtualPump pump;
    qsptest::FakeMainView view;
    qsptest::FakePrompt prompt;
    qsp::InterfaceText text;
    qsptest::WedgeWire usbWire{pump, &usbModel};
    qsptest::WedgeWire ps2Wire{pump, &ps2Model};
    qsptest::HandleTable usbHandles;
    qsptest::HandleTable ps2Handles;
    HookedUsb* usbLib = nullptr;
    HookedPs2* ps2Lib = nullptr;
    qsptest::VirtualLine line{pump, &model};
    qsp::ScannerLink link{state, pump, view, text, line.Factory()};
    qsp::MainLock lock{view, pump};
    qsp::MainOperations ops{state, pump, view, lock, prompt, text, link};
    ClosingSettingsView settingsView;
    std::unique_ptr<qsp::SettingsSession> session;
};

Faults NoAnswer(Stage s) {
    Faults f;
    f.noAnswer = s;
    return f;
}
Faults Late(Stage s, seconds by) {
    Faults f;
    f.late = s;
    f.lateBy = by;
    return f;
}
Faults Corrupt() {
    Faults f;
    f.corruptRead = true;
    return f;
}
Faults Short() {
    Faults f;
    f.shortRead = true;
    return f;
}
Faults CloseAfter(long bytes) {
    Faults f;
    f.closeAfter = bytes;
    return f;
}
Faults Nak() {
    Faults f;
    f.nakWrite = true;
    return f;
}

struct SetupCase {
    const char* name;
    int link;
    std::function<void(Rig&)> inject;
    std::string last;  // the last line of the message list
    bool loadFailed;   // the read failed: the "unplug" box
};

std::function<void(Rig&)> With(Faults f) {
    return [f](Rig& rig) { rig.Inject(f); };
}

// Bytes the scanner puts on the line, just before its answer to `trigger`.
std::function<void(Rig&)> NoiseBefore(std::uint8_t trigger, bool configuring,
                                      std::vector<std::uint8_t> noise) {
    return [=](Rig& rig) {
        rig.intercept.hook = [=](std::uint8_t b, bool config, std::vector<qspsim::Answer>& a) {
            if (b == trigger && config == configuring) a.push_back({noise, qspsim::Micros(50), 0});
            return false;
        };
    };
}

// The device goes (its handle dies, its port closes) after the host's `writes`-th message.
std::function<void(Rig&)> UnplugAfter(int writes) {
    return [writes](Rig& rig) {
        rig.usbLib->writes = rig.ps2Lib->writes = 0;
        auto unplug = [&rig, writes](int n) {
            if (n != writes) return;
            rig.usbHandles.open.clear();
            rig.ps2Handles.open.clear();
            rig.usbHandles.present = rig.ps2Handles.present = false;
        };
        rig.usbLib->afterWrite = unplug;
        rig.ps2Lib->afterWrite = unplug;
    };
}

// A wedge answer that is not one: a message of noise before the scanner's next answer.
std::function<void(Rig&)> GarbageMessageAfter(int writes) {
    return [writes](Rig& rig) {
        rig.usbLib->writes = rig.ps2Lib->writes = 0;
        rig.usbLib->afterWrite = [&rig, writes](int n) {
            if (n == writes) rig.usbWire.Queue({0, 'Z', 'Z', 'Z', 'Z', 'Z', 'Z', 'Z', 'Z'});
        };
        rig.ps2Lib->afterWrite = [&rig, writes](int n) {
            if (n == writes) rig.ps2Wire.Queue({0x2C, 0x2C, 0x2C, 0x2C, 0x2C, 0x2C, 0x2C, 0x2C});
        };
    };
}

void RunSetupCase(const SetupCase& c) {
    SCOPED_TRACE(c.name);
    Rig rig(c.link);
    c.inject(rig);
    const auto before = rig.state.ParamImage;
    EXPECT_FALSE(rig.Setup());
    ASSERT_FALSE(rig.view.messages.empty());
    EXPECT_EQ(rig.view.messages.back(), c.last);
    rig.ExpectIdle(qsp::kButtonSetup);
    EXPECT_EQ(rig.state.ParamImage, before);
    ASSERT_EQ(rig.prompt.boxes.size(), c.loadFailed ? 1u : 0u);
    if (c.loadFailed) {
        EXPECT_EQ(rig.prompt.boxes[0].text,
                  "Please unplug and then plug the scanner back in again.");
    }

    // The scanner is plugged in again: the next setup reads its block.
    rig.Heal();
    rig.view.messages.clear();
    ASSERT_TRUE(rig.Setup()) << (rig.view.messages.empty() ? "" : rig.view.messages.back());
    EXPECT_EQ(rig.view.messages.back(), "Refreshing, please wait...");
    EXPECT_EQ(rig.state.ParamImage, rig.ScannerImage(before));
    EXPECT_TRUE(rig.view.locked);  // the settings window has it now
    rig.session->Close();
    rig.ExpectIdle(qsp::kButtonSetup);
}

TEST(SetupFaults, Rs232ConnectAndRead) {
    // The reply with a wrong check byte: replaces the scanner's answer to the read command.
    auto badCheck = [](Rig& rig) {
        rig.intercept.hook = [&rig](std::uint8_t b, bool config, std::vector<qspsim::Answer>& a) {
            if (!config || b != 0xFB) return false;
            std::vector<std::uint8_t> reply{0x02};
            reply.insert(reply.end(), rig.model.block().begin(), rig.model.block().end());
            reply.push_back(0x00);  // not the block's exclusive-or
            a.push_back({reply, qspsim::Micros(0), 115200});
            return true;
        };
    };
    // The device disappears while its reply is on the way.
    auto unplugDuringRead = [](Rig& rig) {
        rig.intercept.hook = [&rig](std::uint8_t b, bool config, std::vector<qspsim::Answer>&) {
            if (config && b == 0xFB) {
                rig.pump.ScheduleAfter(milliseconds(10), [&rig] {
                    if (rig.line.port()) rig.line.port()->Close();
                });
            }
            return false;
        };
    };
    const SetupCase cases[] = {
        {"no answer to LINK", qsp::kRs232, With(NoAnswer(Stage::Link)), kCannotConnect, false},
        {"no answer at 115200", qsp::kRs232, With(NoAnswer(Stage::Ack)), kCannotConnect, false},
        {"LINK answered too late", qsp::kRs232, With(Late(Stage::Link, seconds(2))), kCannotConnect,
         false},
        {"noise before the LINK answer", qsp::kRs232, NoiseBefore('K', false, {0xA5}),
         kCannotConnect, false},
        {"no answer to read", qsp::kRs232, With(NoAnswer(Stage::Read)), kLoadFailed, true},
        {"read answered too late", qsp::kRs232, With(Late(Stage::Read, seconds(2))), kLoadFailed,
         true},
        {"reply one byte short", qsp::kRs232, With(Short()), kLoadFailed, true},
        {"reply one byte long", qsp::kRs232, With(Corrupt()), kLoadFailed, true},
        {"noise bytes before the reply", qsp::kRs232, NoiseBefore(0xFB, true, {0xFF, 0x00, 0x13}),
         kLoadFailed, true},
        {"line closed mid-reply", qsp::kRs232, With(CloseAfter(2 + 300)), kLoadFailed, true},
        {"device gone mid-reply", qsp::kRs232, unplugDuringRead, kLoadFailed, true},
    };
    for (const auto& c : cases)
        RunSetupCase(c);

    // The program does not check the reply's first and last bytes: a wrong check byte in a reply
    // of the right length is taken, and the block inside it is the scanner's.
    Rig rig(qsp::kRs232);
    badCheck(rig);
    ASSERT_TRUE(rig.Setup());
    EXPECT_EQ(rig.state.ParamImage, rig.ScannerImage(rig.state.ParamImage));
}

TEST(SetupFaults, UsbConnectAndRead) {
    const SetupCase cases[] = {
        {"device absent", qsp::kUsb, [](Rig& r) { r.usbHandles.present = false; }, kCannotConnect,
         false},
        {"no answer to bin", qsp::kUsb, With(NoAnswer(Stage::Link)), kCannotConnect, false},
        {"bin answered after every try", qsp::kUsb, With(Late(Stage::Link, seconds(40))),
         kCannotConnect, false},
        {"no answer to read", qsp::kUsb, With(NoAnswer(Stage::Read)), kLoadFailed, true},
        {"blocks answered after every try", qsp::kUsb, With(Late(Stage::Read, seconds(40))),
         kLoadFailed, true},
        {"wrong checksum every time", qsp::kUsb, With(Corrupt()), kLoadFailed, true},
        {"reports one byte short", qsp::kUsb, With(Short()), kLoadFailed, true},
        {"device unplugged mid-read", qsp::kUsb, UnplugAfter(40), kLoadFailed, true},
    };
    for (const auto& c : cases)
        RunSetupCase(c);
}

TEST(SetupFaults, Ps2ConnectAndRead) {
    const SetupCase cases[] = {
        {"port cannot be opened", qsp::kPs2, [](Rig& r) { r.ps2Handles.present = false; },
         kCannotConnect, false},
        {"no answer to bin", qsp::kPs2, With(NoAnswer(Stage::Link)), kCannotConnect, false},
        {"no answer to read", qsp::kPs2, With(NoAnswer(Stage::Read)), kLoadFailed, true},
        {"wrong checksum every time", qsp::kPs2, With(Corrupt()), kLoadFailed, true},
        {"frames one code short", qsp::kPs2, With(Short()), kLoadFailed, true},
        {"keyboard port gone mid-read", qsp::kPs2, UnplugAfter(60), kLoadFailed, true},
    };
    for (const auto& c : cases)
        RunSetupCase(c);
}

// Noise that a retry gets past: the operation succeeds and the image is the scanner's.
TEST(SetupFaults, NoiseThatARetryGetsPastStillReadsTheBlock) {
    struct Case {
        const char* name;
        int link;
        std::function<void(Rig&)> inject;
    };
    Faults once = Corrupt();
    once.corruptLimit = 1;
    Faults split;
    split.splitReplies = true;
    const Case cases[] = {
        {"USB garbage report before the bin answer", qsp::kUsb, GarbageMessageAfter(1)},
        {"USB garbage report inside the read", qsp::kUsb, GarbageMessageAfter(30)},
        {"USB checksum wrong once", qsp::kUsb, With(once)},
        {"PS/2 garbage frame before the bin answer", qsp::kPs2, GarbageMessageAfter(1)},
        {"PS/2 garbage frame inside the read", qsp::kPs2, GarbageMessageAfter(30)},
        {"PS/2 checksum wrong once", qsp::kPs2, With(once)},
        {"PS/2 answers typed in pieces", qsp::kPs2, With(split)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.link);
        c.inject(rig);
        const auto before = rig.state.ParamImage;
        ASSERT_TRUE(rig.Setup()) << rig.view.messages.back();
        EXPECT_EQ(rig.state.ParamImage, rig.ScannerImage(before));
    }
}

// Parameters Update: a write or an end that fails is reported, the settings window closes, the
// main window unlocks, the edited image stays; the next update programs the scanner.
TEST(ProgramFaults, WriteAndEndOnEveryLink) {
    struct Case {
        const char* name;
        int link;
        std::function<void(Rig&)> inject;
        bool blockUnchanged;  // the scanner never took the frame
    };
    auto unplugSerial = [](Rig& rig) {
        rig.intercept.hook = [&rig](std::uint8_t b, bool config, std::vector<qspsim::Answer>&) {
            if (config && b == 0x06 && rig.view.messages.back() == "Refreshing, please wait...")
                rig.pump.ScheduleAfter(milliseconds(1), [&rig] { rig.line.port()->Close(); });
            return false;
        };
    };
    const Case cases[] = {
        {"RS-232 write refused", qsp::kRs232, With(Nak()), true},
        {"RS-232 write unanswered", qsp::kRs232, With(NoAnswer(Stage::Write)), false},
        {"RS-232 write answered too late", qsp::kRs232, With(Late(Stage::Write, seconds(2))),
         false},
        {"RS-232 port gone during the write", qsp::kRs232, unplugSerial, false},
        {"USB write refused", qsp::kUsb, With(Nak()), true},
        {"USB write unanswered", qsp::kUsb, With(NoAnswer(Stage::Write)), true},
        {"USB end unanswered", qsp::kUsb, With(NoAnswer(Stage::Ack)), false},
        {"USB unplugged mid-write", qsp::kUsb, UnplugAfter(50), true},
        {"PS/2 write refused", qsp::kPs2, With(Nak()), true},
        {"PS/2 end unanswered", qsp::kPs2, With(NoAnswer(Stage::Ack)), false},
        {"PS/2 port gone mid-write", qsp::kPs2, UnplugAfter(50), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.link);
        ASSERT_TRUE(rig.Setup());
        const auto scannerBefore = rig.model.block();
        c.inject(rig);
        rig.state.ParamImage[10] = 99;
        const auto edited = rig.state.ParamImage;
        rig.session->ParametersUpdate();
        EXPECT_EQ(rig.view.messages.back(), kProgramFailed);
        ASSERT_FALSE(rig.prompt.boxes.empty());
        EXPECT_EQ(rig.prompt.boxes.back().text, kProgramFailed);
        EXPECT_TRUE(rig.session->Closed());
        rig.ExpectIdle(qsp::kButtonSetup);
        EXPECT_EQ(rig.state.ParamImage, edited);
        if (c.blockUnchanged) {
            EXPECT_EQ(rig.model.block(), scannerBefore);
        }

        rig.Heal();
        EXPECT_EQ(rig.Program(77), kProgrammed);
        EXPECT_EQ(rig.model.block()[10], 77);
        rig.ExpectIdle(qsp::kButtonSetup);
    }
}

// ---- The scanner test ----

struct RecordingTestView : qsp::TestView {
    void ShowLink(int, const std::string& text) override { link = text; }
    void ShowClock(const std::string&) override {}
    void ShowTotal(const std::string& text) override { total = text; }
    void AppendText(const std::string& text) override { box += text; }
    void CaretToEnd() override {}
    void FocusText() override {}
    std::string link, total, box;
};

// Test: the read before the window fails on each link; the window does not open; Test is
// unlocked; the next Test opens it.
TEST(TestFaults, FailedReadBeforeTheWindowOnEveryLink) {
    for (int link : {qsp::kRs232, qsp::kUsb, qsp::kPs2}) {
        SCOPED_TRACE(link);
        Rig rig(link);
        rig.Inject(NoAnswer(Stage::Read));
        const auto before = rig.state.ParamImage;
        rig.ops.ScannerTest([] { FAIL() << "test window opened"; });
        EXPECT_EQ(rig.view.messages.back(), kLoadFailed);
        rig.ExpectIdle(qsp::kButtonTest);
        EXPECT_EQ(rig.state.ParamImage, before);

        rig.Heal();
        int opened = 0;
        rig.ops.ScannerTest([&] { ++opened; });
        EXPECT_EQ(opened, 1);
        rig.ExpectIdle(qsp::kButtonTest);
    }
}

// While the window listens on RS-232: noise is shown and not counted, a port that goes away
// stops the input without hanging the window, and the next test counts again.
TEST(TestFaults, SerialNoiseAndAPortThatGoesAway) {
    Rig rig(qsp::kRs232);
    RecordingTestView view;
    qsp::TestSession session(rig.state, rig.pump, rig.text, rig.link.Serial(), view);
    auto scan = [&](const std::string& data) {
        const auto& s = rig.line.port()->settings();
        ASSERT_TRUE(rig.model.Scan(data, qspsim::ViewOf(std::stoi(s.baud), s.parity[0], 1)));
        auto at = rig.pump.Now();
        for (const auto& a : rig.model.TakeAnswers()) {
            for (std::uint8_t b : a.bytes) {
                rig.line.DeliverAt(at, {b});
                at += qsp::EventPump::Clock(10'000'000 / a.baud);
            }
        }
        rig.pump.Advance(milliseconds(300));
    };
    int shown = 0;
    rig.ops.ScannerTest([&] {
        ++shown;
        ASSERT_TRUE(session.Activate());
        rig.line.DeliverAt(rig.pump.Now() + milliseconds(1), {0x00, 0xFF, 0x07, 'x'});
        rig.pump.Advance(milliseconds(50));
        EXPECT_EQ(view.total, "Total: 0");  // noise without the terminator is no item
        scan("A1");
        EXPECT_EQ(view.total, "Total: 1");
        rig.line.port()->Close();  // the adapter is pulled out
        rig.line.DeliverAt(rig.pump.Now() + milliseconds(1), {'B', '\r', '\n'});
        rig.pump.Advance(milliseconds(50));
        EXPECT_EQ(view.total, "Total: 1");
        session.Close();
    });
    EXPECT_EQ(shown, 1);
    rig.ExpectIdle(qsp::kButtonTest);
    EXPECT_NE(view.box.find("A1"), std::string::npos);

    RecordingTestView view2;
    qsp::TestSession session2(rig.state, rig.pump, rig.text, rig.link.Serial(), view2);
    rig.ops.ScannerTest([&] {
        ASSERT_TRUE(session2.Activate());
        scan("C3");
        EXPECT_EQ(view2.total, "Total: 1");
        session2.Close();
    });
    rig.ExpectIdle(qsp::kButtonTest);

    // A port that cannot be opened at the scanner's own settings closes the window at once.
    rig.state.ParamImage[143] = 0xFF;  // framing bits without a meaning
    qsp::TestSession session3(rig.state, rig.pump, rig.text, rig.link.Serial(), view2);
    EXPECT_FALSE(session3.Activate());
}

TEST(TestFaults, OwnConnectThatFailsSaysSoInTheTextBox) {
    Rig rig(qsp::kRs232);
    rig.state.Settings.TestCount = false;
    rig.Inject(NoAnswer(Stage::Link));
    RecordingTestView view;
    qsp::TestSession session(rig.state, rig.pump, rig.text, rig.link.Serial(), view);
    rig.ops.ScannerTest([&] {
        ASSERT_TRUE(session.Activate());
        EXPECT_EQ(view.box, kCannotConnect + "\n");
        EXPECT_FALSE(session.Listening());
        session.Close();
    });
    rig.ExpectIdle(qsp::kButtonTest);

    rig.Heal();
    RecordingTestView view2;
    qsp::TestSession session2(rig.state, rig.pump, rig.text, rig.link.Serial(), view2);
    rig.ops.ScannerTest([&] {
        ASSERT_TRUE(session2.Activate());
        EXPECT_TRUE(session2.Listening());
        EXPECT_EQ(view2.box, "");
        session2.Close();
    });
}

// ---- Files ----

// Writes larger than `bytes` fail (as on a full disk) while the object lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit old_{};
    void (*previous_)(int) = nullptr;
};

TEST(FileFaults, AFullDiskNeverTruncatesTheSettingsOrAParameterFile) {
    test_support::TempDir dir;
    qsp::AppSettings settings = qsp::ParseSettings("");
    settings.CommPort = "3";
    ASSERT_TRUE(qsp::SaveSettingsFile(dir.path(), settings));
    qsp::ImageBytes image{};
    image.fill(7);
    const auto dec = dir.path() / "a.Dec";
    ASSERT_TRUE(qsp::SaveParamFile(dec, image));
    const auto settingsText = qsp::ReadWholeFile(dir.path() / qsp::kSettingsFileName);
    const auto decText = qsp::ReadWholeFile(dec);
    {
        FileSizeLimit full(16);
        settings.CommPort = "4";
        EXPECT_FALSE(qsp::SaveSettingsFile(dir.path(), settings));
        image.fill(9);
        EXPECT_FALSE(qsp::SaveParamFile(dec, image));
    }
    EXPECT_EQ(qsp::ReadWholeFile(dir.path() / qsp::kSettingsFileName), settingsText);
    EXPECT_EQ(qsp::ReadWholeFile(dec), decText);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);

    // With room again, both are written.
    EXPECT_TRUE(qsp::SaveSettingsFile(dir.path(), settings));
    EXPECT_EQ(qsp::LoadSettingsFile(dir.path()).CommPort, "4");
    EXPECT_TRUE(qsp::SaveParamFile(dec, image));
}

// Open of a parameter file that is cut short, too long, spoilt, or beyond the size any parameter
// file can have: "Loading file error!!", the image and the file as they were; a good file opens.
TEST(FileFaults, BadParameterFilesChangeNothing) {
    test_support::TempDir dir;
    Rig rig(qsp::kRs232);
    ASSERT_TRUE(rig.Setup());
    wbtest::ScriptedPrompt prompt;
    qsp::SettingsSession session(rig.state, prompt, rig.text, rig.link, rig.view, rig.lock,
                                 rig.settingsView);
    session.SetHomeFolder(dir.path());
    const auto good = qsp::FormatParamFile(qsp::ImageBytes{});
    const std::string bad[] = {
        good.substr(0, good.size() / 2), good + "1\r\n",
        good.substr(0, 10) + "\x01\xFF garbage \r\n" + good.substr(10),
        std::string((16u << 20) + 1, '1'),  // beyond what is read at all
    };
    const auto before = rig.state.ParamImage;
    const auto path = dir.path() / "bad.Dec";
    for (const auto& text : bad) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        prompt.files.push_back(path.string());
        session.OpenFile();
        ASSERT_FALSE(prompt.boxes.empty());
        EXPECT_EQ(prompt.boxes.back().text, "Loading file error!!");
        EXPECT_EQ(rig.state.ParamImage, before);
        EXPECT_EQ(std::filesystem::file_size(path), text.size());
    }
    ASSERT_TRUE(qsp::SaveParamFile(path, qsp::ImageBytes{}));
    prompt.files.push_back(path.string());
    session.OpenFile();
    EXPECT_EQ(prompt.boxes.back().text, "Loading completed");
    EXPECT_EQ(rig.state.ParamImage[0], 0);
    rig.session->Close();
}

}  // namespace
