// Profiles and clones from the built qspctl: files in a fresh folder, and virtual scanners on
// pseudo-terminals.

#include <nlohmann/json.hpp>

#include "e2e_support.h"
#include "workbench/profile.h"

namespace {

using namespace e2e;

// The checkout scanners' settings, one row behind a gate the profile opens after it.
const char* kProfile =
    "# checkout\n"
    "[Code 128 -{EAN128}]\n"
    "Code128 Length Min = 4\n"
    "Code128 State = Enable\n"
    "[Mode and Interface]\n"
    "Terminator = CR\n";

TEST(ProfileFiles, ExportApplyAndTheirErrorsFromTheCommandLine) {
    Folder dir;
    const auto ctl = [&](const std::string& args) { return Qspctl(dir.path, args); };
    ASSERT_EQ(ctl("reset --link usb -o usb.Dec").status, 0);
    // A factory file has nothing to say.
    auto run = ctl("export usb.Dec");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "# QSP profile of usb.Dec\n");

    std::ofstream(dir.path / "p.qsp-profile") << kProfile;
    ASSERT_EQ(ctl("apply p.qsp-profile --to usb.Dec -o out.Dec").status, 0);
    run = ctl("export out.Dec --json");
    ASSERT_EQ(run.status, 0) << run.output;
    // USB's factory terminator is CR already: only the length differs.
    const auto json = nlohmann::json::parse(run.output);
    ASSERT_EQ(json["rows"].size(), 1u) << run.output;
    EXPECT_EQ(json["rows"][0]["label"], "Code128 Length Min");
    EXPECT_EQ(json["rows"][0]["value"], "4");
    EXPECT_EQ(json["rows"][0]["heading"], "Code 128 -{EAN128}");
    EXPECT_EQ(ctl("diff usb.Dec out.Dec").output,
              "# 22 Code 128 -{EAN128}\nCode128 Length Min\t 5\t 4\n");

    // A profile with faults: every fault on its line, status 1, no file.
    std::ofstream(dir.path / "bad.qsp-profile")
        << "[RS-232]\nBaud Rat = 9600\n[Mode and Interface]\nReading Mode = Sometimes\n";
    run = ctl("apply bad.qsp-profile --to usb.Dec -o never.Dec");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(
        Has(run.output, "qspctl: bad.qsp-profile:2: no row \"Baud Rat\" on page \"RS-232\""));
    EXPECT_TRUE(Has(run.output, "qspctl: bad.qsp-profile:4: \"Sometimes\""));
    EXPECT_FALSE(fs::exists(dir.path / "never.Dec"));
    EXPECT_EQ(ctl("apply missing.qsp-profile --to usb.Dec -o never.Dec").status, 1);
    EXPECT_EQ(ctl("apply p.qsp-profile -o never.Dec").status, 2);
    EXPECT_FALSE(fs::exists(dir.path / "never.Dec"));
}

TEST(ProfileEndToEnd, WriteProgramsOnlyWhatDiffersAndThenReportsUnchanged) {
    Folder dir;
    Sim first(dir.path, {"--save", (dir.path / "first.Dec").string()}, 1);
    Sim second(dir.path, {}, 2);
    ASSERT_TRUE(first.Ready() && second.Ready());
    std::ofstream(dir.path / "p.qsp-profile") << kProfile;
    // The second scanner already reads Code 128 from 4 characters.
    qsp::ImageBytes image = FactoryImage();
    ASSERT_TRUE(
        qsp::ApplyProfile(image, "[Code 128 -{EAN128}]\nCode128 Length Min = 4\n", "p").ok());
    ASSERT_TRUE(qsp::SaveParamFile(dir.path / "s.Dec", image));
    ASSERT_EQ(Qspctl(dir.path, "write s.Dec --port 2").status, 0);

    auto run = Qspctl(dir.path, "write p.qsp-profile --port 1,2 --json");
    ASSERT_EQ(run.status, 0) << run.output;
    const auto json = nlohmann::json::parse(run.output);
    ASSERT_EQ(json["scanners"].size(), 2u);
    EXPECT_EQ(json["scanners"][0]["port"], "COM1");
    EXPECT_EQ(json["scanners"][0]["result"], "programmed");
    EXPECT_EQ(json["scanners"][1]["result"], "programmed");

    run = Qspctl(dir.path, "write p.qsp-profile --port 1 --port 2");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "COM1: unchanged\nCOM2: unchanged\n");

    // Both now hold their factory block with the profile applied.
    qsp::ImageBytes expected = FactoryImage();
    ASSERT_TRUE(qsp::ApplyProfile(expected, kProfile, "p").ok());
    for (const char* port : {"1", "2"}) {
        ASSERT_EQ(Qspctl(dir.path, std::string("read -o r.Dec --port ") + port).status, 0);
        EXPECT_TRUE(SameBlock(FileImage(dir.path / "r.Dec"), expected)) << port;
    }

    // A profile the scanner's block cannot take programs nothing.
    std::ofstream(dir.path / "bad.qsp-profile") << "[Mode and Interface]\nTerminator = LF LF\n";
    run = Qspctl(dir.path, "write bad.qsp-profile --port 1");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.output, "qspctl: COM1: bad.qsp-profile:2:"));
    first.Stop();
    EXPECT_TRUE(SameBlock(FileImage(dir.path / "first.Dec"), expected));
}

TEST(ProfileEndToEnd, CloneMakesTheScannersHoldTheSameBlock) {
    Folder dir;
    qsp::ImageBytes image = FactoryImage();
    ASSERT_TRUE(qsp::ApplyProfile(image, kProfile, "p").ok());
    ASSERT_TRUE(qsp::SaveParamFile(dir.path / "master.Dec", image));
    Sim master(dir.path, {"--image", (dir.path / "master.Dec").string()}, 1);
    Sim copy(dir.path, {"--save", (dir.path / "copy.Dec").string()}, 2);
    ASSERT_TRUE(master.Ready() && copy.Ready());

    const auto run = Qspctl(dir.path, "clone --from-port 1 --to-port 2,3");
    EXPECT_EQ(run.status, 1) << run.output;  // there is no scanner on port 3
    EXPECT_TRUE(Has(run.output, "COM2: Parameter is programmed successfully."));
    EXPECT_TRUE(Has(run.output, "qspctl: COM3: Cannot connect to scanner."));
    copy.Stop();
    EXPECT_TRUE(SameBlock(FileImage(dir.path / "copy.Dec"), image));
    EXPECT_EQ(Qspctl(dir.path, "clone --from-port 1 --to-port 2 --link usb").status, 2);
}

}  // namespace
