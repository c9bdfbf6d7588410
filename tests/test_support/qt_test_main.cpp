// main() of the window tests: a QApplication on the offscreen platform, then every test.

#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    // Whatever platform the caller's environment names: these tests need no display. The
    // offscreen platform keeps its options (a screen of a given size, for the layout tests).
    if (!qgetenv("QT_QPA_PLATFORM").startsWith("offscreen"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
