#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <fstream>

#include "app/file_io.h"
#include "app/single_instance.h"
#include "test_support/temp_dir.h"

namespace qsp {
namespace {

TEST(SingleInstance, OnlyOneHolderAtATimeAndTheLockGoesWithIt) {
    test_support::TempDir dir;
    {
        SingleInstance first(dir.path());
        EXPECT_FALSE(first.AnotherIsRunning());
        SingleInstance second(dir.path());
        EXPECT_TRUE(second.AnotherIsRunning());
    }
    SingleInstance again(dir.path());
    EXPECT_FALSE(again.AnotherIsRunning());
}

// The real program, copied into a folder of its own so that its settings land there.
class ProgramCopy {
public:
    ProgramCopy() {
        const char* bin = std::getenv("QSP_BIN_DIR");
        source_ = std::filesystem::path(bin ? bin : QSP_BIN_DIR) / "qsp";
        std::filesystem::copy_file(source_, dir_.path() / "qsp");
    }
    std::filesystem::path Settings() const { return dir_.path() / "HW_Path.int"; }
    void Start(QProcess& p) {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.start(QString::fromStdString((dir_.path() / "qsp").string()), {});
        ASSERT_TRUE(p.waitForStarted(5000));
    }
    // Waits until a running copy has read its settings (the file exists).
    bool WaitForSettings() {
        for (int i = 0; i < 500 && !std::filesystem::exists(Settings()); ++i) QThread::msleep(10);
        return std::filesystem::exists(Settings());
    }

private:
    test_support::TempDir dir_;
    std::filesystem::path source_;
};

TEST(SingleInstance, ASecondCopyEndsAtOnceAndLeavesTheSettingsAlone) {
    ProgramCopy program;
    QProcess first;
    program.Start(first);
    ASSERT_TRUE(program.WaitForSettings());
    std::ofstream(program.Settings()) << "written by the test";

    QProcess second;
    program.Start(second);
    ASSERT_TRUE(second.waitForFinished(10000)) << "the second copy kept running";
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(ReadWholeFile(program.Settings()).value_or(""), "written by the test");

    // A copy that crashed leaves no lock behind: the next one starts and stays.
    first.kill();
    first.waitForFinished(5000);
    QProcess third;
    program.Start(third);
    EXPECT_FALSE(third.waitForFinished(1500)) << "the third copy ended by itself";
    third.kill();
    third.waitForFinished(5000);
}

}  // namespace
}  // namespace qsp
