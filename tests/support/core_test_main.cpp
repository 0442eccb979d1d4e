#include <QCoreApplication>

#include <gtest/gtest.h>

// For tests without widgets: notification windows and ports need an event loop on the
// test's main thread, and a core application gives them one.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
