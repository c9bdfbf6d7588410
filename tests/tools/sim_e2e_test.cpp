// The built qspctl and the program's link code against the built qsp-scanner-sim on a
// pseudo-terminal: real ports, real line settings, real time.

#include <algorithm>
#include <regex>
#include <sstream>

#include "app/main_operations.h"
#include "e2e_support.h"
#include "link/rs232_protocol.h"

namespace {

using namespace e2e;

// A shop's batch: one file into every scanner in turn, each outcome on its own line; a scanner
// that is missing fails alone and the others are still programmed. Every byte on the first
// scanner's line is as the exchange prescribes.
TEST(SimEndToEnd, ReadWriteAndReadBackWithEveryByteOnTheLine) {
    Folder dir;
    Sim sim(dir.path, {});
    Sim second(dir.path, {"--save", (dir.path / "second.Dec").string()}, 2);
    ASSERT_TRUE(sim.Ready() && second.Ready());
    auto run = Qspctl(dir.path, "read -o a.Dec");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(FileImage(dir.path / "a.Dec"), FactoryImage());

    qsp::ImageBytes image = FactoryImage();
    image[10] = 77;
    ASSERT_TRUE(qsp::SaveParamFile(dir.path / "w.Dec", image));
    run = Qspctl(dir.path, "write w.Dec --port 1,3 --port 2");
    EXPECT_EQ(run.status, 1) << run.output;
    for (const char* line :
         {"COM1: Parameter is programmed successfully.", "COM3: Cannot connect to scanner.",
          "COM2: Parameter is programmed successfully."})
        EXPECT_TRUE(Has(run.output, line));
    second.Stop();
    EXPECT_EQ(FileImage(dir.path / "second.Dec")[10], 77);
    ASSERT_EQ(Qspctl(dir.path, "read -o r.Dec").status, 0);
    const auto back = FileImage(dir.path / "r.Dec");
    EXPECT_EQ(back[10], 77);
    // The scanner keeps the block as received: the sum stands in bytes 254 and 255.
    const std::uint16_t sum = qsp::ImageSum(image);
    EXPECT_EQ(back[254] << 8 | back[255], sum);
    sim.Stop();

    // The host: a read (LINK, 0x06, 0xFB, the end); the write, which reads the block first to
    // keep the scanner's link, sends 0x06 and the 514-byte frame with its exclusive-or and reads
    // the block back; a read. The scanner: 0x06 0x06 and 514 bytes per read, in the write's
    // session 0x06 0x06, 514 bytes, 0x06 for the frame and 514 bytes.
    const std::vector<std::uint8_t> read{'L', 'I', 'N', 'K', 0x06, 0xFB, 0xF9, 0xF9};
    std::vector<std::uint8_t> host = read, write{'L', 'I', 'N', 'K', 0x06, 0xFB, 0x06};
    const auto frame = qsp::WriteFrame(image);
    write.insert(write.end(), frame.begin(), frame.end());
    host.insert(host.end(), write.begin(), write.end());
    host.insert(host.end(), {0xFB, 0xF9, 0xF9});
    host.insert(host.end(), read.begin(), read.end());
    EXPECT_EQ(sim.Bytes("H>S"), host);
    const auto scanner = sim.Bytes("S>H");
    ASSERT_EQ(scanner.size(), 2u * (2 + 514) + (2 + 514 + 1 + 514));
    EXPECT_TRUE(std::equal(back.begin(), back.begin() + 512, scanner.end() - 516 + 3));
}

// The real port takes each setting the search tries: the scanner answers only on its own baud
// rate, parity and stop bits.
TEST(SimEndToEnd, SetupSearchFindsTheScannersSettings) {
    Folder dir;
    Sim sim(dir.path, {"--baud", "19200", "--parity", "O", "--stop", "2"});
    ASSERT_TRUE(sim.Ready());
    ProgramRig<qsp::MainOperations> rig(dir.path);
    rig.state.Settings.Automation = true;
    // Dozens of unanswered tries before the right one: a short time-out (0.15 s at 9600), still
    // three times what the scanner's reply needs.
    rig.state.Settings.Rs232Delay = 20;
    EXPECT_TRUE(rig.Setup());
    ASSERT_FALSE(rig.view.searchTexts.empty());
    EXPECT_EQ(rig.view.searchTexts.back(), "COM 1 , 19200 , O , 8 , 2");
    rig.link.CloseScannerLink(qsp::kRs232);
    auto expected = FactoryImage();  // with the scanner's own serial settings, 140..143
    std::copy_n(rig.state.ParamImage.begin() + 140, 4, expected.begin() + 140);
    EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + 512, rig.state.ParamImage.begin()));
}

}  // namespace

namespace {

using namespace e2e;

e2e::Run SimCommand(const std::string& args, const std::string& locale) {
    return e2e::Shell("env -u LC_ALL -u LC_MESSAGES LANG=" + locale + " '" +
                      (e2e::BinDir() / "qsp-scanner-sim").string() + "' " + args);
}

// The virtual scanner's usage and complaints speak the locale's language; a usage line left
// without a translation stays English and fails here.
TEST(SimLanguage, UsageAndComplaintsFollowTheLocale) {
    const std::string english = SimCommand("--help", "C.UTF-8").output;
    static const std::regex prose("[a-z]{2,} [a-z]{2,}");
    for (const char* locale : {"zh_TW.UTF-8", "ja_JP.UTF-8", "zh_CN.UTF-8"}) {
        const std::string translated = SimCommand("--help", locale).output;
        std::istringstream in(english);
        for (std::string line; std::getline(in, line);) {
            if (std::regex_search(line, prose)) {
                EXPECT_EQ(translated.find(line), std::string::npos) << locale << ": " << line;
            }
        }
        EXPECT_TRUE(Has(translated, "--scan-interval MS")) << locale;
    }
    const std::pair<std::string, std::string> complaints[] = {
        {"--port 0", "qsp-scanner-sim: ポートは 1～99 にしてください\n"},
        {"--data 9", "qsp-scanner-sim: データ長は 7 または 8 にしてください\n"},
        {"--fault bogus", "qsp-scanner-sim: 不明な障害 bogus\n"},
        {"--baud fast", "qsp-scanner-sim: --baud：数値ではありません：fast\n"},
    };
    for (const auto& [args, expected] : complaints) {
        const auto run = SimCommand(args, "ja_JP.UTF-8");
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_EQ(run.output, expected) << args;
    }
    EXPECT_EQ(SimCommand("--port 0", "C.UTF-8").output, "qsp-scanner-sim: port must be 1 to 99\n");
}

}  // namespace
