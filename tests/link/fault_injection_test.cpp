// Faults of the scanner and of the line on every link, as the user meets them: Setup, Scanner
// Test and Parameters Update against the scanner models on the virtual clock. Each case checks
// what the user is told, that the main window is unlocked, that a failed read leaves the
// parameter image alone, and that the next operation, with the fault gone, works.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <fstream>

#include "base/file_io.h"
#include "link_rig.h"
#include "test_support/temp_dir.h"
#include "workbench/param_file.h"
#include "workbench/settings_session.h"

namespace {

using qspsim::Faults;
using qspsim::Stage;
using qsptest::Rig;
using std::chrono::milliseconds;
using std::chrono::seconds;

const std::string kCannotConnect = "Cannot connect to scanner.";
const std::string kLoadFailed = "Failed to load parameter!!";
const std::string kProgramFailed = "Parameter programming failed.";

// The settings window as far as Parameters Update and Open need it: closing it ends the session.
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
    bool PrintPages(const qsp::PrintTarget&, const std::vector<qsp::PrintedPage>&) override {
        return false;
    }
    void ShowWriteProgress(bool) override {}
    void CloseWindow() override {
        if (session) session->Close();
    }
    qsp::SettingsSession* session = nullptr;
};

// Setup on the rig; true when the settings window opened (its session is then `session`).
struct SetupRig : Rig {
    using Rig::Rig;
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
    ClosingSettingsView settingsView;
    std::unique_ptr<qsp::SettingsSession> session;
};

using Inject = std::function<void(SetupRig&)>;
Inject With(Faults f) {
    return [f](SetupRig& rig) { rig.Inject(f); };
}
// Bytes the scanner puts on the serial line just before its answer to `trigger`.
Inject NoiseBefore(std::uint8_t trigger, std::vector<std::uint8_t> noise) {
    return [=](SetupRig& rig) {
        rig.hook = [=](std::uint8_t b, bool config, std::vector<qspsim::Answer>& a) {
            if (b == trigger && config) a.push_back({noise, qspsim::Micros(50), 0});
            return false;
        };
    };
}
// The serial port goes away `after` the host's `trigger` byte (the settings window open or not).
Inject SerialGoneAfter(std::uint8_t trigger, bool windowOpen, milliseconds after) {
    return [=](SetupRig& rig) {
        rig.hook = [=, &rig](std::uint8_t b, bool config, std::vector<qspsim::Answer>&) {
            if (config && b == trigger && (rig.session != nullptr) == windowOpen) {
                rig.pump.ScheduleAfter(after, [&rig] {
                    if (rig.line.port()) rig.line.port()->Close();
                });
            }
            return false;
        };
    };
}
// The wedge device goes (its handle dies, its port closes) after the host's `writes`-th message
// from now; or, with `garbage`, a message of noise arrives before the scanner's next answer.
Inject AfterWedgeWrite(int writes, bool garbage = false) {
    return [=](SetupRig& rig) {
        for (auto* wire : {&rig.usbWire, &rig.ps2Wire}) {
            const int base = static_cast<int>(wire->sent.size());
            wire->afterWrite = [=, &rig](int n) {
                if (n != base + writes) return;
                if (garbage) {
                    wire->Queue(wire == &rig.usbWire
                                    ? qsptest::Bytes{0, 'Z', 'Z', 'Z', 'Z', 'Z', 'Z', 'Z', 'Z'}
                                    : qsptest::Bytes(8, 0x2C));
                    return;
                }
                rig.usbWire.open.clear();
                rig.ps2Wire.open.clear();
                rig.usbWire.present = rig.ps2Wire.present = false;
            };
        }
    };
}

TEST(SetupFaults, ConnectAndReadOnEveryLink) {
    struct Case {
        const char* name;
        int link;
        Inject inject;
        std::string last;  // the last line of the message list; empty: the window opens
    };
    // clang-format off
    const Case cases[] = {
        {"RS-232 no answer to LINK", qsp::kRs232, With({.noAnswer = Stage::Link}), kCannotConnect},
        {"RS-232 no answer to read", qsp::kRs232, With({.noAnswer = Stage::Read}), kLoadFailed},
        {"RS-232 read answered too late", qsp::kRs232, With({.late = Stage::Read, .lateBy = seconds(2)}), kLoadFailed},
        {"RS-232 reply one byte short", qsp::kRs232, With({.shortRead = true}), kLoadFailed},
        {"RS-232 reply one byte long", qsp::kRs232, With({.corruptRead = true}), kLoadFailed},
        {"RS-232 noise bytes before the reply", qsp::kRs232, NoiseBefore(0xFB, {0xFF, 0x00, 0x13}), kLoadFailed},
        {"RS-232 line closed mid-reply", qsp::kRs232, With({.closeAfter = 2 + 300}), kLoadFailed},
        {"RS-232 device gone mid-reply", qsp::kRs232, SerialGoneAfter(0xFB, false, milliseconds(10)), kLoadFailed},
        {"USB device absent", qsp::kUsb, [](SetupRig& r) { r.usbWire.present = false; }, kCannotConnect},
        {"USB no answer to bin", qsp::kUsb, With({.noAnswer = Stage::Link}), kCannotConnect},
        {"USB blocks answered after every try", qsp::kUsb, With({.late = Stage::Read, .lateBy = seconds(40)}), kLoadFailed},
        {"USB wrong checksum every time", qsp::kUsb, With({.corruptRead = true}), kLoadFailed},
        {"USB reports one byte short", qsp::kUsb, With({.shortRead = true}), kLoadFailed},
        {"USB device unplugged mid-read", qsp::kUsb, AfterWedgeWrite(40), kLoadFailed},
        {"PS/2 port cannot be opened", qsp::kPs2, [](SetupRig& r) { r.ps2Wire.present = false; }, kCannotConnect},
        {"PS/2 no answer to bin", qsp::kPs2, With({.noAnswer = Stage::Link}), kCannotConnect},
        {"PS/2 wrong checksum every time", qsp::kPs2, With({.corruptRead = true}), kLoadFailed},
        {"PS/2 frames one code short", qsp::kPs2, With({.shortRead = true}), kLoadFailed},
        {"PS/2 keyboard port gone mid-read", qsp::kPs2, AfterWedgeWrite(60), kLoadFailed},
        // Noise that a retry gets past: the settings window opens with the scanner's block.
        {"USB garbage report inside the read", qsp::kUsb, AfterWedgeWrite(30, true), ""},
        {"PS/2 garbage frame before the bin answer", qsp::kPs2, AfterWedgeWrite(1, true), ""},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetupRig rig(c.link);
        c.inject(rig);
        const auto before = rig.state.ParamImage;
        if (c.last.empty()) {  // noise that a retry gets past
            ASSERT_TRUE(rig.Setup()) << rig.view.messages.back();
            EXPECT_EQ(rig.state.ParamImage, rig.ScannerImage(before));
            continue;
        }
        EXPECT_FALSE(rig.Setup());
        ASSERT_FALSE(rig.view.messages.empty());
        EXPECT_EQ(rig.view.messages.back(), c.last);
        rig.ExpectIdle(qsp::kButtonSetup);
        EXPECT_EQ(rig.state.ParamImage, before);
        const bool loadFailed = c.last == kLoadFailed;
        ASSERT_EQ(rig.prompt.boxes.size(), loadFailed ? 1u : 0u);
        if (loadFailed) {
            EXPECT_EQ(rig.prompt.boxes[0].text,
                      "Please unplug and then plug the scanner back in again.");
        }

        // The scanner is plugged in again: the next setup reads its block.
        rig.Heal();
        ASSERT_TRUE(rig.Setup()) << rig.view.messages.back();
        EXPECT_EQ(rig.view.messages.back(), "Refreshing, please wait...");
        EXPECT_EQ(rig.state.ParamImage, rig.ScannerImage(before));
        rig.session->Close();
        rig.ExpectIdle(qsp::kButtonSetup);
    }

    // The program does not check the reply's first and last bytes: a wrong check byte in a reply
    // of the right length is taken, and the block inside it is the scanner's.
    SetupRig rig(qsp::kRs232);
    rig.hook = [&rig](std::uint8_t b, bool config, std::vector<qspsim::Answer>& a) {
        if (!config || b != 0xFB) return false;
        qsptest::Bytes reply{0x02};
        reply.insert(reply.end(), rig.model.block().begin(), rig.model.block().end());
        reply.push_back(0x00);  // not the block's exclusive-or
        a.push_back({reply, qspsim::Micros(0), 115200});
        return true;
    };
    ASSERT_TRUE(rig.Setup());
    EXPECT_EQ(rig.state.ParamImage, rig.ScannerImage(rig.state.ParamImage));
}

// Parameters Update: a write or an end that fails is reported, the settings window closes, the
// main window unlocks, the edited image stays; the next update programs the scanner.
TEST(ProgramFaults, WriteAndEndOnEveryLink) {
    struct Case {
        const char* name;
        int link;
        Inject inject;
        bool blockUnchanged;  // the scanner never took the frame
    };
    // clang-format off
    const Case cases[] = {
        {"RS-232 write refused", qsp::kRs232, With({.nakWrite = true}), true},
        {"RS-232 write unanswered", qsp::kRs232, With({.noAnswer = Stage::Write}), false},
        {"RS-232 write answered too late", qsp::kRs232, With({.late = Stage::Write, .lateBy = seconds(2)}), false},
        {"RS-232 port gone during the write", qsp::kRs232, SerialGoneAfter(0x06, true, milliseconds(1)), false},
        {"USB write refused", qsp::kUsb, With({.nakWrite = true}), true},
        {"USB end unanswered", qsp::kUsb, With({.noAnswer = Stage::Ack}), false},
        {"USB unplugged mid-write", qsp::kUsb, AfterWedgeWrite(50), true},
        {"PS/2 write refused", qsp::kPs2, With({.nakWrite = true}), true},
        {"PS/2 end unanswered", qsp::kPs2, With({.noAnswer = Stage::Ack}), false},
        {"PS/2 port gone mid-write", qsp::kPs2, AfterWedgeWrite(50), true},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetupRig rig(c.link);
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
        rig.session.reset();
        ASSERT_TRUE(rig.Setup());
        rig.state.ParamImage[10] = 77;
        rig.session->ParametersUpdate();
        EXPECT_EQ(rig.view.messages.back(), "Parameter is programmed successfully.");
        EXPECT_EQ(rig.model.block()[10], 77);
        rig.ExpectIdle(qsp::kButtonSetup);
    }
}

// Test: the read before the window fails on each link; the window does not open; Test is
// unlocked; the next Test opens it.
TEST(TestFaults, FailedReadBeforeTheWindowOnEveryLink) {
    for (int link : {qsp::kRs232, qsp::kUsb, qsp::kPs2}) {
        SCOPED_TRACE(link);
        Rig rig(link, Faults{Stage::Read});
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
    Rig rig;
    for (const char* code : {"A1", "C3"}) {
        qsptest::RecordingTestView view;
        qsp::TestSession session(rig.state, rig.pump, rig.text, rig.link.Serial(), view);
        rig.ops.ScannerTest([&] {
            ASSERT_TRUE(session.Activate());
            rig.line.DeliverAt(rig.pump.Now() + milliseconds(1), {0x00, 0xFF, 0x07, 'x'});
            rig.pump.Advance(milliseconds(50));
            EXPECT_EQ(view.total, "Total: 0");  // noise without the terminator is no item
            rig.Scan(code);
            EXPECT_EQ(view.total, "Total: 1");
            rig.line.port()->Close();  // the adapter is pulled out
            rig.line.DeliverAt(rig.pump.Now() + milliseconds(1), {'B', '\r', '\n'});
            rig.pump.Advance(milliseconds(50));
            EXPECT_EQ(view.total, "Total: 1");
            session.Close();
        });
        rig.ExpectIdle(qsp::kButtonTest);
        EXPECT_NE(view.box.find(code), std::string::npos);
    }
    // A port that cannot be opened at the scanner's own settings closes the window at once.
    rig.state.ParamImage[143] = 0xFF;  // framing bits without a meaning
    qsptest::RecordingTestView view;
    EXPECT_FALSE(
        qsp::TestSession(rig.state, rig.pump, rig.text, rig.link.Serial(), view).Activate());
}

// Runs `writes` with writes larger than `bytes` failing, as on a full disk.
void WithFileSizeLimit(rlim_t bytes, const std::function<void()>& writes) {
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const rlimit limit{bytes, old.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    writes();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
}

TEST(FileFaults, AFullDiskNeverTruncatesTheSettingsOrAParameterFile) {
    test_support::TempDir dir;
    qsp::AppSettings settings = qsp::ParseSettings("");
    qsp::ImageBytes image{};
    const auto dec = dir.path() / "a.Dec";
    ASSERT_TRUE(qsp::SaveSettingsFile(dir.path(), settings));
    ASSERT_TRUE(qsp::SaveParamFile(dec, image));
    const auto settingsText = qsp::ReadWholeFile(dir.path() / qsp::kSettingsFileName);
    const auto decText = qsp::ReadWholeFile(dec);
    settings.CommPort = "4";
    image.fill(9);
    WithFileSizeLimit(16, [&] {
        EXPECT_FALSE(qsp::SaveSettingsFile(dir.path(), settings));
        EXPECT_FALSE(qsp::SaveParamFile(dec, image));
    });
    EXPECT_EQ(qsp::ReadWholeFile(dir.path() / qsp::kSettingsFileName), settingsText);
    EXPECT_EQ(qsp::ReadWholeFile(dec), decText);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
    // With room again, both are written.
    EXPECT_TRUE(qsp::SaveSettingsFile(dir.path(), settings));
    EXPECT_EQ(qsp::LoadSettingsFile(dir.path()).CommPort, "4");
    EXPECT_TRUE(qsp::SaveParamFile(dec, image));
    EXPECT_EQ(qsp::ReadWholeFile(dec), qsp::FormatParamFile(image));
}

// Open of a parameter file that is cut short, too long, spoilt, or beyond the size any parameter
// file can have: "Loading file error!!", the image and the file as they were; a good file opens.
TEST(FileFaults, BadParameterFilesChangeNothing) {
    struct FilePrompt : qsptest::FakePrompt {
        std::optional<std::string> OpenFileName(const qsp::FileDialogRequest&) override {
            return file;
        }
        std::string file;
    };
    test_support::TempDir dir;
    SetupRig rig;
    FilePrompt prompt;
    prompt.file = (dir.path() / "bad.Dec").string();
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
    for (const auto& text : bad) {
        std::ofstream(prompt.file, std::ios::binary | std::ios::trunc) << text;
        session.OpenFile();
        ASSERT_FALSE(prompt.boxes.empty());
        EXPECT_EQ(prompt.boxes.back().text, "Loading file error!!");
        EXPECT_EQ(rig.state.ParamImage, before);
        EXPECT_EQ(std::filesystem::file_size(prompt.file), text.size());
    }
    ASSERT_TRUE(qsp::SaveParamFile(prompt.file, qsp::ImageBytes{}));
    session.OpenFile();
    EXPECT_EQ(prompt.boxes.back().text, "Loading completed");
    EXPECT_EQ(rig.state.ParamImage[0], 0);
}

}  // namespace
