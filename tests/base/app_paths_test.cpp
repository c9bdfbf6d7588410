#include <gtest/gtest.h>

#include <cstdlib>

#include "base/app_paths.h"
#include "test_support/temp_dir.h"

namespace qsp {
namespace {

namespace fs = std::filesystem;

TEST(AppPaths, SettingsStayBesideABuiltProgramAndGoToTheUserForAnInstalledOne) {
    test_support::TempDir root;
    const fs::path config = root.path() / "config";
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);

    // The build tree: pictures beside the program, folder writable.
    const fs::path build = root.path() / "build" / "bin";
    fs::create_directories(build / "Picture");
    EXPECT_EQ(SettingsDirFor(build), build);
    EXPECT_EQ(PictureDirFor(build), build / "Picture");

    // Installed: pictures under share/qsp; even a writable bin/ (root) is not used.
    const fs::path prefix = root.path() / "usr";
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "share" / "qsp" / "Picture");
    EXPECT_EQ(SettingsDirFor(prefix / "bin"), config / "qsp");
    EXPECT_TRUE(fs::is_directory(config / "qsp"));
    EXPECT_EQ(PictureDirFor(prefix / "bin"), prefix / "share" / "qsp" / "Picture");
    ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace qsp
