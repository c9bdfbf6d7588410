// main() of the window tests: a QApplication on the offscreen platform, then every test.

#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    // Whatever platform the caller's environment names: these tests need no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
