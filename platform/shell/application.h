#pragma once
// The application object: its title, the request to end the program, the executable's
// path, and the error box for every exception that leaves an event handler. Such an
// exception skips the rest of its handler; the error box shows its message and the
// program goes on. Started without XDG_RUNTIME_DIR, it names a per-session folder of
// its own before Qt looks for one, so Qt has nothing to warn about.
#include <QApplication>
#include <QString>

class Dialogs;

class Application : public QApplication {
    Q_OBJECT
public:
    // The dialogs must outlive the application.
    Application(int& argc, char** argv, Dialogs& dialogs);

    // Caption of plain message boxes and of the error box.
    void SetTitle(const QString& title);
    QString Title() const;

    // Ends the program: at once when the loop runs, or as soon as Run is called.
    void Terminate();
    bool Terminated() const { return terminated; }
    // Runs the event loop until the last window closes or Terminate is called.
    int Run();

    // Full path of the running executable.
    static QString ExeName();

    // Shows an exception's message in the error box.
    void ShowException(const QString& message);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    Dialogs& dialogs;
    bool terminated = false;
    bool running = false;
};
