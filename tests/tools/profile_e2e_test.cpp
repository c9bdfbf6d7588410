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

    // A profile with a value no row can take is refused before any scanner is touched.
    std::ofstream(dir.path / "bad.qsp-profile") << "[Mode and Interface]\nTerminator = LF LF\n";
    run = Qspctl(dir.path, "write bad.qsp-profile --port 1");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.output, "qspctl: bad.qsp-profile:2:"));
    EXPECT_FALSE(Has(run.output, "COM1"));
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

// A file made for RS-232 leaves a USB or PS/2 scanner on its own link, whether written or
// deployed, and says so; --change-link moves it, with a warning.
TEST(ProfileEndToEnd, AFileForAnotherLinkLeavesEachScannerOnItsLink) {
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> links = {
        {"usb", {1, 3, 2}}, {"ps2", {0, 0, 4}}};
    for (const auto& [link, own] : links) {
        SCOPED_TRACE(link);
        Folder dir;
        qsp::ImageBytes scanner = FactoryImage();
        std::copy(own.begin(), own.end(), scanner.begin() + 139);
        ASSERT_TRUE(qsp::SaveParamFile(dir.path / "own.Dec", scanner));
        qsp::ImageBytes rs232 = FactoryImage();
        ASSERT_EQ(rs232[140], 1);  // RS232
        rs232[10] = 0x5A;
        ASSERT_TRUE(qsp::SaveParamFile(dir.path / "rs232.Dec", rs232));
        const fs::path saved = dir.path / "saved.Dec";
        Sim sim(dir.path, {"--image", (dir.path / "own.Dec").string(), "--save", saved.string()});
        ASSERT_TRUE(sim.Ready());
        const auto linkBytes = [&] {
            const auto image = FileImage(saved);
            return std::vector<std::uint8_t>(image.begin() + 139, image.begin() + 142);
        };

        auto run = Qspctl(dir.path, "write --link " + link + " rs232.Dec --json");
        ASSERT_EQ(run.status, 0) << run.output;
        auto json = nlohmann::json::parse(run.output.substr(run.output.find('{')));
        EXPECT_EQ(json["scanners"][0]["result"], "programmed");
        EXPECT_EQ(json["scanners"][0]["kept_link"], true);
        EXPECT_EQ(FileImage(saved)[10], 0x5A);
        EXPECT_EQ(linkBytes(), own);

        // Deploy keeps the link alike, and its report says so.
        rs232[11] = 0xA5;
        ASSERT_TRUE(qsp::SaveParamFile(dir.path / "rs232.Dec", rs232));
        const fs::path report = dir.path / "report.jsonl";
        run = Qspctl(dir.path, "deploy rs232.Dec --once --ports-only --no-search --link " + link +
                                   " --report report.jsonl");
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_TRUE(Has(run.output, "kept the scanner on its own host link"));
        const auto line = nlohmann::json::parse(ReadText(report));
        EXPECT_EQ(line["result"], "programmed");
        EXPECT_EQ(line["kept_link"], true);
        EXPECT_EQ(FileImage(saved)[11], 0xA5);
        EXPECT_EQ(linkBytes(), own);

        // Asked for, the scanner moves to RS-232, with a warning.
        run = Qspctl(dir.path, "write --link " + link + " rs232.Dec --change-link");
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_TRUE(Has(run.output, "warning: the scanner was moved to the source's host link"));
        EXPECT_EQ(linkBytes(), std::vector<std::uint8_t>(rs232.begin() + 139, rs232.begin() + 142));
    }
}

// JSON output survives any file name: bytes that are not UTF-8 become replacement characters.
TEST(ProfileEndToEnd, JsonOutputIsWrittenWhateverAFileNameHolds) {
    Folder dir;
    const std::string name = "caf\xE9.qsp-profile";  // Latin-1, not UTF-8
    std::ofstream(dir.path / name) << kProfile;
    const auto run = Qspctl(dir.path, "write '" + name + "' --port 9 --json");
    EXPECT_EQ(run.status, 1) << run.output;  // no scanner on COM9
    const auto start = run.output.find("{\n");
    ASSERT_NE(start, std::string::npos) << run.output;
    const auto json = nlohmann::json::parse(run.output.substr(start));
    EXPECT_EQ(json["file"], "caf\xEF\xBF\xBD.qsp-profile");
    EXPECT_EQ(json["scanners"][0]["result"], "failed");
}

}  // namespace
