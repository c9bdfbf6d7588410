// Reading barcodes end to end: the built qsp-scanner-sim scans what the test types on its
// standard input; the built qspctl monitor receives it over a pseudo-terminal in real time.

#include "e2e_support.h"

namespace {

using namespace e2e;

// The virtual scanner on COM1 of `dir`; each Scan is a barcode the user reads.
struct ScanningSim {
    explicit ScanningSim(const fs::path& dir)
        : child({(BinDir() / "qsp-scanner-sim").string(), "--settings-dir", dir.string()}) {
        child.ReadUntil([this] { return child.out.find("COM1 -> ") != std::string::npos; });
    }
    void Scan(const std::string& code) { child.Write(code + "\n"); }
    Child child;
};

TEST(ScanEndToEnd, MonitorCountsThreeItemsAndEnds) {
    Folder dir;
    ScanningSim sim(dir.path);
    Child monitor({(BinDir() / "qspctl").string(), "--settings-dir", dir.path.string(), "monitor",
                   "--count", "--items", "3"});
    ASSERT_TRUE(monitor.ReadUntil([&] {
        const auto at = monitor.err.find("Listening");
        return at != std::string::npos && monitor.err.find('\n', at) != std::string::npos;
    })) << monitor.err;
    EXPECT_NE(monitor.err.find("Listening: RS232 9600,N,8,1  COM1"), std::string::npos)
        << monitor.err;
    const char* codes[] = {"4006381333931", "QSP-0001", "http://x.test/a?b=1"};
    for (int i = 0; i < 3; ++i) {
        sim.Scan(codes[i]);
        const std::string total = "Total: " + std::to_string(i + 1) + "\n";
        ASSERT_TRUE(monitor.ReadUntil([&] { return monitor.err.find(total) != std::string::npos; }))
            << monitor.err;
    }
    ASSERT_TRUE(monitor.Ended(5s));
    EXPECT_EQ(monitor.Wait(), 0);
    EXPECT_EQ(monitor.out, "4006381333931\nQSP-0001\nhttp://x.test/a?b=1\n");
}

}  // namespace
