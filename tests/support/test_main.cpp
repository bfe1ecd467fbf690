#include "tests/support/TestServer.h"

#include <QApplication>
#include <cstring>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // The test run's set-up and clean-up steps.
    if (argc == 2 && std::strcmp(argv[1], "--start-test-server") == 0) return TestServer::startShared();
    if (argc == 2 && std::strcmp(argv[1], "--stop-test-server") == 0) return TestServer::stopShared();
    // Before QApplication, or test discovery at build time fails without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
