// Which update files are accepted, and the image a KTX-type file loads into.

#include <gtest/gtest.h>

#include "update/update_file.h"
#include "update_rig.h"

namespace {

using updatetest::Pattern;

TEST(UpdateFile, NameAndPathRulesPerUpdateType) {
    updatetest::Rig rig;
    const std::vector<std::uint8_t> some(10, 1);
    for (const char* name : {"KTXA.bin", "KTX.bin"})
        EXPECT_TRUE(qsp::CheckUpdateFile(rig.File(name, some), qsp::kCheckKtx)) << name;
    for (const char* name : {"ktxA.bin", "KTXA.BIN", "A.bin", "KTXA.bi", "KTXAbin"})
        EXPECT_FALSE(qsp::CheckUpdateFile(rig.File(name, some), qsp::kCheckKtx)) << name;
    // Y-modem needs no prefix, but the same extension.
    EXPECT_TRUE(qsp::CheckUpdateFile(rig.File("A.bin", some), qsp::kCheckYmodem));
    EXPECT_FALSE(qsp::CheckUpdateFile(rig.File("A.BIN", some), qsp::kCheckYmodem));
    // Missing files and folders.
    EXPECT_FALSE(qsp::CheckUpdateFile((rig.dir.path() / "KTXB.bin").string(), qsp::kCheckKtx));
    std::filesystem::create_directory(rig.dir.path() / "KTXD.bin");
    EXPECT_FALSE(qsp::CheckUpdateFile((rig.dir.path() / "KTXD.bin").string(), qsp::kCheckYmodem));
    // The file name is what follows the last separator of either kind.
    EXPECT_TRUE(qsp::HasKtxPrefix("C:\\fw\\KTXA.bin"));
    EXPECT_FALSE(qsp::HasKtxPrefix("KTX/A.bin"));
    // Paths of 255 characters or more fail in both modes.
    const std::string base = rig.dir.path().string() + "/";
    for (const std::size_t length : {254u, 255u}) {
        const auto folder = std::string(length - base.size() - 9, 'f');
        std::filesystem::create_directories(base + folder);
        const auto path = rig.File(folder + "/KTXA.bin", some);
        ASSERT_EQ(path.size(), length);
        EXPECT_EQ(qsp::CheckUpdateFile(path, qsp::kCheckKtx), length == 254);
        EXPECT_EQ(qsp::CheckUpdateFile(path, qsp::kCheckYmodem), length == 254);
    }
}

TEST(UpdateFile, ImageIsClearedSizedAndMarked) {
    updatetest::Rig rig;
    std::vector<std::uint8_t> image;
    ASSERT_TRUE(qsp::LoadUpdateImage(rig.File("KTXF.bin", Pattern(65536)), image));
    ASSERT_EQ(image.size(), 65537u);
    EXPECT_EQ(image[0xFFBF], 0xFC);
    // A shorter file later in the same run: zeros beyond its end.
    ASSERT_TRUE(qsp::LoadUpdateImage(rig.File("KTXS.bin", Pattern(4096, 3)), image));
    EXPECT_EQ(image[4095], Pattern(4096, 3)[4095]);
    EXPECT_EQ(image[4096], 0);
    EXPECT_EQ(image[0xFFBF], 0xFC);
    // 65,537 bytes fit (the last one is never sent).
    ASSERT_TRUE(qsp::LoadUpdateImage(rig.File("KTXL.bin", Pattern(65537)), image));
}

}  // namespace
