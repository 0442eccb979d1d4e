#include "platform/shell/application.h"

#include "platform/shell/dialogs.h"

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
    } catch (...) {
        ::ShowException(dialogs, std::current_exception());
    }
    return false;
}
