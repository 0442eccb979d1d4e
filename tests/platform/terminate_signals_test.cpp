#include "platform/shell/terminate_signals.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QWidget>

#include <csignal>
#include <gtest/gtest.h>

namespace {

class CountingWindow : public QWidget {
public:
    int closeEvents = 0;

protected:
    void closeEvent(QCloseEvent* event) override {
        ++closeEvents;
        QWidget::closeEvent(event);
    }
};

void WaitUntilHidden(const QWidget& window) {
    QDeadlineTimer deadline(5000);
    while (window.isVisible() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

class TerminateSignalsTest : public testing::TestWithParam<int> {};

TEST_P(TerminateSignalsTest, SignalClosesTheWindowAsItsCloseButtonDoes) {
    CountingWindow window;
    window.show();
    TerminateSignals watch(window);

    ASSERT_EQ(raise(GetParam()), 0);
    WaitUntilHidden(window);

    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.closeEvents, 1);
}

INSTANTIATE_TEST_SUITE_P(IntAndTerm, TerminateSignalsTest, testing::Values(SIGINT, SIGTERM));

TEST(TerminateSignals, PreviousHandlerComesBackAfterwards) {
    struct sigaction before {};
    sigaction(SIGTERM, nullptr, &before);
    {
        QWidget window;
        TerminateSignals watch(window);
    }
    struct sigaction after {};
    sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

} // namespace
