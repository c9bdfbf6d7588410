// qspctl deploy end to end: the built qspctl watching a settings folder while virtual scanners
// come and go, in real time. Every wait is for a line, a file or an exit, with a bound.

#include <fcntl.h>
#include <stdlib.h>

#include <nlohmann/json.hpp>
#include <numeric>

#include "e2e_support.h"
#include "workbench/profile.h"

namespace {

using namespace e2e;

// A parameter file for the fleet: the factory block with a few changes.
qsp::ImageBytes FleetImage() {
    qsp::ImageBytes image = FactoryImage();
    image[3] = 0x44;
    image[105] = 2;
    image[106] = 'Q';
    image[107] = 'S';
    return image;
}

// A profile sets a few rows and leaves every other byte as each scanner holds it.
const char kProfile[] =
    "# checkout scanners\n"
    "[Mode and Interface]\n"
    "Terminator = CR\n"
    "[Other]\n"
    "Preamble = {Q}{S}\n";

// What a factory-fresh scanner holds once it took the profile.
qsp::ImageBytes ProfiledImage() {
    qsp::ImageBytes image = FactoryImage();
    EXPECT_TRUE(qsp::ApplyProfile(image, kProfile, "fleet.qsp-profile").ok());
    return image;
}

std::vector<nlohmann::json> ReportLines(const fs::path& file) {
    std::vector<nlohmann::json> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        lines.push_back(nlohmann::json::parse(line));
    return lines;
}

std::vector<std::string> Args(const fs::path& dir, std::vector<std::string> more) {
    std::vector<std::string> args{(BinDir() / "qspctl").string(), "--settings-dir", dir.string(),
                                  "deploy"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// A serial-only virtual scanner on its own port, keeping its block in COM<port>.Dec.
std::unique_ptr<Sim> Scanner(const fs::path& dir, int port, std::vector<std::string> more = {}) {
    std::vector<std::string> options{"--serial-only", "--save",
                                     (dir / ("COM" + std::to_string(port) + ".Dec")).string()};
    options.insert(options.end(), more.begin(), more.end());
    return std::make_unique<Sim>(dir, options, port);
}

TEST(DeployEndToEnd, ScannersArrivingOneAfterAnotherAreSetUpAndAFailureStopsNoOther) {
    Folder dir;
    std::ofstream(dir.path / "fleet.qsp-profile") << kProfile;
    ASSERT_FALSE(SameBlock(ProfiledImage(), FactoryImage()));
    const fs::path report = dir.path / "report.jsonl";
    Child deploy(Args(dir.path, {(dir.path / "fleet.qsp-profile").string(), "--ports-only",
                                 "--no-search", "--report", report.string()}));
    ASSERT_TRUE(deploy.ReadUntil("watching", 20s)) << deploy.out;

    // Staggered: each arrives after the one before was dealt with; the third refuses writes.
    auto first = Scanner(dir.path, 1);
    ASSERT_TRUE(first->Ready());
    ASSERT_TRUE(deploy.ReadUntil("[1] ", 30s)) << deploy.out;
    auto second = Scanner(dir.path, 2);
    auto third = Scanner(dir.path, 3, {"--fault", "nak"});
    ASSERT_TRUE(second->Ready() && third->Ready());
    ASSERT_TRUE(deploy.ReadUntil("[3] ", 30s)) << deploy.out;
    auto fourth = Scanner(dir.path, 4);
    ASSERT_TRUE(fourth->Ready());
    ASSERT_TRUE(deploy.ReadUntil("[4] ", 30s)) << deploy.out;

    deploy.Signal(SIGINT);
    ASSERT_TRUE(deploy.ReadUntil("Total: 4 scanners: 3 programmed, 0 unchanged, 1 failed", 30s))
        << deploy.out;
    EXPECT_EQ(deploy.Wait(), 1) << deploy.out;

    EXPECT_TRUE(SameBlock(FileImage(dir.path / "COM3.Dec"), FactoryImage()));
    const auto lines = ReportLines(report);
    ASSERT_EQ(lines.size(), 4u);
    std::map<std::string, nlohmann::json> byDevice;
    for (const auto& l : lines)
        byDevice[l.at("device").get<std::string>()] = l;
    for (const std::string device : {"COM1", "COM2", "COM4"}) {
        SCOPED_TRACE(device);
        const auto held = FileImage(dir.path / (device + ".Dec"));
        EXPECT_TRUE(SameBlock(held, ProfiledImage()));
        const auto blockXor = std::accumulate(held.begin(), held.begin() + 512, 0, std::bit_xor{});
        const auto& l = byDevice.at(device);
        EXPECT_EQ(l.at("result"), "programmed");
        EXPECT_EQ(l.at("link"), "rs232");
        EXPECT_EQ(l.at("message"), "Parameter is programmed successfully.");
        EXPECT_GT(l.at("bytes_changed").get<int>(), 0);
        EXPECT_EQ(l.at("block_xor").get<int>(), blockXor);
        EXPECT_GT(l.at("seconds").get<double>(), 0.0);
        EXPECT_EQ(l.at("time").get<std::string>().size(), 20u);
    }
    EXPECT_EQ(byDevice.at("COM3").at("result"), "failed");
    EXPECT_EQ(byDevice.at("COM3").at("message"), "Parameter programming failed.");
}

TEST(DeployEndToEnd, AScannerThatComesBackIsSetUpAgainAndOneThatStaysIsNot) {
    Folder dir;
    ASSERT_TRUE(qsp::SaveParamFile(dir.path / "fleet.Dec", FleetImage()));
    // Present before deploy starts: set up too.
    auto stays = Scanner(dir.path, 1);
    auto roams = Scanner(dir.path, 2);
    ASSERT_TRUE(stays->Ready() && roams->Ready());
    Child deploy(
        Args(dir.path, {(dir.path / "fleet.Dec").string(), "--ports-only", "--jobs", "1"}));
    ASSERT_TRUE(deploy.ReadUntil("[2] ", 30s)) << deploy.out;

    // It leaves, and comes back at once holding what it was given: set up again, nothing to
    // write.
    roams.reset();
    roams = Scanner(dir.path, 2, {"--image", (dir.path / "COM2.Dec").string()});
    ASSERT_TRUE(roams->Ready());
    ASSERT_TRUE(deploy.ReadUntil("[3] COM2 (rs232) unchanged", 30s)) << deploy.out;
    EXPECT_TRUE(Has(deploy.out, "COM2 (rs232) unplugged"));

    deploy.Signal(SIGTERM);
    ASSERT_TRUE(deploy.ReadUntil("Total: 3 scanners: 2 programmed, 1 unchanged, 0 failed", 30s))
        << deploy.out;
    EXPECT_EQ(deploy.Wait(), 0);
    // One set-up line for the scanner that stayed.
    const auto first = deploy.out.find("] COM1 ");
    ASSERT_NE(first, std::string::npos) << deploy.out;
    EXPECT_EQ(deploy.out.find("] COM1 ", first + 1), std::string::npos) << deploy.out;
}

TEST(DeployEndToEnd, OnceSetsUpWhatIsPluggedInOnEveryLinkAndEnds) {
    Folder dir;
    ASSERT_TRUE(qsp::SaveParamFile(dir.path / "fleet.Dec", FleetImage()));
    Sim scanner(dir.path, {});  // serial, USB and PS/2 on one block
    ASSERT_TRUE(scanner.Ready());
    for (const std::string link : {"usb", "ps2"}) {
        SCOPED_TRACE(link);
        auto run = Qspctl(dir.path, "deploy fleet.Dec --once --ports-only --link " + link);
        EXPECT_EQ(run.status, 0) << run.output;
        const std::string device = link == "usb" ? "USB" : "PS2";
        const std::string result = link == "usb" ? " programmed | " : " unchanged | ";
        EXPECT_TRUE(Has(run.output, "[1] " + device + " (" + link + ")" + result));
        EXPECT_TRUE(Has(run.output, "Total: 1 scanner:"));
    }
    // A profile that does not apply says where and touches no scanner.
    std::ofstream(dir.path / "bad.qsp-profile") << "[Mode and Interface]\nTerminator = Sometimes\n";
    auto run = Qspctl(dir.path, "deploy bad.qsp-profile --once --ports-only");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.output, "bad.qsp-profile:2:"));
    ASSERT_EQ(Qspctl(dir.path, "read --link usb -o back.Dec").status, 0);
    EXPECT_TRUE(SameBlock(FileImage(dir.path / "back.Dec"), FleetImage()));
}

// A serial device where nothing answers (a modem, a GPS receiver) is no scanner: reported, but
// not a failure unless --strict; --exclude leaves it out altogether.
TEST(DeployEndToEnd, ADeviceThatNeverAnswersIsNoScannerAndCountsOnlyWhenStrict) {
    Folder dir;
    ASSERT_TRUE(qsp::SaveParamFile(dir.path / "fleet.Dec", FleetImage()));
    const int stranger = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(stranger, 0);
    ASSERT_EQ(::grantpt(stranger), 0);
    ASSERT_EQ(::unlockpt(stranger), 0);
    fs::create_directories(dir.path / "ports");
    fs::create_symlink(::ptsname(stranger), dir.path / "ports" / "COM5");
    auto scanner = Scanner(dir.path, 1);
    ASSERT_TRUE(scanner->Ready());

    auto run = Qspctl(dir.path, "deploy fleet.Dec --once --ports-only --no-search");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Has(run.output, "COM5 (rs232) no scanner | "));
    EXPECT_TRUE(Has(run.output,
                    "Total: 2 scanners: 1 programmed, 0 unchanged, 0 failed, "
                    "0 not started, 0 interrupted, 1 no scanner"));
    run = Qspctl(dir.path, "deploy fleet.Dec --once --ports-only --no-search --strict");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_TRUE(Has(run.output, "] COM1 (rs232) unchanged"));
    run = Qspctl(dir.path,
                 "deploy fleet.Dec --once --ports-only --no-search --strict "
                 "--exclude COM5");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Has(run.output, "Total: 1 scanner: 0 programmed, 1 unchanged, 0 failed"));
    EXPECT_EQ(Qspctl(dir.path, "deploy fleet.Dec --once --match ID_VENDOR_ID").status, 2);
    ::close(stranger);
}

}  // namespace
