#include "platform/shell/application.h"
#include "platform/shell/dialogs.h"
#include "support/qt_test_main.h"

#include <QPushButton>
#include <QTimer>

#include <cstdlib>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

TEST(ApplicationTest, ExceptionLeavingAHandlerIsShownInTheErrorBoxAndTheProgramGoesOn) {
    TestDialogs().Clear();
    QPushButton button;
    bool restOfHandlerRan = false;
    bool laterEventHandled = false;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        throw std::runtime_error("Port refused");
        restOfHandlerRan = true;
    });
    QTimer::singleShot(0, &button, &QPushButton::click);
    QTimer::singleShot(0, [&] {
        laterEventHandled = true;
        TestApplication().quit();
    });

    EXPECT_EQ(TestApplication().Run(), 0);

    ASSERT_EQ(TestDialogs().shown.size(), 1u);
    EXPECT_EQ(TestDialogs().shown[0].kind, ShownKind::ErrorBox);
    EXPECT_EQ(TestDialogs().shown[0].text, "Port refused");
    EXPECT_FALSE(restOfHandlerRan);
    EXPECT_TRUE(laterEventHandled);
}

// A terminate request is final, so each case runs in a child process of its own.
TEST(ApplicationDeathTest, TerminateEndsTheLoopAtOnceOrAsSoonAsItStarts) {
    EXPECT_EXIT(
        {
            bool laterEventHandled = false;
            QTimer::singleShot(0, [] { TestApplication().Terminate(); });
            QTimer::singleShot(200, [&] { laterEventHandled = true; });
            QTimer::singleShot(1000, &TestApplication(), &QCoreApplication::quit);
            TestApplication().Run();
            std::exit(laterEventHandled ? 1 : 0);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            TestApplication().Terminate();
            bool eventHandled = false;
            QTimer::singleShot(0, [&] { eventHandled = true; });
            QTimer::singleShot(1000, &TestApplication(), &QCoreApplication::quit);
            TestApplication().Run();
            std::exit(TestApplication().Terminated() && !eventHandled ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

// A guarded handler reports to the dialogs it was given, with or without an Application.
TEST(GuardedTest, AnExceptionEndsTheHandlerAndReachesTheGivenDialogs) {
    ScriptedDialogs dialogs;
    bool restOfHandlerRan = false;
    QPushButton button;
    QObject::connect(&button, &QPushButton::clicked, Guarded(dialogs, [&] {
        throw std::runtime_error("Port refused");
        restOfHandlerRan = true;
    }));
    button.click();
    QPushButton other;
    QObject::connect(&other, &QPushButton::clicked, Guarded(dialogs, [] { throw 42; }));
    other.click();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].kind, ShownKind::ErrorBox);
    EXPECT_EQ(dialogs.shown[0].text, "Port refused");
    EXPECT_EQ(dialogs.shown[1].text, "Unknown error");
    EXPECT_FALSE(restOfHandlerRan);
}

TEST(ApplicationTest, KnowsItsTitleAndExecutable) {
    EXPECT_EQ(TestApplication().Title(), "Quorvin");
    EXPECT_TRUE(Application::ExeName().endsWith("/test_platform"));
}

} // namespace
