// Scanner settings as desired state: qspctl check against virtual scanners.

#include <nlohmann/json.hpp>

#include "e2e_support.h"
#include "workbench/profile.h"

namespace {

using namespace e2e;

const char* kProfile =
    "# shop\n"
    "[Code 128 -{EAN128}]\n"
    "Code128 Length Min = 4\n"
    "[Mode and Interface]\n"
    "Terminator = CR\n";

nlohmann::json Json(const Run& run) {
    const auto start = run.output.find('{');
    EXPECT_NE(start, std::string::npos) << run.output;
    return nlohmann::json::parse(run.output.substr(start == std::string::npos ? 0 : start));
}

TEST(Check, SaysWhetherEachScannerHoldsTheSourceAndProgramsNothing) {
    Folder dir;
    const fs::path saved = dir.path / "saved.Dec";
    Sim sim(dir.path, {"--save", saved.string()}, 1);
    ASSERT_TRUE(sim.Ready());
    std::ofstream(dir.path / "shop.qsp-profile") << kProfile;
    const auto ctl = [&](const std::string& args) { return Qspctl(dir.path, args); };

    // The factory scanner differs: its rows, current then wanted, and status 3.
    auto run = ctl("check shop.qsp-profile --port 1");
    EXPECT_EQ(run.status, 3) << run.output;
    EXPECT_TRUE(Has(run.output, "COM1: differs: "));
    EXPECT_TRUE(Has(run.output, "# 22 Code 128 -{EAN128}\nCode128 Length Min\t 5\t 4\n"));
    EXPECT_TRUE(SameBlock(FileImage(saved), FactoryImage()));

    // Its JSON says what diff says of the scanner's file and the file with the profile applied.
    ASSERT_EQ(ctl("read -o now.Dec --port 1").status, 0);
    ASSERT_EQ(ctl("apply shop.qsp-profile --to now.Dec -o wanted.Dec").status, 0);
    const auto diff = Json(ctl("diff now.Dec wanted.Dec --json"));
    run = ctl("check shop.qsp-profile --port 1 --json");
    EXPECT_EQ(run.status, 3) << run.output;
    auto json = Json(run);
    ASSERT_EQ(json["scanners"].size(), 1u);
    const auto& scanner = json["scanners"][0];
    EXPECT_EQ(scanner["result"], "differs");
    EXPECT_EQ(scanner["rows"], diff["rows"]);
    EXPECT_GT(scanner["bytes_changed"].get<int>(), 0);
    EXPECT_TRUE(SameBlock(FileImage(saved), FactoryImage()));

    // Once written, it holds the profile: status 0, no rows.
    ASSERT_EQ(ctl("write shop.qsp-profile --port 1").status, 0);
    run = ctl("check shop.qsp-profile --port 1");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output, "COM1: already holds these settings\n");
    json = Json(ctl("check shop.qsp-profile --port 1 --json"));
    EXPECT_EQ(json["scanners"][0]["result"], "holds");
    EXPECT_EQ(json["scanners"][0]["bytes_changed"], 0);
    EXPECT_TRUE(json["scanners"][0]["rows"].empty());

    // A scanner that cannot be read is a failure, whatever the others hold.
    run = ctl("check shop.qsp-profile --port 1,2 --json");
    EXPECT_EQ(run.status, 1) << run.output;
    json = Json(run);
    ASSERT_EQ(json["scanners"].size(), 2u);
    EXPECT_EQ(json["scanners"][1]["result"], "failed");
    EXPECT_EQ(json["scanners"][1]["message"], "Cannot connect to scanner.");
    EXPECT_EQ(ctl("check missing.qsp-profile --port 1").status, 1);
}

}  // namespace
