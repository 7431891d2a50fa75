// Screen pictures need a real X server. ctest runs this suite under xvfb-run; with no display at all
// the window tests skip themselves and the pure ones still run offscreen.
#include <QApplication>
#include <cstdio>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::puts("No X display: screenshot tests skipped");
        qputenv("QT_QPA_PLATFORM", "offscreen");
    } else {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
