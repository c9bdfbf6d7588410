// Faults that need the real serial port code and a scanner process: the line closed part-way
// through a reply, and the scanner's process (the device) disappearing while it answers. Each
// ends with its message and an unlocked window; a scanner started again is read at once.

#include <QTimer>

#include "app/main_operations.h"
#include "e2e_support.h"

namespace {

using namespace e2e;

// Setup against a scanner started with `faults` (stopped after `stopAfterMs` when set) fails as
// a failed read does; Setup against a scanner started again then reads its block.
void FailsThenRecovers(const std::vector<std::string>& faults, int stopAfterMs = 0) {
    Folder dir;
    ProgramRig<qsp::MainOperations> rig(dir.path);
    rig.state.Settings.Rs232Delay = 100;
    rig.state.ParamImage.fill(0x5A);
    const auto before = rig.state.ParamImage;
    {
        Sim sim(dir.path, faults);
        ASSERT_TRUE(sim.Ready());
        if (stopAfterMs) QTimer::singleShot(stopAfterMs, [&sim] { sim.Stop(); });
        EXPECT_FALSE(rig.Setup());
        ASSERT_FALSE(rig.view.messages.empty());
        EXPECT_EQ(rig.view.messages.back(), "Failed to load parameter!!");
        ASSERT_EQ(rig.prompt.boxes.size(), 1u);
        EXPECT_EQ(rig.prompt.boxes[0].text,
                  "Please unplug and then plug the scanner back in again.");
        EXPECT_FALSE(rig.view.locked);
        EXPECT_EQ(rig.view.focus, qsp::kButtonSetup);
        EXPECT_FALSE(rig.lock.PollRunning());
        EXPECT_EQ(rig.state.ParamImage, before);
    }
    Sim sim(dir.path, {});
    ASSERT_TRUE(sim.Ready());
    ASSERT_TRUE(rig.Setup()) << rig.view.messages.back();
    auto expected = FactoryImage();
    std::copy(before.begin() + 512, before.end(), expected.begin() + 512);
    EXPECT_EQ(rig.state.ParamImage, expected);
    rig.link.CloseScannerLink(qsp::kRs232);
}

TEST(FaultEndToEnd, LineClosedPartWayThroughTheReply) {
    FailsThenRecovers({"--fault", "close-after=300"});
}

// The reply comes 400 ms late; the scanner's process ends before it.
TEST(FaultEndToEnd, ScannerDisappearsWhileItAnswers) {
    FailsThenRecovers({"--fault", "late=read:400"}, 250);
}

// The reply wait is a 32-bit count of passes: a delay whose count does not fit fails the wait at
// once, so a silent scanner is reported within seconds, never after days. Without the settings
// search (the settings file's default) the one try is the only one.
TEST(FaultEndToEnd, AReplyWaitTooLongToCountFailsAtOnce) {
    Folder dir;
    qsp::AppSettings settings = qsp::LoadSettingsFile(dir.path);
    settings.Rs232Delay = 2147483647;
    ASSERT_TRUE(qsp::SaveSettingsFile(dir.path, settings));
    Sim sim(dir.path, {"--fault", "no-answer"});
    ASSERT_TRUE(sim.Ready());
    // `timeout` ends a run that would wait for days; 120 s is far beyond any real run.
    const auto run = Shell("cd '" + dir.path.string() + "' && timeout 120 '" +
                           (BinDir() / "qspctl").string() + "' --settings-dir . read -o out.Dec");
    ASSERT_NE(run.status, 124) << "qspctl read was still waiting after 120 s";
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_TRUE(Has(run.output, "Cannot connect to scanner."));
    EXPECT_FALSE(fs::exists(dir.path / "out.Dec"));
    sim.Stop();
    EXPECT_EQ(sim.Bytes("H>S"), (std::vector<std::uint8_t>{'L', 'I', 'N', 'K'}));
}

}  // namespace
