#include "data/storage/AskedOnItsOwn.h"
#include "data/storage/StorageThread.h"
#include "tests/support/TestServer.h"

#include <QApplication>
#include <QStandardPaths>
#include <cstring>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // The test run's set-up and clean-up steps.
    if (argc == 2 && std::strcmp(argv[1], "--start-test-server") == 0) return TestServer::startShared();
    if (argc == 2 && std::strcmp(argv[1], "--stop-test-server") == 0) return TestServer::stopShared();
    // Before QApplication, or test discovery at build time fails without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Settings the program keeps per user (window places) go to a test folder, not the user's own.
    QStandardPaths::setTestModeEnabled(true);
    // Under the sanitizers on a busy machine: only a share or server that really stops answering
    // is late.
    setBoardWaitMs(2000);
    ::testing::InitGoogleTest(&argc, argv);
    const int failed = RUN_ALL_TESTS();
    // Reads and closes left to threads of their own finish before the libraries are torn down.
    Lookouts::finishAllWithin(10000);
    return failed;
}
