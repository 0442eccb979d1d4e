#include "platform/application.h"
#include "support/qt_test_main.h"

#include <QPushButton>
#include <QTimer>

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

TEST(ApplicationTest, KnowsItsTitleAndExecutable) {
    EXPECT_EQ(TestApplication().Title(), "Quorvin");
    EXPECT_TRUE(Application::ExeName().endsWith("/test_platform"));
}

} // namespace
