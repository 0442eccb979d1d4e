#include "platform/shell/application.h"

#include "platform/shell/dialogs.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#endif

namespace {
// Qt keeps its per-session files in XDG_RUNTIME_DIR and prints a warning when it is not
// set (a terminal without a login session, say). The program then makes the folder Qt
// would fall back on, with the rights Qt asks for, and names it, so nothing is printed.
int& WithRuntimeFolder(int& argc) {
#ifndef _WIN32
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0')
        return argc;
    const char* temp = std::getenv("TMPDIR");
    std::string folder = (temp != nullptr && *temp != '\0' ? temp : "/tmp");
    folder += "/runtime-" + std::to_string(getuid());
    mkdir(folder.c_str(), 0700);
    struct stat info {};
    if (stat(folder.c_str(), &info) == 0 && info.st_uid == getuid() && S_ISDIR(info.st_mode)) {
        chmod(folder.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    }
#endif
    return argc;
}
} // namespace

Application::Application(int& argc, char** argv, Dialogs& dialogs_)
    : QApplication(WithRuntimeFolder(argc), argv), dialogs(dialogs_) {}

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
