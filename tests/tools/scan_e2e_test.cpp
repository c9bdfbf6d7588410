// Reading barcodes end to end: the built qsp-scanner-sim scans what the test types on its
// standard input; the built qspctl monitor receives it over a pseudo-terminal in real time.

#include "e2e_support.h"

namespace {

using namespace e2e;

TEST(ScanEndToEnd, MonitorCountsThreeItemsAndEnds) {
    Folder dir;
    Child sim({(BinDir() / "qsp-scanner-sim").string(), "--settings-dir", dir.path.string()});
    ASSERT_TRUE(sim.ReadUntil("COM1 -> ")) << sim.out;
    // What it receives on its standard output (to a file), what it reports on its error output.
    Child monitor({"sh", "-c",
                   "exec '" + (BinDir() / "qspctl").string() + "' --settings-dir '" +
                       dir.path.string() + "' monitor --count --items 3 2>&1 >'" +
                       (dir.path / "items").string() + "'"});
    ASSERT_TRUE(monitor.ReadUntil("Listening: RS232 9600,N,8,1  COM1\n")) << monitor.out;
    int n = 0;
    for (const std::string code : {"4006381333931", "QSP-0001", "http://x.test/a?b=1"}) {
        sim.Write(code + "\n");
        ASSERT_TRUE(monitor.ReadUntil("Total: " + std::to_string(++n) + "\n")) << monitor.out;
    }
    EXPECT_FALSE(monitor.ReadUntil("(anything more)", 5s));
    ASSERT_TRUE(monitor.closed) << "monitor kept running";
    EXPECT_EQ(monitor.Wait(), 0);
    EXPECT_EQ(ReadText(dir.path / "items"), "4006381333931\nQSP-0001\nhttp://x.test/a?b=1\n");
}

}  // namespace
