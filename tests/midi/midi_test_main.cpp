#include <QCoreApplication>

#include <gtest/gtest.h>

// The ports' notification windows need an event loop on the test's main thread.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
