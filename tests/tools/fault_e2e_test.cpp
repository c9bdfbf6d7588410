// Faults that need the real serial port code and a scanner process: the line closed part-way
// through a reply, and the scanner's process (the device) disappearing while it answers. Each
// ends with its message and an unlocked window; a scanner started again is read at once.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include "app/main_lock.h"
#include "app/main_operations.h"
#include "app/qt_event_pump.h"
#include "link/fakes.h"
#include "link/qt_serial_port.h"
#include "link/sim_process.h"
#include "scanner_model.h"

namespace {

using qsptest::Folder;
using qsptest::Sim;

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "test_fault_e2e";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

struct Rig {
    explicit Rig(const std::filesystem::path& folder) : dir(folder) {
        state.SettingsDir = dir;
        state.Settings = qsp::LoadSettingsFile(dir);
        state.Settings.Rs232Delay = 100;
        lock.SetReceivePoll([this] { link.Serial().ReceivePoll(); });
        state.ParamImage.fill(0x5A);
    }
    bool Setup() {
        bool opened = false;
        ops.ScannerSetup([&] { opened = true; });
        return opened;
    }
    qsp::ImageBytes FactoryImage() const {
        qsp::ImageBytes image = state.ParamImage;
        const auto block = qspsim::FactoryBlock();
        std::copy(block.begin(), block.end(), image.begin());
        return image;
    }

    std::filesystem::path dir;
    QCoreApplication& app = App();
    qsp::AppState state;
    qsp::QtEventPump pump;
    qsptest::FakeMainView view;
    qsptest::FakePrompt prompt;
    qsp::InterfaceText text;
    qsp::ScannerLink link{state, pump, view, text, qsp::QtSerialPort::Factory(dir)};
    qsp::MainLock lock{view, pump};
    qsp::MainOperations ops{state, pump, view, lock, prompt, text, link};
};

void ExpectFailedRead(Rig& rig, const qsp::ImageBytes& before) {
    ASSERT_FALSE(rig.view.messages.empty());
    EXPECT_EQ(rig.view.messages.back(), "Failed to load parameter!!");
    ASSERT_EQ(rig.prompt.boxes.size(), 1u);
    EXPECT_EQ(rig.prompt.boxes[0].text, "Please unplug and then plug the scanner back in again.");
    EXPECT_FALSE(rig.view.locked);
    EXPECT_EQ(rig.view.focus, qsp::kButtonSetup);
    EXPECT_FALSE(rig.lock.PollRunning());
    EXPECT_EQ(rig.state.ParamImage, before);
}

TEST(FaultEndToEnd, LineClosedPartWayThroughTheReply) {
    Folder dir;
    Rig rig(dir.path);
    {
        Sim sim(dir.path, {"--fault", "close-after=300"});
        ASSERT_TRUE(sim.Ready());
        const auto before = rig.state.ParamImage;
        EXPECT_FALSE(rig.Setup());
        ExpectFailedRead(rig, before);
    }
    Sim sim(dir.path, {});
    ASSERT_TRUE(sim.Ready());
    ASSERT_TRUE(rig.Setup()) << rig.view.messages.back();
    EXPECT_EQ(rig.state.ParamImage, rig.FactoryImage());
    rig.link.CloseScannerLink(qsp::kRs232);
}

TEST(FaultEndToEnd, ScannerDisappearsWhileItAnswers) {
    Folder dir;
    Rig rig(dir.path);
    {
        // The reply comes 400 ms late; the scanner's process ends before it.
        Sim sim(dir.path, {"--fault", "late=read:400"});
        ASSERT_TRUE(sim.Ready());
        QTimer::singleShot(250, [&sim] { sim.Stop(); });
        const auto before = rig.state.ParamImage;
        EXPECT_FALSE(rig.Setup());
        ExpectFailedRead(rig, before);
    }
    Sim sim(dir.path, {});
    ASSERT_TRUE(sim.Ready());
    rig.prompt.boxes.clear();
    ASSERT_TRUE(rig.Setup()) << rig.view.messages.back();
    EXPECT_EQ(rig.state.ParamImage, rig.FactoryImage());
    rig.link.CloseScannerLink(qsp::kRs232);
}

}  // namespace
