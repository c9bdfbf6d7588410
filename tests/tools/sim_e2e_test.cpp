// The built qspctl and the program's link code against the built qsp-scanner-sim on a
// pseudo-terminal: real ports, real line settings, real time.

#include <algorithm>

#include "app/main_operations.h"
#include "e2e_support.h"
#include "link/rs232_protocol.h"

namespace {

using namespace e2e;

long Count(const std::vector<std::uint8_t>& bytes, const std::string& word) {
    long n = 0;
    for (auto it = bytes.begin();
         (it = std::search(it, bytes.end(), word.begin(), word.end())) != bytes.end(); ++it) {
        ++n;
    }
    return n;
}

TEST(SimEndToEnd, ReadReturnsTheFactoryImage) {
    Folder dir;
    Sim sim(dir.path, {});
    ASSERT_TRUE(sim.Ready());
    const auto run = Qspctl(dir.path, "read -o '" + (dir.path / "a.Dec").string() + "'");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(FileImage(dir.path / "a.Dec"), FactoryImage());
}

TEST(SimEndToEnd, WrittenChangeReadsBackAndTheTranscriptShowsEveryStep) {
    Folder dir;
    Sim sim(dir.path, {});
    ASSERT_TRUE(sim.Ready());
    qsp::ImageBytes image = FactoryImage();
    image[10] = 77;
    ASSERT_TRUE(qsp::SaveParamFile(dir.path / "w.Dec", image));
    auto run = Qspctl(dir.path, "write '" + (dir.path / "w.Dec").string() + "' --port 1");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("COM1: Parameter is programmed successfully."), std::string::npos);
    run = Qspctl(dir.path, "read -o '" + (dir.path / "r.Dec").string() + "'");
    ASSERT_EQ(run.status, 0) << run.output;
    const auto back = FileImage(dir.path / "r.Dec");
    EXPECT_EQ(back[10], 77);
    // The scanner keeps the block as received: the sum stands in bytes 254 and 255.
    const std::uint16_t sum = qsp::ImageSum(image);
    EXPECT_EQ(back[254], sum >> 8);
    EXPECT_EQ(back[255], sum & 0xFF);
    sim.Stop();

    const auto host = sim.Bytes("H>S");
    const auto scanner = sim.Bytes("S>H");
    // Write session: LINK, 0x06, then 0x06 and the 513-byte frame with its exclusive-or.
    const std::vector<std::uint8_t> start{'L', 'I', 'N', 'K', 0x06, 0x06, 0x00};
    ASSERT_GE(host.size(), 4u + 1 + 1 + 514 + 2);
    EXPECT_TRUE(std::equal(start.begin(), start.end(), host.begin()));
    const auto frame = qsp::WriteFrame(image);
    EXPECT_TRUE(std::equal(frame.begin(), frame.end(), host.begin() + 6));
    EXPECT_EQ(host[6 + 255], sum >> 8);
    EXPECT_EQ(host[6 + 256], sum & 0xFF);
    EXPECT_EQ(host[6 + 514], 0xF9);
    EXPECT_EQ(host[6 + 515], 0xF9);
    // Read session: LINK, 0x06, 0xFB, then the end.
    const std::vector<std::uint8_t> read{'L', 'I', 'N', 'K', 0x06, 0xFB, 0xF9, 0xF9};
    EXPECT_TRUE(std::equal(read.begin(), read.end(), host.begin() + 6 + 516));
    // Answers: 0x06 0x06 0x06 for the write; 0x06 0x06 and 514 bytes for the read.
    ASSERT_EQ(scanner.size(), 3u + 2 + 514);
    EXPECT_EQ(std::count(scanner.begin(), scanner.begin() + 5, 0x06), 5);
    EXPECT_TRUE(std::equal(back.begin(), back.begin() + 512, scanner.begin() + 6));
}

TEST(SimEndToEnd, WithoutSearchOneTryAndCannotConnect) {
    Folder dir;
    Sim sim(dir.path, {"--baud", "4800", "--stop", "2"});
    ASSERT_TRUE(sim.Ready());
    const auto run =
        Qspctl(dir.path, "read --no-search -o '" + (dir.path / "a.Dec").string() + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("Cannot connect to scanner."), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(dir.path / "a.Dec"));
    sim.Stop();
    EXPECT_EQ(Count(sim.Bytes("H>S"), "LINK"), 1);
    EXPECT_TRUE(sim.Bytes("S>H").empty());
}

TEST(SimEndToEnd, WriteProgramsEachPortInTurn) {
    Folder dir;
    Sim one(dir.path, {}, 1);
    Sim two(dir.path, {"--baud", "19200"}, 2);
    ASSERT_TRUE(one.Ready() && two.Ready());
    qsp::ImageBytes image = FactoryImage();
    image[20] = 99;
    ASSERT_TRUE(qsp::SaveParamFile(dir.path / "w.Dec", image));
    const auto run = Qspctl(
        dir.path, "write '" + (dir.path / "w.Dec").string() + "' --port 1 --port 2,3 --search");
    EXPECT_EQ(run.status, 1);  // nothing on port 3
    EXPECT_NE(run.output.find("COM1: Parameter is programmed successfully."), std::string::npos);
    EXPECT_NE(run.output.find("COM2: Parameter is programmed successfully."), std::string::npos);
    EXPECT_NE(run.output.find("COM3: Cannot connect to scanner."), std::string::npos) << run.output;
}

TEST(SimEndToEnd, SetupSearchFindsTheScannersSettings) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--baud", "4800", "--stop", "2"}, "COM 1 , 4800 , N , 8 , 2"},
        {{"--baud", "19200", "--parity", "O"}, "COM 1 , 19200 , O , 8 , 1"},
    };
    for (const auto& [options, label] : cases) {
        Folder dir;
        Sim sim(dir.path, options);
        ASSERT_TRUE(sim.Ready());
        ProgramRig<qsp::MainOperations> rig(dir.path);
        rig.state.Settings.Automation = true;
        int opened = 0;
        rig.ops.ScannerSetup([&] { ++opened; });
        EXPECT_EQ(opened, 1) << label;
        ASSERT_FALSE(rig.view.searchTexts.empty());
        EXPECT_EQ(rig.view.searchTexts.back(), label);
        EXPECT_EQ(rig.view.messages.back(), "Refreshing, please wait...");
        auto expected = FactoryImage();
        rig.link.CloseScannerLink(qsp::kRs232);
        std::copy(rig.state.ParamImage.begin() + 140, rig.state.ParamImage.begin() + 144,
                  expected.begin() + 140);  // the scanner's own serial settings
        EXPECT_TRUE(
            std::equal(expected.begin(), expected.begin() + 512, rig.state.ParamImage.begin()));
    }
}

}  // namespace
