#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <fstream>

#include "base/file_io.h"
#include "test_support/temp_dir.h"

namespace qsp {
namespace {

// The real program, copied into a folder of its own so that its settings land there.
struct ProgramCopy {
    ProgramCopy() {
        const char* bin = std::getenv("QSP_BIN_DIR");
        std::filesystem::copy_file(std::filesystem::path(bin ? bin : QSP_BIN_DIR) / "qsp", program);
    }
    void Start(QProcess& p) {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.start(QString::fromStdString(program.string()), {});
        ASSERT_TRUE(p.waitForStarted(5000));
    }
    test_support::TempDir dir;
    std::filesystem::path program = dir.path() / "qsp", settings = dir.path() / "HW_Path.int";
};

TEST(SingleInstance, ASecondCopyEndsAtOnceAndLeavesTheSettingsAlone) {
    ProgramCopy program;
    QProcess first;
    program.Start(first);
    // Running once it has read its settings (the file exists).
    for (int i = 0; i < 500 && !std::filesystem::exists(program.settings); ++i)
        QThread::msleep(10);
    std::ofstream(program.settings) << "written by the test";

    QProcess second;
    program.Start(second);
    ASSERT_TRUE(second.waitForFinished(10000)) << "the second copy kept running";
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(ReadWholeFile(program.settings).value_or(""), "written by the test");

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
