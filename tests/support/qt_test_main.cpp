#include "support/qt_test_main.h"

#include <gtest/gtest.h>

namespace {
Application* application = nullptr;
}

ScriptedDialogs& TestDialogs() {
    static ScriptedDialogs dialogs;
    return dialogs;
}

Application& TestApplication() {
    return *application;
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Test discovery runs the executable outside CTest, without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv, TestDialogs());
    app.SetTitle(QStringLiteral("Quorvin"));
    application = &app;
    return RUN_ALL_TESTS();
}
