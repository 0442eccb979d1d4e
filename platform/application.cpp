#include "platform/application.h"

#include "platform/dialogs.h"

#include <exception>

Application::Application(int& argc, char** argv, Dialogs& dialogs_)
    : QApplication(argc, argv), dialogs(dialogs_) {}

void Application::SetTitle(const QString& title) {
    setApplicationDisplayName(title);
}

QString Application::Title() const {
    return applicationDisplayName();
}

void Application::Terminate() {
    terminated = true;
    if (running)
        quit();
}

int Application::Run() {
    if (terminated)
        return 0;
    running = true;
    const int result = exec();
    running = false;
    return result;
}

QString Application::ExeName() {
    return applicationFilePath();
}

void Application::ShowException(const QString& message) {
    dialogs.ShowErrorBox(message);
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowException(QString::fromUtf8(error.what()));
    } catch (...) {
        ShowException(QStringLiteral("Unknown error"));
    }
    return false;
}

void ShowHandlerException(std::exception_ptr error) {
    auto* application = qobject_cast<Application*>(QCoreApplication::instance());
    QString message;
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& raised) {
        message = QString::fromUtf8(raised.what());
    } catch (...) {
        message = QStringLiteral("Unknown error");
    }
    if (application != nullptr)
        application->ShowException(message);
}
