// Which update files are accepted, and the image a KTX-type file loads into.

#include <gtest/gtest.h>

#include "update/update_file.h"
#include "update_rig.h"

namespace {

using updatetest::Pattern;

TEST(UpdateFile, NameRulesPerUpdateType) {
    updatetest::Rig rig;
    const std::vector<std::uint8_t> some(10, 1);
    const std::string ktxa = rig.File("KTXA.bin", some);
    EXPECT_TRUE(qsp::CheckUpdateFile(ktxa, qsp::kCheckKtx));
    EXPECT_TRUE(qsp::CheckUpdateFile(rig.File("KTX.bin", some), qsp::kCheckKtx));
    for (const char* name : {"ktxA.bin", "KTXA.BIN", "A.bin", "KTXA.bi", "KTXAbin"}) {
        EXPECT_FALSE(qsp::CheckUpdateFile(rig.File(name, some), qsp::kCheckKtx)) << name;
    }
    // Y-modem needs no prefix, but the same extension.
    EXPECT_TRUE(qsp::CheckUpdateFile(rig.File("A.bin", some), qsp::kCheckYmodem));
    EXPECT_FALSE(qsp::CheckUpdateFile(rig.File("A.BIN", some), qsp::kCheckYmodem));
    // Missing files, folders and short paths.
    EXPECT_FALSE(qsp::CheckUpdateFile((rig.dir.path() / "KTXB.bin").string(), qsp::kCheckKtx));
    std::filesystem::create_directory(rig.dir.path() / "KTXD.bin");
    EXPECT_FALSE(qsp::CheckUpdateFile((rig.dir.path() / "KTXD.bin").string(), qsp::kCheckYmodem));
    EXPECT_FALSE(qsp::CheckUpdateFile(".bin", qsp::kCheckYmodem));
    // The file name is what follows the last separator of either kind.
    EXPECT_TRUE(qsp::HasKtxPrefix("C:\\fw\\KTXA.bin"));
    EXPECT_FALSE(qsp::HasKtxPrefix("KTX/A.bin"));
    EXPECT_FALSE(qsp::HasKtxPrefix("/fw/KTX"));
}

TEST(UpdateFile, PathsOf255CharactersOrMoreFailInBothModes) {
    updatetest::Rig rig;
    // Pad a folder name so the path of KTXA.bin has exactly the wanted length.
    auto pathOfLength = [&](std::size_t length) {
        const std::string base = rig.dir.path().string() + "/";
        const std::string tail = "/KTXA.bin";
        const auto folder = base + std::string(length - base.size() - tail.size(), 'f');
        std::filesystem::create_directories(folder);
        return rig.File(folder.substr(base.size()) + "/KTXA.bin", {1, 2, 3});
    };
    const std::string ok = pathOfLength(254);
    ASSERT_EQ(ok.size(), 254u);
    EXPECT_TRUE(qsp::CheckUpdateFile(ok, qsp::kCheckKtx));
    const std::string tooLong = pathOfLength(255);
    ASSERT_TRUE(std::filesystem::exists(tooLong));
    EXPECT_FALSE(qsp::HasKtxPrefix(tooLong));
    EXPECT_FALSE(qsp::CheckUpdateFile(tooLong, qsp::kCheckKtx));
    EXPECT_FALSE(qsp::CheckUpdateFile(tooLong, qsp::kCheckYmodem));
}

TEST(UpdateFile, ImageIsClearedSizedAndMarked) {
    updatetest::Rig rig;
    std::vector<std::uint8_t> image;
    const auto full = Pattern(65536);
    ASSERT_TRUE(qsp::LoadUpdateImage(rig.File("KTXF.bin", full), image));
    ASSERT_EQ(image.size(), 65537u);
    EXPECT_EQ(image[0xFFBF], 0xFC);
    EXPECT_EQ(image[0xFFBE], full[0xFFBE]);
    // A shorter file later in the same run: zeros beyond its end.
    ASSERT_TRUE(qsp::LoadUpdateImage(rig.File("KTXS.bin", Pattern(4096, 3)), image));
    EXPECT_EQ(image[4095], Pattern(4096, 3)[4095]);
    EXPECT_EQ(image[4096], 0);
    EXPECT_EQ(image[0x8000], 0);
    EXPECT_EQ(image[0xFFBF], 0xFC);
    // 65,537 bytes fit (the last one is never sent); one more does not.
    ASSERT_TRUE(qsp::LoadUpdateImage(rig.File("KTXL.bin", Pattern(65537)), image));
    EXPECT_EQ(image[65536], Pattern(65537)[65536]);
    EXPECT_FALSE(qsp::LoadUpdateImage(rig.File("KTXX.bin", Pattern(65538)), image));
    EXPECT_TRUE(qsp::LoadUpdateImage(rig.File("KTXE.bin", {}), image));
    EXPECT_FALSE(qsp::LoadUpdateImage((rig.dir.path() / "none.bin").string(), image));
}

}  // namespace
